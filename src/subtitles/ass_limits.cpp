#include "subtitles/ass_limits.h"

#include "subtitles/text_encoding.h"

#include <ass/ass.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <vector>

namespace tavimo {
namespace {

// The tags whose number is held, longest name first where one starts another.
enum class Limit { FontSize, Scale, Border, Blur };
struct TagRow {
    const char* name;
    Limit limit;
};
constexpr TagRow kTags[] = {
    {"fscx", Limit::Scale},   {"fscy", Limit::Scale},   {"fs", Limit::FontSize},
    {"xbord", Limit::Border}, {"ybord", Limit::Border}, {"bord", Limit::Border},
    {"xshad", Limit::Border}, {"yshad", Limit::Border}, {"shad", Limit::Border},
    {"blur", Limit::Blur},    {"be", Limit::Blur},
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
    }
    return 0;
}

bool IsNumberStart(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
}

// Length of the number (sign, digits, one point, digits) at the start of `s`.
size_t NumberLength(std::string_view s) {
    size_t n = 0;
    if (n < s.size() && (s[n] == '-' || s[n] == '+'))
        ++n;
    bool point = false;
    while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || (s[n] == '.' && !point))) {
        point = point || s[n] == '.';
        ++n;
    }
    return n;
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

// Appends the tag at the start of `rest` (just after a backslash) with its
// number held within the limits; returns the bytes taken, 0 when no held
// tag starts there.
size_t AppendTag(std::string_view rest, const AssTagLimits& limits, std::string& out) {
    for (const TagRow& tag : kTags) {
        const size_t nameLength = std::strlen(tag.name);
        if (rest.substr(0, nameLength) != tag.name || rest.size() <= nameLength ||
            !IsNumberStart(rest[nameLength])) {
            continue;
        }
        const std::string_view number =
            rest.substr(nameLength, NumberLength(rest.substr(nameLength)));
        const double max = MaxOf(tag.limit, limits);
        const double value = std::strtod(std::string(number).c_str(), nullptr);
        out.append(tag.name);
        if (std::abs(value) > max) {
            out.append(std::to_string(static_cast<long long>(value < 0 ? -max : max)));
        } else {
            out.append(number);
        }
        return nameLength + number.size();
    }
    return 0;
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

void LimitEventText(ASS_Event& event, const AssTagLimits& limits) {
    if (event.Text == nullptr)
        return;
    const std::string_view text(event.Text);
    std::string limited = LimitAssText(text, limits);
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
    return AssTagLimits{height, 400.0, height / 8.0, 50.0};
}

std::string LimitAssText(std::string_view text, const AssTagLimits& limits) {
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
            i += AppendTag(text.substr(i), limits, out);
    }
    return out;
}

void LimitAssTrack(ASS_Track& track) {
    const AssTagLimits limits = AssTagLimitsFor(PlayHeight(track));
    for (int i = 0; i < track.n_styles; ++i)
        LimitStyle(track.styles[i], limits);
    std::vector<int> order(static_cast<size_t>(track.n_events));
    for (int i = 0; i < track.n_events; ++i) {
        LimitEventText(track.events[i], limits);
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

bool LimitNewAssEvent(ASS_Track& track, int index) {
    if (index < 0 || index >= track.n_events)
        return false;
    ASS_Event& event = track.events[index];
    LimitEventText(event, AssTagLimitsFor(PlayHeight(track)));
    int count = 0;
    size_t bytes = TextBytes(event);
    for (int i = 0; i < track.n_events; ++i) {
        const ASS_Event& other = track.events[i];
        if (i != index && other.Start <= event.Start && !EndsBy(other, event.Start)) {
            ++count;
            bytes += TextBytes(other);
        }
    }
    if (count < kMaxAssEventsAtOnce && bytes <= kMaxAssTextAtOnce)
        return true;
    std::vector<bool> keep(static_cast<size_t>(track.n_events), true);
    keep[static_cast<size_t>(index)] = false;
    DropEvents(track, keep);
    return false;
}

}  // namespace tavimo
