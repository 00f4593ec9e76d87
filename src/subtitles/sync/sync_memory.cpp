#include "subtitles/sync/sync_memory.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tavimo::sync {
namespace {

constexpr size_t kEdgeBytes = 64 * 1024;

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

// "key\tfrom\tto\tfromMs:offsetMs,...": the part a line's checksum covers.
std::string Body(const std::string& key, const SyncResult& r) {
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.6g\t%.6g", r.rate.from, r.rate.to);
    std::string parts;
    for (const SyncPart& p : r.parts) {
        parts += (parts.empty() ? "" : ",") + std::to_string(p.fromMs) + ":" +
                 std::to_string(p.offsetMs);
    }
    return key + "\t" + rate + "\t" + parts;
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
    r.rate = {std::strtod(from.c_str(), nullptr), std::strtod(to.c_str(), nullptr)};
    std::istringstream list(parts);
    for (std::string item; std::getline(list, item, ',');) {
        long long fromMs = 0, offsetMs = 0;
        if (std::sscanf(item.c_str(), "%lld:%lld", &fromMs, &offsetMs) != 2) {
            return std::nullopt;
        }
        r.parts.push_back({fromMs, offsetMs});
    }
    if (r.parts.empty() || !(r.rate.from > 0) || !(r.rate.to > 0)) {
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
    std::vector<Line> lines = ReadLines();
    std::erase_if(lines, [&](const Line& l) { return l.key == key; });
    const std::string body = Body(key, result);
    lines.push_back({key, body + "\t" + Hex(Fnv(body.data(), body.size()))});
    const size_t drop = lines.size() > kMostEntries ? lines.size() - kMostEntries : 0;
    MakeFolders(path_);
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
