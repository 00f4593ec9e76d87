// AssRender's preparing: libass's images composited into one overlay, and
// its samples gathered into runs in the frame's colour model
// (ass_render_blend.cpp writes them into frames).
#include "subtitles/ass_render.h"

#include "subtitles/ass_render_internal.h"

#include <ass/ass.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavimo {
namespace {

using namespace ass_internal;

struct LayoutRow {
    VideoSubtype subtype;
    Layout layout;
};

constexpr LayoutRow kLayouts[] = {
    {VideoSubtype::RGB32, Layout::Bgrx},        {VideoSubtype::RGB24, Layout::Bgr},
    {VideoSubtype::RGB24RedFirst, Layout::Rgb}, {VideoSubtype::RGB565, Layout::Rgb565},
    {VideoSubtype::RGB555, Layout::Rgb555},     {VideoSubtype::YUY2, Layout::Yuy2},
    {VideoSubtype::YV12, Layout::Yuv420},       {VideoSubtype::I420, Layout::Yuv420},
    {VideoSubtype::NV12, Layout::Yuv420},
};

Layout LayoutOf(VideoSubtype subtype) {
    for (const LayoutRow& row : kLayouts) {
        if (row.subtype == subtype) {
            return row.layout;
        }
    }
    return Layout::None;
}

bool IsYuv(Layout layout) {
    return layout == Layout::Yuy2 || layout == Layout::Yuv420;
}

bool IsRgb(Layout layout) {
    return !IsYuv(layout) && layout != Layout::None;
}

// Premultiplied RGB to premultiplied Y'CbCr: each row holds the factors of
// red, green, blue and alpha, scaled by 2^16.
struct YuvFactors {
    int32_t y[4], cb[4], cr[4];
};

YuvFactors FactorsFor(int matrix, bool fullRange) {
    const double kr = matrix == 709 ? 0.2126 : 0.299;
    const double kb = matrix == 709 ? 0.0722 : 0.114;
    const double kg = 1.0 - kr - kb;
    const double ys = fullRange ? 1.0 : 219.0 / 255.0;  // luma span
    const double cs = fullRange ? 1.0 : 224.0 / 255.0;  // chroma span
    const double yo = fullRange ? 0.0 : 16.0 / 255.0;   // luma foot, per unit of alpha
    const double co = 128.0 / 255.0;
    const double cbs = cs / (2.0 * (1.0 - kb));
    const double crs = cs / (2.0 * (1.0 - kr));
    const double f[3][4] = {
        {ys * kr, ys * kg, ys * kb, yo},
        {-cbs * kr, -cbs * kg, cbs * (1.0 - kb), co},
        {crs * (1.0 - kr), -crs * kg, -crs * kb, co},
    };
    YuvFactors out{};
    for (int i = 0; i < 4; ++i) {
        out.y[i] = static_cast<int32_t>(std::lround(f[0][i] * 65536.0));
        out.cb[i] = static_cast<int32_t>(std::lround(f[1][i] * 65536.0));
        out.cr[i] = static_cast<int32_t>(std::lround(f[2][i] * 65536.0));
    }
    return out;
}

inline uint8_t Apply(const int32_t (&k)[4], int32_t r, int32_t g, int32_t b, int32_t a) {
    const int32_t v = (k[0] * r + k[1] * g + k[2] * b + k[3] * a + 32768) >> 16;
    return static_cast<uint8_t>(std::clamp(v, 0, a));
}

// Appends the runs of one row of `count` samples; `at(i)` gives sample i,
// whose inverseAlpha 255 marks it transparent.
template <typename At>
void AppendRow(int32_t row, int32_t x0, int32_t count, At at, std::vector<Run>& runs,
               std::vector<Px>& samples) {
    bool open = false;
    for (int32_t i = 0; i < count; ++i) {
        const Px p = at(i);
        if (p.inverseAlpha == 255) {
            open = false;
            continue;
        }
        // Opaque samples and the others go in runs of their own, so that
        // opaque ones are written without reading the frame.
        const bool opaque = p.inverseAlpha == 0;
        if (!open || runs.back().opaque != opaque) {
            runs.push_back(Run{row, x0 + i, x0 + i, static_cast<uint32_t>(samples.size()), opaque});
            open = true;
        }
        samples.push_back(p);
        ++runs.back().x1;
    }
}

}  // namespace

