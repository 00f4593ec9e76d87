// libFuzzer target: embedded cue conversion and the per-track stores. The
// first byte picks the cue format, the rest is the cue; the converted text
// must keep the entry's shape (no CR, no blank line at either end, the line
// count of its text), plain text must pass through, and the stores must take
// each cue once. The bytes are also cues' start times, in the order they
// come (reversed, scattered, repeated): the text cue list keeps each once,
// in order, however it is read between adds.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "subtitles/embedded_cues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tavimo::CueFormat;
    static const CueFormat kFormats[] = {CueFormat::PangoMarkup, CueFormat::PlainUtf8,
                                         CueFormat::WebVtt};
    const CueFormat format = kFormats[size > 0 ? data[0] % 3 : 0];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + (size > 0),
                                 size - (size > 0));
    const tavimo::CueText cue = tavimo::ConvertCue(format, bytes);
    const std::string& text = cue.text;
    const auto breaks = std::count(text.begin(), text.end(), '\n');
    if (text.find('\r') != std::string::npos || text.find('\0') != std::string::npos ||
        (!text.empty() && (text.front() == '\n' || text.back() == '\n')) ||
        cue.lines != (text.empty() ? 0 : std::min<int64_t>(breaks + 1, INT16_MAX)))
        abort();
    if (format == CueFormat::PlainUtf8) {
        // Only the line ends change, and nothing is added.
        std::string kept(bytes.substr(0, bytes.find('\0')));
        std::erase_if(kept, [](char c) { return c == '\r' || c == '\n'; });
        std::string seen = text;
        std::erase(seen, '\n');
        if (seen != kept)
            abort();
    }
    tavimo::CueList cues;
    tavimo::AssEventList events;
    for (int round = 0; round < 2; ++round) {
        const bool added = cues.Add({0, 1000, text, cue.lines, 0, 0});
        if (added != (round == 0 && !text.empty()))
            abort();
        if (events.Add(bytes, 0, 1000) != (round == 0))
            abort();
    }
    tavimo::CueList ordered;
    bool seen[256] = {};
    size_t distinct = 0;
    for (size_t i = 0; i < std::min<size_t>(size, 4096); ++i) {
        const int64_t start = data[i] * 10;
        if (ordered.Add({start, start + 5, "c", 1, 0, 0}) == seen[data[i]])
            abort();
        distinct += !seen[data[i]];
        seen[data[i]] = true;
        if (i % 61 == 60)
            ordered.Entries();
    }
    const tavimo::SubtitleEntries& entries = ordered.Entries();
    if (entries.size() != distinct ||
        std::ranges::adjacent_find(entries, std::greater_equal{}, &tavimo::SubtitleEntry::start) !=
            entries.end())
        abort();
    return 0;
}
