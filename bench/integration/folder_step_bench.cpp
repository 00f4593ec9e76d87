// The cost of one Next File step in a folder of 5,000 files.
//   folder_step_bench [benchmark flags]
// .mp4 is registered with this program in a private XDG data and config
// folder (made in $TMPDIR, removed at the end), so the desktop's answers come
// from GIO and shared-mime-info as they would for the player.
//
//   ReadUnsorted       reading the folder's names as the system lists them
//   ListAndSort        reading the folder and putting it in file-manager order
//   NextAmongClips     5,000 clips: the step finds the neighbour at once
//   NextPastTextFiles  a.mp4, 4,998 text files, z.mp4: the step passes them all
//   NextPastTextFiles_AskingPerFile  the same walk asking the desktop about
//                      every file (the reference: what one lookup per file costs)
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "integration/file_type_access.h"
#include "integration/folder_navigation.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

namespace tavimo {
namespace {

constexpr int kFiles = 5000;

struct QuietDialogs : platform::Dialogs {
    int MessageBox(const std::string&, const std::string&, unsigned) override {
        return platform::IDOK;
    }
    int GetOpenFileName(const platform::OpenFileRequest&, std::string*) override { return 0; }
    bool ChooseFont(QFont&, uint32_t&) override { return false; }
    bool GetText(const std::string&, const std::string&, std::string&) override { return false; }
    void MessageBeep(unsigned) override {}
};

std::string root;  // the bench's temporary folder
std::string Clips() {
    return root + "/clips";
}
std::string Mixed() {
    return root + "/mixed";
}

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

void Prepare() {
    char pattern[] = "/tmp/tavimo-bench-XXXXXX";
    root = ::mkdtemp(pattern);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    std::filesystem::create_directories(Clips());
    std::filesystem::create_directories(Mixed());
    for (int i = 1; i <= kFiles; ++i)
        Touch(Clips() + "/clip " + std::to_string(i) + ".mp4");
    Touch(Mixed() + "/a.mp4");
    for (int i = 1; i <= kFiles - 2; ++i)
        Touch(Mixed() + "/notes " + std::to_string(i) + ".txt");
    Touch(Mixed() + "/z.mp4");
    QuietDialogs dialogs;
    const FileTypeContext context{platform::DesktopAssociations(), root + "/data",
                                  platform::SelfExePath(), ""};
    RegisterFileType(Clips() + "/clip 1.mp4", context, dialogs);
}

void ReadUnsorted(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(Clips(), ec))
            names.push_back(entry.path().filename().string());
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(ReadUnsorted)->Unit(benchmark::kMillisecond);

void ListAndSort(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ListFolderFiles(Clips()));
}
BENCHMARK(ListAndSort)->Unit(benchmark::kMillisecond);

void NextAmongClips(benchmark::State& state) {
    for (auto _ : state) {
        PlayerFileTest test(platform::DesktopAssociations(), platform::SelfExePath());
        if (FindNextFile(Clips() + "/clip 2500.mp4", test) != Clips() + "/clip 2501.mp4")
            state.SkipWithError("wrong neighbour");
    }
}
BENCHMARK(NextAmongClips)->Unit(benchmark::kMillisecond);

void NextPastTextFiles(benchmark::State& state) {
    for (auto _ : state) {
        PlayerFileTest test(platform::DesktopAssociations(), platform::SelfExePath());
        if (FindNextFile(Mixed() + "/a.mp4", test) != Mixed() + "/z.mp4")
            state.SkipWithError("wrong neighbour");
    }
}
BENCHMARK(NextPastTextFiles)->Unit(benchmark::kMillisecond);

void NextPastTextFiles_AskingPerFile(benchmark::State& state) {
    auto& desktop = platform::DesktopAssociations();
    const std::string self = platform::SelfExePath();
    for (auto _ : state) {
        const auto names = ListFolderFiles(Mixed());
        std::string found;
        for (size_t i = 1; i < names->size() && found.empty(); ++i) {
            const auto type = desktop.GuessForFile(Mixed() + "/" + (*names)[i]).type;
            for (const std::string& program : desktop.ApplicationExecutables(type))
                if (program == self)
                    found = (*names)[i];
        }
        if (found != "z.mp4")
            state.SkipWithError("wrong neighbour");
    }
}
BENCHMARK(NextPastTextFiles_AskingPerFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    tavimo::Prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(tavimo::root, ec);
    return 0;
}
