// "Video Mixing Renderer 9": the video sink in the view's native surface, with
// videoscale in front of a sink that cannot scale.
#include <gst/base/gstbasetransform.h>
#include <gst/video/videooverlay.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/swscale_convert.h"
#include "view/window_fit.h"

namespace tavimo::gst_internal {
namespace {

// The width in square pixels of a picture `width` stored pixels wide whose
// pixels are parN:parD (rounded; `width` itself for an unknown aspect).
int SquarePixelWidth(int width, int parN, int parD) {
    if (parN <= 0 || parD <= 0)
        return width;
    const int64_t square = (int64_t(width) * parN + parD / 2) / parD;
    return int(std::clamp<int64_t>(square, 1, INT32_MAX));
}

// The largest rectangle of a `width` x `height` picture's shape inside
// `dest`, centred, as the converter places a picture in a frame of another
// shape (the same rounding, and shapes within 0.05 % taken as equal).
RECT Letterboxed(const RECT& dest, long width, long height) {
    const double picture = double(width) / double(height);
    const double frame = double(dest.Width()) / double(dest.Height());
    int w = dest.Width(), h = dest.Height();
    if (picture > frame * 1.0005)
        h = std::clamp(int(std::lround(h * frame / picture)), 1, h);
    else if (picture < frame / 1.0005)
        w = std::clamp(int(std::lround(w * picture / frame)), 1, w);
    const int left = dest.left + (dest.Width() - w) / 2;
    const int top = dest.top + (dest.Height() - h) / 2;
    return RECT{left, top, left + w, top + h};
}

}  // namespace

VideoRendererFilter::VideoRendererFilter(GstElement* bin, GstElement* sink, GstElement* scale,
                                         GstElement* size)
    : ElementFilter(bin, Role::VideoRenderer), sink_(sink), scale_(scale), size_(size) {
    // The window's events are Qt's, and its paints come back as RepaintVideo:
    // without either ximagesink runs no thread to look for X events (it woke
    // 20 times a second to find none).
    if (GST_IS_VIDEO_OVERLAY(sink_))
        gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink_), FALSE);
    if (HasProperty(sink_, "handle-expose"))
        g_object_set(sink_, "handle-expose", FALSE, nullptr);
    GstPad* pad = gst_element_get_static_pad(element_, "sink");
    probe_ = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, KeepFrame, this, nullptr);
    gst_object_unref(pad);
    if (scale_ && size_) {
        GstPad* in = gst_element_get_static_pad(scale_, "sink");
        firstSize_ = std::make_shared<FirstSize>();
        firstSize_->size = GST_ELEMENT(gst_object_ref(size_));
        gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, KeepFirstSize,
                          new std::shared_ptr<FirstSize>(firstSize_), [](gpointer first) {
                              delete static_cast<std::shared_ptr<FirstSize>*>(first);
                          });
        GstPad* into = gst_element_get_static_pad(sink_, "sink");
        gst_pad_add_probe(into, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, IgnoreWindowResize,
                          gst_object_ref(size_), gst_object_unref);
        gst_object_unref(into);
        gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, KeepInputPool,
                          gst_object_ref(scale_), gst_object_unref);
        gst_object_unref(in);
    }
    HoldLateFramesAfterNewCaps(sink_);
}

VideoRendererFilter::~VideoRendererFilter() {
    GstPad* pad = gst_element_get_static_pad(element_, "sink");
    gst_pad_remove_probe(pad, probe_);
    gst_object_unref(pad);
    std::lock_guard lock(frameMutex_);
    gst_clear_buffer(&frame_);
}

// Streaming thread: one reference taken and one given back per frame.
GstPadProbeReturn VideoRendererFilter::KeepFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<VideoRendererFilter*>(data);
    GstBuffer* buffer = gst_buffer_ref(GST_PAD_PROBE_INFO_BUFFER(info));
    {
        std::lock_guard lock(self->frameMutex_);
        std::swap(self->frame_, buffer);
    }
    if (buffer)
        gst_buffer_unref(buffer);  // the frame before, outside the lock
    return GST_PAD_PROBE_OK;
}

bool VideoRendererFilter::ConvertsThroughOwnPool() const {
    return IsSwscaleConvert(scale_);
}

HRESULT VideoRendererFilter::QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out) {
    *out = std::shared_ptr<IVMRFilterConfig9>(shared_from_this(), this);
    return S_OK;
}

