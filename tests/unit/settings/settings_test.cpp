// The settings record against a real registry file in a temporary folder.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "subtitles/log_font.h"
#include "support/fake_dialogs.h"
#include "support/fake_display_modes.h"

namespace tavimo {
namespace {

using platform::REG_BINARY;
using platform::REG_DWORD;
using platform::REG_EXPAND_SZ;
using platform::REG_SZ;

struct Record : PlayerHost {
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    platform::ScriptedDialogs dialogs;
    PlayerRecord record{*this};
    FrameSettings frame;
    UpdateUi ui;
    Settings settings() { return Settings{record, frame}; }
};

// Every stored number: its value name, default, check mark and field.
struct DwordRow {
    const char* name;
    int byDefault;
    int checkCommand;  // 0: none set at load
    std::function<int(Record&)> get;
};

const std::vector<DwordRow> kDwords = {
    {"SubtitleFontColor", 0x00FFFFFF, 0, [](Record& r) { return int(r.record.SubtitleFontColor); }},
    {"ViewSubtitles", 1, ID_VIEW_SUBTITLES,
     [](Record& r) { return r.record.Mixer.ViewSubtitles.load(); }},
    {"Volume", 100, 0, [](Record& r) { return r.record.Volume; }},
    {"ToolBarVisible", 1, ID_VIEW_TOOLBAR, [](Record& r) { return r.frame.ToolBarVisible; }},
    {"SeekBarVisible", 1, ID_VIEW_SEEKBAR, [](Record& r) { return r.frame.SeekBarVisible; }},
    {"AllowMultipleInstances", 0, ID_ALLOW_MULTIPLE,
     [](Record& r) { return r.frame.AllowMultipleInstances; }},
    {"KeepWindowSize", 0, ID_KEEP_WINDOW_SIZE, [](Record& r) { return r.record.KeepWindowSize; }},
    {"AlwaysOnTop", 0, 0, [](Record& r) { return r.record.AlwaysOnTop; }},
    {"AutoNext", 0, 0, [](Record& r) { return r.record.AutoNext; }},
};

class SettingsTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::Registry> Open() {
        return platform::OpenRegistryFile(dir.filePath("registry.reg").toStdString());
    }
    void Store(const char* name, uint32_t type, std::vector<uint8_t> data) {
        auto registry = Open();
        platform::RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kSettingsKey, &key), platform::ERROR_SUCCESS);
        registry->SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
        registry->CloseKey(key);
    }
    void StoreDword(const char* name, uint32_t v) {
        Store(name, REG_DWORD, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    void StoreText(const char* name, const std::string& text) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        Store(name, REG_SZ, bytes);
    }
    bool HasValue(const char* name) {
        auto registry = Open();
        platform::RegKey key = nullptr;
        uint32_t size = 0;
        return registry->OpenKey(kSettingsKey, &key) == platform::ERROR_SUCCESS &&
               registry->QueryValue(key, name, nullptr, nullptr, &size) == platform::ERROR_SUCCESS;
    }
    void Load(Record& r) { LoadSettings(r.settings(), *Open(), modes, r.ui); }
    void Save(Record& r) { SaveSettings(r.settings(), *Open(), modes); }

    QTemporaryDir dir;
    platform::FakeDisplayModes modes{
        {{1280, 720, 24, 60}, {1920, 1080, 24, 60}, {1920, 1080, 24, 60}, {800, 600, 24, 75}}};
};

TEST_F(SettingsTest, FirstRunGivesDefaultsAndACloseWritesNothing) {
    Record r;
    Load(r);
    for (const DwordRow& row : kDwords) {
        EXPECT_EQ(row.get(r), row.byDefault) << row.name;
        if (row.checkCommand != 0) {
            EXPECT_EQ(r.ui.Checked(row.checkCommand), row.byDefault == 1) << row.name;
        }
    }
    EXPECT_EQ(r.record.LastDir + r.record.LastSubtitlesDir, "");
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(r.record.ResolutionIndex, 0);
    Save(r);
    EXPECT_FALSE(std::filesystem::exists(dir.filePath("registry.reg").toStdString()))
        << "the key is opened, never created, at close";
}

