// A window holding a player record on the scripted media framework, with
// scripted dialogs: the host the engine's logic is tested through. UI thread
// only.
#pragma once

#include <string>

#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/fake_media.h"

namespace tavimo::test {

class ScriptedPlayer : public PlayerHost {
  public:
    ScriptedPlayer() { record.UseMediaFramework(&media); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}

    // Opens `path` through OpenClip; true when it plays.
    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }
    // The note shown now, "" when none.
    std::string Note() const {
        std::string text;
        record.Mixer.Note.Copy(text);
        return text;
    }

    platform::ScriptedDialogs dialogs;
    FakeMediaFramework media;
    PlayerRecord record{*this};
};

}  // namespace tavimo::test
