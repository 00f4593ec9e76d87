// The ASS/SSA script of the clip that plays, from an .ass/.ssa file beside
// the clip or from an embedded ASS/SSA stream, drawn by libass. The UI thread
// loads or clears it, the demuxer's streaming thread adds embedded events, and
// the mixer's streaming thread renders it; every call is safe from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace tavimo {

class AssScript {
  public:
    AssScript();
    ~AssScript();
    AssScript(const AssScript&) = delete;
    AssScript& operator=(const AssScript&) = delete;

    // Replaces the script with the whole text of an .ass/.ssa file (UTF-8 or
    // with a byte-order mark). False, with the script as it was, when the text
    // is no script libass can read.
    bool LoadFile(std::string_view bytes);

    // Starts an embedded script: `header` is the stream's codec data (the
    // script's sections up to and including the [Events] format line).
    void SetHeader(std::string_view header);

    // Adds one embedded event as Matroska carries it ("ReadOrder, Layer,
    // Style, Name, MarginL, MarginR, MarginV, Effect, Text"), shown from
    // `startMs` for `durationMs`. An event seen before (same ReadOrder) is
    // kept once, so the events sent again after a seek add nothing.
    void AddEvent(std::string_view chunk, int64_t startMs, int64_t durationMs);

    // Forgets the script: nothing is drawn until the next load or header.
    void Clear();

    // Whether a script is loaded (from a file or a header).
    bool Loaded() const;

    struct State;  // libass's library, renderer and track, under one lock

  private:
    std::unique_ptr<State> state_;
};

}  // namespace tavimo
