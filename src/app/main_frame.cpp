#include "app/main_frame.h"

#include <algorithm>
#include <tuple>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "app/subtitle_syncer.h"
#include "engine/filters_menu_ui.h"
#include "engine/screenshot.h"
#include "platform/dialogs.h"
#include "platform/display_modes.h"
#include "platform/qt_dialogs.h"
#include "platform/trash.h"
#include "resources/resources.h"
#include "subtitles/subtitle_loading.h"
#include "view/seek_preview.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tavimo {
namespace {

// A caption of the menu table in the user's language.
QString MenuText(const char* caption) {
    return QCoreApplication::translate("Menu", caption);
}

QIcon ToolbarIcon(const char* name) {
    return QIcon(QString(":/icons/%1.svg").arg(name));
}

// The path a file URL names, byte for byte: its percent-encoded path decoded
// as bytes. A name that is not UTF-8 comes as "caf%E9.mp4" from a file
// manager or a bus client; toLocalFile() reads it as UTF-8 and puts U+FFFD
// in place of the byte, which names no file.
std::string LocalPathOf(const QUrl& url) {
    const std::string path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    const QString host = url.host();
    return host.isEmpty() || host == QLatin1String("localhost") ? path
                                                                : "//" + host.toStdString() + path;
}

}  // namespace

// The command table: tried in this order, the first route that covers the
// command handles it.
std::span<const CMainFrame::CommandRoute> CMainFrame::Routes() {
    static const CommandRoute kRoutes[] = {
        {ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, &CMainFrame::OnRecentFile},
        {ID_FILTER_FIRST, ID_FILTER_LAST, &CMainFrame::OnFilterProperties},
        {ID_RESOLUTION_DEFAULT, ID_RESOLUTION_LAST, &CMainFrame::OnResolution},
        {ID_APP_EXIT, ID_APP_EXIT, &CMainFrame::OnExit},
        {ID_VIEW_TOOLBAR, ID_VIEW_TOOLBAR, &CMainFrame::OnToggleBand},
        {ID_VIEW_SEEKBAR, ID_VIEW_SEEKBAR, &CMainFrame::OnToggleBand},
        {ID_APP_ABOUT, ID_APP_ABOUT, &CMainFrame::OnAbout},
        {ID_FILE_OPEN, ID_FILE_OPEN, &CMainFrame::OnOpenVideo},
        {ID_OPEN_SUBTITLES, ID_OPEN_SUBTITLES, &CMainFrame::OnOpenSubtitles},
        {ID_PLAY, ID_PLAY, &CMainFrame::OnPlay},
        {ID_PAUSE, ID_PAUSE, &CMainFrame::OnPause},
        {ID_FULLSCREEN, ID_FULLSCREEN, &CMainFrame::OnToggleFullScreen},
        {ID_STOP, ID_STOP, &CMainFrame::OnStop},
        {ID_PREVIOUS_FILE, ID_PREVIOUS_FILE, &CMainFrame::OnPreviousFile},
        {ID_NEXT_FILE, ID_NEXT_FILE, &CMainFrame::OnNextFile},
        {ID_STRETCH_NARROWER, ID_STRETCH_TALLER, &CMainFrame::OnStretch},
        {ID_DELETE_FILE, ID_DELETE_FILE, &CMainFrame::OnDeleteFile},
        {ID_MAINTAIN_ASPECT, ID_MAINTAIN_ASPECT, &CMainFrame::OnToggleAspect},
        {ID_SUBTITLES_DOWN, ID_SUBTITLES_UP, &CMainFrame::OnSubtitleOffset},
        {ID_SET_SUBTITLE_FONT, ID_SET_SUBTITLE_FONT, &CMainFrame::OnSetSubtitleFont},
        {ID_SEEK_BACK, ID_SEEK_FORWARD, &CMainFrame::OnSeekFiveSeconds},
        {ID_ALWAYS_ON_TOP, ID_ALWAYS_ON_TOP, &CMainFrame::OnToggleAlwaysOnTop},
        {ID_ESCAPE, ID_ESCAPE, &CMainFrame::OnEscape},
        {ID_VIEW_SUBTITLES, ID_VIEW_SUBTITLES, &CMainFrame::OnSimpleToggle},
        {ID_REGISTER_FILETYPE, ID_REGISTER_FILETYPE, &CMainFrame::OnRegisterFileType},
        {ID_ALLOW_MULTIPLE, ID_ALLOW_MULTIPLE, &CMainFrame::OnSimpleToggle},
        {ID_OPEN_URL, ID_OPEN_URL, &CMainFrame::OnOpenUrl},
        {ID_KEEP_WINDOW_SIZE, ID_KEEP_WINDOW_SIZE, &CMainFrame::OnSimpleToggle},
        {ID_HELP_INDEX, ID_HELP_INDEX, &CMainFrame::OnHelp},
        {ID_VOLUME_DOWN, ID_VOLUME_DOWN, &CMainFrame::OnVolumeStep},
        {ID_VOLUME_UP, ID_VOLUME_UP, &CMainFrame::OnVolumeStep},
        {ID_RESET_VIDEO_SIZE, ID_RESET_VIDEO_SIZE, &CMainFrame::OnResetVideoSize},
        {ID_AUTO_NEXT, ID_AUTO_NEXT, &CMainFrame::OnSimpleToggle},
        {ID_NIGHT_MODE, ID_NIGHT_MODE, &CMainFrame::OnSimpleToggle},
        {ID_RESUME_PLAYBACK, ID_RESUME_PLAYBACK, &CMainFrame::OnSimpleToggle},
        {ID_SUBTITLE_STYLES, ID_SUBTITLE_STYLES, &CMainFrame::OnSimpleToggle},
        {ID_CHECK_FOR_UPDATE, ID_CHECK_FOR_UPDATE, &CMainFrame::OnCheckForUpdate},
        {ID_SUBTITLE_DELAY_EARLIER, ID_SUBTITLE_DELAY_RESET, &CMainFrame::OnSubtitleDelay},
        {ID_SUBTITLE_ENCODING_FIRST, ID_SUBTITLE_ENCODING_LAST, &CMainFrame::OnSubtitleEncoding},
        {ID_NEXT_CHAPTER, ID_PREVIOUS_CHAPTER, &CMainFrame::OnChapterStep},
        {ID_AB_LOOP, ID_AB_LOOP, &CMainFrame::OnAbLoop},
        {ID_CHAPTER_FIRST, ID_CHAPTER_LAST, &CMainFrame::OnChapter},
        {ID_SUBTITLE_TRACK_FIRST, ID_SUBTITLE_TRACK_LAST, &CMainFrame::OnSubtitleTrack},
        {ID_AUDIO_TRACK_FIRST, ID_AUDIO_TRACK_LAST, &CMainFrame::OnAudioTrack},
        {ID_SUBTITLE_TRACK_NEXT, ID_AUDIO_TRACK_NEXT, &CMainFrame::OnNextTrack},
        // Screenshots.
        {ID_SAVE_SCREENSHOT, ID_SAVE_SCREENSHOT, &CMainFrame::OnSaveScreenshot},
        {ID_SPEED_FASTER, ID_SPEED_NORMAL, &CMainFrame::OnSpeed},
        {ID_FRAME_NEXT, ID_FRAME_PREVIOUS, &CMainFrame::OnFrameStep},
        {ID_AUDIO_DELAY_EARLIER, ID_AUDIO_DELAY_RESET, &CMainFrame::OnAudioDelay},
        {ID_DEINTERLACE_AUTO, ID_DEINTERLACE_NEXT, &CMainFrame::OnDeinterlace},
        {ID_SYNC_SUBTITLES, ID_SYNC_SUBTITLES, &CMainFrame::OnSyncSubtitles},
    };
    return kRoutes;
}

