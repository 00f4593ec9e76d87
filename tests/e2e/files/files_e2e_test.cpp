// The real program in a desktop of its own (XDG data and config folders made
// for the test): run from its build folder with no Tavimo entry installed,
// Page Down / Page Up walk the types its own entry declares in a folder of
// a.mp4, b.mkv, c.txt and d.mp4; the update check and F1 reach the programs
// registered for https and for text, the About and Enter URL dialogs appear
// under their titles, Auto Next moves on at the end of a clip, and Ctrl+R
// makes .mp4 files ours. Installed but nobody's default, Tavimo walks the
// types its entry declares.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

class FilesE2eTest : public ::testing::Test, public Session {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Running()); }
    std::string Data() { return media.path().toStdString() + "/data"; }
    std::string Clip(const std::string& name) {
        return media.filePath(QString::fromStdString(name)).toStdString();
    }
    // Whether the main window comes to read "Tavimo - <clip>".
    bool Plays(const std::string& name) {
        return Within(10s, [&] { return Title(window) == "Tavimo - " + Clip(name); });
    }
    // Presses `keys` in the main window; the new window titled `title`, or 0.
    // Close and TypeInto wait for it to be drawn.
    unsigned long Dialog(const std::string& keys, const std::string& title) {
        return NewWindow(title, [&] { Press(keys); });
    }
    // One-second clips, muxed as their names' extensions say; whether all were made.
    bool MakeClips(std::initializer_list<const char*> names) {
        for (const std::string name : names) {
            const char* mux = name.ends_with(".ts")    ? " ! mpegtsmux"
                              : name.ends_with(".mkv") ? " ! matroskamux"
                                                       : " ! mp4mux";
            if (!MakeClip("videotestsrc num-buffers=30 ! video/x-raw,width=160,height=120,"
                          "framerate=30/1 ! x264enc" +
                              std::string(mux),
                          Clip(name)))
                return false;
        }
        return true;
    }
    // A stand-in application, the user's default for each of `types`, that
    // notes each address it is given in the file it returns.
    std::string StandIn(std::initializer_list<std::string> types) {
        const std::string notes = Clip("opened.txt"), program = Clip("opener.sh");
        std::ofstream(program) << "#!/bin/sh\necho \"$1\" >> " << notes << "\n";
        ::chmod(program.c_str(), 0755);
        std::filesystem::create_directories(Data() + "/applications");
        std::filesystem::create_directories(user.ConfigHome());
        std::ofstream entry(Data() + "/applications/opener.desktop");
        std::ofstream defaults(user.ConfigHome() + "/mimeapps.list");
        entry << "[Desktop Entry]\nType=Application\nName=Opener\nExec=" << program
              << " %u\nMimeType=";
        defaults << "[Default Applications]\n";
        for (const std::string& type : types) {
            entry << type << ";";
            defaults << type << "=opener.desktop\n";
        }
        entry << "\n";
        return notes;
    }
    // The first address the stand-in noted, waiting up to 10 s.
    static std::string FirstNoted(const std::string& notes) {
        std::string address;
        Within(10s, [&] { return std::getline(std::ifstream(notes), address).good(); });
        return address;
    }
    // Types `keys` into dialog `id` once it is drawn; whether it then closes.
    bool Close(unsigned long id, const std::string& keys) {
        return TypeInto(server, id, keys) &&
               Within(10s, [&] { return std::ranges::count(player->Windows(), id) == 0; });
    }
    // How many clips have played to their end, as the player's log says.
    int Ends() {
        const std::string log = FileText(Clip("stderr.txt"));
        int ends = 0;
        for (size_t at = 0; (at = log.find("end of stream:", at)) != std::string::npos; ++at)
            ++ends;
        return ends;
    }
};

