#include "subtitles/subtitle_shared.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <cmath>
#include <utility>

namespace tavimo {

void SubtitleFontSlot::Set(std::optional<QFont> font) {
    // Matching a font against the database and loading its metrics is the slow
    // part of a first draw; do it here, on the UI thread, before the mixer
    // sees the new font.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const QFont& probe = font ? *font : QFont();
        (void)QFontInfo(probe).family();
        QFontMetrics metrics(probe);
        (void)metrics.horizontalAdvance(QStringLiteral("Warm up the glyph cache 0123456789"));
    }
    std::optional<QFont> old;
    {
        std::lock_guard lock(mutex_);
        old = std::exchange(font_, std::move(font));
        generation_.fetch_add(1, std::memory_order_release);
    }
    // `old` is released here, outside the lock; the mixer holds its own copy.
}

void SubtitleTiming::Set(double ratio, std::vector<Part> parts) {
    if (!(ratio > 0) || parts.empty()) {
        Clear();
        return;
    }
    std::lock_guard lock(mutex_);
    ratio_ = ratio;
    parts_ = std::move(parts);
    active_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
}

void SubtitleTiming::Clear() {
    std::lock_guard lock(mutex_);
    ratio_ = 1;
    parts_.clear();
    active_.store(false, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
}

int64_t SubtitleTiming::ToScript(int64_t ms) const {
    if (!Active()) {
        return ms;
    }
    std::lock_guard lock(mutex_);
    // The last part whose own mapping lands inside it wins.
    for (size_t k = parts_.size(); k-- > 0;) {
        const int64_t s = std::llround(double(ms - parts_[k].offsetMs) / ratio_);
        if (s < parts_[k].fromMs && k > 0) {
            continue;
        }
        if (k + 1 < parts_.size() && s >= parts_[k + 1].fromMs) {
            return parts_[k + 1].fromMs - 1;  // in a stretch the next part skipped
        }
        return s;
    }
    return ms;
}

}  // namespace tavimo
