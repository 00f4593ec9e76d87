// The media framework on GStreamer: makes the graphs and the filters that go
// into them. The graph, filters and pins live in the gst_*.cpp files beside.
#include "engine/media/gst_media.h"

#include <gst/audio/audio.h>
#include <unistd.h>

#include "engine/media/audio_output.h"
#include "engine/media/avcodec_decoders.h"
#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_night_mode.h"
#include "engine/media/swscale_convert.h"
#include "subtitles/subtitle_mixer_element.h"

namespace tavimo {
namespace {

using namespace gst_internal;

// Drops a buffer whose audio meta describes other sound than the pad's caps,
// or that has none under planar caps (streaming thread, under the pad's
// stream lock, as the caps event is). Right after an audio track switch,
// input-selector may still let a buffer of the old track through behind the
// new track's caps: the converter in passthrough would relabel its planar
// meta as the new layout, keeping the planes' offsets, and play it as noise;
// an interleaved one it would map as planes, which GStreamer refuses. `data`
// is the probe's GstAudioInfo of the caps, read once per caps event.
GstPadProbeReturn DropStaleSound(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* caps = static_cast<GstAudioInfo*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        GstCaps* now = nullptr;
        if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            gst_event_parse_caps(event, &now);
            if (!gst_audio_info_from_caps(caps, now))
                gst_audio_info_init(caps);
        }
        return GST_PAD_PROBE_OK;
    }
    const GstAudioMeta* meta = gst_buffer_get_audio_meta(GST_PAD_PROBE_INFO_BUFFER(info));
    if (!meta)
        return GST_AUDIO_INFO_LAYOUT(caps) == GST_AUDIO_LAYOUT_NON_INTERLEAVED ? GST_PAD_PROBE_DROP
                                                                               : GST_PAD_PROBE_OK;
    const bool same = GST_AUDIO_INFO_FORMAT(caps) != GST_AUDIO_FORMAT_UNKNOWN &&
                      GST_AUDIO_INFO_LAYOUT(caps) == GST_AUDIO_INFO_LAYOUT(&meta->info) &&
                      GST_AUDIO_INFO_FORMAT(caps) == GST_AUDIO_INFO_FORMAT(&meta->info) &&
                      GST_AUDIO_INFO_CHANNELS(caps) == GST_AUDIO_INFO_CHANNELS(&meta->info);
    return same ? GST_PAD_PROBE_OK : GST_PAD_PROBE_DROP;
}

// Streaming thread, as a gap event leaves the tempo filter. At another
// speed than 1, scaletempo moves a gap stamped before the segment's start
// to about 2^63 ns (its subtraction wraps), as a transport stream's audio
// brought after a speed change near its end: the audio sink then waited on
// the clock for that time, and GStreamer's wait on a time so far off never
// sleeps (its deadline overflows) but spins on the lock the next flushing
// seek or Stop needs to wake it; on a loaded machine the window hung.
GstPadProbeReturn DropAbsurdGap(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_GAP)
        return GST_PAD_PROBE_OK;
    GstClockTime at = GST_CLOCK_TIME_NONE;
    gst_event_parse_gap(event, &at, nullptr);
    constexpr GstClockTime kCenturies = GstClockTime(1) << 62;  // 146 years
    return GST_CLOCK_TIME_IS_VALID(at) && at >= kCenturies ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