HRESULT VideoRendererFilter::QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out) {
    *out = std::shared_ptr<IVMRWindowlessControl9>(shared_from_this(), this);
    return S_OK;
}

HRESULT VideoRendererFilter::SetRenderingMode(VMR9Mode mode) {
    return mode == VMR9Mode_Windowless ? S_OK : E_NOTIMPL;
}

HRESULT VideoRendererFilter::SetVideoClippingWindow(VideoWindow* window) {
    window_ = window;
    surface_ = window ? window->NativeSurface() : 0;
    if (window && firstSize_) {
        int width = 0, height = 0;
        window->PictureRoom(&width, &height);
        firstSize_->roomWidth = width;
        firstSize_->roomHeight = height;
        firstSize_->ratio = window->DevicePixelRatio();
    }
    if (surface_ && GST_IS_VIDEO_OVERLAY(sink_))
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), surface_);
    return S_OK;
}

HRESULT VideoRendererFilter::SetBorderColor(COLORREF color) {
    border_ = color;
    return S_OK;
}

HRESULT VideoRendererFilter::GetNativeVideoSize(long* width, long* height) {
    GstPad* pad = gst_element_get_static_pad(element_, "sink");
    GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
    GstVideoInfo info;
    bool ok = caps && gst_video_info_from_caps(&info, caps) && info.height > 0;
    if (ok) {
        *width = SquarePixelWidth(info.width, info.par_n, info.par_d);
        *height = info.height;
    }
    if (caps)
        gst_caps_unref(caps);
    if (pad)
        gst_object_unref(pad);
    return ok ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT VideoRendererFilter::SetAspectRatioMode(VMR9AspectRatioMode mode) {
    const bool changed = mode != mode_;
    mode_ = mode;
    gboolean keep = mode == VMR9ARMode_LetterBox;
    if (HasProperty(sink_, "force-aspect-ratio"))
        g_object_set(sink_, "force-aspect-ratio", keep, nullptr);
    if (scale_)
        g_object_set(scale_, "add-borders", keep, nullptr);
    // The picture is sized to its letterboxed part only while its aspect is kept.
    if (changed && window_ && !dest_.IsEmpty())
        PlaceAndScale();
    return S_OK;
}

HRESULT VideoRendererFilter::GetAspectRatioMode(VMR9AspectRatioMode* mode) {
    *mode = mode_;
    return S_OK;
}

HRESULT VideoRendererFilter::SetVideoPosition(const RECT* source, const RECT* dest) {
    if (source)
        source_ = *source;
    if (!dest)
        return S_OK;
    dest_ = *dest;
    if (window_)
        PlaceAndScale();
    return RepaintVideo();
}

// The surface over the destination, and a sink that cannot scale given the
// size of the picture's part of it (PictureRect). UI thread.
void VideoRendererFilter::PlaceAndScale() {
    window_->PlaceSurface(dest_);
    const RECT picture = PictureRect();
    if (size_ && !picture.IsEmpty())
        ScaleTo(picture, window_->DevicePixelRatio());
}

// Where the sink cannot scale and the picture keeps its aspect, the picture's
// part of the destination: letterboxed inside it, as ximagesink centres a
// smaller image in its window and fills the bands around it black on the X
// server's side. Frames and the sink's shared-memory images are then the
// picture's size rather than the destination's (full screen on 1920 x 1200,
// 16:9 clips save 1.8 MB of images, and the black rows converted and sent
// each frame). The destination itself otherwise, or while the picture's size
// is unknown. UI thread.
RECT VideoRendererFilter::PictureRect() {
    long width = 0, height = 0;
    if (!scale_ || mode_ != VMR9ARMode_LetterBox || dest_.IsEmpty() ||
        FAILED(GetNativeVideoSize(&width, &height)) || width <= 0 || height <= 0)
        return dest_;
    return Letterboxed(dest_, width, height);
}

HRESULT VideoRendererFilter::GetVideoPosition(RECT* source, RECT* dest) {
    if (source) {
        long w = 0, h = 0;
        *source = source_;
        if (source_.IsEmpty() && SUCCEEDED(GetNativeVideoSize(&w, &h)))
            *source = RECT{0, 0, int(w), int(h)};
    }
    if (dest)
        *dest = dest_;
    return S_OK;
}

HRESULT VideoRendererFilter::RepaintVideo() {
    if (GST_IS_VIDEO_OVERLAY(sink_))
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
    return S_OK;
}

// Streaming thread: the sink asks for its window.
void VideoRendererFilter::PrepareWindowHandle() {
    if (surface_ && GST_IS_VIDEO_OVERLAY(sink_))
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), surface_);
}

