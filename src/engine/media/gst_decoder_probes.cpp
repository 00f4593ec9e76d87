// The decoders' probes: one thread for pictures one thread decodes in
// time, direct rendering into the converter's pool (into any, for codecs
// that draw over the last picture; never, for pictures without a GStreamer
// format), gaps dropped once pictures flow, animations' pictures stamped,
// and the sink's lateness reports ended where no element upstream uses them.
#include "engine/media/avcodec_decoders.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/swscale_convert.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace tavimo::gst_internal {
namespace {

// Streaming thread, before a video decoder opens its codec with the stream's
// caps. Up to 1080p at 30 frames a second one thread decodes in time; libav's
// frame threads would each hold pictures of their own (16 MB at 1080p) and
// hand every frame over between them.
GstPadProbeReturn LimitDecoderThreads(GstPad*, GstPadProbeInfo* info, gpointer decoder) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    const GstStructure* s = gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    int width = 0, height = 0, num = 0, den = 1;
    if (s && gst_structure_get_int(s, "width", &width) &&
        gst_structure_get_int(s, "height", &height) &&
        gst_structure_get_fraction(s, "framerate", &num, &den) &&
        OneThreadDecodes(width, height, num, den))
        g_object_set(decoder, "max-threads", 1, nullptr);
    return GST_PAD_PROBE_REMOVE;
}

// The sound our AAC decoder sends in one buffer. An AAC frame lasts 21 ms
// at 48 kHz: a buffer each, the sound's thread spent more on handing them
// through the converters, the volume and the sink than on decoding them.
// An audio sink buffers 200 ms by default, so this still keeps it fed.
constexpr GstClockTime kSoundBatch = 100 * GST_MSECOND;

// Set on a source whose demuxer ignores the sink's lateness reports.
constexpr char kReportsEndAtDecoder[] = "tavimo-reports-end-at-decoder";

// Whether the lateness reports of `source`, a uridecodebin, may end at its
// video decoder: it reads a local file through a demuxer that ignores them
// (qtdemux; matroskademux skips to a key frame by them). Any thread.
bool ReportsEndAtDecoder(GstBin* source) {
    if (!g_object_get_data(G_OBJECT(source), kReportsEndAtDecoder))
        return false;
    gchar* uri = nullptr;
    if (HasProperty(source, "uri"))
        g_object_get(source, "uri", &uri, nullptr);
    const bool file = uri && gst_uri_has_protocol(uri, "file");
    g_free(uri);
    return file;
}

// Sink thread, as the video sink's report of how late its frames come (a QoS
// event, one a frame) leaves a video decoder upstream: the converters and the
// decoder on its way have read it, and before the decoder (parser, queues,
// demuxer) it was only handed on, pad by pad, some six pushes a frame, to
// be dropped by the demuxer (ReportsEndAtDecoder).
GstPadProbeReturn EndLatenessReport(GstPad*, GstPadProbeInfo* info, gpointer) {
    return GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_QOS ? GST_PAD_PROBE_DROP
                                                                           : GST_PAD_PROBE_OK;
}

// Set on a libav decoder whose pictures may come in a format without a
// GStreamer name: it never renders directly (ChooseDirectRendering).
constexpr char kUnnamedFormats[] = "tavimo-unnamed-formats";

// The libav decoders that give pictures in formats GStreamer's libav
// elements have no name for (16-bit, 4:4:4 or 4:2:2 with alpha, float, ...)
// as well as named ones. (QuickTime Animation's one bit a pixel has none
// either, but its decoder draws each picture over the last: see KeepsOrder.)
constexpr const char* kUnnamedFormatCodecs[] = {
    "avdec_ffv1", "avdec_ffvhuff", "avdec_huffyuv", "avdec_utvideo",  "avdec_magicyuv",
    "avdec_png",  "avdec_apng",    "avdec_tiff",    "avdec_jpeg2000", "avdec_exr",
    "avdec_dpx",  "avdec_sgi",     "avdec_hq_hqa",  "avdec_hqx"};

