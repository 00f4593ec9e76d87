#include "subtitles/subtitle_mixer_element.h"

#include "subtitles/drawn_band_meta.h"
#include "subtitles/note_under_meta.h"
#include "subtitles/subtitle_mixer.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <cmath>
#include <utility>

namespace tavimo {
namespace {

constexpr const char kFactoryName[] = "tavimosubtitlemixer";
constexpr const char kElementName[] = "Tavimo Subtitle Mixer";

// Raw formats the mixer has a drawing rule for; the converter in front of it
// turns anything else into one of these. BGRx/BGRA hold the bitmap's memory
// order (blue, green, red, fourth byte); RGB is told apart from BGR so that
// coloured text keeps its colour in both.
constexpr const char kCaps[] =
    "video/x-raw, format=(string){ YUY2, YV12, I420, NV12, BGR, RGB, BGRx, BGRA, RGB16, RGB15 }, "
    "width=(int)[1, 32767], height=(int)[1, 32767], framerate=(fraction)[0/1, 2147483647/1]";

// How each offered GStreamer format reaches the core.
struct FormatMapping {
    GstVideoFormat gst;
    VideoSubtype subtype;
    uint16_t bitCount;
};

constexpr FormatMapping kFormats[] = {
    {GST_VIDEO_FORMAT_YUY2, VideoSubtype::YUY2, 16},
    {GST_VIDEO_FORMAT_YV12, VideoSubtype::YV12, 12},
    {GST_VIDEO_FORMAT_I420, VideoSubtype::I420, 12},
    {GST_VIDEO_FORMAT_NV12, VideoSubtype::NV12, 12},
    {GST_VIDEO_FORMAT_BGR, VideoSubtype::RGB24, 24},
    {GST_VIDEO_FORMAT_RGB, VideoSubtype::RGB24RedFirst, 24},
    {GST_VIDEO_FORMAT_BGRx, VideoSubtype::RGB32, 32},
    {GST_VIDEO_FORMAT_BGRA, VideoSubtype::RGB32, 32},
    {GST_VIDEO_FORMAT_RGB16, VideoSubtype::RGB565, 16},
    {GST_VIDEO_FORMAT_RGB15, VideoSubtype::RGB555, 16},
};

struct TavimoSubtitleMixer {
    GstVideoFilter parent;
    CSubtitles* core;                    // *owner's, or null
    std::shared_ptr<CSubtitles>* owner;  // keeps core alive; freed in finalize
    double capsFps;                      // the negotiated frame rate, 0 when variable or unknown
    bool drawing;                        // the current buffer carries text (set before each buffer)
    bool askDownstream;                  // caps changed: ask again whether downstream takes bands
    bool bandsTaken;                     // draw into a band beside the frame (drawn_band_meta.h)
};

struct TavimoSubtitleMixerClass {
    GstVideoFilterClass parent_class;
};

GType tavimo_subtitle_mixer_get_type();
G_DEFINE_TYPE(TavimoSubtitleMixer, tavimo_subtitle_mixer, GST_TYPE_VIDEO_FILTER)

TavimoSubtitleMixer* Self(gpointer object) {
    return reinterpret_cast<TavimoSubtitleMixer*>(object);
}

VideoFormat FormatOf(const GstVideoInfo* info) {
    VideoFormat format;
    format.width = GST_VIDEO_INFO_WIDTH(info);
    format.height = GST_VIDEO_INFO_HEIGHT(info);
    const int parN = GST_VIDEO_INFO_PAR_N(info), parD = GST_VIDEO_INFO_PAR_D(info);
    format.pixelAspect = parN > 0 && parD > 0 ? static_cast<double>(parN) / parD : 1.0;
    for (const FormatMapping& m : kFormats) {
        if (m.gst == GST_VIDEO_INFO_FORMAT(info)) {
            format.subtype = m.subtype;
            format.bitCount = m.bitCount;
        }
    }
    return format;
}

gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo*) {
    TavimoSubtitleMixer* self = Self(filter);
    const int n = GST_VIDEO_INFO_FPS_N(in);
    const int d = GST_VIDEO_INFO_FPS_D(in);
    self->capsFps = n > 0 && d > 0 ? static_cast<double>(n) / d : 0.0;
    self->askDownstream = true;
    if (self->core == nullptr) {
        return TRUE;
    }
    return self->core->CheckInputType(FormatOf(in)) == MixResult::Ok;
}

// The buffer's time as the core wants it: stream time through the current
// segment, in 100-ns units, with the rate already applied to the times.
FrameTime TimeOf(const TavimoSubtitleMixer* self, const GstBaseTransform* trans,
                 const GstBuffer* buffer) {
    FrameTime time;
    const GstSegment& segment = trans->segment;
    time.fallbackFps = self->capsFps;
    if (!GST_BUFFER_PTS_IS_VALID(buffer) || segment.format != GST_FORMAT_TIME) {
        return time;
    }
    const guint64 stream =
        gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (stream == GST_CLOCK_TIME_NONE) {
        return time;  // outside the segment
    }
    time.valid = true;
    time.start = static_cast<int64_t>(stream / 100);
    time.duration = GST_BUFFER_DURATION_IS_VALID(buffer)
                        ? static_cast<int64_t>(GST_BUFFER_DURATION(buffer) / 100)
                        : 0;
    time.rate = segment.applied_rate != 0.0 ? std::abs(segment.applied_rate) : 1.0;
    return time;
}

// Streaming thread, before the base class decides how to treat the buffer:
// frames without text pass through untouched (no copy, no mapping); a frame
// with text turns passthrough off, so the base class hands transform_frame_ip
// a writable buffer.
void BeforeTransform(GstBaseTransform* trans, GstBuffer* buffer) {
    TavimoSubtitleMixer* self = Self(trans);
    if (self->askDownstream) {
        // Downstream has the caps by now and can answer for them.
        self->askDownstream = false;
        GstQuery* query = NewDrawnBandQuery();
        self->bandsTaken = gst_pad_peer_query(trans->srcpad, query) && DrawnBandTaken(query);
        gst_query_unref(query);
    }
    self->drawing = self->core != nullptr && self->core->Prepare(TimeOf(self, trans, buffer));
    gst_base_transform_set_passthrough(trans, self->drawing ? FALSE : TRUE);
}

GstFlowReturn TransformFrameIp(GstVideoFilter* filter, GstVideoFrame* frame) {
    TavimoSubtitleMixer* self = Self(filter);
    if (!self->drawing || self->core == nullptr) {
        return GST_FLOW_OK;
    }
    VideoPlanes planes;
    for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(frame) && i < 3; ++i) {
        planes.data[i] = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(frame, i));
        planes.stride[i] = GST_VIDEO_FRAME_PLANE_STRIDE(frame, i);
    }
    NoteUnder under;
    self->core->Blend(planes, &under);
    AttachNoteUnder(frame->buffer, under);  // for a screenshot without the note
    return GST_FLOW_OK;
}

