// The player's only top-level window: menu, toolbar, seek and volume band,
// the video view, and the command table every menu item, button and key
// goes through.
#pragma once

#include <map>
#include <memory>
#include <span>

#include <QMainWindow>
#include <QUrl>

#include "app/recent_menu.h"
#include "app/settings.h"
#include "app/update_ui.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "integration/recent_file_list.h"
#include "integration/resume_positions.h"
#include "platform/dialogs.h"
#include "resources/command_ids.h"

class QActionGroup;
class QMenu;
class QToolBar;

namespace tavimo {

class CTavimoView;
class CSliders;
class ScreenshotSaver;
class SeekPreview;
class SubtitleSyncer;
class QtFiltersMenu;

namespace platform {
class DisplayModes;
class Registry;
}  // namespace platform

class CMainFrame : public QMainWindow, public PlayerHost {
    Q_OBJECT
  public:
    // `dialogs` null: Qt's dialogs, parented to this window. The registry and
    // the display modes are not owned and must outlive the frame. UI thread.
    CMainFrame(platform::Registry& registry, platform::DisplayModes& modes,
               std::unique_ptr<platform::Dialogs> dialogs = nullptr);
    ~CMainFrame() override;

    // Overlays the stored settings on the defaults; before Create(). UI thread.
    void LoadSettings();
    // Applies the settings to the window (bands, marks, volume, size 400 x 300,
    // always on top) and shows it. UI thread.
    void Create();
    // Handles command `id` by the first route of the command table that
    // covers it; ids no route covers do nothing. UI thread.
    void OnCommand(int id);

    // Opens the first of `urls`: subtitle files load as subtitles, anything
    // else as the clip. The others are ignored. UI thread.
    void DropFiles(const QList<QUrl>& urls);

    // PlayerHost
    platform::Dialogs& Dialogs() override { return *dialogs_; }
    void SetWindowTitle(const std::string& title) override;
    VideoWindow* VideoSurface() override;
    void FitFrameToVideo() override;
    void SetSeekRange(int32_t high, int64_t totalSeconds) override;
    void SetSeekPosition(int32_t position, int64_t currentSeconds) override;
    void StartPositionTimer() override;
    void StopPositionTimer() override;
    void RedrawView() override;
    void PostViewSize() override;
    void ClearSavedFullScreenRect() override;
    void AddRecent(const std::string& path) override;
    void NextFile() override;
    void GraphStarted() override;
    void GraphReleased() override;
    void SetBusy(bool busy) override;
    void MarksChanged() override;

    // For the program and tests.
    PlayerRecord& Record() { return record_; }
    FrameSettings& Stored() { return frameSettings_; }
    const UpdateUi& Ui() const { return ui_; }
    bool MaintainAspect() const { return maintainAspect_; }
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return toolbar_; }
    QToolBar* SeekBand() const { return seekBand_; }
    CSliders* Sliders() const { return sliders_; }
    CTavimoView* View() const { return view_; }
    QMenu* FiltersMenu() const { return filtersMenu_; }
    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* ChaptersMenu() const { return chaptersMenu_; }
    QMenu* SubtitleTrackMenu() const { return subtitleTrackMenu_; }
    QMenu* AudioTrackMenu() const { return audioTrackMenu_; }
    RecentFileList& Recent() { return *recent_; }
    ScreenshotSaver& Screenshots() { return *screenshots_; }
    SeekPreview& Preview() { return *preview_; }
    SubtitleSyncer& Syncer() { return *syncer_; }

  signals:
    // Every command as it arrives, before it is handled. UI thread.
    void commandIssued(int id);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Commands whose menu item carries a check mark.
    static constexpr int kCheckable[] = {
        ID_VIEW_TOOLBAR,    ID_VIEW_SEEKBAR,    ID_ALWAYS_ON_TOP,  ID_AUTO_NEXT,
        ID_MAINTAIN_ASPECT, ID_VIEW_SUBTITLES,  ID_ALLOW_MULTIPLE, ID_KEEP_WINDOW_SIZE,
        ID_RESUME_PLAYBACK, ID_SUBTITLE_STYLES, ID_NIGHT_MODE};
    struct CommandRoute {
        int first;
        int last;
        void (CMainFrame::*handler)(int id);
    };
    static std::span<const CommandRoute> Routes();

