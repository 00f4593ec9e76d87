#include "subtitles/ass_script.h"

#include "subtitles/ass_limits.h"
#include "subtitles/embedded_cues.h"
#include "subtitles/text_encoding.h"

#include <ass/ass.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace tavimo {

namespace {

// libass's caches: at most this many glyphs and this many MB of bitmaps, so
// a script of huge or endless text cannot grow memory without bound.
constexpr int kGlyphCacheMax = 4000;
constexpr int kBitmapCacheMb = 64;

// The largest frame libass is asked to draw into; a bigger frame (no real
// video has one) gets no subtitles rather than unbounded work.
constexpr int kMaxFrameSide = 8192;

// Errors only; libass's informational lines would flood the terminal.
// The matrix of a script's "YCbCr Matrix" line: 601, 709, or 0 for none or
// one this program does not convert with.
int MatrixOf(const ASS_Track& track) {
    switch (track.YCbCrMatrix) {
        case YCBCR_BT601_TV:
        case YCBCR_BT601_PC:
            return 601;
        case YCBCR_BT709_TV:
        case YCBCR_BT709_PC:
            return 709;
        default:
            return 0;
    }
}

void OnLibassMessage(int level, const char* format, va_list args, void*) {
    if (level > 1)
        return;  // MSGL_FATAL 0, MSGL_ERR 1
    std::fputs("tavimo: libass: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

// The text of an .ass/.ssa file as UTF-8: a UTF-8 mark is dropped, UTF-16 is
// converted, and a file in a legacy code page goes through the same detector
// the SubRip reader uses.
std::string ScriptTextAsUtf8(std::string_view bytes) {
    const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    const bool little = starts("\xFF\xFE");
    if (little || starts("\xFE\xFF")) {
        std::vector<uint16_t> units;
        units.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<uint8_t>(bytes[little ? i : i + 1]);
            const auto hi = static_cast<uint8_t>(bytes[little ? i + 1 : i]);
            units.push_back(static_cast<uint16_t>(lo | (hi << 8)));
        }
        std::string out;
        AppendUtf16AsUtf8(units, out);
        return out;
    }
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    LegacyTextDecoder decoder;
    std::string out;
    decoder.ToUtf8(bytes, out);
    return out;
}

// Whether a script carries fonts of its own (a [Fonts] section).
bool HasFontsSection(std::string_view text) {
    constexpr std::string_view kSection = "[fonts]";
    const auto it = std::search(
        text.begin(), text.end(), kSection.begin(), kSection.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return it != text.end();
}

}  // namespace

struct AssScript::State {
    std::mutex mutex;  // guards everything below
    ASS_Library* library = nullptr;
    ASS_Renderer* renderer = nullptr;  // made by the first Render
    ASS_Track* track = nullptr;
    AssEventAdmission admission;  // of the events `track` streams
    bool fontsStale = false;      // a font came after the renderer set up its fonts
    struct Font {
        const void* owner;
        std::string name, bytes;
    };
    std::vector<Font> fonts;  // those in the library, in the order added
    bool scriptNew = true;    // the next Render reports new content
    int width = 0, height = 0;
    double pixelAspect = 0, linePosition = -1;

    void ReplaceTrack(ASS_Track* next) {
        if (track)
            ass_free_track(track);
        track = next;
        admission.Reset();
        scriptNew = true;
    }
    bool EnsureRenderer();
    void Configure(const Request& request);
    void RebuildFonts();
};

// The library gets exactly `fonts`. The renderer goes first: its font
// selector and faces point into the library's copies of the font files.
void AssScript::State::RebuildFonts() {
    if (renderer) {
        ass_renderer_done(renderer);
        renderer = nullptr;
        width = height = 0;
        pixelAspect = 0;
        linePosition = -1;
    }
    ass_clear_fonts(library);
    for (const Font& font : fonts)
        ass_add_font(library, font.name.c_str(), font.bytes.data(),
                     static_cast<int>(font.bytes.size()));
    scriptNew = true;
}

bool AssScript::State::EnsureRenderer() {
    if (!renderer) {
        renderer = ass_renderer_init(library);
        if (!renderer)
            return false;
        ass_set_cache_limits(renderer, kGlyphCacheMax, kBitmapCacheMb);
        fontsStale = true;
    }
    if (fontsStale) {
        ass_set_fonts(renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
        fontsStale = false;
    }
    return true;
}

void AssScript::State::Configure(const Request& request) {
    if (request.width != width || request.height != height) {
        width = request.width;
        height = request.height;
        ass_set_frame_size(renderer, width, height);
        ass_set_storage_size(renderer, width, height);
    }
    if (request.pixelAspect != pixelAspect) {
        pixelAspect = request.pixelAspect;
        ass_set_pixel_aspect(renderer, pixelAspect);
    }
    if (request.linePosition != linePosition) {
        linePosition = request.linePosition;
        ass_set_line_position(renderer, std::clamp(linePosition, 0.0, 100.0));
    }
}

AssScript::AssScript() : state_(std::make_unique<State>()) {
    state_->library = ass_library_init();
    if (state_->library)
        ass_set_message_cb(state_->library, OnLibassMessage, nullptr);
}

AssScript::~AssScript() {
    if (state_->track)
        ass_free_track(state_->track);
    if (state_->renderer)
        ass_renderer_done(state_->renderer);
    if (state_->library)
        ass_library_done(state_->library);
}

bool AssScript::LoadFile(std::string_view bytes) {
    if (!state_->library)
        return false;
    std::string text = ScriptTextAsUtf8(bytes);
    // Under the lock: a [Fonts] section adds its fonts to the library the
    // renderer reads. Reading even a large script takes a few tens of ms.
    std::lock_guard lock(state_->mutex);
    ASS_Track* track = ass_read_memory(state_->library, text.data(), text.size(), nullptr);
    if (!track)
        return false;
    LimitAssTrack(*track);
    state_->ReplaceTrack(track);
    if (state_->renderer && HasFontsSection(text))
        state_->fontsStale = true;
    return true;
}

void AssScript::SetHeader(std::string_view header) {
    std::lock_guard lock(state_->mutex);
    if (!state_->library)
        return;
    ASS_Track* track = ass_new_track(state_->library);
    if (!track)
        return;
    std::string copy(header);
    ass_process_codec_private(track, copy.data(), static_cast<int>(copy.size()));
    LimitAssTrack(*track);
    state_->ReplaceTrack(track);
}

void AssScript::AddEvent(std::string_view chunk, int64_t startMs, int64_t durationMs) {
    std::lock_guard lock(state_->mutex);
    if (!state_->track || chunk.empty() || chunk.size() > INT32_MAX || durationMs < 0)
        return;
    std::string copy(chunk);  // libass parses in place
    ASS_Track& track = *state_->track;
    const int before = track.n_events;
    ass_process_chunk(&track, copy.data(), static_cast<int>(copy.size()), startMs, durationMs);
    if (track.n_events > before)
        state_->admission.Admit(track, track.n_events - 1);
}

void AssScript::AddEvents(const std::vector<const AssEvent*>& events) {
    std::lock_guard lock(state_->mutex);
    if (!state_->track)
        return;
    ASS_Track& track = *state_->track;
    std::string copy;  // libass parses in place
    for (const AssEvent* event : events) {
        if (event->chunk.empty() || event->chunk.size() > INT32_MAX || event->durationMs < 0)
            continue;
        copy = event->chunk;
        ass_process_chunk(&track, copy.data(), static_cast<int>(copy.size()), event->startMs,
                          event->durationMs);
    }
    LimitAssTrack(track);
    state_->admission.Reset();
}

void AssScript::AddFont(const void* owner, std::string_view name, std::string_view bytes) {
    std::lock_guard lock(state_->mutex);
    State& s = *state_;
    if (!s.library || bytes.empty() || bytes.size() > INT32_MAX)
        return;
    // The same attachment comes again with every switch to its track.
    const auto same = [&](const State::Font& f) { return f.name == name; };
    const auto had = std::find_if(s.fonts.begin(), s.fonts.end(), same);
    if (had != s.fonts.end() && had->owner == owner)
        return;
    if (had != s.fonts.end()) {
        *had = {owner, std::string(name), std::string(bytes)};
        std::rotate(had, had + 1, s.fonts.end());  // the newest last, as libass reads them
        s.RebuildFonts();
        return;
    }
    s.fonts.push_back({owner, std::string(name), std::string(bytes)});
    const State::Font& font = s.fonts.back();
    ass_add_font(s.library, font.name.c_str(), font.bytes.data(),
                 static_cast<int>(font.bytes.size()));
    if (s.renderer)
        s.fontsStale = true;
}

void AssScript::ForgetFonts(const void* owner) {
    std::lock_guard lock(state_->mutex);
    State& s = *state_;
    if (!s.library ||
        std::erase_if(s.fonts, [&](const State::Font& f) { return f.owner == owner; }) == 0)
        return;
    s.RebuildFonts();
}

void AssScript::Clear() {
    std::lock_guard lock(state_->mutex);
    state_->ReplaceTrack(nullptr);
}

bool AssScript::Loaded() const {
    std::lock_guard lock(state_->mutex);
    return state_->track != nullptr;
}

AssScript::Frame AssScript::Render(const Request& request) {
    Frame frame;
    frame.lock_ = std::unique_lock(state_->mutex);
    State& s = *state_;
    frame.changed_ = s.scriptNew ? 2 : 0;
    s.scriptNew = false;
    const bool sized = request.width > 0 && request.height > 0 && request.width <= kMaxFrameSide &&
                       request.height <= kMaxFrameSide;
    if (!s.track || !sized || !s.EnsureRenderer()) {
        frame.changed_ = 2;
        s.scriptNew = true;  // what libass compares with next time was never seen
        return frame;
    }
    s.Configure(request);
    frame.matrix_ = MatrixOf(*s.track);
    frame.fullRange_ =
        s.track->YCbCrMatrix == YCBCR_BT601_PC || s.track->YCbCrMatrix == YCBCR_BT709_PC;
    int change = 0;
    frame.images_ = ass_render_frame(s.renderer, s.track, request.timeMs, &change);
    frame.changed_ = std::max(frame.changed_, change);
    return frame;
}

}  // namespace tavimo