CMainFrame::CMainFrame(platform::Registry& registry, platform::DisplayModes& modes,
                       std::unique_ptr<platform::Dialogs> dialogs)
    : registry_(registry),
      modes_(modes),
      dialogs_(std::move(dialogs)),
      record_(*this),
      recent_(std::make_unique<RecentFileList>(registry)),
      resume_(std::make_unique<ResumePositions>(registry)) {
    record_.UseResumePositions(resume_.get());
    InitIconResources();
    if (!dialogs_) {
        dialogs_ = platform::MakeQtDialogs(this);
    }
    createActions();
    createMenus();
    createToolBars();
    createBands();
    screenshots_ = std::make_unique<ScreenshotSaver>(record_, *dialogs_);
    preview_ = std::make_unique<SeekPreview>(sliders_->SeekBar(), record_);
    syncer_ = std::make_unique<SubtitleSyncer>(record_, this);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    record_.ReleaseGraph();  // while the parts it tells are all here
}

void CMainFrame::createActions() {
    for (const res::MenuRow& row : res::MainMenu()) {
        if (row.kind != res::MenuKind::Item) {
            continue;
        }
        auto* action = new QAction(MenuText(row.caption), this);
        action->setEnabled(!row.inactive);
        action->setData(row.id);
        connect(action, &QAction::triggered, this, [this, id = row.id] { OnCommand(id); });
        actions_[row.id] = action;
    }
    for (int id : kCheckable) {
        actions_.at(id)->setCheckable(true);
    }
    for (const res::ToolbarButton& button : res::Toolbar()) {
        if (button.command != 0 && actions_.count(button.command) != 0) {
            actions_[button.command]->setIcon(ToolbarIcon(button.icon));
        }
    }
}

