// The renderer's current frame as a picture (GetCurrentImage), and its
// conversion to 8-bit RGB at the frame's own size.
#include <cstring>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "subtitles/drawn_band_meta.h"
#include "subtitles/note_under_meta.h"

namespace tavimo::gst_internal {

HRESULT CopyRgbxSample(GstSample* sample, VideoImage* image) {
    GstVideoInfo info;
    GstVideoFrame frame;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        !gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ))
        return E_FAIL;
    const size_t row = size_t(info.width) * 4;
    image->width = info.width;
    image->height = info.height;
    image->rgbx.resize(row * info.height);
    const auto* from = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int y = 0; y < info.height; ++y)
        std::memcpy(image->rgbx.data() + row * y, from + size_t(stride) * y, row);
    gst_video_frame_unmap(&frame);
    return S_OK;
}

namespace {

constexpr GstClockTime kConvertTimeout = 5 * GST_SECOND;

class GstCurrentImage : public ICurrentImage {
  public:
    explicit GstCurrentImage(GstSample* sample) : sample_(sample) {}
    ~GstCurrentImage() override { gst_sample_unref(sample_); }

    // Any thread: videoconvert to RGBx, same width, height and pixel shape.
    HRESULT GetBitmap(VideoImage* image) override {
        GstVideoInfo in;
        if (!gst_video_info_from_caps(&in, gst_sample_get_caps(sample_)))
            return E_FAIL;
        GstCaps* caps =
            gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", "width", G_TYPE_INT,
                                in.width, "height", G_TYPE_INT, in.height, "pixel-aspect-ratio",
                                GST_TYPE_FRACTION, in.par_n, in.par_d, nullptr);
        // The picture and its subtitle (drawn beside the frame, or into it),
        // without the note burnt in over them.
        GstBuffer* drawn = WithDrawnBand(gst_sample_get_buffer(sample_), in);
        GstBuffer* clean = drawn ? WithoutNote(drawn, in) : nullptr;
        gst_clear_buffer(&drawn);
        GstSample* picture = clean ? gst_sample_new(clean, gst_sample_get_caps(sample_),
                                                    gst_sample_get_segment(sample_), nullptr)
                                   : nullptr;
        gst_clear_buffer(&clean);
        GError* error = nullptr;
        GstSample* rgb =
            picture ? gst_video_convert_sample(picture, caps, kConvertTimeout, &error) : nullptr;
        if (picture)
            gst_sample_unref(picture);
        gst_caps_unref(caps);
        g_clear_error(&error);
        if (!rgb)
            return E_FAIL;
        HRESULT hr = CopyRgbxSample(rgb, image);
        gst_sample_unref(rgb);
        return hr;
    }

    REFERENCE_TIME Time() override {
        const GstSegment* segment = gst_sample_get_segment(sample_);
        GstBuffer* buffer = gst_sample_get_buffer(sample_);
        GstClockTime pts = GST_BUFFER_PTS(buffer);
        if (!segment || segment->format != GST_FORMAT_TIME || !GST_CLOCK_TIME_IS_VALID(pts))
            return -1;
        // The frame an accurate seek landed in: its own start (52.240 for a
        // seek to 52.261), not the seek's target.
        pts = FrameOwnStart(buffer, *segment, gst_sample_get_caps(sample_));
        guint64 time = 0;
        const int sign = gst_segment_to_stream_time_full(segment, GST_FORMAT_TIME, pts, &time);
        if (sign == 0)
            return -1;
        return sign > 0 ? REFERENCE_TIME(time / 100) : 0;
    }

  private:
    GstSample* sample_;
};

}  // namespace

// UI thread: the frame kept by KeepFrame with the pad's caps and segment now.
HRESULT VideoRendererFilter::GetCurrentImage(std::shared_ptr<ICurrentImage>* image) {
    GstBuffer* buffer = nullptr;
    {
        std::lock_guard lock(frameMutex_);
        if (frame_)
            buffer = gst_buffer_ref(frame_);
    }
    GstPad* pad = gst_element_get_static_pad(element_, "sink");
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    gst_object_unref(pad);
    const GstSegment* segment = nullptr;
    if (event)
        gst_event_parse_segment(event, &segment);
    HRESULT hr = VFW_E_NOT_CONNECTED;
    if (buffer && caps) {
        *image = std::make_shared<GstCurrentImage>(gst_sample_new(buffer, caps, segment, nullptr));
        hr = S_OK;
    }
    if (event)
        gst_event_unref(event);
    if (caps)
        gst_caps_unref(caps);
    if (buffer)
        gst_buffer_unref(buffer);
    return hr;
}

}  // namespace tavimo::gst_internal
