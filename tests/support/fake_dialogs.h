#pragma once

// A scripted Dialogs for tests: records every call in order and answers from queues the test
// fills. Boxes answer IDOK; with a queue empty, everything else is cancelled.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace tavimo::platform {

class ScriptedDialogs : public Dialogs {
  public:
    enum class Kind { MessageBox, OpenFile, ChooseFont, GetText, Beep };

    // One recorded call. Fields that a kind does not use stay empty.
    struct Call {
        Kind kind = Kind::MessageBox;
        std::string text;     // box text; GetText: the text passed in
        std::string caption;  // box caption; GetText: title
        unsigned flags = 0;   // box flags; Beep: type
        OpenFileRequest request;
        QFont font;             // ChooseFont: the font passed in
        uint32_t colorRef = 0;  // ChooseFont: the colour passed in
    };
    struct OpenFileAnswer {
        int result = 0;  // 1 chosen, 0 cancelled, negative failure
        std::string path;
    };
    struct FontAnswer {
        bool ok = false;
        QFont font;
        uint32_t colorRef = 0;
    };

    std::vector<Call> calls;
    std::deque<OpenFileAnswer> openFileAnswers;
    std::deque<FontAnswer> fontAnswers;

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        calls.push_back({Kind::MessageBox, text, caption, flags, {}, {}, 0});
        return IDOK;
    }
    int GetOpenFileName(const OpenFileRequest& request, std::string* path) override {
        calls.push_back({Kind::OpenFile, "", "", 0, request, {}, 0});
        const OpenFileAnswer a = Pop(openFileAnswers);
        if (a.result == 1 && path)
            *path = a.path;
        return a.result;
    }
    bool ChooseFont(QFont& font, uint32_t& colorRef) override {
        calls.push_back({Kind::ChooseFont, "", "", 0, {}, font, colorRef});
        const FontAnswer a = Pop(fontAnswers);
        if (a.ok)
            font = a.font, colorRef = a.colorRef;
        return a.ok;
    }
    bool GetText(const std::string& title, const std::string&, std::string& text) override {
        calls.push_back({Kind::GetText, text, title, 0, {}, {}, 0});
        return false;
    }
    void MessageBeep(unsigned type) override {
        calls.push_back({Kind::Beep, "", "", type, {}, {}, 0});
    }

    // The recorded calls of one kind, in order.
    std::vector<Call> CallsOf(Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }

  private:
    template <typename T>
    static T Pop(std::deque<T>& queue) {
        if (queue.empty())
            return T{};
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

}  // namespace tavimo::platform
