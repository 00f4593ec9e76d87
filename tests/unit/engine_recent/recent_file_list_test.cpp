// The recent-file list: order, duplicates, the stored layout, clamping of
// the stored count, the menu items and their texts, and cut entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "../registry/registry_test_util.h"
#include "integration/recent_file_list.h"
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
    Add({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/v/e.avi"});
    list.SaveRecent();
    EXPECT_EQ(menu.items, Strings({"57601 &Open Video", "57616 &1 /v/e.avi", "57617 &2 /v/d.avi",
                                   "57618 &3 /v/c.avi", "57619 &4 /v/b.avi", "0 ", "57665 E&xit"}));
    EXPECT_EQ(Stored(registry), "4:/v/e.avi|/v/d.avi|/v/c.avi|/v/b.avi");
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

}  // namespace
}  // namespace tavimo
