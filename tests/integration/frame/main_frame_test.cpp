// The main frame offscreen: its menu, toolbar and keys, the command table and
// the window-state commands, with a real registry file and scripted dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <cstring>
#include <filesystem>

#include "app/main_frame.h"
#include "app/settings.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_display_modes.h"
#include "platform/registry.h"
#include "resources/resources.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

// A key press as the window system delivers it to the focused view.
void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("registry.reg").toStdString();
        registry = platform::OpenRegistryFile(file);
    }
    // A frame as start-up makes it: settings loaded, then created and shown.
    CMainFrame& Start() {
        auto scripted = std::make_unique<platform::ScriptedDialogs>();
        dialogs = scripted.get();
        frame = std::make_unique<CMainFrame>(*registry, modes, std::move(scripted));
        frame->LoadSettings();
        frame->Create();
        return *frame;
    }
    void CreateSettingsKey() {
        platform::RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kSettingsKey, &key), platform::ERROR_SUCCESS);
        registry->CloseKey(key);
    }
    std::optional<uint32_t> StoredDword(const char* name) {
        auto fresh = platform::OpenRegistryFile(file);
        platform::RegKey key = nullptr;
        if (fresh->OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS) {
            return std::nullopt;
        }
        uint32_t value = 0, size = 4, type = 0;
        const long rc =
            fresh->QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(&value), &size);
        fresh->CloseKey(key);
        return rc == platform::ERROR_SUCCESS ? std::optional(value) : std::nullopt;
    }

    QTemporaryDir dir;
    std::string file;
    std::unique_ptr<platform::Registry> registry;
    platform::FakeDisplayModes modes{{{1280, 720, 24, 60}, {1920, 1080, 24, 60}}};
    platform::ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CMainFrame> frame;
};

// The menu bar holds exactly the table's popups, items and separators, with
// the Filters placeholder gone and one resolution item per display mode.
TEST_F(MainFrameTest, MenuIsTheMainMenuTableItemByItem) {
    CMainFrame& f = Start();
    std::vector<QList<QAction*>> stack{f.menuBar()->actions()};
    std::vector<qsizetype> position{0};
    std::vector<QString> popup{""};
    for (const res::MenuRow& row : res::MainMenu()) {
        if (row.kind == res::MenuKind::EndPopup) {
            QStringList extra;
            for (QAction* action : stack.back().mid(position.back())) {
                extra << action->text();
            }
            if (popup.back() == "Fullscreen Resolution") {
                EXPECT_EQ(extra, QStringList({"1280x720x24 60Hz", "1920x1080x24 60Hz"}));
            } else {
                EXPECT_TRUE(extra.isEmpty()) << popup.back().toStdString();
            }
            stack.pop_back();
            position.pop_back();
            popup.pop_back();
            continue;
        }
        if (row.kind == res::MenuKind::Item && row.id == ID_FILTER_FIRST) {
            continue;  // removed at creation
        }
        ASSERT_LT(position.back(), stack.back().size()) << "missing after row " << row.caption;
        QAction* action = stack.back().at(position.back()++);
        switch (row.kind) {
            case res::MenuKind::Popup:
                ASSERT_NE(action->menu(), nullptr) << row.caption;
                EXPECT_EQ(action->text(), QString::fromUtf8(row.caption));
                stack.push_back(action->menu()->actions());
                position.push_back(0);
                popup.push_back(action->text());
                break;
            case res::MenuKind::Separator:
                EXPECT_TRUE(action->isSeparator());
                break;
            case res::MenuKind::Item:
                EXPECT_EQ(action->text(), QString::fromUtf8(row.caption));
                EXPECT_EQ(action->isEnabled(), !row.inactive) << row.caption;
                break;
            case res::MenuKind::EndPopup:
                break;
        }
    }
    EXPECT_TRUE(f.FiltersMenu()->actions().isEmpty());
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithTheirTooltips) {
    CMainFrame& f = Start();
    const QList<QAction*> actions = f.ToolBar()->actions();
    const auto table = res::Toolbar();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(table.size()));
    QSignalSpy issued(&f, &CMainFrame::commandIssued);
    for (size_t i = 0; i < table.size(); ++i) {
        QAction* action = actions.at(static_cast<qsizetype>(i));
        if (table[i].command == 0) {
            EXPECT_TRUE(action->isSeparator()) << i;
            continue;
        }
        EXPECT_FALSE(action->icon().isNull()) << table[i].command;
        EXPECT_EQ(action->toolTip(), table[i].tooltip ? table[i].tooltip : "");
        if (table[i].command == ID_DELETE_FILE || table[i].command == ID_APP_ABOUT ||
            table[i].command == ID_FILE_OPEN || table[i].command == ID_OPEN_SUBTITLES) {
            continue;  // these open dialogs or act on files
        }
        action->trigger();
        ASSERT_FALSE(issued.isEmpty());
        EXPECT_EQ(issued.takeLast().at(0).toInt(), table[i].command);
    }
}

