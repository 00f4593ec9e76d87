#include "subtitles/sync/sync_signal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace tavimo::sync {
namespace {

constexpr size_t kShortestSpeechSteps = 200 / kStepMs;
constexpr size_t kLongestGapSteps = 300 / kStepMs;

// The text without tags: "<...>" and "{...}" removed.
std::string WithoutTags(std::string_view text) {
    std::string out;
    char closing = 0;
    for (const char c : text) {
        if (closing != 0) {
            closing = c == closing ? 0 : closing;
        } else if (c == '<' || c == '{') {
            closing = c == '<' ? '>' : '}';
        } else {
            out += c;
        }
    }
    return out;
}

// Removes every "[...]" and "(...)" part; an unclosed bracket runs to the end.
std::string WithoutBracketed(std::string_view text) {
    std::string out;
    int depth = 0;
    for (const char c : text) {
        if (c == '[' || c == '(') {
            ++depth;
        } else if ((c == ']' || c == ')') && depth > 0) {
            --depth;
        } else if (depth == 0) {
            out += c;
        }
    }
    return out;
}

// Whether `text` names a music sign anywhere, or starts or ends with "#".
bool IsMusic(std::string_view text) {
    static constexpr std::string_view kMusic[] = {"\xE2\x99\xAA", "\xE2\x99\xAB", "\xE2\x99\xAC",
                                                  "\xE2\x99\xA9"};
    for (const std::string_view sign : kMusic) {
        if (text.find(sign) != std::string_view::npos) {
            return true;
        }
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    return first != std::string_view::npos && (text[first] == '#' || text[last] == '#');
}

// Whether `text` holds a letter or a digit (any non-ASCII byte counts).
bool HasWordCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || std::isalnum(u) != 0;
    });
}

// Runs of `value` shorter than `shortest` steps become -value; with
// `betweenOthers`, only runs that have -value on both sides.
void FlipShortRuns(Activity& a, int8_t value, size_t shortest, bool betweenOthers) {
    const int8_t other = static_cast<int8_t>(-value);
    size_t i = 0;
    while (i < a.size()) {
        if (a[i] != value) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < a.size() && a[end] == value) {
            ++end;
        }
        const bool enclosed = i > 0 && end < a.size() && a[i - 1] == other && a[end] == other;
        if (end - i < shortest && (enclosed || !betweenOthers)) {
            std::fill(a.begin() + static_cast<ptrdiff_t>(i),
                      a.begin() + static_cast<ptrdiff_t>(end), other);
        }
        i = end;
    }
}

}  // namespace

bool IsSpeechText(std::string_view text) {
    const std::string plain = WithoutTags(text);
    return !IsMusic(plain) && HasWordCharacter(WithoutBracketed(plain));
}

std::vector<Cue> SpeechCues(const SubtitleEntries& entries, double fps) {
    std::vector<Cue> cues;
    for (const SubtitleEntry& e : entries) {
        Cue cue{e.start, e.end};
        if (e.FrameBased()) {
            if (!(fps > 0)) {
                continue;
            }
            cue.start = std::llround(e.startFrame * 1000.0 / fps);
            cue.end = std::llround(e.endFrame * 1000.0 / fps);
        }
        if (cue.end > cue.start && cue.start >= 0 && IsSpeechText(e.text)) {
            cues.push_back(cue);
        }
    }
    std::sort(cues.begin(), cues.end(),
              [](const Cue& a, const Cue& b) { return a.start < b.start; });
    return cues;
}

void SmoothSpeech(Activity& speech) {
    FlipShortRuns(speech, 1, kShortestSpeechSteps, false);
    FlipShortRuns(speech, -1, kLongestGapSteps, true);
}

double SpeechShare(const Activity& speech) {
    size_t heard = 0, voiced = 0;
    for (const int8_t v : speech) {
        heard += v != 0;
        voiced += v > 0;
    }
    return heard == 0 ? 0.0 : static_cast<double>(voiced) / static_cast<double>(heard);
}

namespace {

// The floor is the level this share of the recent steps stays under: a
// voice in front of a crowd speaks most of the time, but the crowd alone
// shows through in its pauses and between its words. On crowd beds at 0
// and +5 dB, a fifth over 4-6 s with margins of 4-6 dB placed every clip;
// with a third, the floor rose into a slow voice's words, which came out
// 0.2 s early; with a tenth or over 3 s, the crowd's loud moments passed
// for the voice and that clip was refused or split where it has no cut.
constexpr double kFloorShare = 0.2;
constexpr double kAboveFloorDb = 5;

}  // namespace

bool LevelFloor::Loud(double levelDb) {
    const double bin = std::clamp(levelDb * kBinsPerDb, 0.0, static_cast<double>(kBins - 1));
    if (held_ == kSteps) {
        --counts_[recent_[next_]];
    } else {
        ++held_;
    }
    recent_[next_] = static_cast<uint8_t>(bin);
    ++counts_[recent_[next_]];
    next_ = (next_ + 1) % kSteps;
    // The bin of the step at this rank among those held, from the quietest.
    const auto rank = static_cast<size_t>(kFloorShare * static_cast<double>(held_ - 1));
    size_t below = 0, floor = 0;
    while (below + counts_[floor] <= rank) {
        below += counts_[floor++];
    }
    return levelDb >= static_cast<double>(floor) / kBinsPerDb + kAboveFloorDb;
}

}  // namespace tavimo::sync
