// The H.264 decoder's element and what its files share: the direct
// rendering into the converter's pool (avcodec_video_direct.cpp), the
// mapping of libav's pictures to caps and their output
// (avcodec_video_output.cpp) and the properties (avcodec_video_properties.cpp).
// Not for use outside the decoder; see avcodec_decoders.h.
#pragma once

#include <gst/video/gstvideodecoder.h>
#include <gst/video/video.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace tavimo::h264dec {

GST_DEBUG_CATEGORY_EXTERN(h264_debug);
#define GST_CAT_DEFAULT h264_debug

// What of a picture decides the output caps; compared picture by picture.
struct Traits {
    int format = AV_PIX_FMT_NONE;
    int width = 0, height = 0;
    AVRational sar{0, 1};
    bool interlaced = false, tff = false, rff = false;
    AVChromaLocation site = AVCHROMA_LOC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;

    bool operator==(const Traits& o) const {
        return format == o.format && width == o.width && height == o.height &&
               av_cmp_q(sar, o.sar) == 0 && interlaced == o.interlaced && tff == o.tff &&
               rff == o.rff && site == o.site && primaries == o.primaries &&
               transfer == o.transfer && matrix == o.matrix && range == o.range;
    }
};

// The layout of the converter's pool buffers libav decodes into directly.
struct DirectPool {
    GstBufferPool* pool = nullptr;  // active while set; null: no direct rendering
    GstVideoInfo info;              // the negotiated caps (the buffers' video meta)
    int av = AV_PIX_FMT_NONE;
    int linesize[4] = {};
    int rows = 0;  // rows each buffer holds (padding included)
};

struct TavimoH264Dec {
    GstVideoDecoder parent;
    AVCodecContext* context;
    AVFrame* picture;
    GstVideoCodecState* input;
    Traits traits;            // of the negotiated output
    GstVideoInfo outputInfo;  // the negotiated output (format UNKNOWN: none yet)
    bool fieldOrderChanged;
    GMutex lock;            // guards the three below (libav's threads allocate)
    DirectPool direct;      // with lock
    GHashTable* allocated;  // numbers of the frames libav took a picture for; with lock
    AVBufferPool* spare;    // pictures when not rendering directly (of spareSize); with lock
    size_t spareSize;
    // The properties, as GStreamer's libav decoder has them (the Filters
    // menu lists them); under the object's lock.
    int lowres, skipFrame, maxThreads, threadType, compliance;
    bool directRendering, outputCorrupt, debugMv;
};

inline TavimoH264Dec* Self(gpointer decoder) {
    return reinterpret_cast<TavimoH264Dec*>(decoder);
}

// avcodec_video_direct.cpp

// The sizes libav decodes a picture of `format` and `width` x `height` into:
// the rows and each plane's line length, aligned as its own allocator does.
void LibavLayout(AVCodecContext* context, int format, int width, int height, int linesize[4],
                 int* rows, int* paddedWidth);

// libav's get_buffer2, on its threads or the streaming thread.
int GetBuffer(AVCodecContext* context, AVFrame* picture, int flags);

// Any thread: the pool pictures are decoded into from now on (a ref is
// taken; null pool: none, and libav's own memory is used).
void SetDirectPool(TavimoH264Dec* self, const DirectPool& direct);

// Streaming thread, after the base class decided the allocation: the
// converter's pool, laid out as libav decodes (padding, strides), then
// pictures are decoded straight into it; the one already in use stays while
// the caps do. Any other pool is used as it is.
void UseConverterPool(TavimoH264Dec* self, GstQuery* query);

// Streaming thread: the picture's own buffer when it was decoded into the
// converter's pool for the caps negotiated now; else a copy in a buffer of
// the pool.
GstFlowReturn FillOutput(TavimoH264Dec* self, GstVideoCodecFrame* frame, const AVFrame* picture);

// avcodec_video_output.cpp

// The traits the parser's caps announce (size, chroma layout and depth):
// negotiating them before the first picture lets it, too, be decoded into
// the converter's pool. The first picture corrects them.
bool TraitsFromCaps(const GstStructure* s, const GstVideoInfo& in, Traits* t);

// Streaming thread: caps for pictures of `t`, negotiated unless they are
// those already negotiated. False when downstream refuses them.
bool Negotiate(TavimoH264Dec* self, const Traits& t);

// Streaming thread: every picture libav has ready, pushed in order.
GstFlowReturn Receive(TavimoH264Dec* self);

// avcodec_video_properties.cpp

// Class init: the properties GStreamer's libav decoder has, on `klass`.
void InstallProperties(GObjectClass* klass);

}  // namespace tavimo::h264dec