// Whether libav's decoder `factory` may make pictures of a stream of `caps`
// in a format without a GStreamer name: as the parser says the stream's
// chroma and depth (HEVC, VP9, AV1), or as its codec can
// (kUnnamedFormatCodecs). Rendering directly, GStreamer 1.22's libav
// decoder makes its pool from the picture's format before it checks that
// format: one without a name (16-bit or 4:4:4 with alpha in FFV1, 10-bit
// grey in HEVC) ended the process.
bool MayGiveUnnamedFormats(const char* factory, const GstCaps* caps) {
    const GstStructure* s = gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    const char* chroma = s ? gst_structure_get_string(s, "chroma-format") : nullptr;
    unsigned luma = 0, chromaDepth = 0;
    if (chroma && gst_structure_get_uint(s, "bit-depth-luma", &luma)) {
        if (g_str_equal(chroma, "4:0:0"))
            return luma != 8;
        const bool sampled = g_str_equal(chroma, "4:2:0") || g_str_equal(chroma, "4:2:2") ||
                             g_str_equal(chroma, "4:4:4");
        return !(sampled && gst_structure_get_uint(s, "bit-depth-chroma", &chromaDepth) &&
                 chromaDepth == luma && (luma == 8 || luma == 10 || luma == 12));
    }
    return std::any_of(std::begin(kUnnamedFormatCodecs), std::end(kUnnamedFormatCodecs),
                       [&](const char* name) { return g_str_equal(name, factory); });
}

// Whether libav's decoder behind `factory` (avdec_<codec>) gives its
// pictures in the order it takes them, as the old palette and RGB codecs
// do. Some of those (MS Video 1, QuickTime Animation) draw each
// picture over the one before in the same memory; decoding into libav's own
// memory, GStreamer 1.22's libav decoder then takes every picture for the
// first and stamps it with the first one's time: the clip showed a picture,
// reached its end at once and started again, over and over. They render
// directly into whatever pool downstream offers.
bool KeepsOrder(const char* factory) {
    if (!g_str_has_prefix(factory, "avdec_"))
        return false;
    const AVCodec* codec = avcodec_find_decoder_by_name(factory + std::strlen("avdec_"));
    return codec && !(codec->capabilities & AV_CODEC_CAP_DELAY);
}

// Streaming thread, as each stream's caps reach a libav video decoder, before
// it decodes a picture of that stream: where a picture's format may have no
// name, the decoder decodes into libav's own memory and copies each picture
// it can name (those it cannot end the clip with an error).
GstPadProbeReturn KeepDirectRenderingToNamedFormats(GstPad*, GstPadProbeInfo* info,
                                                    gpointer decoder) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(decoder));
    const bool unnamed = MayGiveUnnamedFormats(factory ? GST_OBJECT_NAME(factory) : "", caps);
    g_object_set_data(G_OBJECT(decoder), kUnnamedFormats, GINT_TO_POINTER(unnamed ? 1 : 0));
    if (unnamed)
        g_object_set(decoder, "direct-rendering", FALSE, nullptr);
    return GST_PAD_PROBE_OK;
}

// Streaming thread, as the allocation query a libav decoder sent comes back
// answered: the decoder renders directly into the converter's pool, and
// into no other unless its codec keeps the order (KeepsOrder), and never
// where its pictures may have no format name (kUnnamedFormats). Into any
// other, the picture it pushes shares memory with one libav keeps
// mapped for writing as a reference, which GstVideoDecoder cannot share, so
// it copied every picture whole into freshly allocated memory; decoding
// into libav's own memory and copying once into the negotiated pool costs
// the same copy without the page faults. The decoder reads the property
// when it decides on the pool, right after this. (It starts off unless the
// converter's pool is expected: rendering directly into its own pool until
// then, a decoder that is then refused the downstream pool hands on buffers
// of its own, which a sink with a pool of its own, xvimagesink's, would
// copy again.)
GstPadProbeReturn ChooseDirectRendering(GstPad*, GstPadProbeInfo* info, gpointer decoder) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_ALLOCATION)
        return GST_PAD_PROBE_OK;
    GstBufferPool* pool = nullptr;
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_parse_nth_allocation_pool(query, 0, &pool, nullptr, nullptr, nullptr);
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(decoder));
    const bool direct =
        (IsSwscaleInputPool(pool) || KeepsOrder(factory ? GST_OBJECT_NAME(factory) : "")) &&
        !g_object_get_data(G_OBJECT(decoder), kUnnamedFormats);
    g_object_set(decoder, "direct-rendering", direct ? TRUE : FALSE, nullptr);
    if (pool)
        gst_object_unref(pool);
    return GST_PAD_PROBE_OK;
}

