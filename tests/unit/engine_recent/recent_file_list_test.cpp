// The recent-file list: order, duplicates, the stored layout, clamping of
// the stored count, the menu items and their texts, and cut entries.
#include <gtest/gtest.h>

#include <cstring>

#include "integration/recent_file_list.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_registry.h"

namespace tavimo {
namespace {

constexpr char kKey[] = "Software\\Orvenic\\Tavimo\\Recent Document List";

class FakeMenu : public RecentMenu {
  public:
    struct Item {
        int command;
        std::string text;
        bool grayed;
        bool operator==(const Item&) const = default;
    };
    std::vector<Item> items;

    int ItemCount() override { return static_cast<int>(items.size()); }
    int CommandAt(int position) override { return items.at(position).command; }
    bool TextOf(int command, std::string* text) override {
        for (auto& item : items)
            if (item.command == command)
                return (*text = item.text), true;
        return false;
    }
    void InsertAt(int position, int command, const std::string& text, bool grayed) override {
        items.insert(items.begin() + position, Item{command, text, grayed});
    }
    void DeleteAt(int position) override {
        if (position < ItemCount())
            items.erase(items.begin() + position);
    }
    void DeleteCommand(int command) override {
        for (auto it = items.begin(); it != items.end(); ++it)
            if (it->command == command) {
                items.erase(it);
                return;
            }
    }
};

FakeMenu MenuOf(std::vector<FakeMenu::Item> items) {
    FakeMenu menu;
    menu.items = std::move(items);
    return menu;
}

// The File menu of the resource: Open, "Most Recent...", separator, Exit.
FakeMenu FileMenu() {
    FakeMenu menu;
    menu.items = {{57601, "&Open Video", false},
                  {57616, "Most Recent...", false},
                  {0, "", false},
                  {57665, "E&xit", false}};
    return menu;
}

std::vector<uint8_t> Dword(uint32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

std::vector<uint8_t> Sz(const std::string& s) {
    std::vector<uint8_t> b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

std::string Stored(platform::FakeRegistry& registry, int i) {
    auto value = registry.Value(kKey, "Document" + std::to_string(i));
    if (!value)
        return "<none>";
    return std::string(value->data.begin(), value->data.end() - 1);
}

class RecentFileListTest : public testing::Test {
  protected:
    RecentFileListTest() { list.AttachRecentMenu(&menu); }
    platform::FakeRegistry registry;
    FakeMenu menu = FileMenu();
    RecentFileList list{registry};
    platform::ScriptedDialogs dialogs;
};

TEST_F(RecentFileListTest, FiveOpensKeepTheNewestFour) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/v/e.avi"}) {
        list.AddRecent(path);
        list.SaveRecent();
    }
    std::vector<FakeMenu::Item> expected = {
        {57601, "&Open Video", false}, {57616, "&1 /v/e.avi", false}, {57617, "&2 /v/d.avi", false},
        {57618, "&3 /v/c.avi", false}, {57619, "&4 /v/b.avi", false}, {0, "", false},
        {57665, "E&xit", false}};
    EXPECT_EQ(menu.items, expected);
    EXPECT_EQ(Stored(registry, 1), "/v/e.avi");
    EXPECT_EQ(Stored(registry, 4), "/v/b.avi");
    EXPECT_EQ(Stored(registry, 5), "<none>");
    EXPECT_EQ(registry.Value(kKey, "DocumentCount")->data, Dword(4));
    EXPECT_EQ(registry.Value(kKey, "Document1")->type, platform::REG_SZ);
}

TEST_F(RecentFileListTest, ReopeningInOtherCaseMovesToTheTop) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi"})
        list.AddRecent(path);
    list.AddRecent("/V/C.AVI");
    list.SaveRecent();
    EXPECT_EQ(list.Paths(),
              (std::vector<std::string>{"/V/C.AVI", "/v/d.avi", "/v/b.avi", "/v/a.avi"}));
    EXPECT_EQ(Stored(registry, 1), "/V/C.AVI");
    EXPECT_EQ(menu.items.size(), 7u);
}

TEST_F(RecentFileListTest, StoredCountIsClamped) {
    struct Row {
        const char* name;
        uint32_t stored;
        int loaded;
    } rows[] = {{"zero", 0, 2}, {"one", 1, 2}, {"forty", 40, 16}, {"six", 6, 6}};
    for (const Row& row : rows) {
        platform::FakeRegistry reg;
        reg.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(row.stored));
        RecentFileList l(reg);
        l.LoadRecent();
        EXPECT_EQ(l.MaxEntries(), row.loaded) << row.name;
        l.SaveRecent();
        EXPECT_EQ(reg.Value(kKey, "DocumentCount")->data, Dword(row.loaded)) << row.name;
    }
}