TEST_F(SettingsTest, EveryValueSurvivesARoundTrip) {
    StoreText("Unrelated", "kept");
    Record a;
    a.record.LastDir = "/home/ana/Vidéos";
    a.record.LastSubtitlesDir = "/home/ana/subs \"quoted\"\\";
    QFont font("DejaVu Sans");
    font.setPixelSize(31);
    font.setBold(true);
    a.record.Mixer.SubtitleFont.Set(font);
    a.record.SubtitleFontColor = 0x0000FF80;
    a.record.Mixer.ViewSubtitles = 0;
    a.record.Volume = 37;
    a.record.KeepWindowSize = a.record.AlwaysOnTop = a.record.AutoNext = 1;
    a.frame = {0, 0, 1};
    a.record.ResolutionIndex = 4;
    Save(a);

    Record b;
    Load(b);
    for (const DwordRow& row : kDwords) {
        EXPECT_EQ(row.get(b), row.get(a)) << row.name;
        if (row.checkCommand != 0) {
            EXPECT_EQ(b.ui.Checked(row.checkCommand), row.get(a) == 1) << row.name;
        }
    }
    EXPECT_EQ(b.record.LastDir, a.record.LastDir);
    EXPECT_EQ(b.record.LastSubtitlesDir, a.record.LastSubtitlesDir);
    EXPECT_EQ(b.record.ResolutionIndex, 4);
    auto loaded = b.record.Mixer.SubtitleFont.Get();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->family(), "DejaVu Sans");
    EXPECT_EQ(loaded->pixelSize(), 31);
    EXPECT_TRUE(loaded->bold());
    EXPECT_TRUE(HasValue("Unrelated"));
}

// Values stored by hand or by another version: wrong types keep defaults (the
// folders read any bytes as text), numbers out of range are taken as they
// are, and a mark follows its value only for 0 and 1.
TEST_F(SettingsTest, StoredValuesOfEveryShape) {
    StoreText("Volume", "50");
    StoreText("SubtitleFont", "DejaVu Sans");
    StoreDword("LastDir", 0x2F);  // "/" then NULs
    Store("LastSubtitlesDir", REG_EXPAND_SZ, {'$', 'H', 'O', 'M', 'E', 0});
    Store("AutoNext", REG_BINARY, {1, 0, 0, 0});
    Store("SeekBarVisible", REG_DWORD, {0, 0, 0, 0, 0, 0, 0, 0});  // too big for 4 bytes
    StoreDword("ViewSubtitles", 7);
    StoreDword("KeepWindowSize", 250);
    Record r;
    Load(r);
    EXPECT_EQ(r.record.Volume, 100);
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(r.record.LastDir, "/");
    EXPECT_EQ(r.record.LastSubtitlesDir, "$HOME") << "not expanded";
    EXPECT_EQ(r.record.AutoNext, 0);
    EXPECT_EQ(r.frame.SeekBarVisible, 1);
    EXPECT_EQ(r.record.Mixer.ViewSubtitles, 7);
    EXPECT_FALSE(r.ui.Checked(ID_VIEW_SUBTITLES)) << "7 is on but leaves the mark off";
    EXPECT_EQ(r.record.KeepWindowSize, 250);

    const LogFontBytes bytes = LogFontFromFont(QFont("DejaVu Sans"));
    Store("SubtitleFont", REG_BINARY, std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    StoreText("LastDir", "/" + std::string(300, 'd'));  // does not fit the 260-byte buffer
    StoreDword("Volume", static_cast<uint32_t>(-3));
    Record s;
    Load(s);
    EXPECT_FALSE(s.record.Mixer.SubtitleFont.Get().has_value()) << "59 bytes: no font";
    EXPECT_EQ(s.record.LastDir, "");
    EXPECT_EQ(s.record.Volume, -3);
}

TEST_F(SettingsTest, ResolutionIsMatchedByTextAndIndexZeroDeletesIt) {
    const struct {
        const char* stored;
        int index;
    } cases[] = {{"1920x1080x24 60Hz", 2},  // the first of two equal texts
                 {"800x600x24 75Hz", 4},
                 {"1024x768x24 60Hz", 0},  // no longer offered
                 {"1280X720x24 60Hz", 0}};
    for (const auto& c : cases) {
        StoreText("Resolution", c.stored);
        Record r;
        Load(r);
        EXPECT_EQ(r.record.ResolutionIndex, c.index) << c.stored;
    }
    Record r;
    Save(r);
    EXPECT_FALSE(HasValue("Resolution"));
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
