// The main frame's command handlers: the small window-state commands act
// here; the rest hand over to the player record, the view or the part of the
// program that owns the action.
#include <algorithm>
#include <cmath>

#include <QAction>
#include <QApplication>
#include <QSlider>
#include <QToolBar>
#include <QWindow>

#include "app/main_frame.h"
#include "app/subtitle_syncer.h"
#include "engine/filters_menu_ui.h"
#include "engine/playback_speed.h"
#include "engine/screenshot.h"
#include "integration/integration_commands.h"
#include "platform/dialogs.h"
#include "platform/trash.h"
#include "resources/resources.h"
#include "resources/translate.h"
#include "subtitles/text_encoding.h"
#include "view/seek_preview.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

constexpr int64_t kFiveSeconds = 50'000'000;  // 100 ns units

}  // namespace

void CMainFrame::OnRecentFile(int id) {
    if (std::optional<std::string> path = recent_->OpenRecent(id, *dialogs_)) {
        record_.ClipPath = *path;
        record_.OpenClip();
    }
}

void CMainFrame::OnFilterProperties(int id) {
    filters_->ShowProperties(id, this);
}

void CMainFrame::GraphStarted() {
    filters_->Build(record_.pGB);
    syncer_->ApplyRemembered();
    applyUi();  // the track menus list the new clip's tracks
}

void CMainFrame::OnResolution(int id) {
    record_.ResolutionIndex = id - ID_RESOLUTION_DEFAULT;
}

