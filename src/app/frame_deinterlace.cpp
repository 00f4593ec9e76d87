// View > Deinterlace and D: three radio items on the stored setting, and the
// key that moves it on.
#include <QAction>
#include <QActionGroup>

#include "app/main_frame.h"
#include "engine/deinterlace.h"
#include "resources/command_ids.h"

namespace tavimo {
namespace {

// The menu's items in the order of the stored values (Auto, On, Off).
constexpr int kItems[] = {ID_DEINTERLACE_AUTO, ID_DEINTERLACE_ON, ID_DEINTERLACE_OFF};

}  // namespace

// UI thread, once the menus are built. The group belongs to the frame.
void CMainFrame::addDeinterlaceGroup() {
    auto* group = new QActionGroup(this);
    for (int id : kItems) {
        QAction* action = actions_.at(id);
        action->setCheckable(true);
        group->addAction(action);
    }
}

// UI thread: the mark on the item of the setting the record holds.
void CMainFrame::markDeinterlace() {
    const int setting = record_.Deinterlace;
    const int shown = setting >= 0 && setting < 3 ? setting : kDeinterlaceAuto;
    actions_.at(kItems[shown])->setChecked(true);
}

// An item chosen, or D: the next setting after the one held.
void CMainFrame::OnDeinterlace(int id) {
    const int setting = id == ID_DEINTERLACE_NEXT ? NextDeinterlaceSetting(record_.Deinterlace)
                                                  : id - ID_DEINTERLACE_AUTO;
    record_.SetDeinterlace(setting);
    markDeinterlace();
}

}  // namespace tavimo