bool AssRender::Prepare(AssScript& script, const VideoFormat& format, int64_t timeMs,
                        double linePosition) {
    const Layout layout = LayoutOf(format.subtype);
    if (layout == Layout::None || format.width <= 0 || format.height <= 0) {
        prepared_ = false;
        return false;
    }
    const int32_t height = format.height;
    const double aspect = format.pixelAspect > 0 ? format.pixelAspect : 1.0;
    const AssScript::Frame frame =
        script.Render({format.width, height, aspect, timeMs, linePosition});
    Key key{layout, format.subtype, format.width, format.height, frame.Matrix(), frame.FullRange()};
    if (key.matrix == 0) {
        key.matrix = height > 576 ? 709 : 601;  // the video's own, most likely
    }
    if (!prepared_ || frame.Changed() != 0 || !(key == key_)) {
        key_ = key;
        Rebuild(frame.Images());
    }
    return !lumaRuns_.empty();
}

void AssRender::Rebuild(const ass_image* images) {
    prepared_ = true;
    lumaRuns_.clear();
    luma_.clear();
    chromaRuns_.clear();
    chroma_.clear();
    Composite(images);
    if (boxW_ == 0) {
        return;
    }
    CollectLuma();
    if (key_.layout == Layout::Yuy2) {
        CollectChroma(2, 1);
    } else if (key_.layout == Layout::Yuv420) {
        CollectChroma(2, 2);
    }
}

// Every image over the ones before it, in libass's order (shadows, then
// outlines, then bodies), into one premultiplied overlay.
void AssRender::Composite(const ass_image* images) {
    const int32_t W = key_.width, H = key_.height;
    int32_t x0 = W, y0 = H, x1 = 0, y1 = 0;
    for (const ass_image* img = images; img != nullptr; img = img->next) {
        if (img->w <= 0 || img->h <= 0)
            continue;
        x0 = std::min(x0, std::max(img->dst_x, 0));
        y0 = std::min(y0, std::max(img->dst_y, 0));
        x1 = std::max(x1, std::min(img->dst_x + img->w, W));
        y1 = std::max(y1, std::min(img->dst_y + img->h, H));
    }
    if (x1 <= x0 || y1 <= y0) {
        boxW_ = boxH_ = 0;
        return;
    }
    boxX_ = x0, boxY_ = y0, boxW_ = x1 - x0, boxH_ = y1 - y0;
    // Lines far apart (a sign at the top, dialogue at the bottom) share the
    // box: each row keeps the columns images cover, and only those are
    // cleared and read.
    spans_.assign(static_cast<size_t>(boxH_), RowSpan{boxW_, 0});
    const size_t bytes = size_t{4} * static_cast<size_t>(boxW_) * static_cast<size_t>(boxH_);
    if (overlayBytes_ < bytes) {
        overlay_ = std::make_unique_for_overwrite<uint8_t[]>(bytes);
        overlayBytes_ = bytes;
    }
    for (const ass_image* img = images; img != nullptr; img = img->next) {
        const int32_t left = std::max(img->dst_x, x0) - x0;
        const int32_t right = std::min(img->dst_x + img->w, x1) - x0;
        for (int32_t y = std::max(img->dst_y, y0); y < std::min(img->dst_y + img->h, y1); ++y) {
            RowSpan& span = spans_[static_cast<size_t>(y - y0)];
            span = {std::min(span.left, left), std::max(span.right, right)};
        }
    }
    for (int32_t y = 0; y < boxH_; ++y) {
        const RowSpan span = spans_[static_cast<size_t>(y)];
        if (span.right > span.left)
            std::memset(overlay_.get() + (int64_t{y} * boxW_ + span.left) * 4, 0,
                        size_t{4} * static_cast<size_t>(span.right - span.left));
    }
    for (const ass_image* img = images; img != nullptr; img = img->next)
        CompositeImage(*img);
}

