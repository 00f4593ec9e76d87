// The speech source of the subtitle synchroniser: two listeners (one per
// core), each a pipeline of its own, share out the windows to hear.
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_speech_listener.h"
#include "engine/speech_source.h"

namespace tavimo {
namespace {

constexpr size_t kListeners = 2;

class GstSpeechSource : public ISpeechSource {
  public:
    GstSpeechSource(std::string path, int audioTrack)
        : path_(std::move(path)), track_(audioTrack) {}

    bool Open(const std::atomic<bool>& cancel, std::string* error) override {
        std::string uri;
        bool network = false;
        if (FAILED(gst_internal::ResolveUri(path_, &uri, &network))) {
            *error = "the clip cannot be read";
            return false;
        }
        if (network) {
            *error = "a network stream cannot be listened to a second time";
            return false;
        }
        uri_ = uri;
        auto first = std::make_unique<gst_internal::SpeechListener>(uri_, track_);
        if (!first->Open(cancel, error))
            return false;
        durationMs_ = first->DurationMs();
        listeners_.push_back(std::move(first));
        return true;
    }

    int64_t DurationMs() const override { return durationMs_; }

    bool Read(const std::vector<SpeechWindow>& windows, sync::Activity& speech,
              const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
              std::string* error) override {
        const size_t used = std::min(kListeners, std::max<size_t>(windows.size(), 1));
        // Every listener marks its own windows straight into `speech`: one
        // array for the clip rather than one per listener merged after. The
        // windows do not overlap, so no two threads write the same step.
        const auto steps = static_cast<size_t>(durationMs_ / sync::kStepMs + 1);
        speech.resize(std::max(speech.size(), steps), 0);
        std::vector<std::string> errors(used);
        listeners_.resize(std::max(listeners_.size(), used));  // each thread fills its own slot
        std::atomic<size_t> next{0}, done{0};
        auto work = [&](size_t k) {
            if (!Ready(k, cancel, &errors[k]))
                return;
            for (size_t w = next++; w < windows.size(); w = next++) {
                if (!listeners_[k]->Listen(windows[w].startMs, windows[w].endMs, speech, cancel,
                                           &errors[k]))
                    return;
                if (progress)
                    progress(static_cast<double>(++done) / static_cast<double>(windows.size()));
            }
        };
        std::vector<std::thread> threads;
        for (size_t k = 1; k < used; ++k)
            threads.emplace_back(work, k);
        work(0);
        for (std::thread& t : threads)
            t.join();
        for (const std::string& e : errors) {
            if (!e.empty()) {
                *error = e;
                return false;
            }
        }
        return true;
    }

    // The memory the decoders held goes back to the system at once (glibc
    // keeps freed memory in its arenas otherwise), so that the match that
    // follows does not add to it.
    void Release() override {
        listeners_.clear();
        malloc_trim(0);
    }

  private:
    // Listener k opened (the first one may be open from Open). Its own
    // thread; touches slot k only.
    bool Ready(size_t k, const std::atomic<bool>& cancel, std::string* error) {
        if (listeners_[k])
            return true;
        auto listener = std::make_unique<gst_internal::SpeechListener>(uri_, track_);
        if (!listener->Open(cancel, error))
            return false;
        listeners_[k] = std::move(listener);
        return true;
    }

    std::string path_;
    int track_;
    std::string uri_;
    int64_t durationMs_ = 0;
    std::vector<std::unique_ptr<gst_internal::SpeechListener>> listeners_;
};

}  // namespace

std::unique_ptr<ISpeechSource> NewSpeechSource(const std::string& path, int audioTrack) {
    return std::make_unique<GstSpeechSource>(path, audioTrack);
}

}  // namespace tavimo