// The text blended into each strip of `meta`'s band, mapped writable in
// `map`, each drawing its own rows alone; returns the rows under the note,
// kept by the strip that holds it. Streaming thread.
NoteUnder BlendStrips(TavimoSubtitleMixer* self, const DrawnBandMeta& meta,
                      const GstVideoInfo& info, const GstMapInfo& map) {
    NoteUnder under;
    for (guint s = 0; s < meta.strips; ++s) {
        guint8* data[GST_VIDEO_MAX_PLANES];
        BandPlanes(meta, s, info, map, data);
        VideoPlanes planes;
        for (guint i = 0; i < meta.planes && i < 3; ++i) {
            planes.data[i] = data[i];
            planes.stride[i] = meta.stride[i];
        }
        planes.firstRow = meta.first[s];
        planes.endRow = meta.first[s] + meta.rows[s];
        NoteUnder strip;
        self->core->Blend(planes, &strip);
        if (strip.rows > 0)
            under = std::move(strip);
    }
    return under;
}

// Streaming thread, a frame with text whose next element takes bands: the
// text is drawn into a copy of the rows it covers (a strip for each stretch
// of them: a sign at the top and a line at the bottom copy two strips, not
// the picture between), carried with the frame (drawn_band_meta.h), and the
// frame itself, which the decoder may still refer to, is only read. False
// when the band cannot be had.
bool DrawIntoBand(TavimoSubtitleMixer* self, GstBuffer* buffer) {
    const GstVideoInfo& info = GST_VIDEO_FILTER(self)->in_info;
    RowRanges drawn;
    if (!self->core->DrawnRows(&drawn))
        return true;  // nothing lands on the picture
    int firstRow[RowRanges::kMost], lastRow[RowRanges::kMost];
    for (int i = 0; i < drawn.count; ++i) {
        firstRow[i] = drawn.range[i].first;
        lastRow[i] = drawn.range[i].last;
    }
    int first[kMostStrips], rows[kMostStrips];
    const guint strips = BandRows(info, firstRow, lastRow, guint(drawn.count), first, rows);
    if (strips == 0)
        return true;
    GstVideoFrame frame;
    // Without a reference of the frame's own, which would leave the buffer
    // shared while the band is attached.
    const auto flags = GstMapFlags(int(GST_MAP_READ) | int(GST_VIDEO_FRAME_MAP_FLAG_NO_REF));
    if (!gst_video_frame_map(&frame, &info, buffer, flags))
        return false;
    DrawnBandMeta* meta = AttachDrawnBand(buffer, frame, strips, first, rows);
    gst_video_frame_unmap(&frame);
    GstMapInfo map;
    if (!meta)
        return false;
    if (!gst_buffer_map(meta->band, &map, GST_MAP_WRITE)) {
        gst_buffer_remove_meta(buffer, &meta->meta);
        return false;
    }
    const NoteUnder under = BlendStrips(self, *meta, info, map);
    gst_buffer_unmap(meta->band, &map);
    AttachNoteUnder(buffer, under);
    return true;
}

