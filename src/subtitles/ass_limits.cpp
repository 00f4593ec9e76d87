#include "subtitles/ass_limits.h"

#include "subtitles/text_encoding.h"

#include <ass/ass.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <queue>
#include <vector>

namespace tavimo {
namespace {

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

// The largest sizes one event's text reaches (any of its tags, those a
// transform animates to included) and what it draws. Sizes in script units
// and percent, blur in frame pixels.
struct TextExtent {
    double fontSize = 0;
    double scale = 0;  // the larger of \fscx and \fscy, in percent
    double border = 0;
    double shadow = 0;
    double blur = 0;
    double shearX = 0, shearY = 0;  // \fax, \fay, either sign
    double spacing = 0;             // \fsp, either sign
    bool rotated = false;           // the style's angle or a \fr tag
    size_t lines = 0;               // of text
    size_t longestLine = 0;         // in characters
    double drawingLeft = 0, drawingTop = 0, drawingRight = 0, drawingBottom = 0;
    bool drawn = false;  // a drawing has a point
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

// Appends the tag at the start of `rest` (just after a backslash) with its
// argument, read as libass reads it (after spaces; in parentheses first,
// else up to the next parenthesis, backslash or end of block), held within
// the limits and written plainly; what libass would skip after a list is
// dropped, so nothing written after it joins the number. Returns the bytes
// taken, 0 when no held tag starts there.
size_t AppendTag(std::string_view rest, const AssTagLimits& limits, Walk& walk, std::string& out) {
    const size_t nameAt = SkipSpaces(rest, 0);
    const TagRow* tag = nullptr;
    for (const TagRow& row : kTags) {
        if (rest.substr(nameAt, row.name.size()) == row.name) {
            tag = &row;
            break;
        }
    }
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
    if (TextExtent* e = walk.extent) {
        const bool shadow = tag->name.find("shad") != std::string_view::npos;
        double& most = tag->limit == Limit::FontSize ? e->fontSize
                       : tag->limit == Limit::Scale  ? e->scale
                       : tag->limit == Limit::Blur   ? e->blur
                       : shadow                      ? e->shadow
                                                     : e->border;
        most = std::max(most, tag->limit == Limit::FontSize ? walk.fontSize : held);
    }
    return taken;
}

// Counts the character at `text[at]`, outside override blocks, into the
// extent: a point of a drawing, or a character of a line ("\N" ends one).
// Returns the bytes it takes.
size_t CountDrawn(std::string_view text, size_t at, Walk& walk) {
    TextExtent& e = *walk.extent;
    const char c = text[at];
    if (walk.drawing > 0) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            walk.coordinate = 0;  // a command: its points follow
            return 1;
        }
        size_t end = at;
        while (end < text.size() && text[end] != '{' &&
               (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                text[end] == '-' || text[end] == '+' || text[end] == 'e' || text[end] == 'E'))
            ++end;
        const std::optional<double> n =
            end > at ? ReadNumber(text.substr(at, end - at)) : std::nullopt;
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

// LimitAssText, adding what the held text reaches to `extent` when given.
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

// The script's play size as libass completes it, and how libass stretches
// what it draws: glyph widths by the pixel aspect a layout size implies,
// blur by the frame over that layout size (1 without one: the frame is the
// storage size). Sizes in script units.
struct PlayGeometry {
    double x, y;
    double glyphStretch = 1;
    double blurScale = 1;  // at 1080p
};

PlayGeometry GeometryOf(const ASS_Track& track) {
    PlayGeometry g{double(track.PlayResX), double(track.PlayResY)};
    if (g.x <= 0 && g.y <= 0) {
        g = {384, 288};  // libass's own defaults
    } else if (g.y <= 0) {
        g.y = g.x == 1280 ? 1024 : std::max(1.0, g.x * 3 / 4);
    } else if (g.x <= 0) {
        g.x = g.y == 1024 ? 1280 : std::max(1.0, g.y * 4 / 3);
    }
    if (track.LayoutResX > 0 && track.LayoutResY > 0) {
        g.glyphStretch = std::max(1.0, (g.x / g.y) / (double(track.LayoutResX) / track.LayoutResY));
        g.blurScale = std::max({1.0, 1920.0 / track.LayoutResX, 1080.0 / track.LayoutResY});
    }
    return g;
}

// The area of a box `w` frames wide and `h` high as libass draws it for an
// event of `e`: sheared (on a 16:9 frame), then the bounds of it turned by
// any angle.
double BoxArea(const TextExtent& e, double w, double h) {
    const double sheared = w + e.shearX * h * 9 / 16, tall = h + e.shearY * w * 16 / 9;
    if (e.rotated) {  // at 45 degrees, the box's bounds are widest
        return (sheared + tall) * (sheared + tall) / 2;
    }
    return sheared * tall;
}

// The area an event of `e` draws, in frames (16:9 taken for glyph widths,
// blur in 1080p pixels): its lines of full-width glyphs and its drawings,
// each grown by the border and blur on both axes as libass scales them
// (widths by the play width, heights by the play height, borders by either
// whether scaled or not), once more for an outline and for a shadow.
double AreaOf(const TextExtent& e, const PlayGeometry& g) {
    const double scale = e.scale / 100;
    const double blurX = 3 * e.blur * g.blurScale / 1920, blurY = 3 * e.blur * g.blurScale / 1080;
    const double growX = 2 * (std::max(e.border / g.x, e.border / 1920) + blurX);
    const double growY = 2 * (std::max(e.border / g.y, e.border / 1080) + blurY);
    const double glyphH = e.fontSize * scale / g.y;
    const double glyphW = glyphH * 9 / 16 * g.glyphStretch;
    const double space = e.spacing * std::max(1 / g.x, 9.0 / 16 / g.y);
    const double chars = double(e.longestLine);
    double area = double(e.lines) * BoxArea(e, chars * (glyphW + space) + growX, glyphH + growY);
    if (e.drawn) {
        area += BoxArea(e, (e.drawingRight - e.drawingLeft) * scale / g.x + growX,
                        (e.drawingBottom - e.drawingTop) * scale / g.y + growY);
    }
    return area * (1 + (e.border > 0) + (e.shadow > 0));
}

// Replaces a malloc'ed text of libass with `text`.
void ReplaceText(char*& field, const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr)
        return;
    std::memcpy(copy, text.c_str(), text.size() + 1);
    std::free(field);
    field = copy;
}

int PlayHeight(const ASS_Track& track) {
    if (track.PlayResY > 0)
        return track.PlayResY;
    return track.PlayResX > 0 ? track.PlayResX * 3 / 4 : 288;  // libass's own defaults
}

void LimitStyle(ASS_Style& style, const AssTagLimits& limits) {
    style.FontSize = std::clamp(style.FontSize, 0.0, limits.fontSize);
    style.ScaleX = std::clamp(style.ScaleX, 0.0, limits.scale / 100.0);
    style.ScaleY = std::clamp(style.ScaleY, 0.0, limits.scale / 100.0);
    style.Outline = std::clamp(style.Outline, -limits.border, limits.border);
    style.Shadow = std::clamp(style.Shadow, -limits.border, limits.border);
    style.Blur = std::clamp(style.Blur, 0.0, limits.blur);
}

// Holds the event's text within `limits`; returns the area it draws, in
// frames.
double LimitEventText(const ASS_Track& track, ASS_Event& event, const AssTagLimits& limits) {
    if (event.Text == nullptr)
        return 0;
    const std::string_view text(event.Text);
    const bool styled = event.Style >= 0 && event.Style < track.n_styles;
    TextExtent extent;
    extent.fontSize = limits.fontSize;
    extent.scale = 100;
    if (styled) {
        const ASS_Style& style = track.styles[event.Style];
        extent.fontSize = style.FontSize;
        extent.scale = std::max(style.ScaleX, style.ScaleY) * 100;
        extent.border = std::abs(style.Outline);
        extent.shadow = std::abs(style.Shadow);
        extent.blur = style.Blur;
        extent.rotated = std::fmod(style.Angle, 360.0) != 0;
    }
    std::string limited = LimitText(text, limits, extent.fontSize, &extent);
    if (limited != text)
        ReplaceText(event.Text, limited);
    return AreaOf(extent, GeometryOf(track));
}

size_t TextBytes(const ASS_Event& event) {
    return event.Text != nullptr ? std::strlen(event.Text) : 0;
}

bool EndsBy(const ASS_Event& event, long long t) {
    return event.Start + event.Duration <= t;
}

// Whether an event fits beside `shown` others: with it, `bytes` of text and
// `area` frames drawn at once.
bool Fits(int shown, size_t bytes, double area) {
    return shown < kMaxAssEventsAtOnce && bytes <= kMaxAssTextAtOnce && area <= kMaxAssAreaAtOnce;
}

// Frees the events not kept and closes the gaps, keeping their order.
void DropEvents(ASS_Track& track, const std::vector<bool>& keep) {
    int kept = 0;
    for (int i = 0; i < track.n_events; ++i) {
        if (!keep[static_cast<size_t>(i)]) {
            ass_free_event(&track, i);
            continue;
        }
        if (kept != i)
            track.events[kept] = track.events[i];
        ++kept;
    }
    track.n_events = kept;
}

}  // namespace

AssTagLimits AssTagLimitsFor(int playResY) {
    const double height = std::max(playResY, 1);
    return AssTagLimits{height / 2, 400.0, height / 16.0, 20.0};
}

std::string LimitAssText(std::string_view text, const AssTagLimits& limits, double fontSize) {
    return LimitText(text, limits, fontSize, nullptr);
}

void LimitAssTrack(ASS_Track& track) {
    const AssTagLimits limits = AssTagLimitsFor(PlayHeight(track));
    for (int i = 0; i < track.n_styles; ++i)
        LimitStyle(track.styles[i], limits);
    std::vector<int> order(static_cast<size_t>(track.n_events));
    std::vector<double> areas(static_cast<size_t>(track.n_events));
    for (int i = 0; i < track.n_events; ++i) {
        areas[static_cast<size_t>(i)] = LimitEventText(track, track.events[i], limits);
        order[static_cast<size_t>(i)] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return track.events[a].Start < track.events[b].Start; });
    // Sweep in order of start: the kept events still shown, soonest end first.
    auto later = [&](int a, int b) {
        const ASS_Event &x = track.events[a], &y = track.events[b];
        return x.Start + x.Duration > y.Start + y.Duration;
    };
    std::priority_queue<int, std::vector<int>, decltype(later)> shown(later);
    std::vector<bool> keep(static_cast<size_t>(track.n_events), false);
    size_t bytes = 0;
    double area = 0;
    for (int i : order) {
        const ASS_Event& event = track.events[i];
        while (!shown.empty() && EndsBy(track.events[shown.top()], event.Start)) {
            bytes -= TextBytes(track.events[shown.top()]);
            area -= areas[static_cast<size_t>(shown.top())];
            shown.pop();
        }
        const size_t size = TextBytes(event);
        area = shown.empty() ? 0 : area;  // no rounding left over
        if (!Fits(static_cast<int>(shown.size()), bytes + size,
                  area + areas[static_cast<size_t>(i)])) {
            continue;
        }
        keep[static_cast<size_t>(i)] = true;
        shown.push(i);
        bytes += size;
        area += areas[static_cast<size_t>(i)];
    }
    DropEvents(track, keep);
}

