#include "app/run_player.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gst/gst.h>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <chrono>

#include "app/desktop_wiring.h"
#include "app/main_frame.h"
#include "app/settings.h"
#include "app/translations.h"
#include "engine/media/audio_output.h"
#include "engine/media/avcodec_decoders.h"
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

// The instances a new one replaces get this long to save their settings and end
// before it reads them; after it, it goes on with what is stored then.
constexpr auto kReplacedBudget = std::chrono::seconds(4);
// Boxes and their event loops get this many rounds (of kUnwindStepMs) to end
// before the frame closes from wherever it is all the same.
constexpr int kUnwindRounds = 100;
constexpr int kUnwindStepMs = 20;
// How long the start waits for the window manager to place the new window.
constexpr int kPlacementWaitMs = 1000;

// Whether the settings allow several instances: read on its own, before the
// others, which replaced instances may still change as they close. Any
// non-zero DWORD is on, as for the whole record.
bool MultipleInstancesAllowed(platform::Registry& registry) {
    platform::RegKey key = nullptr;
    if (registry.OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS)
        return false;
    uint32_t type = 0, value = 0, size = sizeof(value);
    const bool on =
        registry.QueryValue(key, "AllowMultipleInstances", &type,
                            reinterpret_cast<uint8_t*>(&value), &size) == platform::ERROR_SUCCESS &&
        type == platform::REG_DWORD && size == sizeof(value) && value != 0;
    registry.CloseKey(key);
    return on;
}

// A box is centred on its parent as the parent stands when the box shows: the
// first ones (an error about the command line's clip) wait until the window
// manager has placed and shown the frame, else they land in a corner. UI
// thread; at most kPlacementWaitMs, without taking user input.
void AwaitPlacement(QWidget& frame) {
    QElapsedTimer clock;
    clock.start();
    while (frame.windowHandle() != nullptr && !frame.windowHandle()->isExposed() &&
           clock.elapsed() < kPlacementWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

// Ends every open menu, box and dialog as Cancel would. Whether any was open.
bool EndOpenBoxes() {
    bool any = false;
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        any = true;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible()) {
            dialog->reject();
            any = true;
        }
    }
    return any;
}

// The depth of the main event loop once it runs (0 before): a box shown while
// the command line's clip opens runs its own loop before the main one starts.
int gMainLoopLevel = 0;

// Closes the frame as a user's close does, after ending whatever box or menu
// is open: their event loops unwind first (one a round), so that the frame
// closes from the main loop and the process ends. UI thread.
void CloseEverything(QPointer<QWidget> frame, int rounds = kUnwindRounds) {
    if (frame == nullptr)
        return;
    const bool open = EndOpenBoxes();
    const bool inMainLoop =
        gMainLoopLevel > 0 && QThread::currentThread()->loopLevel() == gMainLoopLevel;
    if ((open || !inMainLoop) && rounds > 0) {
        QTimer::singleShot(kUnwindStepMs, frame,
                           [frame, rounds] { CloseEverything(frame, rounds - 1); });
        return;
    }
    if (frame->isVisible())
        frame->close();
    QApplication::quit();  // also when something kept a window of its own open
}

// However the frame is closed (Exit, the window manager, MPRIS Quit), also
// from inside a box's event loop or before the main loop runs: the boxes
// still open end, and so does the process.
class CloseWatch : public QObject {
  public:
    explicit CloseWatch(QWidget& frame) : QObject(&frame), frame_(&frame) {
        frame.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close)
            QTimer::singleShot(0, this, [this] {
                if (frame_ != nullptr && !frame_->isVisible())  // the close was taken
                    CloseEverything(frame_);
            });
        return false;
    }

  private:
    QPointer<QWidget> frame_;
};

}  // namespace

int RunPlayer(int argc, char** argv, const std::string& path) {
    RaisePriority();
    QuietAudioLibraries();  // before any thread reads the environment
    gst_init(nullptr, nullptr);
    RegisterAvcodecDecoders();
    PreferXcb();
    if (!DisplayReachable()) {
        std::fprintf(stderr, "tavimo: cannot create the main window: cannot open display %s\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "(unset)");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tavimo");
    QApplication::setDesktopFileName("tavimo");
    InstallDesktopTranslations(app);

    auto registry = platform::OpenUserRegistry();
    auto modes = platform::MakeDisplayModes();
    auto channel = platform::MakeInstanceChannel();
    auto media = NewGstMediaFramework();
    // The instances this one replaces save their settings as they close: they
    // are read once those are gone.
    const bool replacing = !MultipleInstancesAllowed(*registry);
    if (replacing && channel->CreateMarker()) {
        channel->Broadcast();
        channel->AwaitAnswered(kReplacedBudget);
    }
    CMainFrame frame(*registry, *modes);
    frame.Record().UseMediaFramework(media.get());
    frame.LoadSettings();
    frame.Create();
    DesktopWiring desktop(frame, replacing);
    new CloseWatch(frame);  // owned by the frame
    channel->Listen([frame = QPointer<QWidget>(&frame)] { CloseEverything(frame); });
    AwaitPlacement(frame);
    if (!path.empty()) {
        frame.Record().ClipPath = path;
        frame.Record().OpenClip();
    }
    // Posted after the clip has opened: only the main loop runs it.
    QTimer::singleShot(0, [] { gMainLoopLevel = QThread::currentThread()->loopLevel(); });
    QApplication::exec();
    return 0;
}

}  // namespace tavimo
