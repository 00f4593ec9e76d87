// The settings record against a real registry file in a temporary folder, and
// the clip a command line names.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "../registry/registry_test_util.h"
#include "app/run_player.h"
#include "app/settings.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "subtitles/log_font.h"
#include "support/fake_display_modes.h"
#include "support/scripted_player.h"

namespace tavimo {
namespace {

using namespace platform::testing;
using platform::REG_BINARY;
using platform::REG_DWORD;
using platform::REG_EXPAND_SZ;
using platform::REG_SZ;

struct Record : test::ScriptedPlayer {
    FrameSettings frame;
    UpdateUi ui;
    Settings settings() { return Settings{record, frame}; }
};

// The stored numbers in one line: font colour, subtitles, volume, toolbar, seek bar, multiple
// instances, keep size, on top, auto next; after "|" the marks of subtitles, toolbar, seek bar,
// multiple instances and keep size.
std::string Numbers(Record& r) {
    std::string out;
    for (int v :
         {int(r.record.SubtitleFontColor), r.record.Mixer.ViewSubtitles.load(), r.record.Volume,
          r.frame.ToolBarVisible, r.frame.SeekBarVisible, r.frame.AllowMultipleInstances,
          r.record.KeepWindowSize, r.record.AlwaysOnTop, r.record.AutoNext})
        out += std::to_string(v) + " ";
    for (int id : {ID_VIEW_SUBTITLES, ID_VIEW_TOOLBAR, ID_VIEW_SEEKBAR, ID_ALLOW_MULTIPLE,
                   ID_KEEP_WINDOW_SIZE})
        out += r.ui.Checked(id) ? "x" : "-";
    return out;
}

class SettingsTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::Registry> Open() { return platform::OpenRegistryFile(file); }
    void Store(const char* name, uint32_t type, const std::vector<uint8_t>& data) {
        ASSERT_EQ(Put(*Open(), kSettingsKey, name, type, data), platform::ERROR_SUCCESS);
    }
    void Load(Record& r) { LoadSettings(r.settings(), *Open(), modes, r.ui); }
    void Save(Record& r) { SaveSettings(r.settings(), *Open(), modes); }

