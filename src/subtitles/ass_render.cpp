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
    if (!(key == key_)) {
        bands_.clear();  // prepared for another layout: nothing to keep
        spare_.clear();
    }
    if (!prepared_ || frame.Changed() != 0 || !(key == key_)) {
        key_ = key;
        Rebuild(frame.Images());
    }
    return drawn_;
}

// Each band of the images either found among the bands before, as it was,
// or built again in the memory of one no longer drawn.
void AssRender::Rebuild(const ass_image* images) {
    constexpr size_t kSpareBands = 8;
    prepared_ = true;
    for (Band& band : bands_)
        spare_.push_back(std::move(band));
    bands_.clear();
    FindBands(images);
    const size_t count = bandStart_.size() - 1;
    bands_.resize(count);
    for (size_t b = 0; b < count; ++b) {
        const auto* first = sorted_.data() + bandStart_[b];
        const size_t n = bandStart_[b + 1] - bandStart_[b];
        const auto same =
            std::ranges::find_if(spare_, [&](const Band& old) { return Same(old, first, n); });
        if (same != spare_.end()) {
            bands_[b] = std::move(*same);
            spare_.erase(same);
        }
    }
    drawn_ = false;
    for (size_t b = 0; b < count; ++b) {
        if (!bands_[b].known) {  // not kept: built, if it can be, in a spare one's memory
            if (!spare_.empty()) {
                bands_[b] = std::move(spare_.back());
                spare_.pop_back();
            }
            Build(bands_[b], sorted_.data() + bandStart_[b], bandStart_[b + 1] - bandStart_[b]);
        }
        drawn_ = drawn_ || !bands_[b].lumaRuns.empty();
    }
    if (spare_.size() > kSpareBands)
        spare_.resize(kSpareBands);
}

// The images inside the frame grouped into bands: each image's rows, widened
// to whole chroma blocks, and images whose rows meet share a band. Fills
// sorted_ (libass's order within a band) and bandStart_ (one past the last
// band too).
void AssRender::FindBands(const ass_image* images) {
    const int32_t W = key_.width, H = key_.height;
    const int32_t block = key_.layout == Layout::Yuv420 ? 2 : 1;
    pieces_.clear();
    for (const ass_image* img = images; img != nullptr; img = img->next) {
        const int32_t top = std::max(img->dst_y, 0), bottom = std::min(img->dst_y + img->h, H);
        if (img->w <= 0 || std::max(img->dst_x, 0) >= std::min(img->dst_x + img->w, W) ||
            top >= bottom)
            continue;  // nothing of it inside the frame
        pieces_.push_back(
            {top / block * block, (bottom + block - 1) / block * block, 0, pieces_.size(), img});
    }
    // From the top down, a piece starting below all rows before it opens a band.
    std::ranges::sort(pieces_, {}, &Piece::top);
    int32_t reach = INT32_MIN;
    size_t band = 0;
    for (Piece& piece : pieces_) {
        if (piece.top >= reach && reach != INT32_MIN)
            ++band;
        piece.band = band;
        reach = std::max(reach, piece.bottom);
    }
    std::ranges::sort(pieces_, [](const Piece& a, const Piece& b) {
        return a.band != b.band ? a.band < b.band : a.order < b.order;
    });
    sorted_.clear();
    bandStart_.assign(1, 0);
    for (size_t i = 0; i < pieces_.size(); ++i) {
        sorted_.push_back(pieces_[i].image);
        if (i + 1 == pieces_.size() || pieces_[i + 1].band != pieces_[i].band)
            bandStart_.push_back(i + 1);
    }
}

// Whether `band` was built from `count` images that draw as these do: the
// same places, colours and coverage.
bool AssRender::Same(const Band& band, const ass_image* const* images, size_t count) const {
    if (!band.known || band.sources.size() != count)
        return false;
    const uint8_t* mask = band.masks.data();
    for (size_t i = 0; i < count; ++i) {
        const Source& s = band.sources[i];
        const ass_image& img = *images[i];
        if (s.x != img.dst_x || s.y != img.dst_y || s.w != img.w || s.h != img.h ||
            s.color != img.color)
            return false;
        for (int32_t y = 0; y < s.h; ++y, mask += s.w) {
            if (std::memcmp(mask, img.bitmap + int64_t{y} * img.stride, static_cast<size_t>(s.w)))
                return false;
        }
    }
    return true;
}

