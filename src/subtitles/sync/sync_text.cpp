#include "subtitles/sync/sync_text.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "resources/translate.h"

namespace tavimo::sync {
namespace {

// "+2.350" / "-1.200" (three decimals) or "+2.35" / "−1.20" (two, with
// the minus sign U+2212) for `ms`.
std::string Seconds(int64_t ms, int decimals, const char* minus) {
    const int64_t magnitude = std::llabs(ms);
    char digits[48];
    if (decimals == 3) {
        std::snprintf(digits, sizeof digits, "%" PRId64 ".%03" PRId64, magnitude / 1000,
                      magnitude % 1000);
    } else {
        const int64_t hundredths = (magnitude + 5) / 10;
        std::snprintf(digits, sizeof digits, "%" PRId64 ".%02" PRId64, hundredths / 100,
                      hundredths % 100);
    }
    return std::string(ms < 0 ? minus : "+") + digits;
}

// "0:41:07.200" for clip time `ms`.
std::string ClockTime(int64_t ms) {
    ms = std::max<int64_t>(ms, 0);
    char text[48];
    std::snprintf(text, sizeof text, "%" PRId64 ":%02" PRId64 ":%02" PRId64 ".%03" PRId64,
                  ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// "00:41:07,200" for a SubRip file.
std::string SubRipTime(int64_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 ",%03" PRId64,
                  ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

std::vector<std::string_view> SplitFields(std::string_view line, size_t count) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < count) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            break;
        }
        fields.push_back(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    fields.push_back(line);
    return fields;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// "0:01:02.50" in ms; -1 when it is no time.
int64_t AssTime(std::string_view text) {
    unsigned h = 0, m = 0, s = 0, cs = 0;
    const std::string copy(Trimmed(text));
    if (std::sscanf(copy.c_str(), "%u:%u:%u.%u", &h, &m, &s, &cs) != 4) {
        return -1;
    }
    return ((int64_t{h} * 60 + m) * 60 + s) * 1000 + int64_t{cs} * 10;
}

}  // namespace

std::string RateText(double fps) {
    char text[32];
    const auto done = std::to_chars(text, text + sizeof text, fps);
    return std::string(text, done.ptr);
}

std::string ResultLine(const SyncResult& result) {
    std::string line = "delay " + Seconds(result.parts.front().offsetMs, 3, "-") + " s";
    for (size_t p = 1; p < result.parts.size(); ++p) {
        line += " until " + ClockTime(result.Map(result.parts[p].fromMs)) + ", then " +
                Seconds(result.parts[p].offsetMs, 3, "-") + " s";
    }
    if (!result.rate.Identity()) {
        line += ", frame rate " + RateText(result.rate.from) + " -> " + RateText(result.rate.to);
    }
    return line;
}

std::string ResultNote(const SyncResult& result, bool remembered) {
    std::string note = TrArg(TrText("Notes", "Subtitles synchronised: %1"),
                             {Seconds(result.parts.front().offsetMs, 2, "\xE2\x88\x92") + " s"});
    if (!result.rate.Identity()) {
        note += ", " + RateText(result.rate.from) + " \xE2\x86\x92 " + RateText(result.rate.to) +
                " fps";
    }
    if (result.parts.size() > 1) {
        note += " " + TrArg(TrText("Notes", "in %1 parts"), {std::to_string(result.parts.size())});
    }
    return remembered ? note + " " + TrText("Notes", "(remembered)") : note;
}

SubtitleEntries Retimed(const SubtitleEntries& entries, const SyncResult& result, double fps,
                        bool withDelay) {
    const int64_t delay = withDelay ? 0 : result.parts.front().offsetMs;
    const bool onlyDelay = result.rate.Identity() && result.parts.size() == 1;
    SubtitleEntries out;
    out.reserve(entries.size());
    for (SubtitleEntry e : entries) {
        if (e.FrameBased()) {
            if (onlyDelay && !withDelay) {
                out.push_back(e);
                continue;
            }
            if (!(fps > 0)) {
                continue;
            }
            e.start = std::llround(e.startFrame * 1000.0 / fps);
            e.end = std::llround(e.endFrame * 1000.0 / fps);
            e.startFrame = e.endFrame = 0;
        }
        // A cue stays in the part its start falls in, end and all.
        const int64_t shift = result.Map(e.start) - std::llround(e.start * result.rate.Ratio());
        e.end = std::llround(e.end * result.rate.Ratio()) + shift - delay;
        e.start = std::max<int64_t>(result.Map(e.start) - delay, 0);
        if (e.end > 0) {
            out.push_back(std::move(e));
        }
    }
    return out;
}

std::string SubRipText(const SubtitleEntries& entries) {
    std::string text;
    int number = 0;
    for (const SubtitleEntry& e : entries) {
        text += std::to_string(++number) + "\n" + SubRipTime(e.start) + " --> " +
                SubRipTime(e.end) + "\n" + e.text + "\n\n";
    }
    return text;
}

SubtitleEntries AssDialogueEntries(std::string_view script) {
    SubtitleEntries entries;
    size_t fields = 10, start = 1, end = 2, textAt = 9;
    bool inEvents = false;
    while (!script.empty()) {
        const size_t eol = script.find('\n');
        const std::string_view line = Trimmed(script.substr(0, eol));
        script.remove_prefix(eol == std::string_view::npos ? script.size() : eol + 1);
        if (!line.empty() && line.front() == '[') {
            inEvents = line == "[Events]";
        } else if (inEvents && line.substr(0, 7) == "Format:") {
            // A column the line does not name is out of every event's reach.
            const std::vector<std::string_view> names = SplitFields(line.substr(7), 64);
            fields = start = end = textAt = names.size();
            for (size_t i = 0; i < names.size(); ++i) {
                const std::string_view n = Trimmed(names[i]);
                start = n == "Start" ? i : start;
                end = n == "End" ? i : end;
                textAt = n == "Text" ? i : textAt;
            }
        } else if (inEvents && line.substr(0, 9) == "Dialogue:") {
            const std::vector<std::string_view> f = SplitFields(line.substr(9), fields);
            if (f.size() == fields && std::max({start, end, textAt}) < fields) {
                SubtitleEntry e;
                e.start = AssTime(f[start]);
                e.end = AssTime(f[end]);
                e.text = std::string(f[textAt]);
                if (e.start >= 0 && e.end > e.start) {
                    entries.push_back(std::move(e));
                }
            }
        }
    }
    return entries;
}

}  // namespace tavimo::sync