    TestDir folder;
    const std::string file = folder / "registry.reg";
    platform::FakeDisplayModes modes{
        {{1280, 720, 24, 60}, {1920, 1080, 24, 60}, {1920, 1080, 24, 60}, {800, 600, 24, 75}}};
};

TEST_F(SettingsTest, FirstRunGivesDefaultsAndACloseWritesNothing) {
    Record r;
    Load(r);
    EXPECT_EQ(Numbers(r), "16777215 1 100 1 1 0 0 0 0 xxx--");
    EXPECT_EQ(r.record.LastDir + r.record.LastSubtitlesDir, "");
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(r.record.ResolutionIndex, 0);
    Save(r);
    EXPECT_FALSE(std::filesystem::exists(file)) << "the key is opened, never created, at close";
}

TEST_F(SettingsTest, EveryValueSurvivesARoundTrip) {
    Store("Unrelated", REG_SZ, Sz("kept"));
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
    a.record.OutputDelays.Set("bluez_output.00_1B_66_A1_2C_3D.1", 250);
    a.record.OutputDelays.Set("alsa_output.pci-0000_00_1f.3.analog-stereo", -100);
    a.record.NightMode = 1;
    Save(a);

    Record b;
    Load(b);
    EXPECT_EQ(Numbers(b), "65408 0 37 0 0 1 1 1 1 ---xx");
    EXPECT_EQ(b.record.LastDir + "|" + b.record.LastSubtitlesDir,
              "/home/ana/Vidéos|/home/ana/subs \"quoted\"\\");
    EXPECT_EQ(b.record.ResolutionIndex, 4);
    EXPECT_EQ(b.record.OutputDelays.For("bluez_output.00_1B_66_A1_2C_3D.1"), 250);
    EXPECT_EQ(b.record.OutputDelays.For("alsa_output.pci-0000_00_1f.3.analog-stereo"), -100);
    EXPECT_EQ(b.record.NightMode, 1);
    EXPECT_TRUE(b.ui.Checked(ID_NIGHT_MODE)) << "Play > Night Mode marked as stored";
    const QFont loaded = b.record.Mixer.SubtitleFont.Get().value_or(QFont());
    EXPECT_EQ(std::tuple(loaded.family(), loaded.pixelSize(), loaded.bold()),
              std::tuple(QString("DejaVu Sans"), 31, true));
    EXPECT_EQ(Get(file, kSettingsKey, "Unrelated").data, Sz("kept"));
}

// Values stored by hand or by another version: wrong types keep defaults (the folders read any
// bytes as text up to the buffer's size), numbers out of range are taken as they are (the audio
// delays are limited), and a mark follows its value only for 0 and 1.
TEST_F(SettingsTest, StoredValuesOfEveryShape) {
    const LogFontBytes font = LogFontFromFont(QFont("DejaVu Sans"));
    Store("Volume", REG_SZ, Sz("50"));
    Store("SubtitleFont", REG_BINARY, std::vector<uint8_t>(font.begin(), font.end() - 1));
    Store("LastDir", REG_DWORD, Dword(0x2F));                      // "/" then NULs
    Store("LastSubtitlesDir", REG_SZ, Sz(std::string(300, 'd')));  // past the 260-byte buffer
    Store("SeekBarVisible", REG_DWORD, {0, 0, 0, 0, 0, 0, 0, 0});  // too big for 4 bytes
    Store("ViewSubtitles", REG_DWORD, Dword(7));
    Store("AudioDelays", REG_SZ, Sz("headset=150;broken;speakers=12x;=50;dock=-99999;hdmi=+40"));
    Store("NightMode", REG_DWORD, Dword(7));
    Store("Deinterlace", REG_DWORD, Dword(7));
    Record r;
    Load(r);
    EXPECT_EQ(r.record.Volume, 100);
    EXPECT_FALSE(r.record.Mixer.SubtitleFont.Get().has_value()) << "59 bytes: no font";
    EXPECT_EQ(r.record.LastDir, "/");
    EXPECT_EQ(r.record.LastSubtitlesDir, "");
    EXPECT_EQ(r.frame.SeekBarVisible, 1);
    EXPECT_EQ(r.record.Mixer.ViewSubtitles, 7);
    EXPECT_FALSE(r.ui.Checked(ID_VIEW_SUBTITLES)) << "7 is on but leaves the mark off";
    EXPECT_EQ(r.record.OutputDelays.Text(), "headset=150;dock=-5000")
        << "unreadable items skipped, a delay beyond 5 s limited to it";
    EXPECT_EQ(r.record.NightMode, 0) << "night mode is on for 1 only";
    EXPECT_EQ(r.record.Deinterlace, 0) << "a value out of Auto, On and Off is Auto";

    Store("SubtitleFont", REG_SZ, std::vector<uint8_t>(font.begin(), font.end()));
    Record s;
    Load(s);
    EXPECT_FALSE(s.record.Mixer.SubtitleFont.Get().has_value()) << "a whole font, but as text";
}

TEST_F(SettingsTest, ResolutionIsMatchedByTextAndIndexZeroDeletesIt) {
    const std::pair<const char*, int> cases[] = {{"1920x1080x24 60Hz", 2},  // the first of two
                                                 {"800x600x24 75Hz", 4},
                                                 {"1024x768x24 60Hz", 0},  // no longer offered
                                                 {"1280X720x24 60Hz", 0}};
    for (const auto& [stored, index] : cases) {
        Store("Resolution", REG_SZ, Sz(stored));
        Record r;
        Load(r);
        EXPECT_EQ(r.record.ResolutionIndex, index) << stored;
    }
    Record r;
    Save(r);
    EXPECT_EQ(Get(file, kSettingsKey, "Resolution").result, platform::ERROR_FILE_NOT_FOUND);
}

TEST(CommandLinePath, Table) {
    // case, arguments after the program name, the path opened
    const std::tuple<const char*, std::vector<std::string>, std::string> rows[] = {
        {"no arguments: no clip", {}, ""},
        {"split at blanks: joined with one space", {"/tmp/my", "clip.mp4"}, "/tmp/my clip.mp4"},
        {"quoted path keeps inner blanks", {"\"/tmp/my clip.mp4\""}, "/tmp/my clip.mp4"},
        {"runs of quotes at both ends go", {"\"\"\"/x\"\""}, "/x"},
        {"nothing but quotes opens nothing", {"\"\"\""}, ""},
        {"inner quotes stay", {"\"/a.mp4\"", "\"/b.mp4\""}, "/a.mp4\" \"/b.mp4"},
        {"blanks are not trimmed", {" /a.mp4 "}, " /a.mp4 "},
    };
    for (auto [name, args, path] : rows) {
        args.insert(args.begin(), "tavimo");
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(s.data());
        EXPECT_EQ(CommandLinePath(static_cast<int>(argv.size()), argv.data()), path) << name;
    }
}

}  // namespace
}  // namespace tavimo
