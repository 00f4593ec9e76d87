// Several processes and one settings file: saves at the same moment keep each
// other's keys, and a writer killed at any point leaves a whole file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "registry_test_util.h"

namespace tavimo::platform {
namespace {

using testing::Dword;
using testing::Exists;
using testing::ReadWhole;
using testing::TempFolder;

constexpr const char* kTavimo = "Software\\Orvenic\\Tavimo";

// Runs `body` in a forked child that ends with its result as exit status.
pid_t Spawn(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Creates `path`, sets the values and closes; false on any failure. Child-safe (no gtest).
bool SaveValues(const std::string& file, const std::string& path,
                const std::vector<std::pair<std::string, std::vector<uint8_t>>>& values) {
    auto registry = OpenRegistryFile(file);
    RegKey key = nullptr;
    if (registry->CreateKey(path, &key) != ERROR_SUCCESS)
        return false;
    for (const auto& [name, data] : values) {
        uint32_t type = data.size() == 4 ? REG_DWORD : REG_BINARY;
        if (registry->SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size())) !=
            ERROR_SUCCESS) {
            return false;
        }
    }
    return registry->CloseKey(key) == ERROR_SUCCESS;
}

const RegValue* FindValue(const RegTree& tree, const std::string& path, const std::string& name) {
    const RegKeyNode* key = tree.Find(path);
    if (key == nullptr)
        return nullptr;
    auto it = key->values.find(FoldCase(name));
    return it == key->values.end() ? nullptr : &it->second;
}

TEST(RegistryProcesses, SimultaneousSavesLoseNothing) {
    constexpr int kWriters = 3;
    constexpr uint32_t kRounds = 60;
    TempFolder folder;
    const std::string file = folder.File("tavimo/registry.reg");
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(Spawn([&, w] {
            ::close(gate[1]);
            char start;
            while (::read(gate[0], &start, 1) > 0) {
            }
            const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
            for (uint32_t i = 0; i < kRounds; ++i) {
                if (!SaveValues(file, own + "\\Round" + std::to_string(i), {{"Round", Dword(i)}}) ||
                    !SaveValues(file, kTavimo, {{"Last" + std::to_string(w), Dword(i)}})) {
                    return 1;
                }
            }
            return 0;
        }));
    }
    ::close(gate[0]);
    ::close(gate[1]);  // every writer starts now
    for (pid_t pid : writers)
        EXPECT_EQ(ExitStatus(pid), 0);

    RegParse parse = ParseRegText(ReadWhole(file));
    ASSERT_TRUE(parse.clean);
    int missing = 0;
    for (int w = 0; w < kWriters; ++w) {
        const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
        for (uint32_t i = 0; i < kRounds; ++i) {
            const RegValue* value =
                FindValue(parse.tree, own + "\\Round" + std::to_string(i), "Round");
            missing += value == nullptr || value->data != Dword(i);
        }
        const RegValue* last = FindValue(parse.tree, kTavimo, "Last" + std::to_string(w));
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->data, Dword(kRounds - 1));
    }
    EXPECT_EQ(missing, 0);
    EXPECT_FALSE(Exists(file + ".bad"));
}

TEST(RegistryProcesses, WriterKilledMidSaveLeavesAWholeFile) {
    constexpr int kKills = 60;
    constexpr size_t kBlob = 128 * 1024;
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    std::mt19937 random(7);
    uint32_t last_seen = 0;
    int advanced = 0;
    // Kill points spread over about two saves, however fast this build saves
    // (sanitizer builds are several times slower).
    ASSERT_TRUE(
        SaveValues(folder.File("timing.reg"), kTavimo, {{"Blob", std::vector<uint8_t>(kBlob, 1)}}));
    const auto before = std::chrono::steady_clock::now();  // a save over an existing file
    ASSERT_TRUE(
        SaveValues(folder.File("timing.reg"), kTavimo, {{"Blob", std::vector<uint8_t>(kBlob, 2)}}));
    const auto save_us = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - before)
                             .count();
    const auto window_us = static_cast<uint32_t>(std::max<int64_t>(3 * save_us, 2000)) + 5000;
    for (int round = 0; round < kKills; ++round) {
        const uint32_t base = static_cast<uint32_t>(round + 1) * 100000;
        pid_t pid = Spawn([&] {
            for (uint32_t n = base;; ++n) {
                // A and B bracket a blob whose bytes repeat n: a torn file cannot agree on all
                // three.
                std::vector<uint8_t> blob(kBlob, static_cast<uint8_t>(n));
                if (!SaveValues(file, kTavimo,
                                {{"A", Dword(n)}, {"Blob", blob}, {"B", Dword(n)}})) {
                    return 1;
                }
            }
        });
        ::usleep(static_cast<useconds_t>(random() % window_us));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(ExitStatus(pid), 128 + SIGKILL) << "the writer failed on its own";
        if (!Exists(file)) {
            ASSERT_EQ(last_seen, 0u) << "round " << round << ": a saved file disappeared";
            continue;
        }

        RegParse parse = ParseRegText(ReadWhole(file));
        ASSERT_TRUE(parse.clean) << "round " << round << ", line " << parse.first_bad_line;
        const RegValue* a = FindValue(parse.tree, kTavimo, "A");
        const RegValue* b = FindValue(parse.tree, kTavimo, "B");
        const RegValue* blob = FindValue(parse.tree, kTavimo, "Blob");
        ASSERT_TRUE(a && b && blob);
        ASSERT_EQ(a->data, b->data);
        const uint32_t n = a->data[0] | a->data[1] << 8 | a->data[2] << 16 | a->data[3] << 24;
        ASSERT_EQ(blob->data, std::vector<uint8_t>(kBlob, static_cast<uint8_t>(n)));
        advanced += n != last_seen;
        last_seen = n;
    }
    EXPECT_GE(advanced, 3) << "too few saves completed to prove anything";
    EXPECT_FALSE(Exists(file + ".bad"));
}

}  // namespace
}  // namespace tavimo::platform
