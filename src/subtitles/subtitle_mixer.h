// CSubtitles: the subtitle mixer's core. It looks up the entry due at a
// frame's time, draws its text into a 32-bit bitmap with QPainter and blends
// that bitmap into the frame by the rule of the frame's pixel format. Plain
// C++ and QtGui; the GStreamer element maps frames and calls it.
#pragma once

#include "subtitles/subrip_styles.h"
#include "subtitles/subtitle_shared.h"
#include "subtitles/subtitle_track.h"

#include <QFont>
#include <QImage>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavimo {

// Status codes in the COM convention (negative is failure).
enum class MixResult : int32_t {
    Ok = 0,                                              // S_OK
    TypeNotAccepted = static_cast<int32_t>(0x8004022A),  // VFW_E_TYPE_NOT_ACCEPTED
};

// Pixel layouts the mixer tells apart. I420 and NV12 share YV12's rule (their
// luma plane is the same; each gives the text neutral chroma where its Cb and
// Cr live); Other passes unchanged. RGB24 is stored blue,
// green, red (a Windows bitmap's order), RGB24RedFirst red, green, blue; the
// 16-bit layouts hold red in their top bits.
enum class VideoSubtype {
    YUY2,
    RGB24,
    RGB32,
    RGB565,
    RGB555,
    YV12,
    I420,
    NV12,
    RGB24RedFirst,
    Other
};

// Description of an offered input format; every format stores its rows
// top-down, as GStreamer's raw video does.
struct VideoFormat {
    VideoSubtype subtype = VideoSubtype::Other;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;     // bits per pixel of the packed or luma layout
    double pixelAspect = 1.0;  // width of a stored pixel over its height
};

// A mapped frame: plane 0 is the packed picture or the luma plane. Strides are
// in bytes, >= the row's length; other planes are never touched. Only the
// memory rows of plane 0 from `firstRow` up to `endRow` (exclusive), and
// the chroma rows under them, are written: a frame given as a few strips of
// its rows is drawn one strip at a time, each with the rows it holds.
struct VideoPlanes {
    uint8_t* data[3] = {nullptr, nullptr, nullptr};
    int32_t stride[3] = {0, 0, 0};
    int32_t firstRow = 0;
    int32_t endRow = INT32_MAX;
};

// Rows of a frame as at most kMost disjoint ranges, ascending, each first
// and last inclusive. Ranges fewer than kJoin rows apart are joined, and
// past kMost the two closest are: a sign at the top and a line at the
// bottom stay two ranges, the lines of one block of text one. Any thread.
struct RowRanges {
    static constexpr int kMost = 4;
    static constexpr int32_t kJoin = 64;
    struct Range {
        int32_t first, last;
    };
    Range range[kMost + 1] = {};
    int count = 0;
    // Adds rows `first`..`last` (nothing when last < first), in any order.
    void Add(int32_t first, int32_t last);

  private:
    void Join(int at);
};

// The time of one frame. `start` is the frame's stream time in 100-ns units,
// `duration` its length in 100-ns units (<= 0: unknown), `rate` the rate
// already applied to these times (normally 1.0), `fallbackFps` the format's
// frame rate (0: unknown).
struct FrameTime {
    bool valid = false;  // false: the frame has no time stamp
    int64_t start = 0;
    int64_t duration = 0;
    double rate = 1.0;
    double fallbackFps = 0.0;
};

// The rows a note covered, as they were before it was blended: `rows`
// consecutive rows of `rowBytes` of plane 0 from memory row `firstRow` on,
// and for 4:2:0 frames, whose chroma the note turns neutral, the chroma rows
// under them (`chroma[0]` of plane 1, `chroma[1]` of plane 2; NV12 keeps
// both components in plane 1). Empty when no note was blended.
struct NoteUnder {
    int32_t firstRow = 0;
    int32_t rowBytes = 0;
    int32_t rows = 0;
    std::vector<uint8_t> bytes;
    int32_t chromaFirstRow = 0;
    int32_t chromaRowBytes = 0;
    int32_t chromaRows = 0;
    std::vector<uint8_t> chroma[2];
};

class AssRender;

