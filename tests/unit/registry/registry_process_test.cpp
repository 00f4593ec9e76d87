// Several processes and one settings file: saves at the same moment keep each other's keys, and
// a writer killed at any point leaves a whole file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <random>

#include "platform/registry_text.h"
#include "registry_test_util.h"

namespace tavimo::platform {
namespace {

using namespace testing;

// Runs `body` in a forked child whose exit status is its result (128 + signal when killed).
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}
int ExitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
// One save through a fresh store, as another instance makes it; no gtest, so children may call it.
bool Save(const std::string& file, const std::string& path, const std::string& name,
          const std::vector<uint8_t>& data) {
    return Put(*OpenRegistryFile(file), path, name, REG_BINARY, data) == ERROR_SUCCESS;
}

TEST(RegistryProcesses, SimultaneousSavesLoseNothing) {
    constexpr int kWriters = 3, kRounds = 60;
    TestDir folder;
    const std::string file = folder / "tavimo/registry.reg";
    std::vector<pid_t> writers;  // forks take far less time than their saves: they overlap
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(Spawn([&, w] {
            const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
            for (int i = 0; i < kRounds; ++i) {
                if (!Save(file, own + "\\Round" + std::to_string(i), "Round", Dword(i)) ||
                    !Save(file, kTavimo, "Last" + std::to_string(w), Dword(i)))
                    return 1;
            }
            return 0;
        }));
    }
    for (pid_t pid : writers)
        EXPECT_EQ(ExitStatus(pid), 0);
    ASSERT_TRUE(ParseRegText(FileText(file)).clean);
    for (int w = 0; w < kWriters; ++w) {
        const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
        for (int i = 0; i < kRounds; ++i)
            ASSERT_EQ(Get(file, own + "\\Round" + std::to_string(i), "Round").data, Dword(i));
        EXPECT_EQ(Get(file, kTavimo, "Last" + std::to_string(w)).data, Dword(kRounds - 1));
    }
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
}

TEST(RegistryProcesses, WriterKilledMidSaveLeavesAWholeFile) {
    constexpr size_t kBlob = 128 * 1024;  // every byte of save n is n: a torn file cannot agree
    TestDir folder;
    const std::string file = folder / "registry.reg";
    // Kill points spread over about two saves, however fast this build saves.
    ASSERT_TRUE(Save(folder / "timing.reg", kTavimo, "Blob", std::vector<uint8_t>(kBlob)));
    const auto before = std::chrono::steady_clock::now();  // a save over an existing file
    ASSERT_TRUE(Save(folder / "timing.reg", kTavimo, "Blob", std::vector<uint8_t>(kBlob)));
    const auto save = std::chrono::steady_clock::now() - before;
    const auto window_us =
        7000 + 3 * std::chrono::duration_cast<std::chrono::microseconds>(save).count();
    std::mt19937 random(7);
    int last_seen = -1, advanced = 0;
    for (int round = 0; round < 60; ++round) {
        const pid_t pid = Spawn([&] {
            for (auto n = static_cast<uint8_t>(round * 16);; ++n) {
                if (!Save(file, kTavimo, "Blob", std::vector<uint8_t>(kBlob, n)))
                    return 1;
            }
        });
        ::usleep(static_cast<useconds_t>(random() % window_us));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(ExitStatus(pid), 128 + SIGKILL) << "the writer failed on its own";
        if (!std::filesystem::exists(file)) {
            ASSERT_EQ(last_seen, -1) << "round " << round << ": a saved file disappeared";
            continue;
        }
        ASSERT_TRUE(ParseRegText(FileText(file)).clean) << "round " << round;
        const std::vector<uint8_t> blob = Get(file, kTavimo, "Blob").data;
        ASSERT_EQ(blob.size(), kBlob) << "round " << round;
        ASSERT_EQ(static_cast<size_t>(std::count(blob.begin(), blob.end(), blob[0])), kBlob)
            << "round " << round;
        advanced += blob[0] != last_seen;
        last_seen = blob[0];
    }
    EXPECT_GE(advanced, 3) << "too few saves completed to prove anything";
}

}  // namespace
}  // namespace tavimo::platform