// Every key of the accelerator table, pressed on the view, issues its
// command; keys with other modifiers issue nothing.
TEST_F(MainFrameTest, EveryAcceleratorReachesItsCommand) {
    CMainFrame& f = Start();
    QSignalSpy issued(&f, &CMainFrame::commandIssued);
    for (const res::Accelerator& a : res::AcceleratorTable()) {
        if (a.command == ID_ESCAPE || a.command == ID_FILE_OPEN) {
            continue;  // closes the window / opens a dialog: covered elsewhere
        }
        issued.clear();
        Press(f.View(), a.key, a.modifiers);
        ASSERT_EQ(issued.size(), 1) << "key " << a.key << " mods " << a.modifiers.toInt();
        EXPECT_EQ(issued.at(0).at(0).toInt(), a.command) << "key " << a.key;
    }
    issued.clear();
    Press(f.View(), Qt::Key_S, Qt::ControlModifier);  // menu says Ctrl+S: no key
    Press(f.View(), Qt::Key_U, Qt::ControlModifier);
    Press(f.View(), Qt::Key_R, Qt::ControlModifier);
    Press(f.View(), Qt::Key_Less, Qt::ShiftModifier);
    EXPECT_TRUE(issued.isEmpty());
}

TEST_F(MainFrameTest, OpensAt400By300WithTitleTavimo) {
    CMainFrame& f = Start();
    EXPECT_EQ(f.frameGeometry().size(), QSize(400, 300));
    EXPECT_EQ(f.windowTitle(), "Tavimo");
    EXPECT_TRUE(f.isVisible());
}

TEST_F(MainFrameTest, TogglesFlipTheirFieldAndMark) {
    CMainFrame& f = Start();
    struct Toggle {
        int command;
        std::function<int()> field;
    };
    PlayerRecord& r = f.Record();
    const Toggle toggles[] = {
        {ID_AUTO_NEXT, [&] { return r.AutoNext; }},
        {ID_KEEP_WINDOW_SIZE, [&] { return r.KeepWindowSize; }},
        {ID_ALLOW_MULTIPLE, [&] { return f.Stored().AllowMultipleInstances; }},
        {ID_VIEW_SUBTITLES, [&] { return r.Mixer.ViewSubtitles.load(); }},
        {ID_VIEW_TOOLBAR, [&] { return f.Stored().ToolBarVisible; }},
        {ID_VIEW_SEEKBAR, [&] { return f.Stored().SeekBarVisible; }},
        {ID_ALWAYS_ON_TOP, [&] { return r.AlwaysOnTop; }},
        {ID_MAINTAIN_ASPECT, [&] { return f.MaintainAspect() ? 1 : 0; }},
    };
    for (const Toggle& t : toggles) {
        const int before = t.field();
        for (int round = 1; round <= 2; ++round) {
            f.OnCommand(t.command);
            const int expected = round == 1 ? (before == 0 ? 1 : 0) : before;
            EXPECT_EQ(t.field(), expected) << t.command;
            EXPECT_EQ(f.Action(t.command)->isChecked(), expected == 1) << t.command;
        }
    }
    f.OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(f.ToolBar()->isVisibleTo(&f));
    f.OnCommand(ID_VIEW_SEEKBAR);
    EXPECT_FALSE(f.SeekBand()->isVisibleTo(&f));
}

