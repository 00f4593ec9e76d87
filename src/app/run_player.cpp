#include "app/run_player.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gst/gst.h>
#include <QApplication>

#include "app/desktop_wiring.h"
#include "app/main_frame.h"
#include "engine/media/audio_output.h"
#include "engine/media/gst_media.h"
#include "platform/display_modes.h"
#include "platform/instance_channel.h"
#include "platform/registry.h"
#include "platform/x11_display.h"

namespace tavimo {
namespace {

// The player runs at raised priority when the system allows it.
void RaisePriority() {
    (void)setpriority(PRIO_PROCESS, 0, -5);
}

// Video is embedded through X11 window ids: under Wayland the player runs
// through XWayland unless the user chose a platform.
void PreferXcb() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}

// Qt ends the process when its X connection fails; find out first, so that a
// missing display is a clear error with status 1.
bool DisplayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || std::strncmp(platform, "xcb", 3) != 0) {
        return true;
    }
    return platform::X11DisplayReachable();
}

}  // namespace

int RunPlayer(int argc, char** argv, const std::string& path) {
    RaisePriority();
    QuietAudioLibraries();  // before any thread reads the environment
    gst_init(nullptr, nullptr);
    PreferXcb();
    if (!DisplayReachable()) {
        std::fprintf(stderr, "tavimo: cannot create the main window: cannot open display %s\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "(unset)");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tavimo");
    QApplication::setDesktopFileName("tavimo");

    auto registry = platform::OpenUserRegistry();
    auto modes = platform::MakeDisplayModes();
    auto channel = platform::MakeInstanceChannel();
    auto media = NewGstMediaFramework();
    CMainFrame frame(*registry, *modes);
    frame.Record().UseMediaFramework(media.get());
    frame.LoadSettings();
    const bool replacing = frame.Stored().AllowMultipleInstances == 0;
    if (replacing && channel->CreateMarker()) {
        channel->Broadcast();
    }
    frame.Create();
    DesktopWiring desktop(frame, replacing);
    channel->Listen(
        [&frame] { QMetaObject::invokeMethod(&frame, &QWidget::close, Qt::QueuedConnection); });
    if (!path.empty()) {
        frame.Record().ClipPath = path;
        frame.Record().OpenClip();
    }
    QApplication::exec();
    return 0;
}

}  // namespace tavimo