void CMainFrame::createMenus() {
    std::vector<QMenu*> open;  // the popups the walk is inside
    for (const res::MenuRow& row : res::MainMenu()) {
        switch (row.kind) {
            case res::MenuKind::Popup:
                open.push_back(open.empty() ? menuBar()->addMenu(MenuText(row.caption))
                                            : open.back()->addMenu(MenuText(row.caption)));
                break;
            case res::MenuKind::EndPopup:
                open.pop_back();
                break;
            case res::MenuKind::Separator:
                open.back()->addSeparator();
                break;
            case res::MenuKind::Item:
                open.back()->addAction(actions_.at(row.id));
                break;
        }
    }
    const QList<QAction*> popups = menuBar()->actions();
    fileMenu_ = popups.at(0)->menu();
    filtersMenu_ = popups.at(2)->menu();
    filters_ = std::make_unique<QtFiltersMenu>(filtersMenu_, [this](int id) { OnCommand(id); });
    actions_.erase(ID_FILE_MRU_FIRST);  // the recent list owns that place from now on
    for (QAction* item : popups.at(1)->menu()->actions()) {
        if (item->menu() != nullptr && item->text() == MenuText("Chapters")) {
            chaptersMenu_ = item->menu();
        }
    }
    connect(chaptersMenu_, &QMenu::aboutToShow, this, &CMainFrame::markCurrentChapter);
    fillChaptersMenu();  // the placeholder goes: no clip, no chapters
    QMenu* viewMenu = popups.at(3)->menu();
    resolutionMenu_ = viewMenu->actions().at(3)->menu();
    resolutionGroup_ = new QActionGroup(this);
    QAction* defaultMode = actions_.at(ID_RESOLUTION_DEFAULT);
    defaultMode->setCheckable(true);
    resolutionGroup_->addAction(defaultMode);
    for (QAction* item : viewMenu->actions()) {
        if (item->menu() != nullptr && item->text() == MenuText("Subtitle Encoding")) {
            addSubtitleEncodings(item->menu());
        } else if (item->menu() != nullptr && item->text() == MenuText("Subtitle Track")) {
            subtitleTrackMenu_ = item->menu();
        } else if (item->menu() != nullptr && item->text() == MenuText("Audio Track")) {
            audioTrackMenu_ = item->menu();
        }
    }
    for (QActionGroup*& group : trackGroups_) {
        group = new QActionGroup(this);
    }
    QAction* off = actions_.at(ID_SUBTITLE_TRACK_FIRST);
    off->setCheckable(true);
    trackGroups_[0]->addAction(off);
    addDeinterlaceGroup();
    connect(viewMenu, &QMenu::aboutToShow, this, &CMainFrame::applyUi);
}

