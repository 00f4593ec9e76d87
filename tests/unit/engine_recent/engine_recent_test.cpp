// What is remembered of the clips played. The recent-file list: order,
// duplicates, the stored layout, clamping of the stored count, the menu items
// and their texts, and cut entries. Resume positions on the real settings
// file: the 10 s rule at both ends, newest first with the oldest dropped past
// 200 clips, forgetting at the end of a clip, a damaged entry that costs
// nothing but itself, and two players writing the same file without losing
// each other's clips.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "../registry/registry_test_util.h"
#include "integration/recent_file_list.h"
#include "integration/resume_positions.h"
#include "platform/registry.h"
#include "support/fake_dialogs.h"
#include "support/fake_registry.h"

namespace tavimo {
namespace {

using platform::testing::Dword;
using platform::testing::Sz;
constexpr char kKey[] = "Software\\Orvenic\\Tavimo\\Recent Document List";
constexpr int kNewest = RecentFileList::kFirstCommand;
using Strings = std::vector<std::string>;

// A menu of items "command text" ("command~text" when grayed); it starts as the
// resource's File menu: Open, "Most Recent...", separator, Exit.
class FakeMenu : public RecentMenu {
  public:
    Strings items = {"57601 &Open Video", "57616 Most Recent...", "0 ", "57665 E&xit"};