// Streaming thread, as pictures and events reach a video decoder: once a
// picture has come since the segment began, gaps are dropped. Matroska's
// demuxer takes a stream whose pictures come out of order (B-frames) by more
// than half a second for one that lags, and sends it a gap from a time whose
// picture is still to come: at a frame a second or slower, that gap went
// past the pictures the decoder held for reordering, and the sink waited for
// the clock to reach it, nothing shown, before showing them late (ten
// seconds at 0.2 frames a second). A gap before the first picture (a stream
// that starts late, a seek into a pause of a screen recording) still lets
// the sink preroll; later ones the sink needs not, as it shows the last
// picture until the next. `given` is the decoder's flag, set and reset here.
GstPadProbeReturn DropGapsAfterAPicture(GstPad*, GstPadProbeInfo* info, gpointer given) {
    auto* picture = static_cast<bool*>(given);
    if (info->type & (GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST)) {
        *picture = true;
        return GST_PAD_PROBE_OK;
    }
    switch (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info))) {
        case GST_EVENT_SEGMENT:
        case GST_EVENT_FLUSH_STOP:
            *picture = false;
            return GST_PAD_PROBE_OK;
        case GST_EVENT_GAP:
            return *picture ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
        default:
            return GST_PAD_PROBE_OK;
    }
}

// The stamps of the pictures a GIF decoder was given and has not yet given
// back, oldest first. GStreamer's libav GIF decoder draws every picture into
// its first one's buffer and so stamps every picture as the first, 0: only
// the first was shown, and the time stood at 0. It gives back one picture for
// each it is given, in order, and each takes the stamp of its own here.
// GStreamer's libav GIF demuxer, for its part, never ends: at the end of the
// file it asks for more, over and over, a core kept busy. The picture that
// reaches the animation's length ends the stream here, and the clip starts
// again as any clip does.
struct AnimationStamps {
    std::mutex lock;
    std::deque<std::pair<GstClockTime, GstClockTime>> pending;  // (pts, duration)
    GstClockTime length = GST_CLOCK_TIME_NONE;                  // the segment's duration
};
using SharedStamps = std::shared_ptr<AnimationStamps>;
// More than a decoder that keeps none back ever holds: past it, the oldest go.
constexpr size_t kMostPendingStamps = 64;

// A thread of GStreamer's pool, once the animation's last picture has left
// `decoder`: ends the stream at its input. (From the probes, the end would
// overtake that picture or wait on their lock.)
void EndAnimation(GstElement* decoder, gpointer) {
    if (g_autoptr(GstPad) sink = gst_element_get_static_pad(decoder, "sink"))
        gst_pad_send_event(sink, gst_event_new_eos());
}

// Streaming thread, at the GIF decoder's input: keeps each picture's stamp,
// and the animation's length from the segment; a segment or a flush forgets
// the stamps.
GstPadProbeReturn KeepAnimationStamps(GstPad*, GstPadProbeInfo* info, gpointer given) {
    AnimationStamps& stamps = **static_cast<SharedStamps*>(given);
    std::lock_guard hold(stamps.lock);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        const GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (stamps.pending.size() == kMostPendingStamps)
            stamps.pending.pop_front();
        stamps.pending.emplace_back(GST_BUFFER_PTS(buffer), GST_BUFFER_DURATION(buffer));
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        stamps.length =
            segment->format == GST_FORMAT_TIME ? segment->duration : GST_CLOCK_TIME_NONE;
    }
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT || GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP)
        stamps.pending.clear();
    return GST_PAD_PROBE_OK;
}

// Streaming thread, at the GIF decoder's output: gives each picture the
// stamp it came in with, and after the last one has the stream ended.
GstPadProbeReturn RestoreAnimationStamps(GstPad* pad, GstPadProbeInfo* info, gpointer given) {
    AnimationStamps& stamps = **static_cast<SharedStamps*>(given);
    std::unique_lock hold(stamps.lock);
    if (stamps.pending.empty())
        return GST_PAD_PROBE_OK;
    const auto [pts, duration] = stamps.pending.front();
    stamps.pending.pop_front();
    const GstClockTime length = stamps.length;
    hold.unlock();
    if (GST_CLOCK_TIME_IS_VALID(pts) && GST_CLOCK_TIME_IS_VALID(duration) &&
        GST_CLOCK_TIME_IS_VALID(length) && pts + duration >= length)
        gst_element_call_async(GST_PAD_PARENT(pad), &EndAnimation, nullptr, nullptr);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!GST_CLOCK_TIME_IS_VALID(pts) || GST_BUFFER_PTS(buffer) == pts)
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GST_BUFFER_PTS(buffer) = pts;
    if (GST_CLOCK_TIME_IS_VALID(duration))
        GST_BUFFER_DURATION(buffer) = duration;
    return GST_PAD_PROBE_OK;
}