TEST_F(MainFrameTest, AlwaysOnTopKeepsTheWindowsGeometry) {
    CMainFrame& f = Start();
    f.setGeometry(30, 40, 500, 320);
    const QRect before = f.geometry();
    f.OnCommand(ID_ALWAYS_ON_TOP);
    EXPECT_TRUE(f.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.geometry(), before);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(MainFrameTest, VolumeKeysStepByFiveWithinTheScale) {
    CMainFrame& f = Start();
    QSlider* volume = f.Sliders()->VolumeBar();
    f.Sliders()->SetVolumePosition(98);
    f.OnCommand(ID_VOLUME_UP);
    EXPECT_EQ(volume->value(), 100);
    EXPECT_EQ(f.Record().Volume, 100);
    f.Sliders()->SetVolumePosition(3);
    f.OnCommand(ID_VOLUME_DOWN);
    EXPECT_EQ(volume->value(), 0);
    EXPECT_EQ(f.Record().Volume, 0);
    volume->setValue(40);  // the user drags the trackbar
    EXPECT_EQ(f.Record().Volume, 40);
}

TEST_F(MainFrameTest, SubtitleOffsetStepsWithoutBound) {
    CMainFrame& f = Start();
    EXPECT_EQ(f.Record().Mixer.SubtitleOffset, 5);
    f.OnCommand(ID_SUBTITLES_UP);
    EXPECT_EQ(f.Record().Mixer.SubtitleOffset, 7);
    for (int i = 0; i < 10; ++i) {
        f.OnCommand(ID_SUBTITLES_DOWN);
    }
    EXPECT_EQ(f.Record().Mixer.SubtitleOffset, -13);
}

TEST_F(MainFrameTest, ResolutionChoiceOnlyMovesTheRadioMark) {
    CMainFrame& f = Start();
    EXPECT_TRUE(f.Action(ID_RESOLUTION_DEFAULT)->isChecked());
    f.OnCommand(ID_RESOLUTION_DEFAULT + 2);
    EXPECT_EQ(f.Record().ResolutionIndex, 2);
    EXPECT_TRUE(f.Action(ID_RESOLUTION_DEFAULT + 2)->isChecked());
    EXPECT_FALSE(f.Action(ID_RESOLUTION_DEFAULT)->isChecked());
    EXPECT_TRUE(modes.switched.empty());
}

TEST_F(MainFrameTest, KeysThatNeedAClipDoNothingWithoutOne) {
    CMainFrame& f = Start();
    const QRect before = f.geometry();
    for (int id : {ID_STRETCH_NARROWER, ID_STRETCH_WIDER, ID_STRETCH_LOWER, ID_STRETCH_TALLER}) {
        f.OnCommand(id);
    }
    EXPECT_EQ(f.geometry(), before);
    EXPECT_TRUE(f.MaintainAspect());
    f.OnCommand(ID_FILE_MRU_FIRST);  // the empty recent list: only a beep
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls.back().kind, platform::ScriptedDialogs::Kind::Beep);
}

// Drops: the first file only; subtitle extensions in any case go to the
// subtitles, and names longer than 259 characters arrive whole.
TEST_F(MainFrameTest, DroppedFilesGoToClipOrSubtitles) {
    CMainFrame& f = Start();
    auto drop = [&](const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& p : paths) {
            urls << QUrl::fromLocalFile(p);
        }
        f.DropFiles(urls);
    };
    drop({"/tmp/Movie.SRT", "/tmp/other.mp4"});
    EXPECT_EQ(f.Record().SubtitlePath, "/tmp/Movie.SRT");
    EXPECT_EQ(f.Record().ClipPath, "");
    const QString longName = "/tmp/" + QString(300, 'x') + ".mkv";
    drop({longName, "/tmp/second.srt"});
    EXPECT_EQ(f.Record().ClipPath, longName.toStdString());
    EXPECT_NE(f.Record().SubtitlePath, "/tmp/second.srt") << "only the first file of a drop";
}

// Escape with nothing open closes the player, and the close saves.
TEST_F(MainFrameTest, EscapeWithNothingOpenSavesAndCloses) {
    CreateSettingsKey();
    CMainFrame& f = Start();
    f.OnCommand(ID_VOLUME_DOWN);
    f.OnCommand(ID_AUTO_NEXT);
    Press(f.View(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(StoredDword("Volume"), 95u);
    EXPECT_EQ(StoredDword("AutoNext"), 1u);
    EXPECT_EQ(f.Record().ClipState, ClipState::Closed);
}

TEST_F(MainFrameTest, ExitSavesOnlyIntoAnExistingKey) {
    CMainFrame& f = Start();
    f.OnCommand(ID_APP_EXIT);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
