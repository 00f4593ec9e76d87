// The seek bar's thumbnail decoder: uridecodebin with only its picture
// decoded, to videoscale ! videoconvert ! appsink at the thumbnail's size,
// held PAUSED; each thumbnail is the key frame nearest its moment, found by
// key-frame seeks and the prerolls they bring.
// Sound and subtitle streams stay undecoded and go to fake sinks.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_upright.h"

namespace tavimo::gst_internal {
namespace {

constexpr GstClockTime kOpenTimeout = 5 * GST_SECOND;
constexpr GstClockTime kFrameTimeout = 2 * GST_SECOND;

bool Starts(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

class GstThumbnailSource : public IThumbnailSource {
  public:
    explicit GstThumbnailSource(std::string uri) : uri_(std::move(uri)) {}
    ~GstThumbnailSource() override {
        if (pipeline_) {
            gst_element_set_state(pipeline_, GST_STATE_NULL);
            gst_object_unref(pipeline_);
        }
    }

    HRESULT GetThumbnail(REFERENCE_TIME position, int width, VideoImage* image) override {
        if (FAILED(broken_))
            return broken_;
        if (!pipeline_)
            broken_ = Open(width);
        if (SUCCEEDED(broken_))
            broken_ = Grab(position, image);
        return broken_;
    }

  private:
    // Worker thread: builds the pipeline and waits for it to preroll.
    HRESULT Open(int width) {
        pipeline_ = Own(gst_pipeline_new("Tavimo Thumbnails"));
        GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
        scale_ = gst_element_factory_make("videoscale", nullptr);
        GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
        upright_ = NewUpright();
        GstElement* size = gst_element_factory_make("capsfilter", nullptr);
        sink_ = gst_element_factory_make("appsink", nullptr);
        if (!source || !upright_ || !scale_ || !convert || !size || !sink_)
            return E_FAIL;
        GstCaps* caps =
            gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", "width", G_TYPE_INT,
                                width, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        g_object_set(size, "caps", caps, nullptr);
        gst_caps_unref(caps);
        g_object_set(sink_, "sync", FALSE, "max-buffers", 1u, "drop", TRUE, "enable-last-sample",
                     FALSE, nullptr);
        g_object_set(source, "uri", uri_.c_str(), nullptr);
        gst_bin_add_many(GST_BIN(pipeline_), source, upright_, scale_, convert, size, sink_,
                         nullptr);
        gst_element_link_many(upright_, scale_, convert, size, sink_, nullptr);
        g_signal_connect(source, "autoplug-continue", G_CALLBACK(&PictureOnly), nullptr);
        g_signal_connect(source, "pad-added", G_CALLBACK(&OnPadAdded), this);
        g_signal_connect(pipeline_, "deep-element-added", G_CALLBACK(&OneThread), nullptr);
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        if (gst_element_get_state(pipeline_, nullptr, nullptr, kOpenTimeout) !=
            GST_STATE_CHANGE_SUCCESS)
            return VFW_E_TIMEOUT;
        return video_ ? S_OK : VFW_E_NOT_CONNECTED;
    }

    // Worker thread: the key frame nearest `position`, of the one at or
    // after it and the one before it (demuxers take a nearest snap for the
    // one before); the one before when both are as near.
    HRESULT Grab(REFERENCE_TIME position, VideoImage* image) {
        const gint64 target = std::max<REFERENCE_TIME>(position, 0) * 100;
        gint64 afterAt = -1, beforeAt = -1;
        GstSample* chosen = KeyFrame(target, GST_SEEK_FLAG_SNAP_AFTER, &afterAt);
        if (!chosen || afterAt != target) {
            GstSample* before = KeyFrame(target, GST_SEEK_FLAG_SNAP_BEFORE, &beforeAt);
            if (before && (!chosen || afterAt < target || target - beforeAt <= afterAt - target))
                std::swap(chosen, before);
            if (before)
                gst_sample_unref(before);
        }
        if (!chosen)
            return VFW_E_TIMEOUT;
        HRESULT hr = CopyRgbxSample(chosen, image);
        gst_sample_unref(chosen);
        return hr;
    }

    // Worker thread: a flushing key-frame seek snapping by `snap`, and the
    // frame it prerolls with its stream time (ns); null when none comes.
    GstSample* KeyFrame(gint64 target, GstSeekFlags snap, gint64* at) {
        const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT | snap);
        if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, flags, target))
            return nullptr;
        GstSample* sample = nullptr;
        g_signal_emit_by_name(sink_, "try-pull-preroll", kFrameTimeout, &sample);
        if (!sample)
            return nullptr;
        const GstSegment* segment = gst_sample_get_segment(sample);
        const GstClockTime pts = GST_BUFFER_PTS(gst_sample_get_buffer(sample));
        guint64 time = 0;
        *at = segment && GST_CLOCK_TIME_IS_VALID(pts) &&
                      gst_segment_to_stream_time_full(segment, GST_FORMAT_TIME, pts, &time) == 1
                  ? gint64(time)
                  : target;
        return sample;
    }

    // Streaming thread: sound, subtitles and captions are not decoded.
    static gboolean PictureOnly(GstElement*, GstPad*, GstCaps* caps, gpointer) {
        if (gst_caps_is_empty(caps) || gst_caps_is_any(caps))
            return TRUE;
        const char* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
        for (const char* skipped : {"audio/", "text/", "subpicture/", "closedcaption/",
                                    "application/x-ass", "application/x-ssa"})
            if (Starts(name, skipped))
                return FALSE;
        return TRUE;
    }

    // Streaming thread: decoders at one thread each, so that the preview
    // leaves the cores to the clip that plays.
    static void OneThread(GstBin*, GstBin*, GstElement* element, gpointer) {
        if (HasProperty(element, "max-threads"))
            g_object_set(element, "max-threads", 1, nullptr);
    }

    // Streaming thread: the first raw picture to the scaler, the rest dropped.
    static void OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
        auto* self = static_cast<GstThumbnailSource*>(data);
        if (!self->video_ && CapsName(pad) == "video/x-raw") {
            // The picture is stood upright before it is scaled down.
            GstPad* input = gst_element_get_static_pad(self->upright_, "sink");
            self->video_ = gst_pad_link(pad, input) == GST_PAD_LINK_OK;
            gst_object_unref(input);
            if (self->video_)
                return;
        }
        GstElement* drop = gst_element_factory_make("fakesink", nullptr);
        g_object_set(drop, "sync", FALSE, "async", FALSE, nullptr);
        gst_bin_add(GST_BIN(self->pipeline_), drop);
        gst_element_sync_state_with_parent(drop);
        GstPad* input = gst_element_get_static_pad(drop, "sink");
        gst_pad_link(pad, input);
        gst_object_unref(input);
    }

    std::string uri_;
    GstElement* pipeline_ = nullptr;
    GstElement* upright_ = nullptr;  // owned by the pipeline
    GstElement* scale_ = nullptr;    // owned by the pipeline
    GstElement* sink_ = nullptr;     // owned by the pipeline
    std::atomic<bool> video_{false};
    HRESULT broken_ = S_OK;
};

}  // namespace

HRESULT NewThumbnailSource(const std::string& fileName, std::shared_ptr<IThumbnailSource>* out) {
    std::string uri;
    bool network = false;
    HRESULT hr = ResolveUri(fileName, &uri, &network);
    if (FAILED(hr))
        return hr;
    if (network)
        return VFW_E_UNSUPPORTED_STREAM;
    *out = std::make_shared<GstThumbnailSource>(uri);
    return S_OK;
}

}  // namespace tavimo::gst_internal
