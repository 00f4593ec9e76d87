// The held size tags of one event's text: the walk through its override
// blocks that lowers each size tag's argument to the limits and measures
// what the text reaches, for ass_limits.cpp's counting of the area drawn.
#include "subtitles/ass_limits.h"

#include "subtitles/ass_limits_internal.h"

#include "subtitles/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace tavimo {
namespace {

using ass_internal::TextExtent;

// The tags whose number is held, in the order libass tries them, so that a
// name that starts another ("fsc", "fsp" before "fs") is matched as libass
// matches it; rows without a limit are left as they are.
// Drawing, Shear, Rotation and Spacing are only measured, kept as typed.
enum class Limit { None, FontSize, Scale, Border, Blur, Drawing, Shear, Rotation, Spacing };
struct TagRow {
    std::string_view name;
    Limit limit;
};
constexpr TagRow kTags[] = {
    {"xbord", Limit::Border}, {"ybord", Limit::Border}, {"xshad", Limit::Border},
    {"yshad", Limit::Border}, {"fax", Limit::Shear},    {"fay", Limit::Shear},
    {"blur", Limit::Blur},    {"fscx", Limit::Scale},   {"fscy", Limit::Scale},
    {"fsc", Limit::None},     {"fsp", Limit::Spacing},  {"fs", Limit::FontSize},
    {"bord", Limit::Border},  {"frx", Limit::Rotation}, {"fry", Limit::Rotation},
    {"frz", Limit::Rotation}, {"fr", Limit::Rotation},  {"pos", Limit::None},
    {"be", Limit::Blur},      {"shad", Limit::Border},  {"pbo", Limit::None},
    {"p", Limit::Drawing},
};

// Where the walk through an event's text stands.
struct Walk {
    double fontSize;     // the size in effect, for relative sizes
    int drawing = 0;     // \p: 0 text, n a drawing at 1 / 2^(n-1)
    TextExtent* extent;  // what the text reaches, or null
    size_t lineChars = 0;
    int coordinate = 0;  // of a drawing: 0 x, 1 y
};

double MaxOf(Limit limit, const AssTagLimits& limits) {
    switch (limit) {
        case Limit::FontSize:
            return limits.fontSize;
        case Limit::Scale:
            return limits.scale;
        case Limit::Border:
            return limits.border;
        case Limit::Blur:
            return limits.blur;
        case Limit::None:
        case Limit::Drawing:
        case Limit::Shear:
        case Limit::Rotation:
        case Limit::Spacing:
            break;
    }
    return 0;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipSpaces(std::string_view s, size_t at) {
    while (at < s.size() && IsSpace(s[at]))
        ++at;
    return at;
}

// Where the first of `stops` (or the end of the override block) comes in
// `s` from `at`.
size_t FindStop(std::string_view s, size_t at, std::string_view stops) {
    while (at < s.size() && s[at] != '}' && stops.find(s[at]) == std::string_view::npos)
        ++at;
    return at;
}

// The number at the start of `arg` as libass's strtod reads it (spaces,
// sign, digits, a point, an exponent), whatever the locale; a number too
// large for a double is infinite. Nothing when no digit comes.
std::optional<double> ReadNumber(std::string_view arg) {
    size_t at = SkipSpaces(arg, 0);
    const bool minus = at < arg.size() && arg[at] == '-';
    if (at < arg.size() && (arg[at] == '+' || arg[at] == '-'))
        ++at;
    const char* first = arg.data() + at;
    const char* last = arg.data() + arg.size();
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    else if (error != std::errc())
        return std::nullopt;
    (void)end;
    return minus ? -value : value;
}

// The size of `value` held within `max`, written plainly (no exponent, up
// to three decimals), after `sign` when not 0.
std::string Plain(double value, double max, char sign) {
    value = std::clamp(std::abs(value), 0.0, max);
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    std::string out(text, written.ptr);
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return sign ? sign + out : out;
}

// `text` cut to `max` bytes on a character, and before an override block
// the cut would leave open.
std::string_view CutText(std::string_view text, size_t max) {
    if (text.size() <= max)
        return text;
    text = text.substr(0, Utf8CharBoundary(text, max));
    const size_t open = text.rfind('{');
    const size_t close = text.rfind('}');
    if (open != std::string_view::npos && (close == std::string_view::npos || close < open)) {
        text = text.substr(0, open);
    }
    return text;
}

// The first argument of a parenthesised list from `open` (its '('), as
// libass splits it, and where the list ends (past its ')').
std::pair<std::string_view, size_t> FirstInParens(std::string_view s, size_t open) {
    const size_t from = SkipSpaces(s, open + 1);
    size_t argEnd = FindStop(s, from, ",\\)");
    const size_t close = FindStop(s, open + 1, ")");
    if (argEnd < s.size() && s[argEnd] == '\\')
        argEnd = close;  // from a backslash on, the rest is one argument
    return {s.substr(from, argEnd - from), close < s.size() && s[close] == ')' ? close + 1 : close};
}

// Notes what a tag kept as typed asks for: a drawing's scale, a shear, a
// rotation, a spacing.
void Measure(const TagRow& tag, std::optional<double> value, Walk& walk) {
    if (tag.limit == Limit::Drawing) {
        walk.drawing = value ? static_cast<int>(std::clamp(*value, 0.0, 64.0)) : 0;
        walk.coordinate = 0;
    }
    TextExtent* e = walk.extent;
    if (!e || !value)
        return;
    const double size = std::isfinite(*value) ? std::abs(*value) : 1e9;
    if (tag.limit == Limit::Shear) {
        double& shear = tag.name == "fax" ? e->shearX : e->shearY;
        shear = std::max(shear, size);
    } else if (tag.limit == Limit::Spacing) {
        e->spacing = std::max(e->spacing, size);
    } else if (tag.limit == Limit::Rotation) {
        e->rotated = e->rotated || std::fmod(size, 360.0) != 0;
    }
}

// The row of the tag whose name starts at `nameAt` in `rest`, the first
// that does in kTags' order; null when none does.
const TagRow* FindTag(std::string_view rest, size_t nameAt) {
    for (const TagRow& row : kTags) {
        if (rest.substr(nameAt, row.name.size()) == row.name)
            return &row;
    }
    return nullptr;
}

// Raises the extent's largest value of the size tag's kind to `held`, a
// font size's to the size the walk has after it.
void NoteHeld(const TagRow& tag, double held, Walk& walk) {
    if (TextExtent* e = walk.extent) {
        const bool shadow = tag.name.find("shad") != std::string_view::npos;
        double& most = tag.limit == Limit::FontSize ? e->fontSize
                       : tag.limit == Limit::Scale  ? e->scale
                       : tag.limit == Limit::Blur   ? e->blur
                       : shadow                     ? e->shadow
                                                    : e->border;
        most = std::max(most, tag.limit == Limit::FontSize ? walk.fontSize : held);
    }
}

// Appends the tag at the start of `rest` (just after a backslash) with its
// argument, read as libass reads it (after spaces; in parentheses first,
// else up to the next parenthesis, backslash or end of block), held within
// the limits and written plainly; what libass would skip after a list is
// dropped, so nothing written after it joins the number. Returns the bytes
// taken, 0 when no held tag starts there.
size_t AppendTag(std::string_view rest, const AssTagLimits& limits, Walk& walk, std::string& out) {
    const size_t nameAt = SkipSpaces(rest, 0);
    const TagRow* tag = FindTag(rest, nameAt);
    if (!tag || tag->limit == Limit::None)
        return 0;
    const size_t argAt = nameAt + tag->name.size();
    const size_t argEnd = FindStop(rest, argAt, "(\\)");
    std::string_view arg = rest.substr(argAt, argEnd - argAt);
    size_t taken = argEnd;
    if (argEnd < rest.size() && rest[argEnd] == '(') {
        const auto [first, close] = FirstInParens(rest, argEnd);
        if (!first.empty())
            arg = first;
        taken = FindStop(rest, close, "\\");
    }
    const std::optional<double> value = ReadNumber(arg);
    if (MaxOf(tag->limit, limits) == 0) {  // measured, kept as typed
        out.append(rest.substr(0, taken));
        Measure(*tag, value, walk);
        return taken;
    }
    out.append(tag->name);
    if (!value)
        return taken;
    const double max = MaxOf(tag->limit, limits);
    const double held = std::clamp(std::abs(*value), 0.0, max);
    if (tag->limit == Limit::FontSize) {
        // libass takes a size whose argument starts with a sign as relative,
        // multiplying by 1 + n / 10: steps of it would reach any size, so the
        // size they make is written instead.
        const bool relative = !arg.empty() && (arg[0] == '+' || arg[0] == '-');
        const double size = relative ? walk.fontSize * (1 + *value / 10) : *value;
        walk.fontSize = size > 0 ? std::min(size, max) : walk.fontSize;
        out.append(Plain(std::max(size, 0.0), max, 0));
    } else {
        out.append(Plain(*value, max, *value < 0 ? '-' : 0));
    }
    NoteHeld(*tag, held, walk);
    return taken;
}

// Counts the drawing's character at `text[at]` into the extent: a command,
// or a coordinate of a point. Returns the bytes it takes.
size_t CountPoint(std::string_view text, size_t at, Walk& walk) {
    TextExtent& e = *walk.extent;
    const char c = text[at];
    if (std::isalpha(static_cast<unsigned char>(c))) {
        walk.coordinate = 0;  // a command: its points follow
        return 1;
    }
    size_t end = at;
    while (end < text.size() && text[end] != '{' &&
           (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
            text[end] == '-' || text[end] == '+' || text[end] == 'e' || text[end] == 'E'))
        ++end;
    const std::optional<double> n = end > at ? ReadNumber(text.substr(at, end - at)) : std::nullopt;
    if (!n)
        return std::max<size_t>(end - at, 1);
    const double v = std::clamp(*n, -1e9, 1e9) / std::ldexp(1.0, walk.drawing - 1);
    if (!e.drawn) {
        e.drawingLeft = e.drawingRight = 0;
        e.drawingTop = e.drawingBottom = 0;
        e.drawn = true;
    }
    if (walk.coordinate == 0) {
        e.drawingLeft = std::min(e.drawingLeft, v);
        e.drawingRight = std::max(e.drawingRight, v);
    } else {
        e.drawingTop = std::min(e.drawingTop, v);
        e.drawingBottom = std::max(e.drawingBottom, v);
    }
    walk.coordinate ^= 1;
    return end - at;
}

// Counts the character at `text[at]`, outside override blocks, into the
// extent: a point of a drawing, or a character of a line ("\N" ends one).
// Returns the bytes it takes.
size_t CountDrawn(std::string_view text, size_t at, Walk& walk) {
    TextExtent& e = *walk.extent;
    const char c = text[at];
    if (walk.drawing > 0)
        return CountPoint(text, at, walk);
    if (c == '\\' && at + 1 < text.size() && text[at + 1] == 'N') {
        walk.lineChars = 0;
        return 2;
    }
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
        e.lines = std::max<size_t>(e.lines, 1) + (walk.lineChars == 0 && e.longestLine > 0);
        e.longestLine = std::max(e.longestLine, ++walk.lineChars);
    }
    return 1;
}

}  // namespace

namespace ass_internal {

std::string LimitText(std::string_view text, const AssTagLimits& limits, double fontSize,
                      TextExtent* extent) {
    Walk walk{std::clamp(fontSize, 1.0, limits.fontSize), 0, extent, 0, 0};
    text = CutText(text, kMaxAssEventText);
    std::string out;
    out.reserve(text.size());
    bool inBlock = false;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        inBlock = c == '{' ? true : c == '}' ? false : inBlock;
        if (extent && !inBlock && c != '}') {
            const size_t taken = CountDrawn(text, i, walk);
            out.append(text.substr(i, taken));
            i += taken;
            continue;
        }
        out.push_back(c);
        ++i;
        if (inBlock && c == '\\')
            i += AppendTag(text.substr(i), limits, walk, out);
    }
    return out;
}

}  // namespace ass_internal

AssTagLimits AssTagLimitsFor(int playResY) {
    const double height = std::max(playResY, 1);
    return AssTagLimits{height / 2, 400.0, height / 16.0, 20.0};
}

std::string LimitAssText(std::string_view text, const AssTagLimits& limits, double fontSize) {
    return ass_internal::LimitText(text, limits, fontSize, nullptr);
}

}  // namespace tavimo
