#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <tuple>
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

void SubtitleTrack::Add(SubtitleEntry entry) {
    std::lock_guard lock(mutex_);
    added_.push_back(std::move(entry));
}

SubtitleTrack::Snapshot SubtitleTrack::Current() const {
    Snapshot old;  // released outside the lock
    std::lock_guard lock(mutex_);
    if (added_.empty())
        return entries_;
    auto order = [](const SubtitleEntry& a, const SubtitleEntry& b) {
        return std::tie(a.start, a.end, a.text) < std::tie(b.start, b.end, b.text);
    };
    std::stable_sort(added_.begin(), added_.end(), order);
    auto merged = std::make_shared<SubtitleEntries>();
    merged->reserve(entries_->size() + added_.size());
    std::merge(entries_->begin(), entries_->end(), std::make_move_iterator(added_.begin()),
               std::make_move_iterator(added_.end()), std::back_inserter(*merged), order);
    added_.clear();
    old = std::exchange(entries_, std::move(merged));
    return entries_;
}

void SubtitleTrack::Publish(Snapshot next) {
    // The old list is released outside the lock: freeing a long track must not
    // hold up a streaming thread that only wants the pointer.
    SubtitleEntries dropped;
    {
        std::lock_guard lock(mutex_);
        entries_.swap(next);
        dropped.swap(added_);
    }
}

}  // namespace tavimo