// Streaming thread: `buffer` is writable as a buffer (its metas), its
// memory perhaps shared with the decoder. Drawing into a band leaves the
// memory alone; anything else maps it writable and draws in place (which
// copies a shared frame).
GstFlowReturn TransformIp(GstBaseTransform* trans, GstBuffer* buffer) {
    TavimoSubtitleMixer* self = Self(trans);
    if (!self->drawing || self->core == nullptr)
        return GST_FLOW_OK;
    // A band from an earlier pass through here would be read over this one.
    while (GstMeta* old = gst_buffer_get_meta(buffer, DrawnBandMetaApiType()))
        gst_buffer_remove_meta(buffer, old);
    if (self->bandsTaken && DrawIntoBand(self, buffer))
        return GST_FLOW_OK;
    return GST_BASE_TRANSFORM_CLASS(tavimo_subtitle_mixer_parent_class)
        ->transform_ip(trans, buffer);
}

void Finalize(GObject* object) {
    TavimoSubtitleMixer* self = Self(object);
    delete self->owner;
    self->owner = nullptr;
    self->core = nullptr;
    G_OBJECT_CLASS(tavimo_subtitle_mixer_parent_class)->finalize(object);
}

void tavimo_subtitle_mixer_class_init(TavimoSubtitleMixerClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    auto* element_class = GST_ELEMENT_CLASS(klass);
    auto* trans_class = GST_BASE_TRANSFORM_CLASS(klass);
    auto* filter_class = GST_VIDEO_FILTER_CLASS(klass);
    gst_element_class_set_static_metadata(element_class, kElementName, "Filter/Effect/Video",
                                          "Burns the current subtitle into each video frame",
                                          "Tavimo");
    GstCaps* caps = gst_caps_from_string(kCaps);
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
    trans_class->before_transform = BeforeTransform;
    trans_class->transform_ip_on_passthrough = FALSE;
    filter_class->set_info = SetInfo;
    filter_class->transform_frame_ip = TransformFrameIp;
    trans_class->transform_ip = TransformIp;
}

void tavimo_subtitle_mixer_init(TavimoSubtitleMixer* self) {
    self->core = nullptr;
    self->owner = nullptr;
    self->capsFps = 0.0;
    self->drawing = false;
    self->askDownstream = true;
    self->bandsTaken = false;
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), TRUE);
    gst_base_transform_set_in_place(GST_BASE_TRANSFORM(self), TRUE);
}

}  // namespace

bool RegisterSubtitleMixer() {
    return gst_element_register(nullptr, kFactoryName, GST_RANK_NONE,
                                tavimo_subtitle_mixer_get_type());
}

GstElement* NewSubtitleMixer(std::shared_ptr<CSubtitles> core) {
    if (!RegisterSubtitleMixer()) {
        return nullptr;
    }
    GstElement* element = gst_element_factory_make(kFactoryName, kElementName);
    if (element != nullptr) {
        Self(element)->core = core.get();
        Self(element)->owner = new std::shared_ptr<CSubtitles>(std::move(core));
    }
    return element;
}

}  // namespace tavimo