namespace {

// The widest first frame held: a crafted pixel aspect of 1000:1 would
// otherwise ask videoscale for frames 720,000 pixels wide.
constexpr int kWidestHeld = 8192;

// The size of the first frame in square pixels, at the picture's display
// aspect: its width times its pixel aspect, or where that is wider than
// kWidestHeld, that width and a height shrunk in proportion.
void SquarePixelSize(const GstVideoInfo& video, int* width, int* height) {
    *width = SquarePixelWidth(video.width, video.par_n, video.par_d);
    *height = video.height;
    if (*width > kWidestHeld) {
        *height = std::max(1, int(int64_t(*height) * kWidestHeld / *width));
        *width = kWidestHeld;
    }
}

// The caps the capsfilter behind videoscale holds now (a reference of the
// caller's; null when it holds none). Any thread.
GstCaps* HeldCaps(gpointer size) {
    GstCaps* held = nullptr;
    g_object_get(size, "caps", &held, nullptr);
    return held;
}

// Raw video of this size and pixel aspect ratio, for that capsfilter.
GstCaps* SizeCaps(int width, int height, int parN, int parD) {
    return gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height", G_TYPE_INT,
                               height, "pixel-aspect-ratio", GST_TYPE_FRACTION, parN, parD,
                               nullptr);
}

}  // namespace

// The size the view will give the picture at its first fit, in device
// pixels: `width` x `height` (square pixels) fitted into the view's room as
// the view fits itself to a clip (FitViewSize), at the view's pixel ratio,
// rounded as ScaleTo rounds. Unchanged while the room is unknown. Any thread.
void VideoRendererFilter::FitFirstSize(const FirstSize& first, int* width, int* height) {
    const int roomWidth = first.roomWidth, roomHeight = first.roomHeight;
    if (roomWidth <= 0 || roomHeight <= 0)
        return;
    const FitSize view = FitViewSize({*width, *height}, {0, 0}, {roomWidth, roomHeight});
    const double ratio = first.ratio;
    *width = std::max(1, int(view.width * ratio + 0.5));
    *height = std::max(1, int(view.height * ratio + 0.5));
}

// Streaming thread, at the first caps that reach videoscale, when the view
// has set no size yet: the capsfilter holds the picture's own size in square
// pixels (a PAL frame of 720 x 576 at 16:15 becomes 768 x 576), so the first
// frame of a square-pixel clip passes unscaled; a picture larger than the
// view's room is made as large as the room takes (FitFirstSize). ximagesink draws square pixels
// only and refuses any other pixel aspect: the clip would not play at all. Left open, the size
// would be the one ximagesink prefers, its window's, which before the view is laid out is a
// placeholder's (100x30): the first frame was scaled to it, and the size,
// pools and shared-memory images made again at the first frames played
// (at 2160p, 1 to 6 of them came late and were dropped). The view's size,
// when it is the picture's, then changes nothing.
GstPadProbeReturn VideoRendererFilter::KeepFirstSize(GstPad*, GstPadProbeInfo* info,
                                                     gpointer data) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    const auto& first = *static_cast<std::shared_ptr<FirstSize>*>(data);
    GstCaps* held = HeldCaps(first->size);
    const bool open = !held || gst_caps_is_any(held);
    if (held)
        gst_caps_unref(held);
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    GstVideoInfo video;
    if (open && gst_video_info_from_caps(&video, caps)) {
        int width = 0, height = 0;
        SquarePixelSize(video, &width, &height);
        FitFirstSize(*first, &width, &height);
        GstCaps* own = SizeCaps(width, height, 1, 1);
        g_object_set(first->size, "caps", own, nullptr);
        gst_caps_unref(own);
        // Nothing is negotiated behind it yet: the new caps need no second
        // negotiation (which would make the pools again).
        GstPad* out = gst_element_get_static_pad(first->size, "src");
        gst_pad_check_reconfigure(out);
        gst_object_unref(out);
    }
    return GST_PAD_PROBE_REMOVE;
}

