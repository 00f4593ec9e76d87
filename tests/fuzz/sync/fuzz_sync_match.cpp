// libFuzzer target: the synchroniser's input. The bytes are a subtitle file
// (an ASS script when they hold "Dialogue:", MicroDVD when they start with
// "{", SubRip otherwise); the speech is made from its own cues, moved by an
// offset and stretched to a length both taken from a hash of the bytes, with
// blobs of it flipped. Whatever the file holds, the match must return (no
// allocation sized by a cue's time), and a match found must be well formed:
// parts in order from 0, offsets within the search range, a ratio tried, and
// the lines and the retimed file made without fault.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "subtitles/subtitle_reader.h"
#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_text.h"

using namespace tavimo;

namespace {

constexpr int64_t kMaxOffsetMs = 20'000;  // less than the player's, for speed
constexpr double kFps = 25.0;

void Require(bool ok) {
    if (!ok) {
        abort();
    }
}

SubtitleEntries Entries(std::string_view bytes) {
    if (bytes.find("Dialogue:") != std::string_view::npos) {
        return sync::AssDialogueEntries(bytes);
    }
    SubtitleReader reader;
    if (!reader.OpenSubtitleData(std::string(bytes))) {
        return {};
    }
    (!bytes.empty() && bytes.front() == '{' ? ReadMicroDvd : ReadSubRip)(reader);
    return reader.TakeEntries();
}

// 30 to 45 s of clip; each cue spoken `offsetMs` later, and one blob
// of 300 ms in eight flipped.
sync::Activity Speech(const std::vector<sync::Cue>& cues, uint64_t h) {
    const int64_t lengthMs = 30'000 + static_cast<int64_t>(h % 15'000);
    const int64_t offsetMs = static_cast<int64_t>((h >> 20) % (2 * kMaxOffsetMs)) - kMaxOffsetMs;
    sync::Activity speech(static_cast<size_t>(lengthMs / sync::kStepMs), -1);
    const auto steps = static_cast<int64_t>(speech.size());
    for (const sync::Cue& c : cues) {
        const int64_t from =
            std::clamp<int64_t>(c.start / sync::kStepMs + offsetMs / sync::kStepMs, 0, steps);
        const int64_t to =
            std::clamp<int64_t>(c.end / sync::kStepMs + offsetMs / sync::kStepMs, 0, steps);
        std::fill(speech.begin() + from, speech.begin() + std::max(from, to), int8_t{1});
    }
    uint64_t r = h | 1;
    for (size_t s = 0; s + 30 <= speech.size(); s += 30) {
        r ^= r << 13, r ^= r >> 7, r ^= r << 17;
        if (r % 8 == 0) {
            std::fill(speech.begin() + static_cast<ptrdiff_t>(s),
                      speech.begin() + static_cast<ptrdiff_t>(s + 30),
                      static_cast<int8_t>(-speech[s]));
        }
    }
    return speech;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SubtitleEntries entries = Entries(bytes);
    const std::vector<sync::Cue> cues = sync::SpeechCues(entries, kFps);
    sync::AlignOptions options;
    options.maxOffsetMs = kMaxOffsetMs;
    const sync::SyncResult result =
        sync::Align(Speech(cues, std::hash<std::string_view>{}(bytes)), cues, options);
    if (!result.matched) {
        Require(!result.reason.empty() && result.parts.empty());
        return 0;
    }
    const auto& rates = sync::KnownRateChanges();
    Require(std::find(rates.begin(), rates.end(), result.rate) != rates.end());
    Require(!result.parts.empty() && result.parts.front().fromMs == 0);
    for (size_t p = 0; p < result.parts.size(); ++p) {
        Require(std::llabs(result.parts[p].offsetMs) <= kMaxOffsetMs + 1'000);
        Require(p == 0 || result.parts[p].fromMs > result.parts[p - 1].fromMs);
    }
    Require(result.confidence >= 0 && result.confidence <= 1);
    Require(!sync::ResultLine(result).empty() && !sync::ResultNote(result, false).empty());
    sync::SubRipText(sync::Retimed(entries, result, kFps, true));
    return 0;
}