void CMainFrame::createToolBars() {
    toolbar_ = new QToolBar(MenuText("&Toolbar").remove(u'&'), this);
    toolbar_->setObjectName("toolbar");
    toolbar_->setIconSize(QSize(16, 17));
    toolbar_->setMovable(false);
    for (const res::ToolbarButton& button : res::Toolbar()) {
        if (button.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        auto* action = toolbar_->addAction(ToolbarIcon(button.icon), QString());
        action->setToolTip(button.tooltip != nullptr
                               ? QCoreApplication::translate("Toolbar", button.tooltip)
                               : QString());
        action->setData(button.command);
        connect(action, &QAction::triggered, this, [this, id = button.command] { OnCommand(id); });
        if (button.tooltip == nullptr) {
            toolbar_->widgetForAction(action)->installEventFilter(this);  // swallows its tooltip
        }
    }
}

void CMainFrame::createBands() {
    setContextMenuPolicy(Qt::PreventContextMenu);  // bands are shown only by their commands
    addToolBar(Qt::TopToolBarArea, toolbar_);
    addToolBarBreak(Qt::TopToolBarArea);
    seekBand_ = new QToolBar(MenuText("&Seekbar").remove(u'&'), this);
    seekBand_->setObjectName("seekbar");
    seekBand_->setMovable(false);
    sliders_ = new CSliders(seekBand_);
    seekBand_->addWidget(sliders_);
    addToolBar(Qt::TopToolBarArea, seekBand_);
    connect(sliders_, &CSliders::volumeMoved, this,
            [this](int position) { record_.SetVolume(position); });
    view_ = new CTavimoView(this);
    view_->SetRecord(&record_);
    view_->UseFrameParts(sliders_, &modes_, [this](bool shown) {
        menuBar()->setVisible(shown);
        toolbar_->setVisible(shown && frameSettings_.ToolBarVisible != 0);
        seekBand_->setVisible(shown && frameSettings_.SeekBarVisible != 0);
    });
    setCentralWidget(view_);
}

void CMainFrame::LoadSettings() {
    tavimo::LoadSettings(settings(), registry_, modes_, ui_);
}

void CMainFrame::Create() {
    setAcceptDrops(true);
    setWindowTitle(res::kAppTitle);
    setWindowIcon(QIcon(":/icons/tavimo.svg"));
    ui_.SetCheck(ID_VIEW_TOOLBAR, frameSettings_.ToolBarVisible);
    toolbar_->setVisible(frameSettings_.ToolBarVisible != 0);
    ui_.SetCheck(ID_VIEW_SEEKBAR, frameSettings_.SeekBarVisible);
    seekBand_->setVisible(frameSettings_.SeekBarVisible != 0);
    ui_.SetCheck(ID_MAINTAIN_ASPECT, 1);
    qApp->installEventFilter(this);
    recentMenu_ = std::make_unique<QtRecentMenu>(fileMenu_, [this](int id) { OnCommand(id); });
    recent_->AttachRecentMenu(recentMenu_.get());
    recent_->LoadRecent();
    filtersMenu_->removeAction(actions_.at(ID_FILTER_FIRST));
    addDisplayModes();
    sliders_->SetVolumePosition(record_.Volume);
    resize(400, 300);
    setWindowFlag(Qt::WindowStaysOnTopHint, record_.AlwaysOnTop != 0);
    ui_.SetCheck(ID_ALWAYS_ON_TOP, record_.AlwaysOnTop);
    ui_.SetCheck(ID_AUTO_NEXT, record_.AutoNext);
    applyUi();
    show();
    // The outer size is 400 x 300: take off what a window manager's frame adds.
    const QSize outer = frameGeometry().size();
    if (outer != size()) {
        resize(400 - (outer.width() - width()), 300 - (outer.height() - height()));
    }
    if (QScreen* screen = this->screen()) {
        connect(screen, &QScreen::geometryChanged, this, [this] {
            if (record_.HasWindowlessControl()) {
                record_.DisplayModeChanged();
                view_->FitFrameToVideo();
            }
        });
    }
}

QAction* CMainFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::OnCommand(int id) {
    emit commandIssued(id);
    for (const CommandRoute& route : Routes()) {
        if (id >= route.first && id <= route.last) {
            (this->*route.handler)(id);
            break;
        }
    }
    applyUi();
}

void CMainFrame::postToView(void (CTavimoView::*method)()) {
    QMetaObject::invokeMethod(view_, method, Qt::QueuedConnection);
}

// --- events ---

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (record_.FullScreen) {
        view_->ToggleFullScreen();  // gives back the display mode and the screen saver
    }
    SaveSettings(settings(), registry_, modes_);
    syncer_->Cancel();
    record_.CloseClip();
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && qobject_cast<QToolButton*>(watched) != nullptr) {
        return true;  // the one toolbar button without a tooltip
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    // A menu, a box or a dialog has the keyboard: its keys are its own.
    if (QApplication::activePopupWidget() != nullptr ||
        QApplication::activeModalWidget() != nullptr ||
        qobject_cast<QMenuBar*>(widget) != nullptr) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const int command = res::TranslateAccelerator(key->key(), key->modifiers());
    if (command == 0) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();  // the key is ours: no widget shortcut takes it
        return true;
    }
    OnCommand(command);
    return true;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
        DropFiles(event->mimeData()->urls());
    }
}

void CMainFrame::DropFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty()) {
        return;
    }
    const QUrl& first = urls.front();  // further files of the same drop are ignored
    const std::string name =
        first.isLocalFile() ? LocalPathOf(first) : first.toString().toStdString();
    if (IsSubtitleFile(name)) {
        record_.SubtitlePath = name;
        record_.LoadSubtitles();
        syncer_->ApplyRemembered();
    } else {
        record_.ClipPath = name;
        record_.OpenClip();
    }
}

void CMainFrame::wheelEvent(QWheelEvent* event) {
    QCoreApplication::sendEvent(view_, event);
}

}  // namespace tavimo
