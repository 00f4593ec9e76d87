#pragma once

// A scripted Dialogs for tests: records every call in order and answers from queues the test
// fills. With a queue empty the answer is IDOK for boxes and "cancelled" for everything else.

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
        std::string label;    // GetText: label
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
    struct TextAnswer {
        bool ok = false;
        std::string text;
    };

    std::vector<Call> calls;
    std::deque<int> messageBoxAnswers;
    std::deque<OpenFileAnswer> openFileAnswers;
    std::deque<FontAnswer> fontAnswers;
    std::deque<TextAnswer> textAnswers;

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        Call c;
        c.kind = Kind::MessageBox;
        c.text = text;
        c.caption = caption;
        c.flags = flags;
        calls.push_back(std::move(c));
        return Pop(messageBoxAnswers, IDOK);
    }
    int GetOpenFileName(const OpenFileRequest& request, std::string* path) override {
        Call c;
        c.kind = Kind::OpenFile;
        c.request = request;
        calls.push_back(std::move(c));
        OpenFileAnswer a = Pop(openFileAnswers, OpenFileAnswer{});
        if (a.result == 1 && path)
            *path = a.path;
        return a.result;
    }
    bool ChooseFont(QFont& font, uint32_t& colorRef) override {
        Call c;
        c.kind = Kind::ChooseFont;
        c.font = font;
        c.colorRef = colorRef;
        calls.push_back(std::move(c));
        FontAnswer a = Pop(fontAnswers, FontAnswer{});
        if (a.ok) {
            font = a.font;
            colorRef = a.colorRef;
        }
        return a.ok;
    }
    bool GetText(const std::string& title, const std::string& label, std::string& text) override {
        Call c;
        c.kind = Kind::GetText;
        c.caption = title;
        c.label = label;
        c.text = text;
        calls.push_back(std::move(c));
        TextAnswer a = Pop(textAnswers, TextAnswer{});
        if (a.ok)
            text = a.text;
        return a.ok;
    }
    void MessageBeep(unsigned type) override {
        Call c;
        c.kind = Kind::Beep;
        c.flags = type;
        calls.push_back(std::move(c));
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
    static T Pop(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

}  // namespace tavimo::platform
