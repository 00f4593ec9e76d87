#include "subtitles/subtitle_track.h"

#include <cmath>
#include <utility>

namespace tavimo {
namespace {

int64_t FrameToMs(int32_t frame, double fps) {
    // Frame numbers count as unsigned: a negative number read from a file is a
    // frame number of 2^31 or more. Truncated toward zero.
    double ms = static_cast<double>(static_cast<uint32_t>(frame)) / fps * 1000.0;
    if (!(ms < 9.2e18 && ms > -9.2e18)) {  // out of range, infinite (fps 0) or NaN
        return ms < 0 ? INT64_MIN : INT64_MAX;
    }
    return static_cast<int64_t>(ms);
}

// Start and end of `entry` in ms at frame rate `fps`.
int64_t EntryStartMs(const SubtitleEntry& entry, double fps) {
    return entry.FrameBased() ? FrameToMs(entry.startFrame, fps) : entry.start;
}

int64_t EntryEndMs(const SubtitleEntry& entry, double fps) {
    return entry.FrameBased() ? FrameToMs(entry.endFrame, fps) : entry.end;
}

}  // namespace

int FindEntryAt(const SubtitleEntries& entries, int64_t t, double fps, int32_t& cursor) {
    const auto n = static_cast<int32_t>(entries.size());
    if (n == 0) {
        return kNoEntry;
    }
    if (cursor >= n || cursor < 0) {
        cursor = 0;
    }
    for (int32_t i = cursor; i < n; ++i) {
        const SubtitleEntry& e = entries[static_cast<size_t>(i)];
        if (EntryStartMs(e, fps) <= t && t < EntryEndMs(e, fps)) {
            cursor = i;
            return i;
        }
    }
    cursor = n;
    return kNoEntry;
}

SubtitleTrack::SubtitleTrack() : entries_(std::make_shared<const SubtitleEntries>()) {}

void SubtitleTrack::Clear() {
    Publish(std::make_shared<const SubtitleEntries>());
}

void SubtitleTrack::Fill(SubtitleEntries entries) {
    Publish(std::make_shared<const SubtitleEntries>(std::move(entries)));
}

SubtitleTrack::Snapshot SubtitleTrack::Current() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void SubtitleTrack::Publish(Snapshot next) {
    // The old list is released outside the lock: freeing a long track must not
    // hold up a streaming thread that only wants the pointer.
    {
        std::lock_guard lock(mutex_);
        entries_.swap(next);
    }
}

}  // namespace tavimo
