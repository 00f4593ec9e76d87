// CSubtitles' frame path: the accepted format, the entry due at a frame's
// time, where its block stands, and whether the note is due. Drawing lives in
// subtitle_mixer_bitmap.cpp and subtitle_mixer_text.cpp, the per-format
// writing in subtitle_mixer_writers.cpp.
#include "subtitles/subtitle_mixer.h"

#include "subtitles/ass_render.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace tavimo {
namespace {

// The default font's size never goes below this many pixels.
constexpr int kSmallestDefaultPx = 8;

// Frame rate of a frame: from its duration and the rate applied to its
// times, else the format's, else 0 (unknown).
double FrameRate(const FrameTime& time) {
    const double rate = std::abs(time.rate);
    if (time.duration > 0 && rate > 0) {
        return 10'000'000.0 / static_cast<double>(time.duration) / rate;
    }
    return time.fallbackFps > 0 ? time.fallbackFps : 0.0;
}

}  // namespace

CSubtitles::CSubtitles(const SubtitleTrack& track, MixerShared& shared)
    : track_(track), shared_(shared) {}

CSubtitles::~CSubtitles() = default;

MixResult CSubtitles::CheckInputType(const VideoFormat& format) {
    if (format.width <= 0 || format.height <= 0) {
        return MixResult::TypeNotAccepted;
    }
    if (accepted_ && (accepted_->width != format.width || accepted_->height != format.height)) {
        // The drawing, its runs and the wrapped lines were all of the old
        // size (EnsureBitmap makes the drawing and its row marks afresh).
        bitmap_ = QImage();
        drawn_ = DrawKey{};
        spans_.clear();
        spanLuma_.clear();
        chromaSpans_.clear();
        wrapped_.valid = false;
    }
    accepted_ = format;
    return MixResult::Ok;
}

bool CSubtitles::Prepare(const FrameTime& time) {
    const bool ass = shared_.SubtitleSource.load(std::memory_order_relaxed) == 1;
    blendAss_ = ass && PrepareAss(time);
    blendEntry_ = !ass && PrepareEntry(time);
    blendNotice_ = PrepareNotice();
    return blendAss_ || blendEntry_ || blendNotice_;
}

