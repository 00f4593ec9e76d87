// The sound's delay against the picture, the sound output it belongs to,
// and night mode.
#include <algorithm>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_night_mode.h"

namespace tavimo::gst_internal {

// A later sound holds the audio sink back (its ts-offset); an earlier one
// holds the video sink back instead, so that neither sink is ever asked to
// play what has not reached it yet. The position query answers from the
// sink that is not held back, so the seek bar and the subtitles keep to
// the picture either way.
HRESULT GstGraph::put_AudioDelay(long ms) {
    if (ms < -kMaximumAudioDelayMs || ms > kMaximumAudioDelayMs)
        return E_INVALIDARG;
    const bool picture = VideoSink() != nullptr;
    gint64 now = 0;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &now) || now < 0)
        now = 0;
    {
        std::lock_guard lock(holdMutex_);
        hold_.from = hold_.At(now, rate_);
        // Without a picture (a clip of sound only) nothing is held back.
        hold_.to = ms < 0 && picture ? -gint64(ms) * GST_MSECOND : 0;
        hold_.changedAt = now;
    }
    audioDelayMs_ = ms;
    std::lock_guard lock(mutex_);
    ApplyAudioDelayLocked();
    return S_OK;
}

void GstGraph::ApplyAudioDelayLocked() {
    const gint64 ns = gint64(audioDelayMs_) * GST_MSECOND;
    if (auto audio =
            std::static_pointer_cast<AudioRendererFilter>(FindAttached(Role::AudioRenderer)))
        g_object_set(audio->sink(), "ts-offset", ns > 0 ? ns : gint64(0), nullptr);
    if (auto video =
            std::static_pointer_cast<VideoRendererFilter>(FindAttached(Role::VideoRenderer)))
        g_object_set(video->sink(), "ts-offset", ns < 0 ? -ns : gint64(0), nullptr);
}

// A longer hold makes the picture stand while the sinks go on, a shorter
// one makes it skip ahead at once (its frames come late and are dropped).
gint64 GstGraph::PictureHold::At(gint64 ns, double rate) const {
    if (to <= from)
        return to;
    const auto taken = gint64(double(std::max<gint64>(ns - changedAt, 0)) / rate);
    return std::min(from + taken, to);
}

// The pipeline answers with the furthest sink's position: the sound's,
// when the picture is held back. The picture stands no further back than
// where the last seek landed: its first frame waits there for the hold.
gint64 GstGraph::PictureTime(gint64 ns) const {
    std::lock_guard lock(holdMutex_);
    const auto hold = gint64(double(hold_.At(ns, rate_)) * rate_);
    return hold == 0 ? ns : std::max(ns - hold, std::min(ns, hold_.landed));
}

HRESULT GstGraph::put_NightMode(bool on) {
    std::shared_ptr<AudioRendererFilter> audio = AudioRenderer();
    if (!audio)
        return S_FALSE;
    SetNightMode(audio->night(), on);
    return S_OK;
}

// pulsesink's current-device follows its stream when the sound server moves
// it to another sink (a headset connected, a choice in the mixer).
HRESULT GstGraph::get_AudioOutput(std::string* name) {
    name->clear();
    std::shared_ptr<AudioRendererFilter> audio = AudioRenderer();
    if (!audio)
        return S_FALSE;
    GstElement* sink = audio->sink();
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "current-device")) {
        gchar* device = nullptr;
        g_object_get(sink, "current-device", &device, nullptr);
        if (device)
            *name = device;
        g_free(device);
        return name->empty() ? S_FALSE : S_OK;
    }
    GstElementFactory* factory = gst_element_get_factory(sink);
    if (factory)
        *name = GST_OBJECT_NAME(factory);
    return S_OK;
}

}  // namespace tavimo::gst_internal