// The band's runs from its images, and what they were, to know them again:
// unless their coverage would take more than a frame's pixels to keep.
void AssRender::Build(Band& band, const ass_image* const* images, size_t count) {
    band.sources.clear();
    band.masks.clear();
    band.lumaRuns.clear();
    band.luma.clear();
    band.chromaRuns.clear();
    band.chroma.clear();
    band.covered.clear();
    int64_t maskBytes = 0;
    for (size_t i = 0; i < count; ++i)
        maskBytes += int64_t{images[i]->w} * images[i]->h;
    band.known = maskBytes <= int64_t{key_.width} * key_.height;
    for (size_t i = 0; band.known && i < count; ++i) {
        const ass_image& img = *images[i];
        band.sources.push_back({img.dst_x, img.dst_y, img.w, img.h, img.color});
        for (int32_t y = 0; y < img.h; ++y) {
            const uint8_t* row = img.bitmap + int64_t{y} * img.stride;
            band.masks.insert(band.masks.end(), row, row + img.w);
        }
    }
    Composite(images, count);
    CollectLuma(band);
    if (key_.layout == Layout::Yuy2) {
        CollectChroma<1>(band);
    } else if (key_.layout == Layout::Yuv420) {
        CollectChroma<2>(band);
    }
    // The stretches of rows some image covers, for Rows.
    for (int32_t y = 0, first = -1; y <= boxH_; ++y) {
        const bool covered =
            y < boxH_ && spans_[static_cast<size_t>(y)].right > spans_[static_cast<size_t>(y)].left;
        if (covered && first < 0)
            first = y;
        if (!covered && first >= 0) {
            band.covered.push_back(boxY_ + first);
            band.covered.push_back(boxY_ + y - 1);
            first = -1;
        }
    }
}

// Every image over the ones before it, in libass's order (shadows, then
// outlines, then bodies), into one premultiplied overlay over their box.
void AssRender::Composite(const ass_image* const* images, size_t count) {
    const int32_t W = key_.width, H = key_.height;
    int32_t x0 = W, y0 = H, x1 = 0, y1 = 0;
    for (size_t i = 0; i < count; ++i) {
        const ass_image* img = images[i];
        x0 = std::min(x0, std::max(img->dst_x, 0));
        y0 = std::min(y0, std::max(img->dst_y, 0));
        x1 = std::max(x1, std::min(img->dst_x + img->w, W));
        y1 = std::max(y1, std::min(img->dst_y + img->h, H));
    }
    boxX_ = x0, boxY_ = y0, boxW_ = x1 - x0, boxH_ = y1 - y0;
    // Each row keeps the columns images cover, and only those are cleared
    // and read.
    spans_.assign(static_cast<size_t>(boxH_), RowSpan{boxW_, 0});
    const size_t bytes = size_t{4} * static_cast<size_t>(boxW_) * static_cast<size_t>(boxH_);
    if (overlayBytes_ < bytes) {
        overlay_ = std::make_unique_for_overwrite<uint8_t[]>(bytes);
        overlayBytes_ = bytes;
    }
    for (size_t i = 0; i < count; ++i) {
        const ass_image* img = images[i];
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
    for (size_t i = 0; i < count; ++i)
        CompositeImage(*images[i]);
}

// One image over what the overlay holds. Coverage is mostly none (between
// glyphs) or full (inside them), eight pixels at a time: the one skipped,
// the other of an opaque colour written as the colour itself. The four
// channels of a pixel go through the sums at once, as 16-bit lanes of one
// 64-bit word.
void AssRender::CompositeImage(const ass_image& img) {
    constexpr uint64_t kLanes = 0x00FF00FF00FF00FF;
    const auto load = [](const uint8_t* q) {  // bytes 0-3 into lanes 0-3
        return uint64_t{q[0]} | uint64_t{q[1]} << 16 | uint64_t{q[2]} << 32 | uint64_t{q[3]} << 48;
    };
    const uint32_t opacity = 255 - (img.color & 255);
    const uint8_t solid[4] = {static_cast<uint8_t>(img.color >> 24),
                              static_cast<uint8_t>(img.color >> 16),
                              static_cast<uint8_t>(img.color >> 8), 255};
    const uint64_t colour = load(solid);
    const auto over = [&](uint8_t* q, uint32_t coverage) {
        if (coverage == 255 && opacity == 255) {
            std::memcpy(q, solid, 4);
            return;
        }
        const uint32_t a = Div255(coverage * opacity);
        if (a == 0)
            return;
        // Div255 of each lane: every sum stays below 2^16.
        uint64_t x = colour * a + load(q) * (255 - a) + 0x0080008000800080;
        x = ((x + ((x >> 8) & kLanes)) >> 8) & kLanes;
        for (int c = 0; c < 4; ++c)
            q[c] = static_cast<uint8_t>(x >> (16 * c));
    };
    const int32_t left = std::max(img.dst_x, boxX_),
                  right = std::min(img.dst_x + img.w, boxX_ + boxW_);
    const int32_t top = std::max(img.dst_y, boxY_),
                  bottom = std::min(img.dst_y + img.h, boxY_ + boxH_);
    uint8_t solidEight[32];
    for (int i = 0; i < 8; ++i)
        std::memcpy(solidEight + 4 * i, solid, 4);
    for (int32_t y = top; y < bottom; ++y) {
        const uint8_t* mask = img.bitmap + int64_t{y - img.dst_y} * img.stride + (left - img.dst_x);
        uint8_t* q = overlay_.get() + (int64_t{y - boxY_} * boxW_ + (left - boxX_)) * 4;
        int32_t x = left;
        for (; right - x >= 8; x += 8, q += 32, mask += 8) {
            uint64_t eight;
            std::memcpy(&eight, mask, 8);
            if (eight == ~uint64_t{0} && opacity == 255) {
                std::memcpy(q, solidEight, 32);
            } else if (eight != 0) {
                for (int i = 0; i < 8; ++i)
                    over(q + 4 * i, mask[i]);
            }
        }
        for (; x < right; ++x, q += 4, ++mask)
            over(q, *mask);
    }
}

// The full-resolution plane: packed RGB, or YUV's luma.
void AssRender::CollectLuma(Band& band) {
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
            band.lumaRuns, band.luma);
    }
}