TEST_F(FilesE2eTest, WalkTheFolderHelpMenuOpenUrlAutoNextAndRegister) {
    ASSERT_TRUE(MakeClips({"a.mp4", "b.mkv", "d.mp4"}));
    std::ofstream(Clip("c.txt")) << "notes\n";
    // A desktop whose data folders hold the MIME database alone (no Tavimo
    // entry installed, no type ours yet), with a stand-in browser for https
    // that is the viewer for text too.
    const std::string share = media.filePath("share").toStdString();
    std::filesystem::create_directories(share);
    std::filesystem::create_directory_symlink("/usr/share/mime", share + "/mime");
    setenv("XDG_DATA_HOME", Data().c_str(), 1);
    const std::string opened = StandIn({"x-scheme-handler/https", "text/plain"});

    Start({Clip("a.mp4")}, {"GST_DEBUG=tavimo:4", "XDG_DATA_DIRS=" + share}, Clip("stderr.txt"));
    ASSERT_TRUE(Plays("a.mp4"));
    player->Key("Page_Down");
    EXPECT_TRUE(Plays("b.mkv")) << "its own entry's types, MP4 and Matroska alike";
    player->Key("Page_Down");
    EXPECT_TRUE(Plays("d.mp4")) << "c.txt passed over";
    player->Key("Page_Down Page_Up");  // nothing after d.mp4
    EXPECT_TRUE(Plays("b.mkv"));
    player->Key("Page_Up");
    EXPECT_TRUE(Plays("a.mp4"));
    player->Key("Page_Up");  // nothing before a.mp4, as the title shows below

    player->Key("alt+h Down Return");  // Help > Check For Update
    EXPECT_EQ(FirstNoted(opened), "https://www.example.org/Tavimo/version.cgi?v=30");
    std::ofstream{opened};  // emptied for the next
    player->Key("F1");      // the build's ReadMe, with the desktop's viewer for text
    std::string readMe = FirstNoted(opened);
    if (readMe.starts_with("file://"))
        readMe.erase(0, 7);  // GIO gives a local file as a path or as a URI
    EXPECT_EQ(readMe, std::string(TAVIMO_BUILD_DIR) + "/data/ReadMe.txt");

    const unsigned long about = Dialog("alt+h a", "About Tavimo");
    EXPECT_TRUE(about != 0 && Close(about, "key Escape"));
    unsigned long url = Dialog("ctrl+u", "Enter URL");
    EXPECT_TRUE(url != 0 && Close(url, "key x Escape")) << "Cancel";
    EXPECT_EQ(Title(window), "Tavimo - " + Clip("a.mp4")) << "no step before a.mp4, none on Cancel";
    url = Dialog("ctrl+u", "Enter URL");
    TypeInto(server, url, "type '" + Clip("d.mp4") + "'");
    EXPECT_TRUE(url != 0 && Close(url, "key Return")) << "OK";
    EXPECT_TRUE(Plays("d.mp4"));

    // View > Auto Next: the end of b.mkv opens d.mp4, whose end leaves it there.
    player->Key("alt+v Down Down Down Down Return");
    const int ends = Ends();
    player->Key("Page_Up");
    EXPECT_TRUE(Plays("b.mkv"));
    EXPECT_TRUE(Plays("d.mp4")) << "moved on at the end";
    EXPECT_TRUE(Within(10s, [&] { return Ends() >= ends + 2; })) << "d.mp4 played to its end";
    // Nothing is to come after the end: half a second for a wrong step to show.
    Wait(500ms);
    EXPECT_EQ(Title(window), "Tavimo - " + Clip("d.mp4")) << "the last clip stays";

    const unsigned long box = Dialog("ctrl+r", "Tavimo");
    ASSERT_TRUE(box != 0 && Close(box, "key Return")) << "the confirmation box";
    const std::string mime =
        RunIn(server.Display(), "XDG_CONFIG_HOME=" + user.ConfigHome() + " XDG_DATA_DIRS=" + share +
                                    " gio mime video/mp4");
    EXPECT_NE(mime.substr(0, mime.find('\n')).find(": tavimo.desktop"), std::string::npos) << mime;
}

// Tavimo installed in a system data folder, declaring video/mp4 and
// video/mp2t while another player is the default for video/mp4: Page Down and
// Page Up walk the .mp4 files in the order a file manager shows them, reach a
// transport stream by its bytes, and pass over the subtitles.
TEST_F(FilesE2eTest, PageDownWalksTheTypesTheInstalledEntryDeclares) {
    ASSERT_TRUE(MakeClips({"clip.ts", "ep1.mp4", "ep2.mp4", "ep10.mp4"}));
    std::ofstream(Clip("ep1.srt")) << "1\n00:00:00,000 --> 00:00:01,000\nHello\n";
    const std::string system = media.filePath("system").toStdString();
    ASSERT_TRUE(InstallBesideAnother(system, user.ConfigHome(), PlayerBinary()));

    Start({Clip("ep1.mp4")},
          {"XDG_DATA_HOME=" + Data(), "XDG_DATA_DIRS=" + system + ":/usr/local/share:/usr/share"});
    ASSERT_TRUE(Plays("ep1.mp4"));
    player->Key("Page_Down");
    EXPECT_TRUE(Plays("ep2.mp4")) << "not the default, still ours; ep1.srt passed over";
    player->Key("Page_Down");
    EXPECT_TRUE(Plays("ep10.mp4"));
    player->Key("Page_Up Page_Up");
    EXPECT_TRUE(Plays("ep1.mp4"));
    player->Key("Page_Up");
    EXPECT_TRUE(Plays("clip.ts")) << "typed by its bytes";
}

}  // namespace
}  // namespace tavimo::e2e
