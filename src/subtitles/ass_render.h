// AssRender: blends the images libass draws for an ASS/SSA script into the
// mixer's frames, with the script's colours and alpha. The images of a frame
// are composited once into a premultiplied overlay in the frame's own colour
// model (RGB, or YUV with its chroma subsampled as the frame stores it); a
// frame whose images libass reports unchanged only blends that overlay.
// Images fall into bands of rows no other image reaches (a sign at the top,
// the dialogue at the bottom): a band whose images come again as they were
// keeps what was prepared for it while another band moves or changes.
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

    // One image of a band as libass drew it, to know it again.
    struct Source {
        int32_t x, y, w, h;
        uint32_t color;
    };
    // Rows (on whole chroma blocks) that only this band's images cover, and
    // the runs prepared for them.
    struct Band {
        bool known = false;           // sources and masks hold its images
        std::vector<Source> sources;  // in libass's order
        std::vector<uint8_t> masks;   // their coverage, w bytes a row, one after the other
        std::vector<Run> lumaRuns;    // packed RGB, or the luma plane (Y in c0)
        std::vector<Px> luma;
        std::vector<Run> chromaRuns;  // YUV: Cb in c1, Cr in c2
        std::vector<Px> chroma;
        std::vector<int32_t> covered;  // stretches of rows images cover: first, last, ...
    };
    void Rebuild(const ass_image* images);
    void FindBands(const ass_image* images);
    bool Same(const Band& band, const ass_image* const* images, size_t count) const;
    void Build(Band& band, const ass_image* const* images, size_t count);
    void Composite(const ass_image* const* images, size_t count);
    void CompositeImage(const ass_image& image);
    void CollectLuma(Band& band);
    template <int BlockH>
    void CollectChroma(Band& band);
    void BlendBand(const VideoPlanes& frame, const Band& band) const;
    void BlendYuv420(const VideoPlanes& frame, const Band& band) const;

    Key key_;
    bool prepared_ = false;
    bool drawn_ = false;       // some band has samples to blend
    std::vector<Band> bands_;  // top to bottom
    std::vector<Band> spare_;  // the bands before, to keep or to reuse the memory of
    // The images of this frame by band (libass's order within each), and
    // where each band begins; scratch of FindBands.
    struct Piece {
        int32_t top, bottom;  // rows, widened to whole chroma blocks
        size_t band;
        size_t order;  // in libass's list
        const ass_image* image;
    };
    std::vector<Piece> pieces_;
    std::vector<const ass_image*> sorted_;
    std::vector<size_t> bandStart_;
    // The overlay of the band being built: premultiplied red, green, blue,
    // alpha over its images' bounding box, clipped to the frame. Left
    // uninitialised: only the columns that images cover are cleared and
    // read, so a box of a wide, sparse drawing makes resident just the pages
    // of those columns.
    int32_t boxX_ = 0, boxY_ = 0, boxW_ = 0, boxH_ = 0;
    std::unique_ptr<uint8_t[]> overlay_;
    size_t overlayBytes_ = 0;
    struct RowSpan {
        int32_t left, right;  // columns of the box that images cover, right exclusive
    };
    std::vector<RowSpan> spans_;  // one per row of the box
};

}  // namespace tavimo
