// The ASS/SSA script of the clip that plays, from an .ass/.ssa file beside
// the clip or from an embedded ASS/SSA stream, drawn by libass. The UI thread
// loads or clears it, the demuxer's streaming thread adds embedded events, and
// the mixer's streaming thread renders it; every call is safe from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

struct ass_image;  // libass's ASS_Image

namespace tavimo {

struct AssEvent;  // embedded_cues.h

class AssScript {
  public:
    AssScript();
    ~AssScript();
    AssScript(const AssScript&) = delete;
    AssScript& operator=(const AssScript&) = delete;

    // Replaces the script with the whole text of an .ass/.ssa file (UTF-8 or
    // with a byte-order mark; other text goes through the code-page detector).
    // Sizes, long lines and crowds of events are held within ass_limits.h's
    // bounds. False, with the script as it was, when the text is no script
    // libass can read. Any thread; waits while a frame is being drawn.
    bool LoadFile(std::string_view bytes);

    // Starts an embedded script: `header` is the stream's codec data (the
    // script's sections up to and including the [Events] format line).
    void SetHeader(std::string_view header);

    // Adds one embedded event as Matroska carries it ("ReadOrder, Layer,
    // Style, Name, MarginL, MarginR, MarginV, Effect, Text"), shown from
    // `startMs` for `durationMs`. An event seen before (same ReadOrder) is
    // kept once, so the events sent again after a seek add nothing; one that
    // would crowd the screen past ass_limits.h's bounds is dropped.
    void AddEvent(std::string_view chunk, int64_t startMs, int64_t durationMs);

    // Adds the kept events of a track chosen again, as AddEvent would one by
    // one, with the bounds applied to all of them at once: O(n log n) for n
    // events where n AddEvent calls take O(n^2). Any thread.
    void AddEvents(const std::vector<const AssEvent*>& events);

    // Adds a font the script may name, e.g. a Matroska attachment of the
    // clip `owner` (any tag, compared only): `name` is the attachment's file
    // name, `bytes` the font file (copied). A name the owner gave before adds
    // nothing; a name another owner gave is replaced, so that a later clip's
    // font of the same file name is the one drawn. The next frame drawn may
    // use it. Any thread.
    void AddFont(const void* owner, std::string_view name, std::string_view bytes);

    // Forgets the fonts `owner` added, with their memory; the next frame is
    // drawn with the others (libass sets up its fonts again). Any thread;
    // waits while a frame is being drawn.
    void ForgetFonts(const void* owner);

    // Forgets the script: nothing is drawn until the next load or header.
    void Clear();

    // Whether a script is loaded (from a file or a header).
    bool Loaded() const;

    // What the mixer asks for one frame.
    struct Request {
        int width = 0;  // frame size in pixels, as stored
        int height = 0;
        double pixelAspect = 1.0;  // width of a stored pixel over its height
        int64_t timeMs = 0;        // script time to draw
        double linePosition = 0;   // bottom-placed events raised by this % of the height
    };

    // The images of one frame. Holds the script's lock while it lives, so the
    // images stay valid: keep it only for the blend, on one thread.
    class Frame {
      public:
        const ass_image* Images() const { return images_; }  // null: nothing to draw
        // libass's detect_change: 0 same images as the previous Render, 1
        // same bitmaps moved, 2 new content. Also 2 after a load, a header
        // or a clear, so a caller that prepared the old script drops it.
        int Changed() const { return changed_; }
        // The colour matrix the script names for YUV video: 601, 709, or 0
        // when it names none (the caller chooses by the video).
        int Matrix() const { return matrix_; }
        // Whether that matrix is the full-range ("PC") form.
        bool FullRange() const { return fullRange_; }

      private:
        friend class AssScript;
        std::unique_lock<std::mutex> lock_;
        const ass_image* images_ = nullptr;
        int changed_ = 2;
        int matrix_ = 0;
        bool fullRange_ = false;
    };

    // Draws the script for `request`. Streaming thread of the mixer; the
    // first call sets up fonts (fontconfig), later ones reuse libass's caches.
    // A frame with no script, no events due or a size below 1 x 1 has no
    // images.
    Frame Render(const Request& request);

    struct State;  // libass's library, renderer and track, under one lock

  private:
    std::unique_ptr<State> state_;
};

}  // namespace tavimo
