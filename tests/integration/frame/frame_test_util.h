// Shared by the main frame's offscreen tests: the frame on fakes, a key as
// the window system delivers it, and the note the picture shows. UI thread.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <memory>
#include <string>

#include "app/main_frame.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/fake_display_modes.h"
#include "support/fake_registry.h"

namespace tavimo::frame_test {

// The main frame with an in-memory registry, two display modes and scripted
// dialogs.
struct TestFrame {
    platform::FakeRegistry registry;
    platform::FakeDisplayModes modes{{{1280, 720, 24, 60}, {1920, 1080, 24, 60}}};
    platform::ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CMainFrame> frame;

    // Starts the frame (again) as start-up does: settings loaded from
    // `registry`, then created and shown.
    CMainFrame& Start() {
        frame.reset();
        auto scripted = std::make_unique<platform::ScriptedDialogs>();
        dialogs = scripted.get();
        frame = std::make_unique<CMainFrame>(registry, modes, std::move(scripted));
        frame->LoadSettings();
        frame->Create();
        return *frame;
    }
};

// A key press sent to `target` (the focused view), as the window system delivers it.
inline void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

// Where `record`'s clip stands, 100 ns units; -1 when it cannot say.
inline REFERENCE_TIME Position(PlayerRecord& record) {
    REFERENCE_TIME at = -1;
    record.pMS->GetCurrentPosition(&at);
    return at;
}

// The note the mixer draws at the picture's top left now; empty when none.
inline std::string Note(const PlayerRecord& record) {
    std::string text;
    record.Mixer.Note.Copy(text);
    return text;
}

}  // namespace tavimo::frame_test
