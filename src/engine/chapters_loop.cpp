#include "engine/chapters_loop.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/media/media.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;

}  // namespace

std::vector<Chapter> ReadChapters(IGraphBuilder* graph) {
    std::vector<Chapter> out;
    std::shared_ptr<IAMChapters> markers;
    long count = 0;
    if (!graph || FAILED(graph->QueryChapters(&markers)) ||
        FAILED(markers->get_MarkerCount(&count)))
        return out;
    for (long marker = 1; marker <= count; ++marker) {
        Chapter chapter;
        if (FAILED(markers->GetMarkerTime(marker, &chapter.start)))
            continue;
        markers->GetMarkerName(marker, &chapter.title);
        out.push_back(std::move(chapter));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Chapter& x, const Chapter& y) { return x.start < y.start; });
    return out;
}

std::string ClockText(int64_t position) {
    const long long seconds = std::max<int64_t>(position, 0) / kUnitsPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%.2lld:%.2lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

int ChapterAt(std::span<const Chapter> chapters, int64_t position) {
    const auto after =
        std::upper_bound(chapters.begin(), chapters.end(), position,
                         [](int64_t at, const Chapter& chapter) { return at < chapter.start; });
    return static_cast<int>(after - chapters.begin()) - 1;
}

std::optional<int> NextChapterFrom(std::span<const Chapter> chapters, int64_t position) {
    const int next = ChapterAt(chapters, position) + 1;
    if (next >= static_cast<int>(chapters.size()))
        return std::nullopt;
    return next;
}

std::optional<int> PreviousChapterFrom(std::span<const Chapter> chapters, int64_t position) {
    const int current = ChapterAt(chapters, position);
    if (current < 0)
        return std::nullopt;
    if (current == 0 || position - chapters[current].start > kChapterRestartAfter)
        return current;
    return current - 1;
}

std::string ChapterNoteText(std::span<const Chapter> chapters, int index) {
    const std::string number = std::to_string(index + 1);
    const std::string count = std::to_string(chapters.size());
    const std::string& title = chapters[index].title;
    return title.empty() ? TrArg(TrText("Notes", "Chapter %1/%2"), {number, count})
                         : TrArg(TrText("Notes", "Chapter %1/%2: %3"), {number, count, title});
}

std::string ChapterMenuText(std::span<const Chapter> chapters, int index) {
    const Chapter& chapter = chapters[index];
    const std::string name = chapter.title.empty()
                                 ? TrArg(TrText("Menu", "Chapter %1"), {std::to_string(index + 1)})
                                 : MenuLiteral(chapter.title);
    return name + "\t" + ClockText(chapter.start);
}

bool AbLoop::Step(int64_t position) {
    switch (stage) {
        case Stage::Off:
            *this = {Stage::PointA, position, 0};
            return true;
        case Stage::PointA:
            if (position == a)
                return false;
            b = std::max(a, position);
            a = std::min(a, position);
            stage = Stage::Looping;
            return true;
        case Stage::Looping:
            *this = {};
            return true;
    }
    return false;
}

std::string AbLoop::NoteText() const {
    switch (stage) {
        case Stage::PointA:
            return TrArg(TrText("Notes", "Loop: %1 \u2013"), {ClockText(a)});
        case Stage::Looping:
            return TrArg(TrText("Notes", "Loop: %1 \u2013 %2"), {ClockText(a), ClockText(b)});
        case Stage::Off:
            break;
    }
    return TrText("Notes", "Loop off");
}

}  // namespace tavimo
