#include "engine/media/gst_night_mode.h"

#include <gst/audio/gstaudiofilter.h>

#include <atomic>
#include <vector>

#include "engine/media/night_dsp.h"

namespace tavimo {
namespace {

constexpr const char kFactoryName[] = "tavimonightmode";

// Any raw sound passes while off, so that the converter in front of the
// element has nothing to change; on, the sound is asked for in kOnFormat.
constexpr const char kCaps[] = "audio/x-raw, format=(string)" GST_AUDIO_FORMATS_ALL
                               ", rate=(int)[1, MAX], channels=(int)[1, MAX], "
                               "layout=(string){ interleaved, non-interleaved }";
constexpr const char kOnFormat[] = GST_AUDIO_NE(F32);

struct TavimoNightMode {
    GstAudioFilter parent;
    std::atomic<bool> on;
    std::atomic<unsigned> switches;  // how often `on` changed
    // The streaming thread's: the sound runs through dsp (on, and float)
    // since the switch `seen`.
    bool running;
    unsigned seen;
    NightDsp* dsp;      // owned
    guint64 trim;       // frames still to cut from the front (the delay line's silence)
    GstClockTime next;  // where the next buffer out starts, for the held sound at the end
    std::atomic<guint64> latency;  // ns the element holds the sound back
};

struct TavimoNightModeClass {
    GstAudioFilterClass parent_class;
};

GType tavimo_night_mode_get_type();
G_DEFINE_TYPE(TavimoNightMode, tavimo_night_mode, GST_TYPE_AUDIO_FILTER)

TavimoNightMode* Self(gpointer element) {
    return reinterpret_cast<TavimoNightMode*>(element);
}

void tavimo_night_mode_init(TavimoNightMode* self) {
    new (&self->on) std::atomic<bool>(false);
    new (&self->latency) std::atomic<guint64>(0);
    new (&self->switches) std::atomic<unsigned>(0);
    self->running = false;
    self->seen = 0;
    self->dsp = new NightDsp;
    self->trim = 0;
    self->next = GST_CLOCK_TIME_NONE;
    gst_base_transform_set_in_place(GST_BASE_TRANSFORM(self), TRUE);
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), TRUE);
}

void Finalize(GObject* object) {
    delete Self(object)->dsp;
    G_OBJECT_CLASS(tavimo_night_mode_parent_class)->finalize(object);
}

std::vector<NightChannel> Roles(const GstAudioInfo& info) {
    std::vector<NightChannel> roles;
    for (int c = 0; c < GST_AUDIO_INFO_CHANNELS(&info); ++c) {
        switch (info.position[c]) {
            case GST_AUDIO_CHANNEL_POSITION_MONO:
            case GST_AUDIO_CHANNEL_POSITION_FRONT_CENTER:
                roles.push_back(NightChannel::Centre);
                break;
            case GST_AUDIO_CHANNEL_POSITION_LFE1:
            case GST_AUDIO_CHANNEL_POSITION_LFE2:
                roles.push_back(NightChannel::Lfe);
                break;
            case GST_AUDIO_CHANNEL_POSITION_REAR_LEFT:
            case GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT:
            case GST_AUDIO_CHANNEL_POSITION_REAR_CENTER:
            case GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT:
            case GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT:
                roles.push_back(NightChannel::Surround);
                break;
            case GST_AUDIO_CHANNEL_POSITION_NONE:
                return NightDsp::DefaultRoles(GST_AUDIO_INFO_CHANNELS(&info));
            default:
                roles.push_back(NightChannel::Front);
                break;
        }
    }
    return roles;
}

// On, the caps either way name the float format only.
GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection, GstCaps* caps, GstCaps* filter) {
    GstCaps* out = gst_caps_copy(caps);
    if (Self(trans)->on.load()) {
        for (guint i = 0; i < gst_caps_get_size(out); ++i)
            gst_structure_set(gst_caps_get_structure(out, i), "format", G_TYPE_STRING, kOnFormat,
                              "layout", G_TYPE_STRING, "interleaved", nullptr);
    }
    if (filter) {
        GstCaps* both = gst_caps_intersect_full(filter, out, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(out);
        out = both;
    }
    return out;
}

// Starts or stops running the sound through the core (streaming thread):
// the delay line starts silent and its silence is cut off the front; the
// pipeline is told the latency changed.
void Run(TavimoNightMode* self, bool run) {
    const GstAudioInfo& info = *GST_AUDIO_FILTER_INFO(self);
    if (run == self->running)
        return;
    self->running = run;
    guint64 ns = 0;
    if (run) {
        self->dsp->Setup(GST_AUDIO_INFO_RATE(&info), Roles(info));
        self->trim = self->dsp->LatencyFrames();
        ns = gst_util_uint64_scale_int(self->trim, GST_SECOND, GST_AUDIO_INFO_RATE(&info));
    }
    self->latency.store(ns);
    gst_element_post_message(GST_ELEMENT(self), gst_message_new_latency(GST_OBJECT(self)));
}

bool Floats(const GstAudioInfo& info) {
    return GST_AUDIO_INFO_FORMAT(&info) == GST_AUDIO_FORMAT_F32 &&
           GST_AUDIO_INFO_LAYOUT(&info) == GST_AUDIO_LAYOUT_INTERLEAVED;
}

// The buffer's sound through the core. What comes out started the delay
// earlier than what went in; the first buffers after a start lose the delay
// line's silence instead.
GstFlowReturn TransformIp(GstBaseTransform* trans, GstBuffer* buffer) {
    TavimoNightMode* self = Self(trans);
    const GstAudioInfo& info = *GST_AUDIO_FILTER_INFO(self);
    if (const unsigned switches = self->switches.load(); switches != self->seen) {
        self->seen = switches;
        self->running = false;  // off since (the element passed the sound through)
    }
    Run(self, self->on.load() && Floats(info));
    if (!self->running)
        return GST_FLOW_OK;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE))
        return GST_FLOW_ERROR;
    const guint64 frames = map.size / GST_AUDIO_INFO_BPF(&info);
    self->dsp->Process(reinterpret_cast<float*>(map.data), frames);
    gst_buffer_unmap(buffer, &map);
    const guint64 cut = std::min(self->trim, frames);
    self->trim -= cut;
    if (cut == frames)
        return GST_BASE_TRANSFORM_FLOW_DROPPED;
    const int rate = GST_AUDIO_INFO_RATE(&info);
    if (cut > 0)
        gst_buffer_resize(buffer, gssize(cut * GST_AUDIO_INFO_BPF(&info)), -1);
    const GstClockTime back =
        gst_util_uint64_scale_int(self->dsp->LatencyFrames() - cut, GST_SECOND, rate);
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (GST_CLOCK_TIME_IS_VALID(pts))
        GST_BUFFER_PTS(buffer) = pts > back ? pts - back : 0;
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale_int(frames - cut, GST_SECOND, rate);
    self->next = GST_CLOCK_TIME_IS_VALID(pts) ? GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer)
                                              : GST_CLOCK_TIME_NONE;
    return GST_FLOW_OK;
}