// The body and outline layers of outlined text, as 32-bit pixels, whose
// memory one text leaves to the next. Used by one mixer's streaming thread.
struct OutlineLayers {
    std::vector<QRgb> body, outline;
};

class CSubtitles {
  public:
    // Reads `track` and `shared` (both owned by the player record, which
    // outlives the mixer) on the streaming thread. Any thread.
    CSubtitles(const SubtitleTrack& track, MixerShared& shared);
    ~CSubtitles();
    CSubtitles(const CSubtitles&) = delete;
    CSubtitles& operator=(const CSubtitles&) = delete;

    // Accepts `format` for the frames that follow (Ok), or refuses one
    // without a positive size (TypeNotAccepted). A picture of another size
    // than the last (a stream that changes resolution, a clip stood upright
    // after its first caps) is drawn afresh at its own size, with the text
    // centred on its width. Streaming or connecting thread.
    MixResult CheckInputType(const VideoFormat& format);

    // A frame is drawn in two halves, so that the caller knows before mapping
    // whether it will be written: Prepare looks up the entry (its times
    // shifted by the subtitle delay) and (re)draws the text bitmap when what it
    // depends on changed, and the delay notice while it is shown; it returns
    // true when Blend must follow. Streaming thread; no allocation after the
    // first drawn frame while nothing changes.
    bool Prepare(const FrameTime& time);
    // Blends what the last Prepare found into `frame`. With `under`, the
    // rows the note is about to cover are copied there first, so that the
    // picture with its subtitle and without the note can be had again (a
    // screenshot). Streaming thread.
    void Blend(const VideoPlanes& frame, NoteUnder* under = nullptr) const;
    // The memory rows of plane 0 (luma for YUV) that Blend writes after the
    // last Prepare, as ranges added to `rows` (the note's rows always within
    // one); chroma planes are written only under them. False when it writes
    // none. Streaming thread.
    bool DrawnRows(RowRanges* rows) const;

    // Index of the entry found last, or the entry count. Streaming thread.
    int32_t LookupCursor() const { return cursor_; }
    // Number of times the text bitmap has been drawn. Streaming thread.
    uint64_t Redraws() const { return redraws_; }
    // First image row of the text block last laid out. Streaming thread.
    int32_t TextTop() const { return drawn_.top; }

  private:
    // One horizontal run of non-transparent bitmap pixels.
    struct Span {
        int32_t row;
        int32_t x0;
        int32_t x1;  // exclusive
    };
    // What the drawn bitmap depends on.
    struct DrawKey {
        std::string text;
        int32_t lines = -1;
        uint64_t fontKey = 0;
        int32_t top = 0;
        bool styled = false;
        bool markup = false;
        // Coloured text is stored encoded for the format's family (YUV or RGB).
        VideoSubtype subtype = VideoSubtype::Other;
        double pixelAspect = 1.0;
        bool valid = false;
    };

    // The note: the generation of its text, and the font it was drawn with.
    struct NoticeKey {
        uint64_t noteGeneration = 0;
        uint64_t fontKey = 0;
        double pixelAspect = 1.0;
        bool valid = false;
    };

    // An entry's text with its lines wider than the picture broken at
    // spaces, and what that depends on.
    struct WrappedText {
        std::string source;
        uint64_t fontKey = 0;
        bool styled = false;
        bool markup = false;
        double pixelAspect = 1.0;
        bool valid = false;
        int32_t addedLines = 0;  // 0: nothing broken, the text is drawn as it is
        StyledText styles;       // styled: the lines to draw
        QString plain;           // otherwise
    };