    void createActions();
    void createMenus();
    void createToolBars();
    void createBands();
    void addDisplayModes();
    void addSubtitleEncodings(QMenu* menu);
    void fillTrackMenus();
    void markTracks();
    // View > Deinterlace as one radio group, its mark on the stored setting
    // (frame_deinterlace.cpp).
    void addDeinterlaceGroup();
    void markDeinterlace();
    void applyUi();
    Settings settings() { return Settings{record_, frameSettings_}; }
    void postToView(void (CTavimoView::*method)());

    // Command handlers, in the order of the command table.
    void OnRecentFile(int id);
    void OnFilterProperties(int id);
    void OnResolution(int id);
    void OnExit(int id);
    void OnToggleBand(int id);
    void OnAbout(int id);
    void OnOpenVideo(int id);
    void OnOpenSubtitles(int id);
    void OnPlay(int id);
    void OnPause(int id);
    void OnToggleFullScreen(int id);
    void OnStop(int id);
    void OnPreviousFile(int id);
    void OnNextFile(int id);
    void OnStretch(int id);
    void OnDeleteFile(int id);
    void OnToggleAspect(int id);
    void OnSubtitleOffset(int id);
    void OnSetSubtitleFont(int id);
    void OnSeekFiveSeconds(int id);
    void OnToggleAlwaysOnTop(int id);
    void OnEscape(int id);
    void OnSimpleToggle(int id);
    void OnRegisterFileType(int id);
    void OnOpenUrl(int id);
    void OnHelp(int id);
    void OnVolumeStep(int id);
    void OnResetVideoSize(int id);
    void OnCheckForUpdate(int id);
    void OnSubtitleDelay(int id);
    void OnSubtitleEncoding(int id);
    void OnChapterStep(int id);
    void OnChapter(int id);
    void OnAbLoop(int id);
    void OnDeinterlace(int id);

    // The Chapters popup: one item per chapter of the clip, "title<Tab>time";
    // disabled when the clip has none.
    void fillChaptersMenu();
    // Its check mark on the chapter playing, as it opens.
    void markCurrentChapter();
    void OnSubtitleTrack(int id);
    void OnAudioTrack(int id);
    void OnNextTrack(int id);
    void OnSaveScreenshot(int id);
    void OnSpeed(int id);
    void OnAudioDelay(int id);
    void OnFrameStep(int id);
    // Y: starts or cancels matching the subtitles to the speech.
    void OnSyncSubtitles(int id);

    platform::Registry& registry_;
    platform::DisplayModes& modes_;
    std::unique_ptr<platform::Dialogs> dialogs_;
    PlayerRecord record_;
    FrameSettings frameSettings_;
    bool maintainAspect_ = true;
    UpdateUi ui_;

    std::unique_ptr<RecentFileList> recent_;
    std::unique_ptr<ResumePositions> resume_;
    std::unique_ptr<QtRecentMenu> recentMenu_;
    std::map<int, QAction*> actions_;  // menu commands by id
    QActionGroup* resolutionGroup_ = nullptr;
    QActionGroup* encodingGroup_ = nullptr;
    QMenu* subtitleTrackMenu_ = nullptr;
    QMenu* audioTrackMenu_ = nullptr;
    QActionGroup* trackGroups_[2] = {};     // subtitles, audio
    uint64_t tracksListed_ = ~uint64_t{0};  // the record's track list generation shown
    QMenu* fileMenu_ = nullptr;
    QMenu* filtersMenu_ = nullptr;
    QMenu* chaptersMenu_ = nullptr;
    std::unique_ptr<QtFiltersMenu> filters_;
    QMenu* resolutionMenu_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QToolBar* seekBand_ = nullptr;
    CSliders* sliders_ = nullptr;
    CTavimoView* view_ = nullptr;
    // Shift+S and the seek bar's hover; both read record_.
    std::unique_ptr<ScreenshotSaver> screenshots_;
    std::unique_ptr<SeekPreview> preview_;
    std::unique_ptr<SubtitleSyncer> syncer_;  // Y; cancelled with the clip
};

}  // namespace tavimo
