// The settings record against a real registry file in a temporary folder.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_display_modes.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "subtitles/log_font.h"

namespace tavimo {
namespace {

using platform::DisplayMode;
using platform::RegKey;

class NullHost : public PlayerHost {
  public:
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    platform::ScriptedDialogs dialogs;
};

// A player record, the frame's fields and check marks, as the frame holds them.
struct Record {
    NullHost host;
    PlayerRecord record{host};
    FrameSettings frame;
    UpdateUi ui;
    Settings settings() { return Settings{record, frame}; }
};

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("registry.reg").toStdString();
    }
    std::unique_ptr<platform::Registry> Open() { return platform::OpenRegistryFile(file); }

    void CreateKey() {
        auto registry = Open();
        RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kSettingsKey, &key), platform::ERROR_SUCCESS);
        registry->CloseKey(key);
    }
    void Store(const char* name, uint32_t type, const std::vector<uint8_t>& data) {
        auto registry = Open();
        RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kSettingsKey, &key), platform::ERROR_SUCCESS);
        registry->SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
        registry->CloseKey(key);
    }
    void StoreDword(const char* name, uint32_t value) {
        std::vector<uint8_t> bytes(4);
        std::memcpy(bytes.data(), &value, 4);
        Store(name, platform::REG_DWORD, bytes);
    }
    void StoreText(const char* name, const std::string& text) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        Store(name, platform::REG_SZ, bytes);
    }
    bool HasValue(const char* name) {
        auto registry = Open();
        RegKey key = nullptr;
        if (registry->OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS) {
            return false;
        }
        uint32_t size = 0;
        const bool found =
            registry->QueryValue(key, name, nullptr, nullptr, &size) == platform::ERROR_SUCCESS;
        registry->CloseKey(key);
        return found;
    }
    void Load(Record& r) {
        auto registry = Open();
        LoadSettings(r.settings(), *registry, modes, r.ui);
    }
    void Save(Record& r) {
        auto registry = Open();
        SaveSettings(r.settings(), *registry, modes);
    }

    QTemporaryDir dir;
    std::string file;
    platform::FakeDisplayModes modes{
        {{1280, 720, 24, 60}, {1920, 1080, 24, 60}, {1920, 1080, 24, 60}, {800, 600, 24, 75}}};
};