void CMainFrame::OnExit(int) {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CMainFrame::OnToggleBand(int id) {
    int& field =
        id == ID_VIEW_TOOLBAR ? frameSettings_.ToolBarVisible : frameSettings_.SeekBarVisible;
    field = field == 0 ? 1 : 0;
    (id == ID_VIEW_TOOLBAR ? toolbar_ : seekBand_)->setVisible(field != 0 && !record_.FullScreen);
    ui_.SetCheck(id, field);
}

void CMainFrame::OnAbout(int) {
    commands::ShowAbout(this);
}

void CMainFrame::OnOpenVideo(int) {
    record_.ClipPath.clear();
    record_.OpenClip();
}

void CMainFrame::OnOpenSubtitles(int) {
    record_.SubtitlePath.clear();
    record_.LoadSubtitles();
    syncer_->ApplyRemembered();
}

void CMainFrame::OnPlay(int) {
    if (record_.ClipState == ClipState::Paused) {
        record_.TogglePause();
    } else {
        record_.OpenClip();
    }
}

void CMainFrame::OnPause(int) {
    if (record_.HasControl()) {
        record_.TogglePause();
    }
    view_->MouseMoved(QPoint(0, 0));
}

void CMainFrame::OnToggleFullScreen(int) {
    view_->ToggleFullScreen();
}

void CMainFrame::OnStop(int) {
    syncer_->Cancel();
    record_.StopClip();
}

void CMainFrame::OnPreviousFile(int) {
    commands::PreviousFile(record_);
}

void CMainFrame::OnNextFile(int) {
    commands::NextFile(record_);
}

// Left, Right, Down, Up: the picture gets narrower, wider, lower or taller
// by the stretch step on each side, without keeping its aspect ratio.
void CMainFrame::OnStretch(int id) {
    if (!record_.HasWindowlessControl()) {
        return;
    }
    record_.SetAspectRatioNone();
    maintainAspect_ = false;
    const Step step =
        StretchKeyStep(id, record_.StretchStep, record_.VideoAspect, record_.FullScreen);
    if (record_.FullScreen) {
        view_->StretchVideo(step.dx, step.dy);
        return;
    }
    view_->ResizeFrameBy(step);
}

void CMainFrame::OnDeleteFile(int) {
    const std::string path = record_.ClipPath;
    record_.StopClip();
    if (path.empty()) {
        return;
    }
    const std::string question = TrArg(TrText("Boxes", "Move \"%1\" to the trash?"), {path});
    if (dialogs_->MessageBox(question, res::kAppTitle,
                             platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
        return;
    }
    std::string error;
    if (!platform::MoveToTrash(path, &error)) {
        dialogs_->MessageBox(
            TrArg(TrText("Boxes", "Could not move \"%1\" to the trash.\n%2"), {path, error}),
            res::kAppTitle, platform::MB_OK | platform::MB_ICONHAND);
    }
}

void CMainFrame::OnToggleAspect(int) {
    maintainAspect_ = !maintainAspect_;
    if (record_.HasWindowlessControl()) {
        record_.ToggleAspectRatioMode();
    }
    postToView(&CTavimoView::PlaceVideo);
}

void CMainFrame::OnSubtitleOffset(int id) {
    record_.Mixer.SubtitleOffset += id == ID_SUBTITLES_UP ? 2 : -2;
    record_.RefreshPausedPicture();
}

void CMainFrame::OnSetSubtitleFont(int) {
    record_.SetSubtitleFont();
}

void CMainFrame::OnSeekFiveSeconds(int id) {
    if (!record_.HasSeeking()) {
        return;
    }
    record_.SeekBy(id == ID_SEEK_FORWARD ? kFiveSeconds : -kFiveSeconds);
    QMetaObject::invokeMethod(
        view_, [view = view_] { view->MouseMoved(QPoint(0, 0)); }, Qt::QueuedConnection);
}

// The window manager's stay-on-top hint, changed on the native window so that
// the window keeps its place and size.
void CMainFrame::OnToggleAlwaysOnTop(int) {
    record_.AlwaysOnTop = record_.AlwaysOnTop != 0 ? 0 : 1;
    const bool onTop = record_.AlwaysOnTop != 0;
    if (QWindow* window = windowHandle()) {
        window->setFlag(Qt::WindowStaysOnTopHint, onTop);
        window->show();
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    ui_.SetCheck(ID_ALWAYS_ON_TOP, record_.AlwaysOnTop);
}

void CMainFrame::OnEscape(int) {
    if (record_.FullScreen) {
        OnToggleFullScreen(ID_FULLSCREEN);
        record_.StopClip();
    } else if (record_.ClipState == ClipState::Stopped) {
        record_.StopClip();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    } else {
        record_.StopClip();
    }
}

// Auto Next, Keep Window Size, Allow Multiple Instances, View Subtitles,
// Resume Playback, Subtitle Styles, Night Mode:
// the field flips between 0 and 1 and its mark follows.
void CMainFrame::OnSimpleToggle(int id) {
    auto flip = [](int value) { return value == 0 ? 1 : 0; };
    int value = 0;
    switch (id) {
        case ID_AUTO_NEXT:
            value = record_.AutoNext = flip(record_.AutoNext);
            break;
        case ID_RESUME_PLAYBACK:
            value = record_.ResumePlayback = flip(record_.ResumePlayback);
            break;
        case ID_SUBTITLE_STYLES:
            value = flip(record_.Mixer.SubtitleStyles.load());
            record_.Mixer.SubtitleStyles = value;
            record_.RefreshPausedPicture();
            break;
        case ID_KEEP_WINDOW_SIZE:
            value = record_.KeepWindowSize = flip(record_.KeepWindowSize);
            break;
        case ID_ALLOW_MULTIPLE:
            value = frameSettings_.AllowMultipleInstances =
                flip(frameSettings_.AllowMultipleInstances);
            break;
        case ID_VIEW_SUBTITLES:
            record_.ToggleViewSubtitles();
            value = record_.Mixer.ViewSubtitles != 0 ? 1 : 0;
            break;
        case ID_NIGHT_MODE:
            record_.ToggleNightMode();
            value = record_.NightMode;
            break;
    }
    ui_.SetCheck(id, value);
}

void CMainFrame::OnRegisterFileType(int) {
    commands::RegisterFileType(record_.ClipPath, *dialogs_);
}

void CMainFrame::OnOpenUrl(int) {
    commands::OpenUrl(record_, this);
}

void CMainFrame::OnHelp(int) {
    commands::ShowHelp();
}

void CMainFrame::OnVolumeStep(int id) {
    int position = sliders_->VolumeBar()->value();
    position = id == ID_VOLUME_UP ? std::min(position + 5, 100) : std::max(position - 5, 0);
    sliders_->SetVolumePosition(position);
    record_.SetVolume(position);
}

void CMainFrame::OnResetVideoSize(int) {
    view_->ResetVideoSize();
}

void CMainFrame::OnCheckForUpdate(int) {
    commands::CheckForUpdate();
}

void CMainFrame::OnSubtitleEncoding(int id) {
    const auto choices = SubtitleCharsetChoices();
    const auto index = static_cast<size_t>(id - ID_SUBTITLE_ENCODING_FIRST);
    if (index < choices.size()) {
        record_.SetSubtitleEncoding(choices[index].label);
    }
}

void CMainFrame::OnSubtitleTrack(int id) {
    record_.ChooseSubtitleTrack(static_cast<size_t>(id - ID_SUBTITLE_TRACK_FIRST));
}

void CMainFrame::OnAudioTrack(int id) {
    record_.ChooseAudioTrack(static_cast<size_t>(id - ID_AUDIO_TRACK_FIRST));
}

// V and B.
void CMainFrame::OnNextTrack(int id) {
    if (id == ID_SUBTITLE_TRACK_NEXT) {
        record_.NextSubtitleTrack();
    } else {
        record_.NextAudioTrack();
    }
}

void CMainFrame::OnSubtitleDelay(int id) {
    constexpr int kStep = SubtitleDelay::kStepMs;
    record_.Delay.Step(id == ID_SUBTITLE_DELAY_EARLIER ? -kStep
                       : id == ID_SUBTITLE_DELAY_LATER ? kStep
                                                       : 0);
    if (id == ID_SUBTITLE_DELAY_RESET) {
        syncer_->ResetTiming();  // a synchronised file's own times come back too
    }
}

// Screenshots and the seek bar's preview.

void CMainFrame::OnSaveScreenshot(int) {
    screenshots_->Save();
}

void CMainFrame::GraphReleased() {
    syncer_->Cancel();
    preview_->ClipReleased();
}

// Shift+Page Down, Shift+Page Up.
void CMainFrame::OnChapterStep(int id) {
    if (id == ID_NEXT_CHAPTER) {
        record_.NextChapter();
    } else {
        record_.PreviousChapter();
    }
}

void CMainFrame::OnChapter(int id) {
    record_.GoToChapter(id - ID_CHAPTER_FIRST);
}

void CMainFrame::OnAbLoop(int) {
    record_.StepLoop();
}

// ], [ and Backspace: the next speed step up, down, or back to normal.
void CMainFrame::OnSpeed(int id) {
    const double now = record_.Speed;
    record_.SetSpeed(id == ID_SPEED_FASTER   ? FasterSpeed(now)
                     : id == ID_SPEED_SLOWER ? SlowerSpeed(now)
                                             : 1.0);
}

// J, K and Shift+J: the sound a step earlier, later, or back in step.
void CMainFrame::OnAudioDelay(int id) {
    record_.StepAudioDelay(id == ID_AUDIO_DELAY_EARLIER ? -kAudioDelayStepMs
                           : id == ID_AUDIO_DELAY_LATER ? kAudioDelayStepMs
                                                        : 0);
}

void CMainFrame::OnSyncSubtitles(int) {
    syncer_->Toggle();
}

// E and Shift+E: one frame on or back.
void CMainFrame::OnFrameStep(int id) {
    record_.StepFrame(id == ID_FRAME_NEXT ? 1 : -1);
}

}  // namespace tavimo
