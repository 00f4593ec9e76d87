// Process entry.
#include <cstdio>
#include <cstring>

#include <QCoreApplication>

#include "app/run_player.h"
#include "app/sync_command_line.h"
#include "app/translations.h"

namespace {

constexpr char kUsage[] = QT_TRANSLATE_NOOP(
    "Help",
    "Usage: tavimo [FILE-OR-URL]\n"
    "Plays a video file or URL, with the subtitles found beside it.\n"
    "Everything after the program name is one path; quotes around it are removed.\n"
    "\n"
    "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
    "             match the subtitles to the clip's speech, print the correction\n"
    "             (and write the corrected SubRip file with -o), and exit\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n");

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        QCoreApplication app(argc, argv);
        tavimo::InstallDesktopTranslations(app);
        std::fputs(QCoreApplication::translate("Help", kUsage).toUtf8().constData(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Tavimo %s\n", TAVIMO_VERSION);
        return 0;
    }
    if (tavimo::IsSyncCommandLine(argc, argv)) {
        return tavimo::RunSyncCommandLine(argc, argv);
    }
    return tavimo::RunPlayer(argc, argv, tavimo::CommandLinePath(argc, argv));
}