// The ASS script at the frame's time less the subtitle delay (and through a
// synchronisation's retiming), drawn by libass at the frame's size.
bool CSubtitles::PrepareAss(const FrameTime& time) {
    if (!accepted_ || !time.valid || shared_.ViewSubtitles.load(std::memory_order_relaxed) == 0) {
        return false;
    }
    if (!ass_) {
        ass_ = std::make_unique<AssRender>();
    }
    const int64_t t = shared_.Timing.ToScript(
        time.start / 10'000 - shared_.SubtitleDelay.load(std::memory_order_relaxed));
    return ass_->Prepare(shared_.Ass, *accepted_, t, AssLinePosition());
}

// The subtitle offset as libass's line position: the bottom-placed events
// rise by the offset's distance above its default, as a share of the height.
// An offset beyond the picture is pulled back to its edge and written back.
double CSubtitles::AssLinePosition() {
    constexpr int kDefaultOffset = 5;
    const int H = accepted_->height;
    int offset = shared_.SubtitleOffset.load(std::memory_order_relaxed);
    const int clamped = std::clamp(offset, 0, H);
    if (clamped != offset) {
        // A value the UI wrote meanwhile wins; it is clamped at the next frame.
        shared_.SubtitleOffset.compare_exchange_strong(offset, clamped, std::memory_order_relaxed);
    }
    return std::max(0, clamped - kDefaultOffset) * 100.0 / H;
}

bool CSubtitles::PrepareEntry(const FrameTime& time) {
    if (!accepted_ || shared_.ViewSubtitles.load(std::memory_order_relaxed) == 0) {
        return false;
    }
    if (!EnsureBitmap()) {
        return false;
    }
    const SubtitleTrack::Snapshot entries = track_.Current();
    if (entries->empty() || !time.valid) {
        return false;
    }
    // Every entry shows `delay` ms later: look up the time that much earlier.
    // The cursor only moves forward, so a new delay or retiming looks from
    // the start.
    const int delay = shared_.SubtitleDelay.load(std::memory_order_relaxed);
    const uint64_t timing = shared_.Timing.Generation();
    if (delay != lookupDelay_ || timing != lookupTiming_) {
        lookupDelay_ = delay;
        lookupTiming_ = timing;
        cursor_ = 0;
    }
    const int64_t t = shared_.Timing.ToScript(time.start / 10'000 - delay);
    const int index = FindEntryAt(*entries, t, FrameRate(time), cursor_);
    if (index == kNoEntry) {
        return false;
    }
    const SubtitleEntry& entry = (*entries)[static_cast<size_t>(index)];
    RefreshFont();
    const bool styled = shared_.SubtitleStyles.load(std::memory_order_relaxed) != 0;
    const std::string& text = VisiblePart(entry.text);
    const int32_t textLines = &text == &entry.text
                                  ? entry.lines
                                  : 1 + static_cast<int32_t>(std::ranges::count(text, '\n'));
    // Lines broken to fit the picture raise the block's top, not its bottom.
    const int32_t lines =
        std::max<int32_t>(0, textLines) + Wrap(text, styled, entry.markup).addedLines;
    const int32_t top = styled && StylesOf(text).top ? TopPlacement(lines * lineHeight_)
                                                     : ClampedTop(lines * lineHeight_);
    if (!drawn_.valid || drawn_.top != top || drawn_.lines != lines || drawn_.fontKey != fontKey_ ||
        drawn_.styled != styled || drawn_.markup != entry.markup ||
        drawn_.subtype != accepted_->subtype || drawn_.pixelAspect != accepted_->pixelAspect ||
        drawn_.text != text) {
        Redraw(text, lines, top, styled, entry.markup);
    }
    return !spans_.empty();
}

bool CSubtitles::PrepareNotice() {
    if (!accepted_) {
        return false;
    }
    const uint64_t generation = shared_.Note.Generation();
    if (generation != noticeDrawn_.noteGeneration || !noticeDrawn_.valid) {
        shared_.Note.Copy(noticeText_);
    }
    if (noticeText_.empty()) {
        noticeDrawn_ = NoticeKey{generation, fontKey_, accepted_->pixelAspect, true};
        return false;
    }
    RefreshFont();
    if (!noticeDrawn_.valid || noticeDrawn_.noteGeneration != generation ||
        noticeDrawn_.fontKey != fontKey_ || noticeDrawn_.pixelAspect != accepted_->pixelAspect ||
        noticeBitmap_.width() != accepted_->width) {
        RedrawNotice(generation);
    }
    return !noticeSpans_.empty();
}

// The drawing font: the one the user chose, at its own size; without one,
// the default font at about a sixteenth of the picture's height, so that the
// text keeps its share of the picture at any resolution.
void CSubtitles::RefreshFont() {
    const uint64_t generation = shared_.SubtitleFont.Generation();
    const int32_t pictureHeight = accepted_->height;
    if (generation == fontGeneration_ && lineHeight_ > 0 &&
        (font_ || pictureHeight == defaultSizedFor_)) {
        return;
    }
    if (generation != fontGeneration_) {
        fontGeneration_ = shared_.SubtitleFont.Copy(font_);
    }
    drawFont_ = font_ ? *font_ : QFont();
    if (!font_) {
        drawFont_.setPixelSize(std::max(kSmallestDefaultPx, (pictureHeight + 8) / 16));
    }
    defaultSizedFor_ = font_ ? 0 : pictureHeight;
    lineHeight_ = QFontMetrics(drawFont_).height();
    ++fontKey_;
}

int32_t CSubtitles::ClampedTop(int32_t textHeight) {
    const int64_t H = bitmap_.height();
    int offset = shared_.SubtitleOffset.load(std::memory_order_relaxed);
    int64_t top = H - offset - textHeight;
    int64_t newOffset = offset;
    if (top < 0) {
        top = 0;
        newOffset = H - textHeight;
    }
    if (top > H - textHeight) {
        top = H - textHeight;
        newOffset = 0;
    }
    // A block taller than the picture still starts at its first row.
    top = std::max<int64_t>(top, 0);
    if (newOffset != offset) {
        // A value the UI wrote meanwhile wins; it is clamped at the next frame.
        shared_.SubtitleOffset.compare_exchange_strong(offset, static_cast<int>(newOffset),
                                                       std::memory_order_relaxed);
    }
    return static_cast<int32_t>(top);
}

int32_t CSubtitles::TopPlacement(int32_t textHeight) const {
    constexpr int32_t kTopMargin =
        5;  // as far from the top as text sits from the bottom by default
    return std::max(0, std::min(kTopMargin, bitmap_.height() - textHeight));
}

}  // namespace tavimo
