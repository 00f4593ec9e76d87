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

// The container's duration is a hint: a damaged or forged file may say
// 9e12 ms for 40 s of sound. Sound heard just before the end it gives
// confirms it; otherwise the end is searched for by halving, to a second.
// Nothing past a day is listened to, so that the steps and the windows
// stay bounded whatever the file says.
constexpr int64_t kLongestMs = 24 * 3'600'000LL;
constexpr int64_t kProbeLeadMs = 2'000;  // the probe starts this far before the end
constexpr int64_t kProbeMs = 1'000;

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
        return MeasureLength(cancel, error);
    }

    int64_t DurationMs() const override { return durationMs_; }

    bool Read(const std::vector<SpeechWindow>& windows, sync::Activity& speech,
              const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
              std::string* error) override {
        if (!Ready(cancel, error))
            return false;
        // Sized by the length measured, which is bounded.
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

    // The listener opened next is the strict one.
    bool Stricter() override {
        Release();
        strict_ = true;
        return true;
    }

  private:
    // Sets durationMs_ to the length the sound has, at most kLongestMs; the
    // container's duration only tells where to look. About 17 short decodes
    // at worst.
    bool MeasureLength(const std::atomic<bool>& cancel, std::string* error) {
        const int64_t hint = std::min(listener_->DurationMs(), kLongestMs);
        durationMs_ = 0;
        if (hint <= 0)
            return true;
        int64_t heardTo = 0, silentFrom = std::max<int64_t>(hint - kProbeLeadMs, 0);
        bool heard = false;
        if (!listener_->SoundIn(silentFrom, silentFrom + kProbeMs, cancel, &heard, error))
            return false;
        if (heard) {
            durationMs_ = hint;
            return true;
        }
        while (silentFrom - heardTo > kProbeMs) {
            const int64_t middle = heardTo + (silentFrom - heardTo) / 2;
            if (!listener_->SoundIn(middle, middle + kProbeMs, cancel, &heard, error))
                return false;
            (heard ? heardTo : silentFrom) = middle;
        }
        durationMs_ = silentFrom;
        return true;
    }

    // The listener opened (it may be open from Open, or released since).
    bool Ready(const std::atomic<bool>& cancel, std::string* error) {
        if (listener_)
            return true;
        auto listener = std::make_unique<gst_internal::SpeechListener>(uri_, track_, strict_);
        if (!listener->Open(cancel, error))
            return false;
        listener_ = std::move(listener);
        return true;
    }

    std::string path_;
    int track_;
    std::string uri_;
    int64_t durationMs_ = 0;
    bool strict_ = false;
    std::unique_ptr<gst_internal::SpeechListener> listener_;
};

}  // namespace

std::unique_ptr<ISpeechSource> NewSpeechSource(const std::string& path, int audioTrack) {
    return std::make_unique<GstSpeechSource>(path, audioTrack);
}

}  // namespace tavimo
