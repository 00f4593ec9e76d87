#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
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

struct SubtitleTrack::Store {
    SubtitleEntries entries;
    // Snapshots of `entries` whose holders have not all let go (0 or 1): the
    // last holder's release happens before a writer that reads 0 here.
    std::atomic<int> held{0};
};

namespace {

bool CueOrder(const SubtitleEntry& a, const SubtitleEntry& b) {
    return std::tie(a.start, a.end, a.text) < std::tie(b.start, b.end, b.text);
}

// Moves `added` into the ordered `entries`, each after its equals already
// there. Entries that go at the end cost O(1) amortised; an earlier one costs
// the entries after it.
void MergeInto(SubtitleEntries& entries, SubtitleEntries& added) {
    std::stable_sort(added.begin(), added.end(), CueOrder);
    const auto middle = static_cast<std::ptrdiff_t>(entries.size());
    entries.insert(entries.end(), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
    const auto mid = entries.begin() + middle;
    const auto from = std::upper_bound(entries.begin(), mid, *mid, CueOrder);
    std::inplace_merge(from, mid, entries.end(), CueOrder);
}

}  // namespace

SubtitleTrack::SubtitleTrack() : store_(std::make_shared<Store>()) {}

void SubtitleTrack::Clear() {
    Publish({});
}

void SubtitleTrack::Fill(SubtitleEntries entries) {
    Publish(std::move(entries));
}

void SubtitleTrack::Add(SubtitleEntry entry) {
    std::lock_guard lock(mutex_);
    added_.push_back(std::move(entry));
}

SubtitleTrack::Snapshot SubtitleTrack::Current() const {
    std::lock_guard lock(mutex_);
    if (!added_.empty()) {
        // Our own hold goes first (its release only counts down); a copy
        // held elsewhere keeps its list as it is, and we work on a new one.
        published_.reset();
        if (store_->held.load(std::memory_order_acquire) != 0) {
            auto copy = std::make_shared<Store>();
            copy->entries.reserve(store_->entries.size() + added_.size());
            copy->entries = store_->entries;
            store_ = std::move(copy);
        }
        MergeInto(store_->entries, added_);
        added_.clear();
    }
    if (!published_) {
        store_->held.store(1, std::memory_order_relaxed);
        published_ = Snapshot(&store_->entries, [store = store_](const SubtitleEntries*) {
            store->held.store(0, std::memory_order_release);
        });
    }
    return published_;
}

void SubtitleTrack::Publish(SubtitleEntries entries) {
    auto next = std::make_shared<Store>();
    next->entries = std::move(entries);
    // The old list is released outside the lock: freeing a long track must not
    // hold up a streaming thread that only wants the pointer.
    std::shared_ptr<Store> oldStore;
    Snapshot oldPublished;
    SubtitleEntries dropped;
    {
        std::lock_guard lock(mutex_);
        oldStore = std::exchange(store_, std::move(next));
        oldPublished = std::exchange(published_, nullptr);
        dropped.swap(added_);
    }
}

}  // namespace tavimo