class GstFramework : public MediaFramework {
  public:
    explicit GstFramework(const GstMediaOptions& options) : options_(options) {
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
        RegisterSubtitleMixer();
        RegisterAvcodecDecoders();
    }
    HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override {
        *out = std::make_shared<GstGraph>(options_);
        return S_OK;
    }
    HRESULT CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) override {
        std::string factory = VideoSinkFactory();
        if (factory.empty())
            return VFW_E_NO_INTERFACE;
        GstElement* sink = gst_element_factory_make(factory.c_str(), nullptr);
        if (!sink)
            return E_FAIL;
        GstElement* scale = nullptr;
        GstElement* size = nullptr;
        GstElement* bin;
        if (factory == "ximagesink") {
            // The decoded picture is converted to the X server's RGB and
            // scaled in one pass through libswscale; the mixer in front
            // draws in the decoder's format. videoscale where it is missing.
            scale = NewSwscaleConvert();
            if (!scale)
                scale = gst_element_factory_make("videoscale", nullptr);
            size = gst_element_factory_make("capsfilter", nullptr);
            bin = MakeBin(kVideoRendererName, {scale, size, sink});
        } else {
            bin = MakeBin(kVideoRendererName, {sink});
        }
        auto filter = std::make_shared<VideoRendererFilter>(bin, sink, scale, size);
        filter->SetAspectRatioMode(VMR9ARMode_LetterBox);
        *out = filter;
        return S_OK;
    }
    HRESULT CreateAsfReader(std::shared_ptr<IBaseFilter>* out) override {
        GstElementFactory* demuxer = gst_element_factory_find("asfdemux");
        if (!demuxer)
            return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        gst_object_unref(demuxer);
        auto filter = std::make_shared<SourceFilter>(true);
        if (!filter->element())
            return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        *out = filter;
        return S_OK;
    }
    // The first audio sink that opens, else a fakesink that keeps time (see
    // MakeAudioOutput); a sink named in the options is taken as it is. The
    // tempo filter, where there is one, plays other speeds at the same pitch;
    // night mode sits after it, converters either side (they pass the sound
    // through untouched while it is off). The pipeline plays by the sound
    // card's clock (SoundCardClock).
    HRESULT CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) override {
        GstElement* sink = options_.audioSink.empty()
                               ? MakeAudioOutput()
                               : gst_element_factory_make(options_.audioSink.c_str(), nullptr);
        GstClock* clock = SoundCardClock(sink);
        GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
        GstElement* resample = gst_element_factory_make("audioresample", nullptr);
        GstElement* volume = gst_element_factory_make("volume", "volume");
        GstElement* night = NewNightMode();
        GstElement* back = gst_element_factory_make("audioconvert", nullptr);
        if (!sink || !convert || !resample || !volume || !night || !back) {
            for (GstElement* e : {sink, convert, resample, volume, night, back})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            if (clock)
                gst_object_unref(clock);
            return VFW_E_NO_AUDIO_HARDWARE;
        }
        GstElement* tempo = options_.tempoFilter.empty()
                                ? nullptr
                                : gst_element_factory_make(options_.tempoFilter.c_str(), nullptr);
        GstElement* bin =
            tempo
                ? MakeBin(kAudioRendererName, {gst_element_factory_make("audioconvert", nullptr),
                                               tempo, convert, night, back, resample, volume, sink})
                : MakeBin(kAudioRendererName, {convert, night, back, resample, volume, sink});
        GstPad* in = gst_element_get_static_pad(bin, "sink");
        gst_pad_add_probe(
            in, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            DropStaleSound, gst_audio_info_new(), GDestroyNotify(gst_audio_info_free));
        gst_object_unref(in);
        if (tempo) {
            GstPad* tempoOut = gst_element_get_static_pad(tempo, "src");
            gst_pad_add_probe(tempoOut, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, DropAbsurdGap, nullptr,
                              nullptr);
            gst_object_unref(tempoOut);
        }
        *out = std::make_shared<AudioRendererFilter>(bin, volume, sink, tempo != nullptr, clock,
                                                     night);
        return S_OK;
    }
    HRESULT CreateSubtitleMixer(std::shared_ptr<CSubtitles> core,
                                std::shared_ptr<IBaseFilter>* out) override {
        GstElement* mixer = NewSubtitleMixer(std::move(core));
        if (!mixer)
            return E_FAIL;
        *out = std::make_shared<ElementFilter>(mixer, Role::Mixer);
        return S_OK;
    }
    // A graph dump for inspection tools when GST_DEBUG_DUMP_DOT_DIR is set.
    HRESULT AddGraphToRot(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie) override {
        *cookie = 0;
        GstElement* pipeline = GstPipelineOf(graph.get());
        if (!pipeline)
            return E_INVALIDARG;
        if (!g_getenv("GST_DEBUG_DUMP_DOT_DIR"))
            return S_OK;
        std::string name =
            RotItemName(uint32_t(reinterpret_cast<uintptr_t>(graph.get())), uint32_t(getpid()));
        gst_debug_bin_to_dot_file(GST_BIN(pipeline), GST_DEBUG_GRAPH_SHOW_ALL, name.c_str());
        *cookie = ++lastCookie_;
        return S_OK;
    }
    HRESULT RemoveGraphFromRot(uint32_t) override { return S_OK; }
    HRESULT CreateThumbnailSource(const std::string& fileName,
                                  std::shared_ptr<IThumbnailSource>* out) override {
        return NewThumbnailSource(fileName, out);
    }

  private:
    std::string VideoSinkFactory() {
        if (!options_.videoSink.empty())
            return options_.videoSink;
        if (!probed_) {
            probed_ = true;
            sink_ = ProbeVideoSink();
        }
        return sink_;
    }

    GstMediaOptions options_;
    bool probed_ = false;
    std::string sink_;
    uint32_t lastCookie_ = 0;
};

}  // namespace

std::unique_ptr<MediaFramework> NewGstMediaFramework(const GstMediaOptions& options) {
    return std::make_unique<GstFramework>(options);
}

}  // namespace tavimo
