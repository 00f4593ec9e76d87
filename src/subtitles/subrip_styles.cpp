#include "subtitles/subrip_styles.h"

#include <QColor>

#include <algorithm>
#include <cctype>
#include <string>

namespace tavimo {
namespace {

bool IsAlpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The lower-cased text of `s`.
std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// Takes one attribute of a tag's attribute text from `at`: its name, and its
// value quoted with " or ' (an unclosed quote runs to the end), or bare up to
// a space; a name without "=" has an empty value. False when nothing is left.
bool TakeAttribute(std::string_view text, size_t& at, std::string_view& name,
                   std::string_view& value) {
    auto skipSpaces = [&] {
        while (at < text.size() && IsSpace(text[at])) {
            ++at;
        }
    };
    auto takeUntil = [&](auto stop) {
        const size_t start = at;
        while (at < text.size() && !stop(text[at])) {
            ++at;
        }
        return text.substr(start, at - start);
    };
    skipSpaces();
    const size_t start = at;
    name = takeUntil([](char c) { return IsSpace(c) || c == '='; });
    value = {};
    skipSpaces();
    if (at < text.size() && text[at] == '=') {
        ++at;
        skipSpaces();
        const char quote = at < text.size() && (text[at] == '"' || text[at] == '\'') ? text[at] : 0;
        at += quote != 0 ? 1 : 0;
        value = quote != 0 ? takeUntil([quote](char c) { return c == quote; })
                           : takeUntil([](char c) { return IsSpace(c); });
        at += quote != 0 && at < text.size() ? 1 : 0;
    }
    return at > start;
}

// The value of the first `color` attribute of a font tag; empty when there
// is none. Names are compared without case; "color" inside another
// attribute's value ("face=Colorado") is not one.
std::string ColourAttribute(std::string_view attributes) {
    size_t at = 0;
    std::string_view name, value;
    while (TakeAttribute(attributes, at, name, value)) {
        if (Lower(name) == "color") {
            return std::string(value);
        }
    }
    return {};
}

// The walk over one entry: the open styles and the piece being collected.
class Parser {
  public:
    StyledText Run(std::string_view text);

  private:
    void Flush();
    // Takes the tag `<...>` starting at `at`; false when it is not a tag.
    bool TakeTag(std::string_view text, size_t& at);
    // Takes the override block `{\...}` starting at `at`; false when it is not one.
    bool TakeOverride(std::string_view text, size_t& at);
    void Apply(std::string_view name, bool closing, std::string_view attributes);

    StyledText out_;
    std::string pending_;  // UTF-8 of the piece being collected
    int italic_ = 0, bold_ = 0, underline_ = 0;
    std::vector<QRgb> colours_;  // innermost last; 0 for a font tag without a colour
};

StyledText Parser::Run(std::string_view text) {
    out_.lines.emplace_back();
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            Flush();
            out_.lines.emplace_back();
            ++i;
        } else if ((c == '<' && TakeTag(text, i)) || (c == '{' && TakeOverride(text, i))) {
            continue;
        } else {
            pending_.push_back(c);
            ++i;
        }
    }
    Flush();
    return std::move(out_);
}

void Parser::Flush() {
    if (pending_.empty()) {
        return;
    }
    StyledPiece piece;
    piece.text = QString::fromUtf8(pending_.data(), static_cast<qsizetype>(pending_.size()));
    piece.italic = italic_ > 0;
    piece.bold = bold_ > 0;
    piece.underline = underline_ > 0;
    for (auto it = colours_.rbegin(); it != colours_.rend() && piece.colour == 0; ++it) {
        piece.colour = *it;
    }
    pending_.clear();
    StyledLine& line = out_.lines.back();
    StyledPiece* last = line.empty() ? nullptr : &line.back();
    if (last != nullptr && last->italic == piece.italic && last->bold == piece.bold &&
        last->underline == piece.underline && last->colour == piece.colour) {
        last->text += piece.text;  // a tag that changed nothing does not split the text
    } else {
        line.push_back(std::move(piece));
    }
}

bool Parser::TakeTag(std::string_view text, size_t& at) {
    const size_t end = text.find_first_of(">\n", at + 1);
    if (end == std::string_view::npos || text[end] != '>') {
        return false;
    }
    std::string_view inside = text.substr(at + 1, end - at - 1);
    const bool closing = !inside.empty() && inside.front() == '/';
    inside.remove_prefix(closing ? 1 : 0);
    size_t nameLength = 0;
    while (nameLength < inside.size() && IsAlpha(inside[nameLength])) {
        ++nameLength;
    }
    if (nameLength == 0) {
        return false;  // "a < b", "<3": text, not a tag
    }
    Flush();
    Apply(inside.substr(0, nameLength), closing, inside.substr(nameLength));
    at = end + 1;
    return true;
}

void Parser::Apply(std::string_view name, bool closing, std::string_view attributes) {
    const std::string tag = Lower(name);
    const int step = closing ? -1 : 1;
    auto count = [step](int& n) { n = std::max(0, n + step); };
    if (tag == "i") {
        count(italic_);
    } else if (tag == "b") {
        count(bold_);
    } else if (tag == "u") {
        count(underline_);
    } else if (tag == "font" && closing) {
        if (!colours_.empty()) {
            colours_.pop_back();
        }
    } else if (tag == "font") {
        const QColor colour(QString::fromStdString(ColourAttribute(attributes)));
        colours_.push_back(colour.isValid() ? (colour.rgb() | 0xFF000000u) : 0u);
    }
    // Any other tag is removed without effect.
}

bool Parser::TakeOverride(std::string_view text, size_t& at) {
    if (at + 1 >= text.size() || text[at + 1] != '\\') {
        return false;
    }
    const size_t end = text.find_first_of("}\n", at + 2);
    if (end == std::string_view::npos || text[end] != '}') {
        return false;
    }
    const std::string_view inside = text.substr(at + 1, end - at - 1);
    for (size_t an = inside.find("\\an"); an != std::string_view::npos;
         an = inside.find("\\an", an + 3)) {
        const char digit = an + 3 < inside.size() ? inside[an + 3] : '\0';
        if (digit >= '1' && digit <= '3') {
            out_.top = false;
        } else if (digit >= '7' && digit <= '9') {
            out_.top = true;
        }
    }
    at = end + 1;
    return true;
}

}  // namespace

StyledText ParseSubRipStyles(std::string_view text) {
    return Parser().Run(text);
}

}  // namespace tavimo
