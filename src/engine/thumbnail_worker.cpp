#include "engine/thumbnail_worker.h"

#include <algorithm>

namespace tavimo {
namespace {

constexpr int64_t kSecond = 10000000;
constexpr int64_t kBucketsPerClip = 200;

}  // namespace

ThumbnailWorker::ThumbnailWorker(int width, Ready ready)
    : width_(width), ready_(std::move(ready)), thread_([this] { Run(); }) {}

ThumbnailWorker::~ThumbnailWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ThumbnailWorker::SetSource(std::shared_ptr<IThumbnailSource> source, int64_t duration) {
    {
        std::lock_guard lock(mutex_);
        retired_ = std::move(source_);
        source_ = std::move(source);
        duration_ = duration;
        ++generation_;
        pending_.reset();
        kept_.clear();
        keptOrder_.clear();
        keptBytes_ = 0;
        failed_ = false;
        decodes_ = 0;
    }
    wake_.notify_one();
}

int64_t ThumbnailWorker::BucketLength() const {
    return std::max(kSecond, duration_ / kBucketsPerClip);
}

int64_t ThumbnailWorker::BucketOf(int64_t position) const {
    std::lock_guard lock(mutex_);
    return std::clamp<int64_t>(position, 0, std::max<int64_t>(duration_ - 1, 0)) / BucketLength();
}

std::shared_ptr<const VideoImage> ThumbnailWorker::Request(int64_t bucket) {
    std::lock_guard lock(mutex_);
    if (auto it = kept_.find(bucket); it != kept_.end())
        return it->second;
    if (source_ && !failed_) {
        pending_ = bucket;
        wake_.notify_one();
    }
    return nullptr;
}

bool ThumbnailWorker::Available() const {
    std::lock_guard lock(mutex_);
    return source_ && !failed_;
}

int ThumbnailWorker::Decodes() const {
    std::lock_guard lock(mutex_);
    return decodes_;
}

size_t ThumbnailWorker::KeptBytes() const {
    std::lock_guard lock(mutex_);
    return keptBytes_;
}

void ThumbnailWorker::KeepLocked(int64_t bucket, std::shared_ptr<const VideoImage> image) {
    const size_t bytes = image->rgbx.size();
    if (bytes > kKeptThumbnailBytes)
        return;
    while (keptBytes_ + bytes > kKeptThumbnailBytes && !keptOrder_.empty()) {
        auto oldest = kept_.find(keptOrder_.front());
        keptBytes_ -= oldest->second->rgbx.size();
        kept_.erase(oldest);
        keptOrder_.pop_front();
    }
    kept_[bucket] = std::move(image);
    keptOrder_.push_back(bucket);
    keptBytes_ += bytes;
}

// Worker thread: one bucket at a time, the middle of the bucket asked for.
void ThumbnailWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_ || retired_; });
        if (retired_) {
            auto old = std::move(retired_);
            lock.unlock();
            old.reset();  // a pipeline may take a while to stop
            lock.lock();
            continue;
        }
        if (stop_)
            return;
        const int64_t bucket = *pending_;
        pending_.reset();
        if (kept_.count(bucket))
            continue;
        const uint64_t generation = generation_;
        std::shared_ptr<IThumbnailSource> source = source_;
        const int64_t middle = bucket * BucketLength() + BucketLength() / 2;
        lock.unlock();
        auto image = std::make_shared<VideoImage>();
        const bool ok = SUCCEEDED(source->GetThumbnail(middle, width_, image.get()));
        source.reset();
        lock.lock();
        if (generation != generation_)
            continue;  // another clip meanwhile
        ++decodes_;
        if (ok)
            KeepLocked(bucket, image);
        else
            failed_ = true;
        lock.unlock();
        ready_(bucket, ok ? std::shared_ptr<const VideoImage>(image) : nullptr);
        lock.lock();
    }
}

}  // namespace tavimo
