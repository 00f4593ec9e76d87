// Subtitle reading and lookup speed.
//   subtitle_bench [--generate FILE] [benchmark flags]
// The SubRip benchmark reads a generated 20 MB file (TAVIMO_BENCH_SRT names
// it; otherwise one is made in $TMPDIR and removed at the end). --generate
// writes that file and exits, for comparison runs against other parsers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {
namespace {

constexpr size_t kFileBytes = size_t{20} << 20;

std::string TimeText(int64_t ms) {
    char text[32];
    snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", static_cast<long long>(ms / 3600000),
             static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
             static_cast<long long>(ms % 1000));
    return text;
}

// A SubRip file of about `bytes` bytes with CR LF line ends: blocks of one or
// two text lines of film-dialogue length, a few with markup.
std::string MakeSubRip(size_t bytes) {
    static const char* const kLines[] = {
        "I told you we should have taken the other road.",
        "<i>Nobody listens to the radio any more.</i>",
        "- Where were you last night?",
        "- At home. Alone, as always.",
        "Grüße aus Köln, sagte er, und lachte.",
        "We have twenty minutes before the train leaves.",
    };
    std::string out;
    out.reserve(bytes + 256);
    for (int64_t i = 0; out.size() < bytes; ++i) {
        const int64_t start = i * 3100 + 500;
        out += std::to_string(i + 1) + "\r\n" + TimeText(start) + " --> " + TimeText(start + 2400) +
               "\r\n" + kLines[i % 6] + "\r\n";
        if (i % 3 != 0) {
            out += std::string(kLines[(i + 1) % 6]) + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::string& BenchFile() {
    static std::string path;
    return path;
}

size_t& BenchFileBytes() {
    static size_t bytes = 0;
    return bytes;
}

void BM_ReadSubRipFile(benchmark::State& state) {
    size_t bytes = 0, entries = 0;
    for (auto _ : state) {
        SubtitleReader reader;
        if (!reader.OpenSubtitleFile(BenchFile())) {
            state.SkipWithError("cannot open the generated file");
            return;
        }
        ReadSubRip(reader);
        entries = reader.entries().size();
        bytes += BenchFileBytes();
        benchmark::DoNotOptimize(reader.entries().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_ReadSubRipFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// A two-hour film: 1500 entries of 3 s, each followed by a gap of 1.8 s.
SubtitleEntries Film() {
    SubtitleEntries entries;
    for (int64_t i = 0; i < 1500; ++i) {
        entries.push_back({.start = i * 4800, .end = i * 4800 + 3000, .text = "text", .lines = 1});
    }
    return entries;
}

void BM_FindEntryAt_InEntry(benchmark::State& state) {
    const SubtitleEntries film = Film();
    int32_t cursor = 750;
    int64_t t = 750 * 4800 + 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindEntryAt(film, t, 25.0, cursor));
        t = t == 750 * 4800 + 1000 ? t + 40 : t - 40;  // frames of one entry
    }
}
BENCHMARK(BM_FindEntryAt_InEntry);

void BM_FindEntryAt_InGap(benchmark::State& state) {
    const SubtitleEntries film = Film();
    int32_t cursor = 750;
    const int64_t t = 750 * 4800 + 3500;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindEntryAt(film, t, 25.0, cursor));
    }
}
BENCHMARK(BM_FindEntryAt_InGap);

// From inside entry 1400 back to inside entry 100: the empty frame, then the
// frame that finds entry 100.
void BM_FindEntryAt_AfterBackwardSeek(benchmark::State& state) {
    const SubtitleEntries film = Film();
    for (auto _ : state) {
        int32_t cursor = 1400;
        benchmark::DoNotOptimize(FindEntryAt(film, 100 * 4800 + 1000, 25.0, cursor));
        benchmark::DoNotOptimize(FindEntryAt(film, 100 * 4800 + 1040, 25.0, cursor));
    }
}
BENCHMARK(BM_FindEntryAt_AfterBackwardSeek);

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    const std::string contents = tavimo::MakeSubRip(tavimo::kFileBytes);
    tavimo::BenchFileBytes() = contents.size();
    if (argc == 3 && strcmp(argv[1], "--generate") == 0) {
        return tavimo::WriteFile(argv[2], contents) ? 0 : 1;
    }
    bool remove_file = false;
    if (const char* given = getenv("TAVIMO_BENCH_SRT")) {
        tavimo::BenchFile() = given;
    } else {
        const char* tmp = getenv("TMPDIR");
        tavimo::BenchFile() = std::string(tmp != nullptr ? tmp : "/tmp") + "/tavimo-bench-" +
                              std::to_string(getpid()) + ".srt";
        remove_file = true;
    }
    if (remove_file && !tavimo::WriteFile(tavimo::BenchFile(), contents)) {
        fprintf(stderr, "cannot write %s\n", tavimo::BenchFile().c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (remove_file) {
        unlink(tavimo::BenchFile().c_str());
    }
    return 0;
}