// At the end the delay line still holds the last of the sound: out with it
// before the EOS. A flush forgets it, and the delay line starts silent.
gboolean SinkEvent(GstBaseTransform* trans, GstEvent* event) {
    TavimoNightMode* self = Self(trans);
    const GstAudioInfo& info = *GST_AUDIO_FILTER_INFO(self);
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP && self->running) {
        self->dsp->Reset();
        self->trim = self->dsp->LatencyFrames();
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_EOS && self->running && self->on.load() &&
               self->trim == 0) {
        const guint64 frames = self->dsp->LatencyFrames();
        GstBuffer* rest =
            gst_buffer_new_allocate(nullptr, frames * GST_AUDIO_INFO_BPF(&info), nullptr);
        GstMapInfo map;
        if (gst_buffer_map(rest, &map, GST_MAP_WRITE)) {
            std::fill_n(reinterpret_cast<float*>(map.data), frames * GST_AUDIO_INFO_CHANNELS(&info),
                        0.0f);
            self->dsp->Process(reinterpret_cast<float*>(map.data), frames);
            gst_buffer_unmap(rest, &map);
        }
        GST_BUFFER_PTS(rest) = self->next;
        GST_BUFFER_DURATION(rest) =
            gst_util_uint64_scale_int(frames, GST_SECOND, GST_AUDIO_INFO_RATE(&info));
        self->trim = frames;  // nothing held any more
        gst_pad_push(GST_BASE_TRANSFORM_SRC_PAD(trans), rest);
    }
    return GST_BASE_TRANSFORM_CLASS(tavimo_night_mode_parent_class)->sink_event(trans, event);
}

// The latency upstream, and the delay while running.
gboolean Query(GstBaseTransform* trans, GstPadDirection direction, GstQuery* query) {
    if (!GST_BASE_TRANSFORM_CLASS(tavimo_night_mode_parent_class)->query(trans, direction, query))
        return FALSE;
    if (direction == GST_PAD_SRC && GST_QUERY_TYPE(query) == GST_QUERY_LATENCY) {
        gboolean live = FALSE;
        GstClockTime min = 0, max = 0;
        gst_query_parse_latency(query, &live, &min, &max);
        const GstClockTime delay = Self(trans)->latency.load();
        gst_query_set_latency(query, live, min + delay,
                              GST_CLOCK_TIME_IS_VALID(max) ? max + delay : max);
    }
    return TRUE;
}

void tavimo_night_mode_class_init(TavimoNightModeClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(element, "Tavimo Night Mode", "Filter/Effect/Audio",
                                          "Quiet dialogue lifted, loud sound held back", "Tavimo");
    GstCaps* caps = gst_caps_from_string(kCaps);
    gst_audio_filter_class_add_pad_templates(GST_AUDIO_FILTER_CLASS(klass), caps);
    gst_caps_unref(caps);
    GstBaseTransformClass* trans = GST_BASE_TRANSFORM_CLASS(klass);
    trans->transform_caps = TransformCaps;
    trans->transform_ip = TransformIp;
    trans->transform_ip_on_passthrough = FALSE;
    trans->sink_event = SinkEvent;
    trans->query = Query;
}

}  // namespace

GstElement* NewNightMode() {
    static const bool registered =
        gst_element_register(nullptr, kFactoryName, GST_RANK_NONE, tavimo_night_mode_get_type());
    return registered ? gst_element_factory_make(kFactoryName, nullptr) : nullptr;
}

void SetNightMode(GstElement* element, bool on) {
    TavimoNightMode* self = Self(element);
    if (self->on.exchange(on) == on)
        return;
    ++self->switches;
    GstBaseTransform* trans = GST_BASE_TRANSFORM(element);
    gst_base_transform_set_passthrough(trans, !on);
    if (!on && self->latency.exchange(0) != 0)
        gst_element_post_message(element, gst_message_new_latency(GST_OBJECT(element)));
    // The converter in front gives the float format, or the sound's own again.
    gst_base_transform_reconfigure_sink(trans);
    gst_base_transform_reconfigure_src(trans);
}

bool IsNightMode(GstObject* object) {
    return object && G_TYPE_CHECK_INSTANCE_TYPE(object, tavimo_night_mode_get_type());
}

}  // namespace tavimo
