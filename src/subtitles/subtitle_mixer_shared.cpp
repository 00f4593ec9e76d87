#include "subtitles/subtitle_shared.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

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

}  // namespace tavimo