    int ItemCount() override { return static_cast<int>(items.size()); }
    int CommandAt(int position) override { return std::stoi(items.at(position)); }
    bool TextOf(int command, std::string* text) override {
        for (const auto& item : items)
            if (std::stoi(item) == command)
                return (*text = item.substr(item.find_first_of(" ~") + 1)), true;
        return false;
    }
    void InsertAt(int position, int command, const std::string& text, bool grayed) override {
        items.insert(items.begin() + position,
                     std::to_string(command) + (grayed ? "~" : " ") + text);
    }
    void DeleteAt(int position) override {
        if (position < ItemCount())
            items.erase(items.begin() + position);
    }
    void DeleteCommand(int command) override {
        std::erase_if(items, [&](auto& item) { return std::stoi(item) == command; });
    }
};

// What the registry holds: "DocumentCount:Document1|Document2|..." up to the first missing value.
std::string Stored(const platform::FakeRegistry& reg) {
    uint32_t count = 0;
    if (auto value = reg.Value(kKey, "DocumentCount"); value && value->data.size() == 4)
        std::memcpy(&count, value->data.data(), 4);
    std::string out = std::to_string(count) + ":";
    for (int i = 1; auto value = reg.Value(kKey, "Document" + std::to_string(i)); ++i) {
        EXPECT_EQ(value->type, platform::REG_SZ);
        out += (i > 1 ? "|" : "") + std::string(value->data.begin(), value->data.end() - 1);
    }
    return out;
}

class RecentFileListTest : public testing::Test {
  protected:
    RecentFileListTest() { list.AttachRecentMenu(&menu); }
    void Add(std::initializer_list<std::string> paths) {
        for (const auto& path : paths)
            list.AddRecent(path);
    }
    platform::FakeRegistry registry;
    FakeMenu menu;
    RecentFileList list{registry};
    platform::ScriptedDialogs dialogs;
};

// Four entries by default; the menu lists them newest first in place of "Most Recent...".
TEST_F(RecentFileListTest, FiveOpensKeepTheNewestFour) {
    Add({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/v/e & f.avi"});
    list.SaveRecent();
    // An '&' of a path doubled, so that it shows as itself rather than as a key.
    EXPECT_EQ(menu.items,
              Strings({"57601 &Open Video", "57616 &1 /v/e && f.avi", "57617 &2 /v/d.avi",
                       "57618 &3 /v/c.avi", "57619 &4 /v/b.avi", "0 ", "57665 E&xit"}));
    EXPECT_EQ(Stored(registry), "4:/v/e & f.avi|/v/d.avi|/v/c.avi|/v/b.avi");
}

TEST_F(RecentFileListTest, ReopeningInOtherCaseMovesToTheTop) {
    Add({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/V/C.AVI"});
    EXPECT_EQ(list.Paths(), Strings({"/V/C.AVI", "/v/d.avi", "/v/b.avi", "/v/a.avi"}));
}

// Values past the count and values longer than a slot are passed over; a
// full slot naming no file was cut when saved and is never opened; one that
// cannot be looked up is kept as stored.
TEST_F(RecentFileListTest, LoadRestoresTheStoredOrderAndSkipsBadValues) {
    const std::string unchecked = "/" + std::string(258, 'l');  // a name too long to look up
    registry.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(5));
    int i = 0;
    for (const std::string& path :
         Strings{"/v/newest.avi", std::string(300, 'x'), "/v/older.avi",
                 "/v/" + std::string(256, 'c'), unchecked, "/v/beyond.avi"})
        registry.Seed(kKey, "Document" + std::to_string(++i), platform::REG_SZ, Sz(path));
    list.LoadRecent();
    EXPECT_EQ(menu.items, Strings({"57601 &Open Video", "57616 &1 /v/newest.avi",
                                   "57617 &2 /v/older.avi", "57618 &3 /v/" + std::string(256, 'c'),
                                   "57619 &4 " + unchecked, "0 ", "57665 E&xit"}));
    EXPECT_EQ(list.OpenRecent(kNewest + 2, dialogs), std::nullopt);
    EXPECT_EQ(list.OpenRecent(kNewest, dialogs), std::optional<std::string>("/v/newest.avi"));
    EXPECT_EQ(list.OpenRecent(kNewest + 3, dialogs), std::optional<std::string>(unchecked));
}

// A fresh start from what is stored: the count clamped to 2..16, and the
// texts of an empty list.
TEST_F(RecentFileListTest, StoredCountAndEmptyListTexts) {
    // Name, DocumentCount (-1: none), whether the menu has "Most Recent...", entries, item.
    const std::tuple<const char*, int64_t, bool, int, const char*> rows[] = {
        {"zero", 0, true, 2, "57616~Most Recent..."},
        {"forty", 40, true, 16, "57616~Most Recent..."},
        {"six", 6, true, 6, "57616~Most Recent..."},
        {"nothing stored keeps the resource item", -1, true, 4, "57616 Most Recent..."},
        {"menu without the item says (empty)", 4, false, 4, "57616~(empty)"},
    };
    for (auto [name, stored, withItem, loaded, item] : rows) {
        platform::FakeRegistry reg;
        if (stored >= 0)
            reg.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(uint32_t(stored)));
        FakeMenu m;
        if (!withItem)
            m.items.erase(m.items.begin() + 1);
        RecentFileList l(reg);
        l.AttachRecentMenu(&m);
        l.LoadRecent();
        EXPECT_EQ(l.MaxEntries(), loaded) << name;
        EXPECT_NE(std::find(m.items.begin(), m.items.end(), item), m.items.end()) << name;
        l.SaveRecent();
        EXPECT_EQ(Stored(reg), std::to_string(loaded) + ":") << name;
    }
}

// Opening an entry moves it to the top and saves; a command past the list or
// a path that was cut to fit only beeps (the cut path is listed, never opened).
TEST_F(RecentFileListTest, OpenRecent) {
    const std::string longPath = "/v/" + std::string(297, 'n');
    Add({longPath, "/v/a.avi", "/v/b.avi"});
    EXPECT_EQ(list.OpenRecent(kNewest + 1, dialogs), std::optional<std::string>("/v/a.avi"));
    EXPECT_EQ(Stored(registry), "4:/v/a.avi|/v/b.avi|" + longPath.substr(0, 259));
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(list.OpenRecent(kNewest + 2, dialogs), std::nullopt);  // the cut one
    EXPECT_EQ(list.OpenRecent(kNewest + 3, dialogs), std::nullopt);
    ASSERT_EQ(dialogs.CallsOf(platform::ScriptedDialogs::Kind::Beep).size(), 2u);
    EXPECT_EQ(dialogs.calls[0].flags, platform::MB_ICONHAND);
    EXPECT_EQ(list.Paths(), Strings({"/v/a.avi", "/v/b.avi", longPath.substr(0, 259)}));
}

TEST_F(RecentFileListTest, CutNeverSplitsAUtf8Character) {
    list.AddRecent("/" + std::string(257, 'a') + "\xC3\xA9" + "z");  // é across the cut
    EXPECT_EQ(list.Paths(), Strings{"/" + std::string(257, 'a')});
}

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
    std::unique_ptr<platform::Registry> registry = Open();
    ResumePositions store{*registry};
};

TEST_F(ResumePositionsTest, KeepsOnlyPositionsAwayFromBothEnds) {
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
            auto written = Open(file.c_str());
            const auto put = [&](const char* value, uint32_t t, const std::string& b) {
                ASSERT_EQ(Put(*written, kKey, value, t, std::vector<uint8_t>(b.begin(), b.end())),
                          platform::ERROR_SUCCESS);
            };
            put("Clip1", REG_SZ, std::string("200000000 /clips/a.mp4\0", 23));
            if (type != 0)
                put("Clip2", type, bytes);
            put("Clip3", REG_SZ, std::string("300000000 /clips/c.mp4\0", 23));
        }
        auto damaged = Open(file.c_str());
        ResumePositions loaded(*damaged);
        EXPECT_EQ(loaded.Load(),
                  (Entries{{"/clips/a.mp4", 20 * kSecond}, {"/clips/c.mp4", 30 * kSecond}}));
        Play(loaded, "/clips/new.mp4", 40 * kSecond, 100 * kSecond);
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
    auto second = Open();
    ResumePositions other(*second);
    Play(store, "/clips/a.mp4", 20 * kSecond, 100 * kSecond);
    Play(other, "/clips/b.mp4", 30 * kSecond, 100 * kSecond);
    Play(store, "/clips/c.mp4", 40 * kSecond, 100 * kSecond);
    EXPECT_EQ(ResumePositions(*Open()).Load(), (Entries{{"/clips/c.mp4", 40 * kSecond},
                                                        {"/clips/b.mp4", 30 * kSecond},
                                                        {"/clips/a.mp4", 20 * kSecond}}));
}

}  // namespace
}  // namespace tavimo