// Streaming or UI thread, as ximagesink asks upstream to negotiate again
// because its window changed size: while the capsfilter holds a size, the
// window's size is not what decides the picture's (ScaleTo is), and the
// request would only make the converter's and the sink's pools again,
// shared-memory images and all, as the view is laid out at the start of
// playback.
GstPadProbeReturn VideoRendererFilter::IgnoreWindowResize(GstPad*, GstPadProbeInfo* info,
                                                          gpointer size) {
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_RECONFIGURE)
        return GST_PAD_PROBE_OK;
    GstCaps* held = HeldCaps(size);
    const bool fixed = held && gst_caps_is_fixed(held);
    if (held)
        gst_caps_unref(held);
    return fixed ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

// Streaming or UI thread, as a request to negotiate again leaves the
// scaler upstream (a new size in its capsfilter, or a sink's request): while
// the scaler converts, only its output changes, which it negotiates by
// itself. Passed on, the request made the decoder negotiate its pool again
// as well, and allocate all its pictures anew while the old ones were still
// held (at 2160p, some ten frames of 12 MB each at once).
GstPadProbeReturn VideoRendererFilter::KeepInputPool(GstPad*, GstPadProbeInfo* info,
                                                     gpointer scale) {
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_RECONFIGURE)
        return GST_PAD_PROBE_OK;
    return gst_base_transform_is_passthrough(GST_BASE_TRANSFORM(scale)) ? GST_PAD_PROBE_OK
                                                                        : GST_PAD_PROBE_DROP;
}

// A new size for the capsfilter behind videoscale, waiting for the next frame.
struct PendingSize {
    GstElement* size;  // a reference of its own
    GstCaps* caps;     // owned
};

void FreePendingSize(gpointer data) {
    auto* pending = static_cast<PendingSize*>(data);
    gst_object_unref(pending->size);
    gst_caps_unref(pending->caps);
    delete pending;
}

// Streaming thread, as a frame reaches videoscale: the capsfilter takes its
// new size now, and videoscale, asked to renegotiate, scales this very frame
// to it. Set from the UI thread instead, the size could change between
// videoscale's output and the capsfilter, which then refuses the frame and
// stops the clip for good (not-negotiated).
GstPadProbeReturn ApplyPendingSize(GstPad*, GstPadProbeInfo*, gpointer data) {
    auto* pending = static_cast<PendingSize*>(data);
    g_object_set(pending->size, "caps", pending->caps, nullptr);
    return GST_PAD_PROBE_REMOVE;
}

// Whether the capsfilter behind videoscale holds this size with square pixels.
// Any thread.
bool VideoRendererFilter::HoldsSize(int width, int height) const {
    GstCaps* held = HeldCaps(size_);
    const GstStructure* s = held && gst_caps_get_size(held) == 1 && !gst_caps_is_any(held)
                                ? gst_caps_get_structure(held, 0)
                                : nullptr;
    int w = 0, h = 0, parN = 0, parD = 0;
    const bool same = s && gst_structure_get_int(s, "width", &w) &&
                      gst_structure_get_int(s, "height", &h) &&
                      gst_structure_get_fraction(s, "pixel-aspect-ratio", &parN, &parD) &&
                      w == width && h == height && parN == parD;
    if (held)
        gst_caps_unref(held);
    return same;
}

// A sink that cannot scale gets the size of `place` in device pixels, from
// the next frame on. New caps make the converter negotiate again
// and the sink build a new pool of shared-memory images (33 MB each at
// 2160p), which holds the frames up long enough to come late and be dropped:
// an unchanged size sets nothing. UI thread.
void VideoRendererFilter::ScaleTo(const RECT& place, double ratio) {
    int w = std::max(1, int(place.Width() * ratio + 0.5));
    int h = std::max(1, int(place.Height() * ratio + 0.5));
    if (w == scaledWidth_ && h == scaledHeight_)
        return;
    const bool kept = scaledWidth_ == 0 && HoldsSize(w, h);
    scaledWidth_ = w;
    scaledHeight_ = h;
    if (kept)
        return;  // the first frame's own size (KeepFirstSize)
    GstCaps* caps = SizeCaps(w, h, 1, 1);
    GstPad* pad = gst_element_get_static_pad(scale_, "sink");
    // Probes run in the order they were added: the latest size wins.
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, ApplyPendingSize,
                      new PendingSize{GST_ELEMENT(gst_object_ref(size_)), caps}, FreePendingSize);
    gst_object_unref(pad);
}

}  // namespace tavimo::gst_internal