// Puts the probes above on `decoder`'s pads, `sink` one of them.
void KeepAnimationStampsOf(GstElement* decoder, GstPad* sink) {
    g_autoptr(GstPad) src = gst_element_get_static_pad(decoder, "src");
    if (!src)
        return;
    auto stamps = std::make_shared<AnimationStamps>();
    const auto release = [](gpointer given) { delete static_cast<SharedStamps*>(given); };
    gst_pad_add_probe(
        sink,
        GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                        GST_PAD_PROBE_TYPE_EVENT_FLUSH),
        &KeepAnimationStamps, new SharedStamps(stamps), release);
    gst_pad_add_probe(src, GST_PAD_PROBE_TYPE_BUFFER, &RestoreAnimationStamps,
                      new SharedStamps(stamps), release);
    // By its own stamps every picture after the first is late: the sink's
    // lateness reports had the decoder drop them all.
    gst_pad_add_probe(src, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, &EndLatenessReport, nullptr, nullptr);
}

// Whether `factory` makes decoders of pictures (not of picture subtitles,
// which GStreamer classes as video too and whose gaps matter).
bool DecodesPictures(GstElementFactory* factory) {
    if (!factory ||
        !gst_element_factory_list_is_type(
            factory, GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO))
        return false;
    bool pictures = false;
    for (const GList* t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
        const auto* pad = static_cast<const GstStaticPadTemplate*>(t->data);
        if (pad->direction != GST_PAD_SINK)
            continue;
        GstCaps* caps = gst_static_pad_template_get_caps(const_cast<GstStaticPadTemplate*>(pad));
        pictures = gst_caps_get_size(caps) > 0;
        for (guint i = 0; i < gst_caps_get_size(caps); ++i)
            pictures =
                pictures &&
                g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, i)), "video/");
        gst_caps_unref(caps);
    }
    return pictures;
}

}  // namespace

// Streaming thread, as the source adds an element; `ownPool` says whether
// the video renderer converts through our libswscale converter. A libav
// decoder decodes its first pictures before it asks downstream for a pool:
// rendering directly, into a pool of its own that it lets go of once it
// takes the converter's; otherwise into libav's own pictures, which libav
// keeps, unused, for as long as the decoder lives (four frames, 50 MB at
// 2160p). Where the converter's pool will not be offered, the decoder
// starts without direct rendering (see ChooseDirectRendering). The video
// decoder of a local MP4 or QuickTime file is where the sink's lateness
// reports end (EndLatenessReport). Our AAC decoder sends its sound in
// batches (kSoundBatch).
void GstGraph::OnDecoderAdded(GstBin* source, GstBin*, GstElement* element, gpointer ownPool) {
    GstElementFactory* factory = gst_element_get_factory(element);
    const char* name = factory ? GST_OBJECT_NAME(factory) : "";
    if (g_strcmp0(name, "qtdemux") == 0)
        g_object_set_data(G_OBJECT(source), kReportsEndAtDecoder, GINT_TO_POINTER(1));
    if (HasProperty(element, kBatchProperty))
        g_object_set(element, kBatchProperty, guint64(kSoundBatch), nullptr);
    const bool libav = IsAvcodecVideoDecoder(element) || g_str_has_prefix(name, "avdec_");
    const bool pictures = DecodesPictures(factory);
    if (!libav && !pictures)
        return;
    // The probes go with the pads, which the decoder owns: no reference needed.
    GstPad* sink = gst_element_get_static_pad(element, "sink");
    if (!sink)
        return;
    if (pictures)
        gst_pad_add_probe(
            sink,
            GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                            GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            &DropGapsAfterAPicture, new bool(false),
            [](gpointer given) { delete static_cast<bool*>(given); });
    if (g_strcmp0(name, "avdec_gif") == 0)
        KeepAnimationStampsOf(element, sink);
    if (libav && HasProperty(element, "direct-rendering")) {
        const bool direct = ownPool || KeepsOrder(name);
        g_object_set(element, "direct-rendering", direct ? TRUE : FALSE, nullptr);
        if (GstPad* src = gst_element_get_static_pad(element, "src")) {
            gst_pad_add_probe(
                src, GstPadProbeType(GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM | GST_PAD_PROBE_TYPE_PULL),
                &ChooseDirectRendering, element, nullptr);
            gst_object_unref(src);
        }
        if (!IsAvcodecVideoDecoder(element))
            gst_pad_add_probe(sink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                              &KeepDirectRenderingToNamedFormats, element, nullptr);
    }
    if (libav && HasProperty(element, "max-threads")) {
        gst_pad_add_probe(sink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &LimitDecoderThreads, element,
                          nullptr);
        if (ReportsEndAtDecoder(source))
            gst_pad_add_probe(sink, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, &EndLatenessReport, nullptr,
                              nullptr);
    }
    gst_object_unref(sink);
}

}  // namespace tavimo::gst_internal