TEST_F(SettingsTest, FirstRunGivesDefaultsAndACloseWritesNothing) {
    Record r;
    Load(r);
    EXPECT_EQ(r.record.LastDir, "");
    EXPECT_EQ(r.record.LastSubtitlesDir, "");
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(r.record.SubtitleFontColor, 0x00FFFFFFu);
    EXPECT_EQ(r.record.Mixer.ViewSubtitles, 1);
    EXPECT_EQ(r.record.Volume, 100);
    EXPECT_EQ(r.frame.AllowMultipleInstances, 0);
    EXPECT_EQ(r.record.KeepWindowSize, 0);
    EXPECT_EQ(r.record.ResolutionIndex, 0);
    EXPECT_EQ(r.record.AlwaysOnTop, 0);
    EXPECT_EQ(r.frame.ToolBarVisible, 1);
    EXPECT_EQ(r.frame.SeekBarVisible, 1);
    EXPECT_EQ(r.record.AutoNext, 0);
    EXPECT_TRUE(r.ui.Checked(ID_VIEW_SUBTITLES));
    EXPECT_TRUE(r.ui.Checked(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(r.ui.Checked(ID_KEEP_WINDOW_SIZE));

    Save(r);
    EXPECT_FALSE(std::filesystem::exists(file)) << "the key is opened, never created, at close";
}

TEST_F(SettingsTest, EveryValueSurvivesARoundTrip) {
    CreateKey();
    Record a;
    a.record.LastDir = "/home/ana/Vidéos";
    a.record.LastSubtitlesDir = "/home/ana/subs \"quoted\"\\";
    QFont font("DejaVu Sans");
    font.setPixelSize(31);
    font.setBold(true);
    font.setItalic(true);
    a.record.Mixer.SubtitleFont.Set(font);
    a.record.SubtitleFontColor = 0x0000FF80;
    a.record.Mixer.ViewSubtitles = 0;
    a.record.Volume = 37;
    a.frame.AllowMultipleInstances = 1;
    a.record.KeepWindowSize = 1;
    a.record.ResolutionIndex = 4;
    a.record.AlwaysOnTop = 1;
    a.frame.ToolBarVisible = 0;
    a.frame.SeekBarVisible = 0;
    a.record.AutoNext = 1;
    Save(a);

    Record b;
    Load(b);
    EXPECT_EQ(b.record.LastDir, a.record.LastDir);
    EXPECT_EQ(b.record.LastSubtitlesDir, a.record.LastSubtitlesDir);
    auto loaded = b.record.Mixer.SubtitleFont.Get();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->family(), "DejaVu Sans");
    EXPECT_EQ(loaded->pixelSize(), 31);
    EXPECT_TRUE(loaded->bold());
    EXPECT_TRUE(loaded->italic());
    EXPECT_EQ(b.record.SubtitleFontColor, 0x0000FF80u);
    EXPECT_EQ(b.record.Mixer.ViewSubtitles, 0);
    EXPECT_EQ(b.record.Volume, 37);
    EXPECT_EQ(b.frame.AllowMultipleInstances, 1);
    EXPECT_EQ(b.record.KeepWindowSize, 1);
    EXPECT_EQ(b.record.ResolutionIndex, 4);
    EXPECT_EQ(b.record.AlwaysOnTop, 1);
    EXPECT_EQ(b.frame.ToolBarVisible, 0);
    EXPECT_EQ(b.frame.SeekBarVisible, 0);
    EXPECT_EQ(b.record.AutoNext, 1);
    EXPECT_FALSE(b.ui.Checked(ID_VIEW_SUBTITLES));
    EXPECT_TRUE(b.ui.Checked(ID_ALLOW_MULTIPLE));
    EXPECT_TRUE(b.ui.Checked(ID_KEEP_WINDOW_SIZE));
    EXPECT_FALSE(b.ui.Checked(ID_VIEW_SEEKBAR));
}

// A value of the wrong type: DWORD values and the font keep their default,
// the folders read whatever bytes there are as text.
TEST_F(SettingsTest, WrongTypesKeepDefaultsOrReadAsText) {
    StoreText("Volume", "50");
    StoreText("ViewSubtitles", "0");
    StoreText("SubtitleFont", "DejaVu Sans");
    Store("AutoNext", platform::REG_BINARY, {1, 0, 0, 0});
    StoreDword("LastDir", 0x0000002F);  // "/" then NULs
    Store("LastSubtitlesDir", platform::REG_EXPAND_SZ, {'$', 'H', 'O', 'M', 'E', 0});
    Store("SeekBarVisible", platform::REG_DWORD, {0, 0, 0, 0, 0, 0, 0, 0});  // 8 bytes: too big
    Record r;
    Load(r);
    EXPECT_EQ(r.record.Volume, 100);
    EXPECT_EQ(r.record.Mixer.ViewSubtitles, 1);
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(r.record.AutoNext, 0);
    EXPECT_EQ(r.record.LastDir, "/");
    EXPECT_EQ(r.record.LastSubtitlesDir, "$HOME") << "not expanded";
    EXPECT_EQ(r.frame.SeekBarVisible, 1);
}

TEST_F(SettingsTest, FontValuesShorterThanALogFontGiveNoFont) {
    LogFontBytes bytes = LogFontFromFont(QFont("DejaVu Sans"));
    Store("SubtitleFont", platform::REG_BINARY,
          std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    Record r;
    Load(r);
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
}

TEST_F(SettingsTest, VolumeOutsideTheScaleIsKept) {
    for (int volume : {250, -3, 0}) {
        StoreDword("Volume", static_cast<uint32_t>(volume));
        Record r;
        Load(r);
        EXPECT_EQ(r.record.Volume, volume);
    }
}

// Any non-zero value is on, but the mark follows the value only for 0 and 1.
TEST_F(SettingsTest, CheckMarksFollowOnlyZeroAndOne) {
    struct Row {
        const char* name;
        int command;
    };
    const Row rows[] = {{"ViewSubtitles", ID_VIEW_SUBTITLES},
                        {"ToolBarVisible", ID_VIEW_TOOLBAR},
                        {"SeekBarVisible", ID_VIEW_SEEKBAR},
                        {"AllowMultipleInstances", ID_ALLOW_MULTIPLE},
                        {"KeepWindowSize", ID_KEEP_WINDOW_SIZE}};
    for (const Row& row : rows) {
        for (uint32_t value : {0u, 1u, 7u}) {
            StoreDword(row.name, value);
            Record r;
            Load(r);
            const bool expected = value == 1;  // 7 leaves the mark as it was: off
            EXPECT_EQ(r.ui.Checked(row.command), expected) << row.name << "=" << value;
        }
    }
}

TEST_F(SettingsTest, ResolutionIsMatchedByTextAgainstTheModesOffered) {
    struct Case {
        const char* name;
        const char* stored;
        int index;
    };
    const Case cases[] = {
        {"first of two equal texts", "1920x1080x24 60Hz", 2},
        {"last mode", "800x600x24 75Hz", 4},
        {"no longer offered", "1024x768x24 60Hz", 0},
        {"case and spacing matter", "1280X720x24 60Hz", 0},
        {"empty text", "", 0},
    };
    for (const Case& c : cases) {
        StoreText("Resolution", c.stored);
        Record r;
        Load(r);
        EXPECT_EQ(r.record.ResolutionIndex, c.index) << c.name;
    }
}

TEST_F(SettingsTest, ResolutionIndexZeroDeletesTheStoredMode) {
    CreateKey();
    Record r;
    r.record.ResolutionIndex = 1;
    Save(r);
    ASSERT_TRUE(HasValue("Resolution"));
    r.record.ResolutionIndex = 0;
    Save(r);
    EXPECT_FALSE(HasValue("Resolution"));
}

TEST_F(SettingsTest, AFolderLongerThanTheBufferReadsAsEmpty) {
    StoreText("LastDir", "/" + std::string(300, 'd'));
    StoreText("LastSubtitlesDir", "/" + std::string(258, 's'));  // 259 + NUL fits
    Record r;
    Load(r);
    EXPECT_EQ(r.record.LastDir, "");
    EXPECT_EQ(r.record.LastSubtitlesDir.size(), 259u);
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