    bool PrepareEntry(const FrameTime& time);
    bool PrepareAss(const FrameTime& time);
    double AssLinePosition();
    bool PrepareNotice();
    void RedrawNotice(uint64_t noteGeneration);
    bool EnsureBitmap();
    void RefreshFont();
    int32_t ClampedTop(int32_t textHeight);
    // Where a block of `textHeight` placed at the top starts.
    int32_t TopPlacement(int32_t textHeight) const;
    // `text`, or its beginning when it holds more than the picture shows:
    // a block taller than the picture shows its first lines only, and a
    // file can give one cue megabytes of lines, which would be laid out and
    // compared at every frame. Kept in visible_ while it is cut.
    const std::string& VisiblePart(const std::string& text);
    // The styles of `text`, parsed again only when the text changes.
    const StyledText& StylesOf(const std::string& text);
    // `text` as it is drawn, its lines wider than the picture broken at
    // spaces; made again only when the text, the font or the pixels change.
    const WrappedText& Wrap(const std::string& text, bool styled, bool markup);
    void ClearDirtyRows();
    // `markup`: the text's tags are styles, taken out when not `styled`.
    void Redraw(const std::string& text, int32_t lines, int32_t top, bool styled, bool markup);
    // The frame's columns per square pixel (1 / pixelAspect), by which text
    // drawn in square pixels is narrowed; and the layout width in square pixels.
    double Squeeze() const;
    int32_t SquareLayoutWidth() const;
    void DrawText(const QString& text, int32_t top, int32_t lastRow);
    // Each line centred on its own, piece by piece in its font and colour.
    void DrawStyledText(const StyledText& text, int32_t top, int32_t lastRow);
    void EncodeColours();
    void PackSpans();
    // Whether Blend writes frames of `subtype`. Any thread.
    static bool Writes(VideoSubtype subtype);
    // The chroma rows of a 4:2:0 frame: Cb and Cr, or both interleaved (step 2).
    struct ChromaPlanes {
        uint8_t* cb;
        uint8_t* cr;
        int32_t cbStride;
        int32_t crStride;
        int32_t step;
    };
    void BlendPacked(const VideoPlanes& frame, const ChromaPlanes& chroma) const;
    static void CollectSpans(const QImage& bitmap, int32_t firstRow, int32_t lastRow,
                             std::vector<Span>& spans);

    const SubtitleTrack& track_;
    MixerShared& shared_;
    OutlineLayers layers_;  // memory for drawing outlined text, kept between texts
    std::optional<VideoFormat> accepted_;
    int32_t cursor_ = 0;
    QImage bitmap_;  // TextBitmap: the accepted size, top-down
    // Rows of bitmap_ given the opaque black a filled RGB32 image starts
    // with; the others are still the untouched zeroes of calloc.
    std::vector<uint8_t> rowFilled_;
    std::optional<QFont> font_;  // own copy of the shared font
    uint64_t fontGeneration_ = UINT64_MAX;
    QFont drawFont_;               // font_, or the default sized to the picture
    int32_t defaultSizedFor_ = 0;  // picture height drawFont_ was sized for; 0: font_
    uint64_t fontKey_ = 0;         // changes whenever drawFont_ does
    int32_t lineHeight_ = 0;       // cy: height of one line in drawFont_
    DrawKey drawn_;                // what bitmap_ holds
    int32_t dirtyFirst_ = 0;       // rows of bitmap_ that may be non-zero
    int32_t dirtyLast_ = -1;
    std::vector<Span> spans_;  // non-transparent runs of bitmap_
    // For 4:2:0 frames, spans_ as every frame writes them: the luma of each
    // run, one after the other, and for white text the chroma samples they
    // touch, one run per chroma row and gap (two luma rows share one).
    std::vector<uint8_t> spanLuma_;
    std::vector<Span> chromaSpans_;
    bool coloured_ = false;     // bitmap_ holds text in colours other than greys
    std::string visible_;       // the shown part of a cue cut by VisiblePart
    std::string stylesSource_;  // the text styles_ was parsed from
    StyledText styles_;
    WrappedText wrapped_;  // of the entry last prepared
    uint64_t redraws_ = 0;
    int lookupDelay_ = 0;        // the subtitle delay cursor_ was found with
    uint64_t lookupTiming_ = 0;  // and the retiming's generation
    std::string noticeText_;     // the note's text, copied when its generation changes
    QImage noticeBitmap_;        // the note, frame-wide, from the picture's top
    std::vector<Span> noticeSpans_;
    NoticeKey noticeDrawn_;
    bool blendEntry_ = false;  // what the last Prepare found to blend
    bool blendNotice_ = false;
    bool blendAss_ = false;
    std::unique_ptr<AssRender> ass_;  // made at the first frame that draws the ASS script
};

}  // namespace tavimo
