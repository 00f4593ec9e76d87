#include "subtitles/sync/sync_memory.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/file_lock.h"
#include "subtitles/sync/sync_text.h"

namespace tavimo::sync {
namespace {

constexpr size_t kEdgeBytes = 64 * 1024;
// What a line may hold; anything else is a damaged or forged line. The
// matcher finds ratios near 1 and offsets within minutes.
constexpr double kLeastFps = 1, kMostFps = 1000;
constexpr double kLeastRatio = 0.5, kMostRatio = 2;
constexpr int64_t kMostOffsetMs = 24 * 3'600'000LL;
constexpr int64_t kLatestPartMs = 1'000 * 3'600'000LL;

uint64_t Fnv(const void* data, size_t size, uint64_t h = 1469598103934665603ull) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        h = (h ^ p[i]) * 1099511628211ull;
    }
    return h;
}

std::string Hex(uint64_t v) {
    char text[20];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

// A frame rate written by either form: with a decimal point, or with the
// decimal comma of the locale it was written under (lines before the
// locale-free form). False when it is not a plain number.
bool ReadRate(std::string text, double* fps) {
    std::replace(text.begin(), text.end(), ',', '.');
    const auto done = std::from_chars(text.data(), text.data() + text.size(), *fps);
    return done.ec == std::errc() && done.ptr == text.data() + text.size();
}

bool ReadPart(const std::string& item, SyncPart* part) {
    const size_t colon = item.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const char* const end = item.data() + item.size();
    const auto from = std::from_chars(item.data(), item.data() + colon, part->fromMs);
    const auto offset = std::from_chars(item.data() + colon + 1, end, part->offsetMs);
    return from.ec == std::errc() && from.ptr == item.data() + colon && offset.ec == std::errc() &&
           offset.ptr == end;
}

// "key\tfrom\tto\tfromMs:offsetMs,...": the part a line's checksum covers.
std::string Body(const std::string& key, const SyncResult& r) {
    std::string parts;
    for (const SyncPart& p : r.parts) {
        parts += (parts.empty() ? "" : ",") + std::to_string(p.fromMs) + ":" +
                 std::to_string(p.offsetMs);
    }
    return key + "\t" + RateText(r.rate.from) + "\t" + RateText(r.rate.to) + "\t" + parts;
}

// Whether a result read back is one the matcher could have found: rates
// and ratio near those tried, parts in order from 0, offsets of hours at
// most.
bool Plausible(const SyncResult& r) {
    const auto fps = [](double v) { return v >= kLeastFps && v <= kMostFps; };
    if (!fps(r.rate.from) || !fps(r.rate.to) || r.rate.Ratio() < kLeastRatio ||
        r.rate.Ratio() > kMostRatio || r.parts.empty() || r.parts.front().fromMs != 0) {
        return false;
    }
    for (size_t i = 0; i < r.parts.size(); ++i) {
        const SyncPart& p = r.parts[i];
        if (p.offsetMs < -kMostOffsetMs || p.offsetMs > kMostOffsetMs || p.fromMs > kLatestPartMs ||
            (i > 0 && p.fromMs <= r.parts[i - 1].fromMs)) {
            return false;
        }
    }
    return true;
}

std::optional<SyncResult> Parse(const std::string& line) {
    const size_t tab = line.rfind('\t');
    if (tab == std::string::npos || line.substr(tab + 1) != Hex(Fnv(line.data(), tab))) {
        return std::nullopt;
    }
    std::istringstream in(line.substr(0, tab));
    std::string key, from, to, parts;
    if (!std::getline(in, key, '\t') || !std::getline(in, from, '\t') ||
        !std::getline(in, to, '\t') || !std::getline(in, parts)) {
        return std::nullopt;
    }
    SyncResult r;
    r.matched = true;
    if (!ReadRate(from, &r.rate.from) || !ReadRate(to, &r.rate.to)) {
        return std::nullopt;
    }
    std::istringstream list(parts);
    for (std::string item; std::getline(list, item, ',');) {
        SyncPart part;
        if (!ReadPart(item, &part)) {
            return std::nullopt;
        }
        r.parts.push_back(part);
    }
    if (!Plausible(r)) {
        return std::nullopt;
    }
    return r;
}

void MakeFolders(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        mkdir(path.substr(0, at).c_str(), 0700);
    }
}

}  // namespace

std::string ClipIdentity(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<uint64_t>(in.tellg());
    std::string edge(kEdgeBytes, '\0');
    in.seekg(0);
    in.read(edge.data(), static_cast<std::streamsize>(kEdgeBytes));
    uint64_t h = Fnv(edge.data(), static_cast<size_t>(in.gcount()));
    in.clear();
    in.seekg(static_cast<std::streamoff>(size > kEdgeBytes ? size - kEdgeBytes : 0));
    in.read(edge.data(), static_cast<std::streamsize>(kEdgeBytes));
    h = Fnv(edge.data(), static_cast<size_t>(in.gcount()), h);
    return std::to_string(size) + "-" + Hex(h);
}

std::string SubtitleIdentity(const SubtitleEntries& entries) {
    uint64_t h = Fnv("", 0);
    for (const SubtitleEntry& e : entries) {
        const int64_t times[4] = {e.start, e.end, e.startFrame, e.endFrame};
        h = Fnv(times, sizeof times, h);
        h = Fnv(e.text.data(), e.text.size(), h);
    }
    return Hex(h);
}

std::string SyncMemory::DefaultPath() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = cache && *cache ? cache : std::string(home ? home : "") + "/.cache";
    return base + "/tavimo/subtitle-sync.txt";
}

std::vector<SyncMemory::Line> SyncMemory::ReadLines() const {
    std::vector<Line> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) {
        if (Parse(line)) {
            lines.push_back({line.substr(0, line.find('\t')), line});
        }
    }
    return lines;
}

std::optional<SyncResult> SyncMemory::Find(const std::string& clip,
                                           const std::string& subtitles) const {
    const std::string key = clip + "/" + subtitles;
    const std::vector<Line> lines = ReadLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->key == key) {
            return Parse(it->text);
        }
    }
    return std::nullopt;
}

bool SyncMemory::Remember(const std::string& clip, const std::string& subtitles,
                          const SyncResult& result) {
    if (!result.matched || result.parts.empty() || clip.empty()) {
        return false;
    }
    const std::string key = clip + "/" + subtitles;
    MakeFolders(path_);
    // Read, changed and replaced under the lock, so that two players
    // remembering at once each keep the other's lines; the temporary file
    // is then ours alone.
    const platform::FileLock lock(path_ + ".lock");
    if (!lock.held()) {
        return false;
    }
    std::vector<Line> lines = ReadLines();
    std::erase_if(lines, [&](const Line& l) { return l.key == key; });
    const std::string body = Body(key, result);
    lines.push_back({key, body + "\t" + Hex(Fnv(body.data(), body.size()))});
    const size_t drop = lines.size() > kMostEntries ? lines.size() - kMostEntries : 0;
    const std::string temp = path_ + ".part";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (size_t i = drop; i < lines.size(); ++i) {
            out << lines[i].text << '\n';
        }
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    return std::rename(temp.c_str(), path_.c_str()) == 0;
}

}  // namespace tavimo::sync
