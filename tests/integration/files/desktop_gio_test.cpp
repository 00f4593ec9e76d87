// Registration and the desktop's kinship of types through the real GIO and
// shared-mime-info, in XDG folders of the test's own with Tavimo installed in
// a system data folder (declaring its types without being their default),
// read back by a separate `gio` as the desktop reads them. Page Down over
// those types is files_e2e_test's, through the real program.
#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../../unit/platform/test_dir.h"
#include "integration/file_type_access.h"
#include "platform/desktop.h"
#include "support/fake_dialogs.h"
#include "support/shell.h"
#include "x_session.h"

namespace tavimo {
namespace {

using platform::testing::TestDir;

// The default application `gio mime` names for `type`; "" when none.
std::string DefaultFor(const std::string& type) {
    const std::string out = test::CommandOutput("gio mime " + type + " 2>&1");
    const std::string firstLine = out.substr(0, out.find('\n'));
    const size_t colon = firstLine.rfind(": ");
    return firstLine.rfind("Default application", 0) == 0 ? firstLine.substr(colon + 2) : "";
}

// Whether `gio mime` lists `id` among the applications registered for `type`.
bool Offers(const std::string& type, const std::string& id) {
    const std::string out = test::CommandOutput("gio mime " + type + " 2>&1");
    const size_t begin = out.find("Registered applications:");
    const size_t end = out.find("Recommended applications:");
    return begin != std::string::npos &&
           out.substr(begin, end - begin).find("\t" + id + "\n") != std::string::npos;
}

// The content type `gio info` gives the file.
std::string TypeOf(const std::string& path) {
    const std::string out =
        test::CommandOutput("gio info -a standard::content-type '" + path + "' 2>&1");
    const size_t at = out.find("content-type: ");
    return at == std::string::npos ? out : out.substr(at + 14, out.find('\n', at) - at - 14);
}

bool MakeClip(const std::string& pipeline, const std::string& path) {
    return test::Launch(
        "videotestsrc num-buffers=10 ! video/x-raw,width=160,height=120,"
        "framerate=25/1 ! x264enc ! " +
        pipeline + " ! filesink location='" + path + "'");
}

class DesktopGioTest : public ::testing::Test {
  protected:
    // GIO reads the XDG variables once: they are set before its first use.
    static void SetUpTestSuite() {
        sandbox = new TestDir();
        setenv("XDG_DATA_HOME", (*sandbox / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (*sandbox / "config").c_str(), 1);
        // Our system folder first; shared-mime-info's types from the real ones.
        setenv("XDG_DATA_DIRS", (*sandbox / "system:/usr/local/share:/usr/share").c_str(), 1);
        std::filesystem::create_directories(*sandbox / "my player");  // needs quoting
        std::ofstream(Exe()) << "#!/bin/sh\n";
        ::chmod(Exe().c_str(), 0755);
        // Another player is the default for video/mp4.
        ASSERT_TRUE(e2e::InstallBesideAnother(*sandbox / "system", *sandbox / "config", Exe()));
    }
    static void TearDownTestSuite() { delete sandbox; }
    static std::string Exe() { return *sandbox / "my player/tavimo"; }

    std::string Register(const std::string& clip) {
        platform::ScriptedDialogs dialogs;
        RegisterFileType(clip, {desktop, *sandbox / "data", Exe(), "<svg/>"}, dialogs);
        return dialogs.calls.at(0).text;
    }

    static inline TestDir* sandbox = nullptr;
    platform::FileAssociations& desktop = platform::DesktopAssociations();
};

// The desktop's own kinship of types, which the build folder's own types
// are matched by as the desktop matches an entry's: a kind of a declared
// type counts, a type of another family does not.
TEST_F(DesktopGioTest, TypesAreKindsOfTheirParents) {
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"video/mp4", "video/mp4", true},          {"video/x-ogm+ogg", "video/ogg", true},
        {"video/x-theora+ogg", "video/ogg", true}, {"video/webm", "video/x-matroska", false},
        {"video/mp4", "video/quicktime", false},   {"text/plain", "video/mp4", false},
    };
    for (const auto& [type, parent, is] : rows) {
        EXPECT_EQ(desktop.TypeIsA(type, parent), is) << type << " is " << parent;
    }
}

// Each registration makes its type ours and leaves every type the installed
// entry declares offered with us; an extension of several types takes the
// one the clip's bytes settle on, and one they cannot settle is refused.
TEST_F(DesktopGioTest, RegisteredTypesOpenWithUsAndTheInstalledOnesStay) {
    TestDir clips;
    ASSERT_TRUE(MakeClip("mpegtsmux", clips / "clip.ts"));
    ASSERT_TRUE(MakeClip("video/x-h264,stream-format=byte-stream ! mpegpsmux", clips / "cam.mod"));
    std::ofstream(clips / "noise.ts") << std::string(4000, '\x01');
    std::ofstream(clips / "music.mod") << "MTM\x10" << std::string(400, '\x02');
    std::ofstream(clips / "a.zq9") << "\x01\x02";
    // Name, the clip, the box, the type that then opens with us.
    const std::array<std::array<std::string, 4>, 5> rows = {{
        {"known extension, upper case", "/v/Film.MKV", "Filetype \".mkv\" registered with Tavimo",
         "video/x-matroska"},
        {"unknown extension: a type of our own", "/v/show.zq9",
         "Filetype \".zq9\" registered with Tavimo", "video/x-tavimo-zq9"},
        {"transport stream, not a Qt translation", clips / "clip.ts",
         "Filetype \".ts\" registered with Tavimo", "video/mp2t"},
        {"program stream, not a tracker module", clips / "cam.mod",
         "Filetype \".mod\" registered with Tavimo", "video/mpeg"},
        {"known extension after the others", "/v/film.AVI",
         "Filetype \".avi\" registered with Tavimo", "video/x-msvideo"},
    }};
    for (const auto& [name, clip, box, type] : rows) {
        EXPECT_EQ(Register(clip), box) << name;
        EXPECT_EQ(DefaultFor(type), "tavimo.desktop") << name;
    }
    EXPECT_EQ(Register(clips / "noise.ts"),
              "Filetype \".ts\" could not be registered with Tavimo:\n\"noise.ts\" may be "
              "text/vnd.trolltech.linguist or another type, and its contents do not tell which");
    EXPECT_FALSE(Offers("text/vnd.trolltech.linguist", "tavimo.desktop"));

    // What the desktop makes of such files afterwards.
    EXPECT_EQ(TypeOf(clips / "a.zq9"), "video/x-tavimo-zq9");
    EXPECT_EQ(TypeOf(clips / "clip.ts"), "video/mp2t");
    EXPECT_EQ(TypeOf(clips / "cam.mod"), "video/mpeg");
    EXPECT_EQ(TypeOf(clips / "music.mod"), "audio/x-mod") << "other .mod files keep their type";
    // The installed types are still offered with us, their defaults untouched.
    EXPECT_TRUE(Offers("video/mp4", "tavimo.desktop"));
    EXPECT_TRUE(Offers("application/x-subrip", "tavimo.desktop"));
    EXPECT_EQ(DefaultFor("video/mp4"), "other.desktop");

    // The user's entry as GIO reads it: the installed keys, and the program
    // as TryExec (which hides the entry where the program is gone).
    const std::string entry = *sandbox / "data/applications/tavimo.desktop";
    g_autoptr(GDesktopAppInfo) info = g_desktop_app_info_new_from_filename(entry.c_str());
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(g_desktop_app_info_get_generic_name(info), "Video Player");
    const char* const* keywords = g_desktop_app_info_get_keywords(info);
    ASSERT_NE(keywords, nullptr);
    EXPECT_STREQ(keywords[1], "movie");
    g_autofree gchar* action = g_desktop_app_info_get_action_name(info, "new");
    EXPECT_STREQ(action, "New Window");
    g_autofree gchar* tryExec = g_desktop_app_info_get_string(info, "TryExec");
    EXPECT_EQ(std::string(tryExec != nullptr ? tryExec : ""), Exe());
    EXPECT_EQ(desktop.ApplicationExecutables("video/x-tavimo-zq9"),
              std::vector<std::string>{Exe()});

    // An entry naming the program by a linked name on PATH still means us.
    std::filesystem::create_directories(*sandbox / "bin");
    std::filesystem::create_symlink(Exe(), *sandbox / "bin/tv");
    setenv("PATH", (*sandbox / "bin:" + std::string(getenv("PATH"))).c_str(), 1);
    std::filesystem::create_directories(*sandbox / "data/applications");
    std::ofstream(*sandbox / "data/applications/linked.desktop")
        << "[Desktop Entry]\nType=Application\nName=Linked\nExec=tv %f\n";
    std::string error;
    ASSERT_TRUE(desktop.SetDefaultApplication("video/x-linked", "linked.desktop", &error)) << error;
    EXPECT_EQ(desktop.ApplicationExecutables("video/x-linked"), std::vector<std::string>{Exe()});
}

}  // namespace
}  // namespace tavimo