void AssEventAdmission::Rebuild(ASS_Track& track, int index) {
    std::vector<Span> shown, later;
    shownBytes_ = 0;
    shownArea_ = 0;
    const AssTagLimits limits = AssTagLimitsFor(PlayHeight(track));
    const long long t = track.events[index].Start;
    for (int i = 0; i < track.n_events; ++i) {
        ASS_Event& e = track.events[i];
        if (i == index || (e.Start <= t && EndsBy(e, t)))
            continue;
        // Held already: this only measures it.
        const Span span{e.Start, e.Start + e.Duration, TextBytes(e),
                        LimitEventText(track, e, limits)};
        if (e.Start > t) {
            later.push_back(span);
        } else {
            shown.push_back(span);
            shownBytes_ += span.bytes;
            shownArea_ += span.area;
        }
    }
    shown_ = decltype(shown_)(EndsLater{}, std::move(shown));
    later_ = decltype(later_)(StartsLater{}, std::move(later));
    at_ = t;
    valid_ = true;
}

void AssEventAdmission::MoveTo(long long t) {
    at_ = t;
    while (!later_.empty() && later_.top().start <= t) {
        shown_.push(later_.top());
        shownBytes_ += later_.top().bytes;
        shownArea_ += later_.top().area;
        later_.pop();
    }
    while (!shown_.empty() && shown_.top().end <= t) {
        shownBytes_ -= shown_.top().bytes;
        shownArea_ -= shown_.top().area;
        shown_.pop();
    }
    if (shown_.empty())
        shownArea_ = 0;  // no rounding left over
}

bool AssEventAdmission::Admit(ASS_Track& track, int index) {
    if (index < 0 || index >= track.n_events)
        return false;
    ASS_Event& event = track.events[index];
    const double area = LimitEventText(track, event, AssTagLimitsFor(PlayHeight(track)));
    if (!valid_ || event.Start < at_)
        Rebuild(track, index);
    MoveTo(event.Start);
    const Span span{event.Start, event.Start + event.Duration, TextBytes(event), area};
    if (Fits(static_cast<int>(shown_.size()), shownBytes_ + span.bytes, shownArea_ + area)) {
        shown_.push(span);
        shownBytes_ += span.bytes;
        shownArea_ += area;
        return true;
    }
    if (index == track.n_events - 1) {
        ass_free_event(&track, index);
        --track.n_events;
    } else {
        std::vector<bool> keep(static_cast<size_t>(track.n_events), true);
        keep[static_cast<size_t>(index)] = false;
        DropEvents(track, keep);
    }
    return false;
}

}  // namespace tavimo
