// The clip's chapters and the A-B loop: where the chapter keys go, the texts
// of the Chapters menu and of the notes, and the loop's stages. Any thread
// unless said otherwise; positions in 100-ns units.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavimo {

class IGraphBuilder;

struct Chapter {
    int64_t start = 0;  // 100 ns
    std::string title;  // as tagged; empty when untitled
    bool operator==(const Chapter&) const = default;
};

// The graph's chapters in the order of their start; empty when it has none
// or cannot tell. UI thread.
std::vector<Chapter> ReadChapters(IGraphBuilder* graph);

// "h:mm:ss" of the whole seconds of `position`, hours unbounded; a negative
// position reads 0:00:00.
std::string ClockText(int64_t position);

// The chapter playing at `position`: the last that starts at or before it;
// -1 before the first or without chapters.
int ChapterAt(std::span<const Chapter> chapters, int64_t position);

// Previous chapter goes back to the start of the chapter playing when it has
// played for more than this (2 s), as players do for tracks.
inline constexpr int64_t kChapterRestartAfter = 20'000'000;

// Where the next-chapter key goes from `position`: the chapter after the one
// playing; nothing after the last.
std::optional<int> NextChapterFrom(std::span<const Chapter> chapters, int64_t position);
// Where the previous-chapter key goes: the start of the chapter playing when
// more than kChapterRestartAfter into it (or when it is the first), otherwise
// the chapter before; nothing before the first chapter.
std::optional<int> PreviousChapterFrom(std::span<const Chapter> chapters, int64_t position);

// "Chapter 3/12: Title", or "Chapter 3/12" untitled, for chapter `index`.
std::string ChapterNoteText(std::span<const Chapter> chapters, int index);
// The Chapters menu's item: "Title\t0:01:10", or "Chapter 3\t0:01:10" untitled.
std::string ChapterMenuText(std::span<const Chapter> chapters, int index);

// The A-B loop: L sets A at the position, a second L sets B and loops A to
// B, a third clears it.
struct AbLoop {
    enum class Stage { Off, PointA, Looping };
    Stage stage = Stage::Off;
    int64_t a = 0, b = 0;  // 100 ns; b only while Looping, and then a < b

    // L pressed at `position`: the next stage. B before A swaps them; B at A
    // keeps waiting for B. Returns whether the stage changed.
    bool Step(int64_t position);
    // "Loop: 0:01:10 –" (A set), "Loop: 0:01:10 – 0:01:25" or "Loop off".
    std::string NoteText() const;
};

}  // namespace tavimo
