#include "app/sync_command_line.h"

#include <gst/gst.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "engine/media/avcodec_decoders.h"
#include "engine/speech_source.h"
#include "engine/subtitle_sync.h"
#include "subtitles/sync/sync_input.h"
#include "subtitles/sync/sync_text.h"

namespace tavimo {
namespace {

constexpr char kUsage[] =
    "Usage: tavimo --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
    "Matches the subtitle file to the speech of the clip and prints the correction.\n"
    "With -o, also writes the corrected subtitles there as SubRip.\n";

// MicroDVD frames are read at this rate; a file made for another rate shows
// as a frame-rate change.
constexpr double kFrameBasedFps = 25.0;

struct Arguments {
    std::string subtitle, clip, out;
};

bool Parse(int argc, char** argv, Arguments* args) {
    std::vector<std::string> plain;
    bool outGiven = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0) {
            if (i + 1 >= argc || outGiven || argv[i + 1][0] == '\0') {
                return false;
            }
            outGiven = true;
            args->out = argv[++i];
        } else {
            plain.emplace_back(argv[i]);
        }
    }
    if (plain.size() != 2 || plain[0].empty() || plain[1].empty()) {
        return false;
    }
    args->subtitle = plain[0];
    args->clip = plain[1];
    return true;
}

int NoMatch(const std::string& reason) {
    std::fprintf(stderr, "no match: %s\n", reason.c_str());
    return 1;
}

bool WriteFile(const std::string& path, const std::string& text) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

// The match of `entries` to the clip's speech; refused rather than thrown
// when memory runs out, whatever the files hold.
sync::SyncResult Match(const std::string& clip, const SubtitleEntries& entries) {
    try {
        const std::unique_ptr<ISpeechSource> source = NewSpeechSource(clip, 0);
        const std::atomic<bool> never{false};
        return SynchroniseToSpeech(*source, sync::SpeechCues(entries, kFrameBasedFps), nullptr,
                                   never);
    } catch (const std::bad_alloc&) {
        sync::SyncResult refused;
        refused.reason = "not enough memory for the match";
        return refused;
    }
}

}  // namespace

bool IsSyncCommandLine(int argc, char** argv) {
    return argc >= 2 && std::strcmp(argv[1], "--sync-subtitles") == 0;
}

int RunSyncCommandLine(int argc, char** argv) {
    Arguments args;
    if (!Parse(argc, argv, &args)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    SubtitleEntries entries;
    std::string error;
    if (!sync::ReadSubtitleEntries(args.subtitle, &entries, &error)) {
        return NoMatch(error);
    }
    gst_init(nullptr, nullptr);
    RegisterAvcodecDecoders();
    const sync::SyncResult result = Match(args.clip, entries);
    if (!result.matched) {
        return NoMatch(result.reason);
    }
    if (!args.out.empty() && !WriteFile(args.out, sync::SubRipText(sync::Retimed(
                                                      entries, result, kFrameBasedFps, true)))) {
        return NoMatch("the corrected file cannot be written to " + args.out);
    }
    std::printf("%s\n", sync::ResultLine(result).c_str());
    return 0;
}

}  // namespace tavimo
