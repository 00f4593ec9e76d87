// The speech source of the subtitle synchroniser: one listener, a pipeline
// whose decoding and whose voice detector run on two threads (two cores),
// hears the windows one after the other. One demuxer rather than one per
// core: an MP4 demuxer holds its whole sample table, 16 MB for a two-hour
// film with 48 kHz sound and 24 fps pictures.
#include <malloc.h>

#include <algorithm>
#include <memory>

#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_speech_listener.h"
#include "engine/speech_source.h"

namespace tavimo {
namespace {

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
        if (!Ready(cancel, error))
            return false;
        durationMs_ = listener_->DurationMs();
        return true;
    }

    int64_t DurationMs() const override { return durationMs_; }

    bool Read(const std::vector<SpeechWindow>& windows, sync::Activity& speech,
              const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
              std::string* error) override {
        if (!Ready(cancel, error))
            return false;
        const auto steps = static_cast<size_t>(durationMs_ / sync::kStepMs + 1);
        speech.resize(std::max(speech.size(), steps), 0);
        for (size_t w = 0; w < windows.size(); ++w) {
            if (!listener_->Listen(windows[w].startMs, windows[w].endMs, speech, cancel, error)) {
                // Stopped mid-window, its detector's thread may still mark
                // `speech`: the listener goes, its threads joined, before the
                // caller can free `speech`.
                listener_.reset();
                return false;
            }
            if (progress)
                progress(static_cast<double>(w + 1) / static_cast<double>(windows.size()));
        }
        return true;
    }

    // The memory the decoder held goes back to the system at once (glibc
    // keeps freed memory in its arenas otherwise), so that the match that
    // follows does not add to it.
    void Release() override {
        listener_.reset();
        malloc_trim(0);
    }

  private:
    // The listener opened (it may be open from Open, or released since).
    bool Ready(const std::atomic<bool>& cancel, std::string* error) {
        if (listener_)
            return true;
        auto listener = std::make_unique<gst_internal::SpeechListener>(uri_, track_);
        if (!listener->Open(cancel, error))
            return false;
        listener_ = std::move(listener);
        return true;
    }

    std::string path_;
    int track_;
    std::string uri_;
    int64_t durationMs_ = 0;
    std::unique_ptr<gst_internal::SpeechListener> listener_;
};

}  // namespace

std::unique_ptr<ISpeechSource> NewSpeechSource(const std::string& path, int audioTrack) {
    return std::make_unique<GstSpeechSource>(path, audioTrack);
}

}  // namespace tavimo
