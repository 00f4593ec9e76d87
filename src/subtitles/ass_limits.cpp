// A script's styles, and the events it shows at once, held within the
// bounds (ass_text_limits.cpp holds each event's text and measures it).
#include "subtitles/ass_limits.h"

#include "subtitles/ass_limits_internal.h"

#include <ass/ass.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <vector>

namespace tavimo {
namespace {

using ass_internal::LimitText;
using ass_internal::TextExtent;

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
