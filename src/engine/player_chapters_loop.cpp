// The player record's chapter keys, Chapters menu and A-B loop.
//
// The loop is a segment seek: the graph plays from A to B and, instead of
// playing on, reports the end of the segment; the record then asks for the
// same segment again without flushing, so the picture and sound go from B
// back to A without a gap and never past B. A check of the position on the
// position timer would overshoot B by up to a tick and a seek's time.
#include "engine/player_host.h"
#include "engine/player_record.h"

namespace tavimo {
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;

}  // namespace

void PlayerRecord::RefreshChapters() {
    std::shared_ptr<IAMChapters> markers;
    long count = 0;
    if (!pGB || FAILED(pGB->QueryChapters(&markers)) || FAILED(markers->get_MarkerCount(&count)) ||
        count == static_cast<long>(Chapters.size()))
        return;
    Chapters = ReadChapters(pGB.get());
    host_.MarksChanged();
}

int PlayerRecord::CurrentChapter() {
    REFERENCE_TIME position = 0;
    if (!pMS || Chapters.empty() || FAILED(pMS->GetCurrentPosition(&position)))
        return -1;
    return ChapterAt(Chapters, position);
}

void PlayerRecord::NextChapter() {
    REFERENCE_TIME position = 0;
    if (!pMS || Chapters.empty() || FAILED(pMS->GetCurrentPosition(&position)))
        return;
    if (std::optional<int> next = NextChapterFrom(Chapters, position))
        GoToChapter(*next);
    else
        Note.Show(ChapterNoteText(Chapters, ChapterAt(Chapters, position)));
}

void PlayerRecord::PreviousChapter() {
    REFERENCE_TIME position = 0;
    if (!pMS || Chapters.empty() || FAILED(pMS->GetCurrentPosition(&position)))
        return;
    if (std::optional<int> previous = PreviousChapterFrom(Chapters, position))
        GoToChapter(*previous);
}

void PlayerRecord::GoToChapter(int index) {
    if (!pMS || index < 0 || index >= static_cast<int>(Chapters.size()))
        return;
    SeekExactly(Chapters[index].start);
    Note.Show(ChapterNoteText(Chapters, index));
}

void PlayerRecord::SeekExactly(int64_t position) {
    REFERENCE_TIME target = position;
    pMS->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    REFERENCE_TIME now = position;
    pMS->GetCurrentPosition(&now);
    host_.SetSeekPosition(static_cast<int32_t>(now >> 16), now / kUnitsPerSecond);
}

void PlayerRecord::StepLoop() {
    REFERENCE_TIME position = 0;
    if (!pMS || FAILED(pMS->GetCurrentPosition(&position)))
        return;
    if (Loop.Step(position)) {
        if (Loop.stage == AbLoop::Stage::Looping) {
            REFERENCE_TIME a = Loop.a, b = Loop.b;
            pMS->SetPositions(&a, AM_SEEKING_AbsolutePositioning | AM_SEEKING_Segment, &b,
                              AM_SEEKING_AbsolutePositioning);
        } else if (Loop.stage == AbLoop::Stage::Off) {
            // The segment playing ends at B all the same; OnEndOfSegment
            // plays on from there.
            REFERENCE_TIME end = -1;
            pMS->SetPositions(nullptr, AM_SEEKING_NoPositioning, &end,
                              AM_SEEKING_AbsolutePositioning);
        }
        host_.MarksChanged();
    }
    Note.Show(Loop.NoteText());
}

void PlayerRecord::OnEndOfSegment() {
    if (!pMS)
        return;
    constexpr uint32_t kOnward = AM_SEEKING_AbsolutePositioning | AM_SEEKING_NoFlush;
    if (Loop.stage == AbLoop::Stage::Looping) {
        REFERENCE_TIME a = Loop.a, b = Loop.b;
        pMS->SetPositions(&a, kOnward | AM_SEEKING_Segment, &b, AM_SEEKING_AbsolutePositioning);
        return;
    }
    REFERENCE_TIME position = 0, end = -1;
    pMS->GetCurrentPosition(&position);
    pMS->SetPositions(&position, kOnward, &end, AM_SEEKING_AbsolutePositioning);
}

}  // namespace tavimo
