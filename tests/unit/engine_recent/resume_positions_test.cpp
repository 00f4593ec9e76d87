// Resume positions on the real settings file: the 10 s rule at both ends,
// newest first with the oldest dropped past 200 clips, forgetting at the end
// of a clip, a damaged entry that costs nothing but itself, and two players
// writing the same file without losing each other's clips.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

#include "../registry/registry_test_util.h"
#include "integration/resume_positions.h"
#include "platform/registry.h"

namespace tavimo {
namespace {

constexpr int64_t kSecond = 10'000'000;
using Entries = std::vector<ResumePositions::Entry>;

class ResumePositionsTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::Registry> Open(const char* file = "registry.reg") {
        return platform::OpenRegistryFile(dir.filePath(file).toStdString());
    }
    // Opens `path`, plays to `position` and leaves a clip of `duration`.
    static void Play(ResumePositions& store, const std::string& path, int64_t position,
                     int64_t duration) {
        store.Opened(path);
        store.Note(position);
        store.Leave(duration);
    }
    QTemporaryDir dir;
};

TEST_F(ResumePositionsTest, KeepsOnlyPositionsAwayFromBothEnds) {
    auto registry = Open();
    ResumePositions store(*registry);
    // position in a clip of 100 s, whether it is kept
    const std::pair<int64_t, bool> cases[] = {{10 * kSecond, false},
                                              {10 * kSecond + 1, true},
                                              {90 * kSecond, false},
                                              {90 * kSecond - 1, true}};
    for (const auto& [position, kept] : cases) {
        Play(store, "/clips/a.mp4", position, 100 * kSecond);
        EXPECT_EQ(store.Load(), (kept ? Entries{{"/clips/a.mp4", position}} : Entries{}))
            << position;
    }
}

TEST_F(ResumePositionsTest, NewestFirstAndTheOldestGoesPast200) {
    auto registry = Open();
    ResumePositions store(*registry);
    for (int i = 0; i < 201; ++i)
        Play(store, "/clips/" + std::to_string(i) + " é.mkv", (20 + i) * kSecond, 3600 * kSecond);
    Entries entries = store.Load();
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.front(), (ResumePositions::Entry{"/clips/200 é.mkv", 220 * kSecond}));
    EXPECT_EQ(entries.back(), (ResumePositions::Entry{"/clips/1 é.mkv", 21 * kSecond}));
    // Played again, an old clip comes to the front once, with its new place.
    Play(store, "/clips/5 é.mkv", 30 * kSecond, 3600 * kSecond);
    entries = store.Load();
    EXPECT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.front(), (ResumePositions::Entry{"/clips/5 é.mkv", 30 * kSecond}));
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const auto& e) { return e.first == "/clips/5 é.mkv"; }),
              1);
    // Opening a stored clip hands out its place.
    EXPECT_EQ(store.Opened("/clips/7 é.mkv"), 27 * kSecond);
    EXPECT_EQ(store.Opened("/clips/0 é.mkv"), 0);
}

TEST_F(ResumePositionsTest, EndOfClipForgetsItAndLeavingWithoutTrackingWritesNothing) {
    auto registry = Open();
    ResumePositions store(*registry);
    Play(store, "/clips/a.mp4", 40 * kSecond, 100 * kSecond);
    store.Opened("/clips/a.mp4");
    store.Completed();
    EXPECT_EQ(store.Load(), Entries{});
    store.Close();
    store.Note(50 * kSecond);
    store.Leave(100 * kSecond);  // nothing open any more
    EXPECT_EQ(store.Load(), Entries{});
}

// One unreadable value among the entries: the entries around it still load,
// the next save keeps the older ones, and a copy of the damaged value is kept
// in "Resume Positions.bad".
TEST_F(ResumePositionsTest, ADamagedEntryIsSkippedAndKeptAside) {
    using platform::REG_DWORD, platform::REG_SZ, platform::testing::Put;
    const char kKey[] = "Software\\Orvenic\\Tavimo\\Resume Positions";
    // case, the type and bytes of Clip2 between two good entries (no type: absent)
    const std::tuple<const char*, uint32_t, std::string> cases[] = {
        {"not a number", REG_SZ, std::string("abc /clips/x.mp4\0", 17)},
        {"no path", REG_SZ, std::string("300000000\0", 10)},
        {"no space before the path", REG_SZ, std::string("300000000/clips/x.mp4\0", 22)},
        {"negative position", REG_SZ, std::string("-5 /clips/x.mp4\0", 16)},
        {"a number, not text", REG_DWORD, std::string("\x05\0\0\0", 4)},
        {"empty", REG_SZ, std::string()},
        {"absent", 0, std::string()},
    };
    for (const auto& [name, type, bytes] : cases) {
        SCOPED_TRACE(name);
        const std::string file = std::string(name) + ".reg";
        {
            auto registry = Open(file.c_str());
            const auto put = [&](const char* value, uint32_t t, const std::string& b) {
                ASSERT_EQ(Put(*registry, kKey, value, t, std::vector<uint8_t>(b.begin(), b.end())),
                          platform::ERROR_SUCCESS);
            };
            put("Clip1", REG_SZ, std::string("200000000 /clips/a.mp4\0", 23));
            if (type != 0)
                put("Clip2", type, bytes);
            put("Clip3", REG_SZ, std::string("300000000 /clips/c.mp4\0", 23));
        }
        auto registry = Open(file.c_str());
        ResumePositions store(*registry);
        EXPECT_EQ(store.Load(),
                  (Entries{{"/clips/a.mp4", 20 * kSecond}, {"/clips/c.mp4", 30 * kSecond}}));
        Play(store, "/clips/new.mp4", 40 * kSecond, 100 * kSecond);
        EXPECT_EQ(ResumePositions(*Open(file.c_str())).Load(),
                  (Entries{{"/clips/new.mp4", 40 * kSecond},
                           {"/clips/a.mp4", 20 * kSecond},
                           {"/clips/c.mp4", 30 * kSecond}}));
        const platform::testing::Got kept =
            platform::testing::Get(*Open(file.c_str()), std::string(kKey) + ".bad", "Clip2");
        EXPECT_EQ(kept.result == platform::ERROR_SUCCESS, type != 0) << "kept aside";
        if (type != 0) {
            EXPECT_EQ(kept.type, type);
            EXPECT_EQ(std::string(kept.data.begin(), kept.data.end()), bytes);
        }
    }
}

// Two players on one settings file: each keeps the other's clips.
TEST_F(ResumePositionsTest, TwoPlayersLoseNothing) {
    auto first = Open(), second = Open();
    ResumePositions a(*first), b(*second);
    Play(a, "/clips/a.mp4", 20 * kSecond, 100 * kSecond);
    Play(b, "/clips/b.mp4", 30 * kSecond, 100 * kSecond);
    Play(a, "/clips/c.mp4", 40 * kSecond, 100 * kSecond);
    EXPECT_EQ(ResumePositions(*Open()).Load(), (Entries{{"/clips/c.mp4", 40 * kSecond},
                                                        {"/clips/b.mp4", 30 * kSecond},
                                                        {"/clips/a.mp4", 20 * kSecond}}));
}

}  // namespace
}  // namespace tavimo
