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
enum class Limit { None, FontSize, Scale, Border, Blur };
struct TagRow {
    std::string_view name;
    Limit limit;
};
constexpr TagRow kTags[] = {
    {"xbord", Limit::Border}, {"ybord", Limit::Border}, {"xshad", Limit::Border},
    {"yshad", Limit::Border}, {"blur", Limit::Blur},    {"fscx", Limit::Scale},
    {"fscy", Limit::Scale},   {"fsc", Limit::None},     {"fsp", Limit::None},
    {"fs", Limit::FontSize},  {"bord", Limit::Border},  {"be", Limit::Blur},
    {"shad", Limit::Border},
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

// Appends the tag at the start of `rest` (just after a backslash) with its
// argument, read as libass reads it (after spaces; in parentheses first,
// else up to the next parenthesis, backslash or end of block), held within
// the limits and written plainly; what libass would skip after a list is
// dropped, so nothing written after it joins the number. Returns the bytes
// taken, 0 when no held tag starts there.
size_t AppendTag(std::string_view rest, const AssTagLimits& limits, double& fontSize,
                 std::string& out) {
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
    out.append(tag->name);
    const std::optional<double> value = ReadNumber(arg);
    if (!value)
        return taken;
    const double max = MaxOf(tag->limit, limits);
    if (tag->limit == Limit::FontSize) {
        // libass takes a size whose argument starts with a sign as relative,
        // multiplying by 1 + n / 10: steps of it would reach any size, so the
        // size they make is written instead.
        const bool relative = !arg.empty() && (arg[0] == '+' || arg[0] == '-');
        const double size = relative ? fontSize * (1 + *value / 10) : *value;
        fontSize = size > 0 ? std::min(size, max) : fontSize;
        out.append(Plain(std::max(size, 0.0), max, 0));
    } else {
        out.append(Plain(*value, max, *value < 0 ? '-' : 0));
    }
    return taken;
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

void LimitEventText(const ASS_Track& track, ASS_Event& event, const AssTagLimits& limits) {
    if (event.Text == nullptr)
        return;
    const std::string_view text(event.Text);
    const bool styled = event.Style >= 0 && event.Style < track.n_styles;
    std::string limited =
        LimitAssText(text, limits, styled ? track.styles[event.Style].FontSize : limits.fontSize);
    if (limited != text)
        ReplaceText(event.Text, limited);
}

size_t TextBytes(const ASS_Event& event) {
    return event.Text != nullptr ? std::strlen(event.Text) : 0;
}

bool EndsBy(const ASS_Event& event, long long t) {
    return event.Start + event.Duration <= t;
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
    fontSize = std::clamp(fontSize, 1.0, limits.fontSize);
    text = CutText(text, kMaxAssEventText);
    std::string out;
    out.reserve(text.size());
    bool inBlock = false;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        inBlock = c == '{' ? true : c == '}' ? false : inBlock;
        out.push_back(c);
        ++i;
        if (inBlock && c == '\\')
            i += AppendTag(text.substr(i), limits, fontSize, out);
    }
    return out;
}

void LimitAssTrack(ASS_Track& track) {
    const AssTagLimits limits = AssTagLimitsFor(PlayHeight(track));
    for (int i = 0; i < track.n_styles; ++i)
        LimitStyle(track.styles[i], limits);
    std::vector<int> order(static_cast<size_t>(track.n_events));
    for (int i = 0; i < track.n_events; ++i) {
        LimitEventText(track, track.events[i], limits);
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
    for (int i : order) {
        const ASS_Event& event = track.events[i];
        while (!shown.empty() && EndsBy(track.events[shown.top()], event.Start)) {
            bytes -= TextBytes(track.events[shown.top()]);
            shown.pop();
        }
        const size_t size = TextBytes(event);
        if (static_cast<int>(shown.size()) >= kMaxAssEventsAtOnce ||
            bytes + size > kMaxAssTextAtOnce) {
            continue;
        }
        keep[static_cast<size_t>(i)] = true;
        shown.push(i);
        bytes += size;
    }
    DropEvents(track, keep);
}

void AssEventAdmission::Rebuild(const ASS_Track& track, int index) {
    std::vector<Span> shown, later;
    shownBytes_ = 0;
    const long long t = track.events[index].Start;
    for (int i = 0; i < track.n_events; ++i) {
        const ASS_Event& e = track.events[i];
        const Span span{e.Start, e.Start + e.Duration, TextBytes(e)};
        if (i == index)
            continue;
        if (e.Start > t) {
            later.push_back(span);
        } else if (!EndsBy(e, t)) {
            shown.push_back(span);
            shownBytes_ += span.bytes;
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
        later_.pop();
    }
    while (!shown_.empty() && shown_.top().end <= t) {
        shownBytes_ -= shown_.top().bytes;
        shown_.pop();
    }
}

bool AssEventAdmission::Admit(ASS_Track& track, int index) {
    if (index < 0 || index >= track.n_events)
        return false;
    ASS_Event& event = track.events[index];
    LimitEventText(track, event, AssTagLimitsFor(PlayHeight(track)));
    if (!valid_ || event.Start < at_)
        Rebuild(track, index);
    MoveTo(event.Start);
    const Span span{event.Start, event.Start + event.Duration, TextBytes(event)};
    if (static_cast<int>(shown_.size()) < kMaxAssEventsAtOnce &&
        shownBytes_ + span.bytes <= kMaxAssTextAtOnce) {
        shown_.push(span);
        shownBytes_ += span.bytes;
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
