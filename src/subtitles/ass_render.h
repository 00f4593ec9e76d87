// AssRender: blends the images libass draws for an ASS/SSA script into the
// mixer's frames, with the script's colours and alpha. The images of a frame
// are composited once into a premultiplied overlay in the frame's own colour
// model (RGB, or YUV with its chroma subsampled as the frame stores it); a
// frame whose images libass reports unchanged only blends that overlay.
#pragma once

#include "subtitles/ass_script.h"
#include "subtitles/subtitle_mixer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavimo {

class AssRender {
  public:
    // Asks `script` for its images at `timeMs` (script time) on frames of
    // `format` (at its pixel aspect), bottom-placed events raised by `linePosition` % of the
    // height, and prepares them for Blend; libass's own "unchanged" answer
    // keeps what was prepared. True when Blend has something to draw.
    // Streaming thread; allocates only when the images grow.
    bool Prepare(AssScript& script, const VideoFormat& format, int64_t timeMs, double linePosition);

    // Blends what the last Prepare made into `frame`, laid out as its format.
    // A frame whose strides or planes do not fit is left unchanged. Streaming
    // thread.
    void Blend(const VideoPlanes& frame) const;

    // The image rows (top-down) the images cover, which Blend writes (and
    // no other), added to `rows`; false when it writes none. Streaming
    // thread.
    bool Rows(RowRanges* rows) const;

    // Forgets what was prepared; the next Prepare builds it again. Any
    // thread that owns the object.
    void Reset() { prepared_ = false; }

    // One premultiplied sample: three colour values (RGB: blue, green, red;
    // YUV: Y, Cb, Cr) already multiplied by the overlay's alpha, and 255
    // minus that alpha, which the frame's own value is scaled by.
    struct Px {
        uint8_t c0, c1, c2, inverseAlpha;
    };
    // A horizontal run of samples that are not fully transparent. Rows and
    // columns count in the plane's own samples (chroma: subsampled).
    struct Run {
        int32_t row, x0, x1;  // x1 exclusive
        uint32_t first;       // index of the run's first sample
        bool opaque;          // every sample has inverseAlpha 0
    };

    // How the target stores its pixels.
    enum class Layout { None, Bgrx, Bgr, Rgb, Rgb565, Rgb555, Yuy2, Yuv420 };

  private:
    // What the prepared overlay was built for.
    struct Key {
        Layout layout = Layout::None;
        VideoSubtype subtype = VideoSubtype::Other;
        int32_t width = 0, height = 0;
        int matrix = 0;
        bool fullRange = false;
        bool operator==(const Key&) const = default;
    };

    void Rebuild(const ass_image* images);
    void Composite(const ass_image* images);
    void CompositeImage(const ass_image& image);
    void CollectLuma();
    void CollectChroma(int32_t blockW, int32_t blockH);
    void BlendYuv420(const VideoPlanes& frame) const;

    Key key_;
    bool prepared_ = false;
    // The overlay: premultiplied red, green, blue, alpha over the images'
    // bounding box, clipped to the frame. Left uninitialised: only the
    // columns that images cover are cleared and read, so a box from a sign
    // at the top to the dialogue at the bottom (most of a 1080p frame) makes
    // resident just the pages of those columns.
    int32_t boxX_ = 0, boxY_ = 0, boxW_ = 0, boxH_ = 0;
    std::unique_ptr<uint8_t[]> overlay_;
    size_t overlayBytes_ = 0;
    struct RowSpan {
        int32_t left, right;  // columns of the box that images cover, right exclusive
    };
    std::vector<RowSpan> spans_;  // one per row of the box
    std::vector<Run> lumaRuns_;   // packed RGB, or the luma plane (Y in c0)
    std::vector<Px> luma_;
    std::vector<Run> chromaRuns_;  // YUV: Cb in c1, Cr in c2
    std::vector<Px> chroma_;
};

}  // namespace tavimo
