// View > Deinterlace and the D key on the main frame offscreen: the radio
// items, the key's round, the note on the picture and the stored setting.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/main_frame.h"
#include "app/settings.h"
#include "frame_test_util.h"
#include "resources/command_ids.h"
#include "support/fake_dialogs.h"
#include "support/fake_display_modes.h"
#include "support/fake_registry.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

class DeinterlaceFrameTest : public ::testing::Test {
  protected:
    CMainFrame& Start() {
        frame.reset();
        frame = std::make_unique<CMainFrame>(registry, modes,
                                             std::make_unique<platform::ScriptedDialogs>());
        frame->LoadSettings();
        frame->Create();
        return *frame;
    }
    // The View menu's Deinterlace items as shown, the checked one starred.
    std::string Items() {
        for (QAction* view : frame->menuBar()->actions()) {
            if (view->text() != "&View")
                continue;
            for (QAction* item : view->menu()->actions()) {
                if (item->menu() == nullptr || item->text() != "Deinterlace")
                    continue;
                QStringList shown;
                for (QAction* a : item->menu()->actions())
                    shown << a->text() + (a->isChecked() ? " *" : "");
                return shown.join(", ").toStdString();
            }
        }
        return "no Deinterlace menu";
    }
    std::string Note() { return frame_test::Note(frame->Record()); }
    void PressD() { frame_test::Press(frame->View(), Qt::Key_D); }

    platform::FakeRegistry registry;
    platform::FakeDisplayModes modes{{{1280, 720, 24, 60}}};
    std::unique_ptr<CMainFrame> frame;
};

// D goes round Auto, On, Off with its note; an item chosen in the menu sets
// its own; the mark follows both, and the choice is there at the next start.
TEST_F(DeinterlaceFrameTest, KeyAndMenuGoRoundTheSettingsWithANoteAndAreKept) {
    // The settings key exists once anything was stored in it.
    registry.Seed(kSettingsKey, "Volume", platform::REG_DWORD, {100, 0, 0, 0});
    Start();
    EXPECT_EQ(Items(), "Auto *, On, Off") << "Auto by default";
    const struct {
        const char* step;
        int item;  // 0: press D
        const char* note;
        const char* items;
        int stored;
    } rows[] = {
        {"D from Auto", 0, "Deinterlace: On", "Auto, On *, Off", 1},
        {"D from On", 0, "Deinterlace: Off", "Auto, On, Off *", 2},
        {"D from Off", 0, "Deinterlace: Auto", "Auto *, On, Off", 0},
        {"the Off item", ID_DEINTERLACE_OFF, "Deinterlace: Off", "Auto, On, Off *", 2},
        {"the On item", ID_DEINTERLACE_ON, "Deinterlace: On", "Auto, On *, Off", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        if (row.item == 0)
            PressD();
        else
            frame->Action(row.item)->trigger();
        EXPECT_EQ(Note(), row.note);
        EXPECT_EQ(Items(), row.items);
        EXPECT_EQ(frame->Record().Deinterlace, row.stored);
    }
    frame->close();
    Start();
    EXPECT_EQ(Items(), "Auto, On *, Off") << "kept in the settings";
}

// A stored value out of the three is taken as Auto.
TEST_F(DeinterlaceFrameTest, AnUnknownStoredValueIsAuto) {
    registry.Seed(kSettingsKey, "Deinterlace", platform::REG_DWORD, {7, 0, 0, 0});
    Start();
    EXPECT_EQ(Items(), "Auto *, On, Off");
    PressD();
    EXPECT_EQ(Note(), "Deinterlace: On");
}

}  // namespace
}  // namespace tavimo