// YUV's chroma: each sample the mean of a block of 2 x BlockH pixels, pixels
// outside the images counting as transparent.
template <int BlockH>
void AssRender::CollectChroma(Band& band) {
    constexpr int32_t kBlockW = 2, kArea = kBlockW * BlockH;
    const YuvFactors k = FactorsFor(key_.matrix, key_.fullRange);
    for (int32_t cy = boxY_ / BlockH; cy <= (boxY_ + boxH_ - 1) / BlockH; ++cy) {
        // The block rows inside the box, and the columns any of them covers.
        const int32_t first = std::max(cy * BlockH - boxY_, 0);
        const int32_t last = std::min(cy * BlockH + BlockH - boxY_, boxH_);
        RowSpan cover{boxW_, 0};
        for (int32_t y = first; y < last; ++y) {
            const RowSpan span = spans_[static_cast<size_t>(y)];
            cover = {std::min(cover.left, span.left), std::max(cover.right, span.right)};
        }
        if (cover.right <= cover.left)
            continue;
        const int32_t cx0 = (boxX_ + cover.left) / kBlockW;
        const int32_t cx1 = (boxX_ + cover.right - 1) / kBlockW;
        AppendRow(
            cy, cx0, cx1 - cx0 + 1,
            [&](int32_t i) {
                uint32_t r = 0, g = 0, b = 0, a = 0;
                const int32_t xa = std::max((cx0 + i) * kBlockW - boxX_, cover.left);
                const int32_t xb = std::min((cx0 + i) * kBlockW + kBlockW - boxX_, cover.right);
                for (int32_t y = first; y < last; ++y) {
                    const RowSpan span = spans_[static_cast<size_t>(y)];
                    const uint8_t* q = overlay_.get() + int64_t{y} * boxW_ * 4;
                    for (int32_t x = std::max(xa, span.left); x < std::min(xb, span.right); ++x) {
                        r += q[4 * x], g += q[4 * x + 1], b += q[4 * x + 2], a += q[4 * x + 3];
                    }
                }
                if (a == 0)
                    return Px{0, 0, 0, 255};
                const auto mean = [](uint32_t sum) {
                    return static_cast<int32_t>((sum + kArea / 2) / kArea);
                };
                const int32_t mr = mean(r), mg = mean(g), mb = mean(b), ma = mean(a);
                return Px{0, Apply(k.cb, mr, mg, mb, ma), Apply(k.cr, mr, mg, mb, ma),
                          static_cast<uint8_t>(255 - ma)};
            },
            band.chromaRuns, band.chroma);
    }
}

}  // namespace tavimo