// One image over what the overlay holds.
void AssRender::CompositeImage(const ass_image& img) {
    const uint32_t R = img.color >> 24, G = (img.color >> 16) & 255, B = (img.color >> 8) & 255,
                   opacity = 255 - (img.color & 255);
    const int32_t left = std::max(img.dst_x, boxX_),
                  right = std::min(img.dst_x + img.w, boxX_ + boxW_);
    const int32_t top = std::max(img.dst_y, boxY_),
                  bottom = std::min(img.dst_y + img.h, boxY_ + boxH_);
    for (int32_t y = top; y < bottom; ++y) {
        const uint8_t* mask = img.bitmap + int64_t{y - img.dst_y} * img.stride + (left - img.dst_x);
        uint8_t* q = overlay_.get() + (int64_t{y - boxY_} * boxW_ + (left - boxX_)) * 4;
        for (int32_t x = left; x < right; ++x, q += 4, ++mask) {
            const uint32_t a = Div255(uint32_t{*mask} * opacity);
            if (a == 0)
                continue;
            const uint32_t inv = 255 - a;
            q[0] = static_cast<uint8_t>(Div255(R * a + q[0] * inv));
            q[1] = static_cast<uint8_t>(Div255(G * a + q[1] * inv));
            q[2] = static_cast<uint8_t>(Div255(B * a + q[2] * inv));
            q[3] = static_cast<uint8_t>(Div255(255 * a + q[3] * inv));
        }
    }
}

// The full-resolution plane: packed RGB, or YUV's luma.
void AssRender::CollectLuma() {
    const YuvFactors k = FactorsFor(key_.matrix, key_.fullRange);
    const bool rgb = IsRgb(key_.layout);
    for (int32_t y = 0; y < boxH_; ++y) {
        const RowSpan span = spans_[static_cast<size_t>(y)];
        const uint8_t* row = overlay_.get() + (int64_t{y} * boxW_ + span.left) * 4;
        AppendRow(
            boxY_ + y, boxX_ + span.left, span.right - span.left,
            [&](int32_t i) {
                const uint8_t* q = row + 4 * i;
                const auto inv = static_cast<uint8_t>(255 - q[3]);
                if (rgb || inv == 255)
                    return Px{q[2], q[1], q[0], inv};
                return Px{Apply(k.y, q[0], q[1], q[2], q[3]), 0, 0, inv};
            },
            lumaRuns_, luma_);
    }
}

// YUV's chroma: each sample the mean of a block of blockW x blockH pixels,
// pixels outside the images counting as transparent.
void AssRender::CollectChroma(int32_t blockW, int32_t blockH) {
    const YuvFactors k = FactorsFor(key_.matrix, key_.fullRange);
    const int32_t area = blockW * blockH;
    for (int32_t cy = boxY_ / blockH; cy <= (boxY_ + boxH_ - 1) / blockH; ++cy) {
        // The block rows inside the box, and the columns any of them covers.
        const int32_t first = std::max(cy * blockH - boxY_, 0);
        const int32_t last = std::min(cy * blockH + blockH - boxY_, boxH_);
        RowSpan cover{boxW_, 0};
        for (int32_t y = first; y < last; ++y) {
            const RowSpan span = spans_[static_cast<size_t>(y)];
            cover = {std::min(cover.left, span.left), std::max(cover.right, span.right)};
        }
        if (cover.right <= cover.left)
            continue;
        const int32_t cx0 = (boxX_ + cover.left) / blockW;
        const int32_t cx1 = (boxX_ + cover.right - 1) / blockW;
        AppendRow(
            cy, cx0, cx1 - cx0 + 1,
            [&](int32_t i) {
                int32_t sum[4] = {0, 0, 0, 0};
                const int32_t xa = std::max((cx0 + i) * blockW - boxX_, cover.left);
                const int32_t xb = std::min((cx0 + i) * blockW + blockW - boxX_, cover.right);
                for (int32_t y = first; y < last; ++y) {
                    const RowSpan span = spans_[static_cast<size_t>(y)];
                    for (int32_t x = std::max(xa, span.left); x < std::min(xb, span.right); ++x) {
                        const uint8_t* q = overlay_.get() + (int64_t{y} * boxW_ + x) * 4;
                        for (int c = 0; c < 4; ++c)
                            sum[c] += q[c];
                    }
                }
                if (sum[3] == 0)
                    return Px{0, 0, 0, 255};
                int32_t m[4];
                for (int c = 0; c < 4; ++c)
                    m[c] = (sum[c] + area / 2) / area;
                return Px{0, Apply(k.cb, m[0], m[1], m[2], m[3]),
                          Apply(k.cr, m[0], m[1], m[2], m[3]), static_cast<uint8_t>(255 - m[3])};
            },
            chromaRuns_, chroma_);
    }
}

}  // namespace tavimo
