// The recent-file list: order, duplicates, the stored layout, clamping of
// the stored count, the menu items and their texts, and cut entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "integration/recent_file_list.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_registry.h"

namespace tavimo {
namespace {

constexpr char kKey[] = "Software\\Orvenic\\Tavimo\\Recent Document List";
constexpr int kRecent = RecentFileList::kFirstCommand;

// A menu as a list of (command, text, grayed); "|" separates items in Text().
class FakeMenu : public RecentMenu {
  public:
    struct Item {
        int command;
        std::string text;
        bool grayed;
    };
    std::vector<Item> items = {{57601, "&Open Video", false},
                               {kRecent, "Most Recent...", false},
                               {0, "", false},
                               {57665, "E&xit", false}};

    int ItemCount() override { return static_cast<int>(items.size()); }
    int CommandAt(int position) override { return items.at(position).command; }
    bool TextOf(int command, std::string* text) override {
        auto it =
            std::find_if(items.begin(), items.end(), [&](auto& i) { return i.command == command; });
        return it != items.end() && (*text = it->text, true);
    }
    void InsertAt(int position, int command, const std::string& text, bool grayed) override {
        items.insert(items.begin() + position, Item{command, text, grayed});
    }
    void DeleteAt(int position) override {
        if (position < ItemCount())
            items.erase(items.begin() + position);
    }
    void DeleteCommand(int command) override {
        std::erase_if(items, [&](auto& i) { return i.command == command; });
    }
    std::string Text() const {
        std::string out;
        for (const Item& i : items)
            out += std::to_string(i.command) + (i.grayed ? "~" : " ") + i.text + "|";
        return out;
    }
};

std::vector<uint8_t> Dword(uint32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

std::string Stored(const platform::FakeRegistry& registry, int i) {
    auto value = registry.Value(kKey, "Document" + std::to_string(i));
    return value ? std::string(value->data.begin(), value->data.end() - 1) : "<none>";
}

class RecentFileListTest : public testing::Test {
  protected:
    RecentFileListTest() { list.AttachRecentMenu(&menu); }
    void Add(std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            list.AddRecent(path);
    }
    platform::FakeRegistry registry;
    FakeMenu menu;
    RecentFileList list{registry};
    platform::ScriptedDialogs dialogs;
};

TEST_F(RecentFileListTest, FiveOpensKeepTheNewestFour) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/v/e.avi"}) {
        list.AddRecent(path);
        list.SaveRecent();
    }
    EXPECT_EQ(menu.Text(),
              "57601 &Open Video|57616 &1 /v/e.avi|57617 &2 /v/d.avi|57618 &3 /v/c.avi|"
              "57619 &4 /v/b.avi|0 |57665 E&xit|");
    EXPECT_EQ(Stored(registry, 1) + Stored(registry, 4) + Stored(registry, 5),
              "/v/e.avi/v/b.avi<none>");
    EXPECT_EQ(registry.Value(kKey, "DocumentCount")->data, Dword(4));
    EXPECT_EQ(registry.Value(kKey, "Document1")->type, platform::REG_SZ);
}

TEST_F(RecentFileListTest, ReopeningInOtherCaseMovesToTheTop) {
    Add({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/V/C.AVI"});
    list.SaveRecent();
    EXPECT_EQ(list.Paths(),
              (std::vector<std::string>{"/V/C.AVI", "/v/d.avi", "/v/b.avi", "/v/a.avi"}));
    EXPECT_EQ(Stored(registry, 1), "/V/C.AVI");
}

TEST_F(RecentFileListTest, StoredCountIsClamped) {
    const std::pair<uint32_t, int> rows[] = {{0, 2}, {1, 2}, {40, 16}, {6, 6}};
    for (auto [stored, loaded] : rows) {
        platform::FakeRegistry reg;
        reg.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(stored));
        RecentFileList l(reg);
        l.LoadRecent();
        EXPECT_EQ(l.MaxEntries(), loaded) << stored;
        l.SaveRecent();
        EXPECT_EQ(reg.Value(kKey, "DocumentCount")->data, Dword(loaded)) << stored;
    }
}

TEST_F(RecentFileListTest, LoadRestoresTheStoredOrderAndSkipsBadValues) {
    registry.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(5));
    const std::pair<const char*, std::string> values[] = {{"Document1", "/v/newest.avi"},
                                                          {"Document2", std::string(300, 'x')},
                                                          {"Document3", "/v/older.avi"},
                                                          {"Document6", "/v/beyond.avi"}};
    for (const auto& [name, path] : values) {
        std::vector<uint8_t> bytes(path.begin(), path.end());
        bytes.push_back(0);
        registry.Seed(kKey, name, platform::REG_SZ, bytes);
    }
    list.LoadRecent();
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/v/newest.avi", "/v/older.avi"}));
    EXPECT_EQ(menu.Text(),
              "57601 &Open Video|57616 &1 /v/newest.avi|57617 &2 /v/older.avi|0 |57665 E&xit|");
}

TEST_F(RecentFileListTest, EmptyListTexts) {
    struct Row {
        const char* name;
        bool stored;
        bool withItem;
        const char* expected;
    } rows[] = {
        {"nothing stored keeps the resource item", false, true, "57616 Most Recent..."},
        {"stored but empty greys it", true, true, "57616~Most Recent..."},
        {"menu without the item says (empty)", true, false, "57616~(empty)"},
    };
    for (const Row& row : rows) {
        platform::FakeRegistry reg;
        if (row.stored)
            reg.Seed(kKey, "DocumentCount", platform::REG_DWORD, Dword(4));
        FakeMenu m;
        if (!row.withItem)
            m.items.erase(m.items.begin() + 1);
        RecentFileList l(reg);
        l.AttachRecentMenu(&m);
        l.LoadRecent();
        EXPECT_NE(m.Text().find(row.expected), std::string::npos) << row.name << ": " << m.Text();
    }
}

// Opening an entry moves it to the top and saves; a command past the list or
// a path that was cut to fit only beeps.
TEST_F(RecentFileListTest, OpenRecent) {
    const std::string longPath = "/v/" + std::string(297, 'n');
    list.AddRecent(longPath);
    Add({"/v/a.avi", "/v/b.avi"});
    EXPECT_EQ(list.OpenRecent(kRecent + 1, dialogs), std::optional<std::string>("/v/a.avi"));
    EXPECT_EQ(list.Paths(),
              (std::vector<std::string>{"/v/a.avi", "/v/b.avi", longPath.substr(0, 259)}));
    EXPECT_EQ(Stored(registry, 1), "/v/a.avi");
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(list.OpenRecent(kRecent + 2, dialogs), std::nullopt);  // the cut one
    EXPECT_EQ(list.OpenRecent(kRecent + 3, dialogs), std::nullopt);
    ASSERT_EQ(dialogs.CallsOf(platform::ScriptedDialogs::Kind::Beep).size(), 2u);
    EXPECT_EQ(dialogs.calls[0].flags, platform::MB_ICONHAND);
    EXPECT_EQ(list.Paths().size(), 3u);
}

TEST_F(RecentFileListTest, CutNeverSplitsAUtf8Character) {
    const std::string path = "/" + std::string(257, 'a') + "\xC3\xA9" + "z";  // é across the cut
    list.AddRecent(path);
    EXPECT_EQ(list.Paths()[0], "/" + std::string(257, 'a'));
}

}  // namespace
}  // namespace tavimo