TEST_F(RecentFileListTest, LoadRestoresTheStoredOrderAndSkipsBadValues) {
    registry.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(5));
    registry.Seed(kKey, "Document1", platform::REG_SZ, Sz("/v/newest.avi"));
    registry.Seed(kKey, "Document2", platform::REG_SZ, Sz(std::string(300, 'x')));
    registry.Seed(kKey, "Document3", platform::REG_SZ, Sz("/v/older.avi"));
    registry.Seed(kKey, "Document6", platform::REG_SZ, Sz("/v/beyond.avi"));
    list.LoadRecent();
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/v/newest.avi", "/v/older.avi"}));
    EXPECT_EQ(menu.items[1], (FakeMenu::Item{57616, "&1 /v/newest.avi", false}));
}

TEST_F(RecentFileListTest, EmptyListTexts) {
    struct Row {
        const char* name;
        bool seedCount;
        FakeMenu menu;
        FakeMenu::Item expected;
    } rows[] = {
        {"nothing stored keeps the resource item",
         false,
         FileMenu(),
         {57616, "Most Recent...", false}},
        {"stored but empty greys it", true, FileMenu(), {57616, "Most Recent...", true}},
        {"menu without the item says (empty)",
         true,
         MenuOf({{57601, "&Open Video", false}, {57665, "E&xit", false}}),
         {57616, "(empty)", true}},
    };
    for (Row& row : rows) {
        platform::FakeRegistry reg;
        if (row.seedCount)
            reg.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(4));
        RecentFileList l(reg);
        l.AttachRecentMenu(&row.menu);
        l.LoadRecent();
        auto it = std::find_if(row.menu.items.begin(), row.menu.items.end(),
                               [](auto& item) { return item.command == 57616; });
        ASSERT_NE(it, row.menu.items.end()) << row.name;
        EXPECT_EQ(*it, row.expected) << row.name;
    }
}

TEST_F(RecentFileListTest, OpenRecentMovesTheEntryAndSaves) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi"})
        list.AddRecent(path);
    EXPECT_EQ(list.OpenRecent(57618, dialogs), std::optional<std::string>("/v/a.avi"));
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/v/a.avi", "/v/c.avi", "/v/b.avi"}));
    EXPECT_EQ(Stored(registry, 1), "/v/a.avi");
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(list.OpenRecent(57619, dialogs), std::nullopt);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, platform::ScriptedDialogs::Kind::Beep);
    EXPECT_EQ(dialogs.calls[0].flags, platform::MB_ICONHAND);
}

TEST_F(RecentFileListTest, LongPathIsListedCutButNeverOpened) {
    const std::string longPath = "/v/" + std::string(297, 'n');
    list.AddRecent(longPath);
    list.AddRecent("/v/short.avi");
    EXPECT_EQ(list.Paths()[1], longPath.substr(0, 259));
    EXPECT_EQ(list.OpenRecent(57617, dialogs), std::nullopt);  // the cut one: a beep
    EXPECT_EQ(dialogs.CallsOf(platform::ScriptedDialogs::Kind::Beep).size(), 1u);
    EXPECT_EQ(list.OpenRecent(57617, dialogs), std::nullopt);
    EXPECT_EQ(list.OpenRecent(57616, dialogs), std::optional<std::string>("/v/short.avi"));
}

TEST_F(RecentFileListTest, CutNeverSplitsAUtf8Character) {
    const std::string path = "/" + std::string(257, 'a') + "\xC3\xA9" + "z";  // é across the cut
    list.AddRecent(path);
    EXPECT_EQ(list.Paths()[0], "/" + std::string(257, 'a'));
}

}  // namespace
}  // namespace tavimo
