// The seek bar preview's thumbnails: one worker thread decodes them from an
// IThumbnailSource, one per position bucket, and keeps those it made up to
// kKeptThumbnailBytes, the oldest going first. Only the latest request
// waits; a newer one replaces it unstarted.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/media/media.h"

namespace tavimo {

// The most the kept thumbnails of a clip hold: 200 of 320 x 180 fit many
// times over, while a clip of absurd pixel shape (1:273 makes one thumbnail
// 21 MB) keeps only a few.
constexpr size_t kKeptThumbnailBytes = size_t{48} << 20;

class ThumbnailWorker {
  public:
    // Called on the worker thread when bucket `bucket` of the current source
    // is decoded: its picture, or null when decoding failed.
    using Ready = std::function<void(int64_t bucket, std::shared_ptr<const VideoImage> image)>;

    // Thumbnails `width` pixels wide. UI thread.
    ThumbnailWorker(int width, Ready ready);
    // Waits for a decode under way to end. UI thread.
    ~ThumbnailWorker();
    ThumbnailWorker(const ThumbnailWorker&) = delete;
    ThumbnailWorker& operator=(const ThumbnailWorker&) = delete;

    // The clip to preview and its length (100-ns units); null: none. The
    // thumbnails of the one before are forgotten and its source is let go on
    // the worker. UI thread.
    void SetSource(std::shared_ptr<IThumbnailSource> source, int64_t duration);
    // The bucket `position` falls in: 1/200 of the length, at least 1 s.
    int64_t BucketOf(int64_t position) const;
    // The kept thumbnail of `bucket`; otherwise nothing, and the bucket is
    // asked for (replacing the request waiting). UI thread.
    std::shared_ptr<const VideoImage> Request(int64_t bucket);
    // False once the source failed or when there is none: time alone.
    bool Available() const;
    // Thumbnails decoded since the source was set.
    int Decodes() const;
    // The bytes of the thumbnails kept. Any thread.
    size_t KeptBytes() const;

  private:
    void Run();
    int64_t BucketLength() const;
    // Keeps `image` of `bucket`, letting the oldest go past the bound. Lock held.
    void KeepLocked(int64_t bucket, std::shared_ptr<const VideoImage> image);

    const int width_;
    const Ready ready_;
    mutable std::mutex mutex_;  // everything below
    std::condition_variable wake_;
    std::shared_ptr<IThumbnailSource> source_;
    std::shared_ptr<IThumbnailSource> retired_;  // to be let go on the worker
    int64_t duration_ = 0;
    uint64_t generation_ = 0;
    std::optional<int64_t> pending_;
    std::map<int64_t, std::shared_ptr<const VideoImage>> kept_;
    std::deque<int64_t> keptOrder_;  // the buckets of kept_, oldest first
    size_t keptBytes_ = 0;
    bool failed_ = false;
    int decodes_ = 0;
    bool stop_ = false;
    std::thread thread_;  // last: starts once the rest is built
};

}  // namespace tavimo
