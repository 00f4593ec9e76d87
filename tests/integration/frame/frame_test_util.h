// Shared by the main frame's offscreen tests: a key as the window system
// delivers it, and the note the picture shows. UI thread.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <string>

#include "engine/player_record.h"

namespace tavimo::frame_test {

// A key press sent to `target` (the focused view), as the window system delivers it.
inline void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

// The note the mixer draws at the picture's top left now; empty when none.
inline std::string Note(const PlayerRecord& record) {
    std::string text;
    record.Mixer.Note.Copy(text);
    return text;
}

}  // namespace tavimo::frame_test
