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

// Sets the values of one key and closes it; no gtest, so children may call it.
bool Save(const std::string& file, const std::string& path,
          const std::vector<std::pair<std::string, std::vector<uint8_t>>>& values) {
    auto registry = OpenRegistryFile(file);
    RegKey key = nullptr;
    bool ok = registry->CreateKey(path, &key) == ERROR_SUCCESS;
    for (const auto& [name, data] : values)
        ok = ok && registry->SetValue(key, name, REG_BINARY, data.data(),
                                      static_cast<uint32_t>(data.size())) == ERROR_SUCCESS;
    return ok && registry->CloseKey(key) == ERROR_SUCCESS;
}

std::vector<uint8_t> Value(const RegTree& tree, const std::string& path, const std::string& name) {
    const RegKeyNode* key = tree.Find(path);
    const auto it = key ? key->values.find(FoldCase(name)) : decltype(key->values.end())();
    return key && it != key->values.end() ? it->second.data : std::vector<uint8_t>();
}

TEST(RegistryProcesses, SimultaneousSavesLoseNothing) {
    constexpr int kWriters = 3, kRounds = 60;
    TempFolder folder;
    const std::string file = folder.File("tavimo/registry.reg");
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(Spawn([&, w] {
            char start;
            ::close(gate[1]);
            while (::read(gate[0], &start, 1) > 0) {
            }
            const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
            for (int i = 0; i < kRounds; ++i) {
                if (!Save(file, own + "\\Round" + std::to_string(i), {{"Round", Dword(i)}}) ||
                    !Save(file, kTavimo, {{"Last" + std::to_string(w), Dword(i)}}))
                    return 1;
            }
            return 0;
        }));
    }
    ::close(gate[0]);
    ::close(gate[1]);  // every writer starts now
    for (pid_t pid : writers)
        EXPECT_EQ(ExitStatus(pid), 0);
    const RegParse parse = ParseRegText(ReadWhole(file));
    ASSERT_TRUE(parse.clean);
    for (int w = 0; w < kWriters; ++w) {
        const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
        for (int i = 0; i < kRounds; ++i)
            ASSERT_EQ(Value(parse.tree, own + "\\Round" + std::to_string(i), "Round"), Dword(i));
        EXPECT_EQ(Value(parse.tree, kTavimo, "Last" + std::to_string(w)), Dword(kRounds - 1));
    }
    EXPECT_FALSE(Exists(file + ".bad"));
}

TEST(RegistryProcesses, WriterKilledMidSaveLeavesAWholeFile) {
    constexpr size_t kBlob = 128 * 1024;
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    // Kill points spread over about two saves, however fast this build saves.
    ASSERT_TRUE(Save(folder.File("timing.reg"), kTavimo, {{"Blob", std::vector<uint8_t>(kBlob)}}));
    const auto before = std::chrono::steady_clock::now();  // a save over an existing file
    ASSERT_TRUE(Save(folder.File("timing.reg"), kTavimo, {{"Blob", std::vector<uint8_t>(kBlob)}}));
    const auto save = std::chrono::steady_clock::now() - before;
    const auto window_us =
        7000 + 3 * std::chrono::duration_cast<std::chrono::microseconds>(save).count();
    std::mt19937 random(7);
    uint32_t last_seen = 0;
    int advanced = 0;
    for (uint32_t round = 1; round <= 60; ++round) {
        const pid_t pid = Spawn([&] {
            // A and B bracket a blob whose bytes repeat n: a torn file cannot agree on all three.
            for (uint32_t n = round * 100000;; ++n) {
                if (!Save(file, kTavimo,
                          {{"A", Dword(n)},
                           {"Blob", std::vector<uint8_t>(kBlob, uint8_t(n))},
                           {"B", Dword(n)}}))
                    return 1;
            }
        });
        ::usleep(static_cast<useconds_t>(random() % window_us));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(ExitStatus(pid), 128 + SIGKILL) << "the writer failed on its own";
        if (!Exists(file)) {
            ASSERT_EQ(last_seen, 0u) << "round " << round << ": a saved file disappeared";
            continue;
        }
        const RegParse parse = ParseRegText(ReadWhole(file));
        ASSERT_TRUE(parse.clean) << "round " << round << ", line " << parse.first_bad_line;
        const std::vector<uint8_t> a = Value(parse.tree, kTavimo, "A");
        ASSERT_EQ(a.size(), 4u);
        ASSERT_EQ(Value(parse.tree, kTavimo, "B"), a);
        const uint32_t n = a[0] | a[1] << 8 | a[2] << 16 | a[3] << 24;
        ASSERT_EQ(Value(parse.tree, kTavimo, "Blob"), std::vector<uint8_t>(kBlob, uint8_t(n)));
        advanced += n != last_seen;
        last_seen = n;
    }
    EXPECT_GE(advanced, 3) << "too few saves completed to prove anything";
}

}  // namespace
}  // namespace tavimo::platform
