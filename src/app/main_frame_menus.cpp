// The main frame's menus that change with the clip and the settings: the
// display modes, the subtitle encodings, the check marks, the track and
// chapter popups.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/main_frame.h"
#include "app/subtitle_syncer.h"
#include "platform/display_modes.h"
#include "resources/resources.h"
#include "subtitles/text_encoding.h"
#include "view/tavimo_view.h"

namespace tavimo {

void CMainFrame::addDisplayModes() {
    platform::DisplayMode mode;
    for (int i = 1; modes_.EnumMode(i, &mode); ++i) {
        auto* action = resolutionMenu_->addAction(QString::fromStdString(FormatDisplayMode(mode)));
        action->setCheckable(true);
        resolutionGroup_->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, id = ID_RESOLUTION_DEFAULT + i] { OnCommand(id); });
        actions_[ID_RESOLUTION_DEFAULT + i] = action;
    }
}

// "Subtitle Encoding": "Automatic" comes from the menu table, the encodings
// after it from the list the reader knows, as one radio group.
void CMainFrame::addSubtitleEncodings(QMenu* menu) {
    encodingGroup_ = new QActionGroup(this);
    const auto choices = SubtitleCharsetChoices();
    for (size_t i = 0; i < choices.size(); ++i) {
        const int id = ID_SUBTITLE_ENCODING_FIRST + static_cast<int>(i);
        QAction* action = i == 0 ? actions_.at(id) : menu->addAction(choices[i].label);
        action->setCheckable(true);
        encodingGroup_->addAction(action);
        if (i != 0) {
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            actions_[id] = action;
        }
    }
}

// The marks as the update-UI state and the idle step say: the stored check
// marks, "Maintain Aspect Ratio" from its flag, the radio mark on the chosen
// display mode.
void CMainFrame::applyUi() {
    ui_.SetCheck(ID_MAINTAIN_ASPECT, maintainAspect_ ? 1 : 0);
    for (int id : kCheckable) {
        actions_.at(id)->setChecked(ui_.Checked(id));
    }
    for (QAction* action : resolutionGroup_->actions()) {
        action->setChecked(false);
    }
    auto it = actions_.find(ID_RESOLUTION_DEFAULT + record_.ResolutionIndex);
    if (it != actions_.end()) {
        it->second->setChecked(true);
    }
    const auto choices = SubtitleCharsetChoices();
    const auto chosen = std::find_if(
        choices.begin(), choices.end(),
        [this](const SubtitleCharsetChoice& c) { return record_.SubtitleEncoding == c.label; });
    const int index = chosen == choices.end() ? 0 : static_cast<int>(chosen - choices.begin());
    actions_.at(ID_SUBTITLE_ENCODING_FIRST + index)->setChecked(true);
    markDeinterlace();
    actions_.at(ID_SYNC_SUBTITLES)->setEnabled(syncer_ && syncer_->CanStart());
    markTracks();
}

// "Subtitle Track" and "Audio Track" as the record lists them now: "Off"
// comes from the menu table, every other item is made here, one command id
// per entry; entries beyond the id range are reached only by V and B.
void CMainFrame::fillTrackMenus() {
    if (tracksListed_ == record_.TrackListGeneration) {
        return;
    }
    tracksListed_ = record_.TrackListGeneration;
    const std::tuple<QMenu*, QActionGroup*, const TrackChoices&, int, int> menus[] = {
        {subtitleTrackMenu_, trackGroups_[0], record_.SubtitleChoices, ID_SUBTITLE_TRACK_FIRST,
         ID_SUBTITLE_TRACK_LAST},
        {audioTrackMenu_, trackGroups_[1], record_.AudioChoices, ID_AUDIO_TRACK_FIRST,
         ID_AUDIO_TRACK_LAST}};
    for (const auto& [menu, group, choices, first, last] : menus) {
        const size_t kept = first == ID_SUBTITLE_TRACK_FIRST ? 1 : 0;  // "Off"
        for (int id = first + static_cast<int>(kept); id <= last; ++id) {
            auto it = actions_.find(id);
            if (it == actions_.end()) {
                break;
            }
            delete it->second;
            actions_.erase(it);
        }
        for (size_t i = kept; i < choices.size() && first + static_cast<int>(i) <= last; ++i) {
            const int id = first + static_cast<int>(i);
            QAction* action = menu->addAction(QString::fromStdString(choices[i].label));
            action->setCheckable(true);
            action->setEnabled(choices[i].available);
            group->addAction(action);
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            actions_[id] = action;
        }
        menu->menuAction()->setEnabled(!menu->actions().isEmpty());
    }
}

// The radio marks on the subtitles that show and the audio that plays.
void CMainFrame::markTracks() {
    fillTrackMenus();
    const std::pair<int, size_t> chosen[] = {{ID_SUBTITLE_TRACK_FIRST, record_.SubtitleChosen},
                                             {ID_AUDIO_TRACK_FIRST, record_.AudioChosen}};
    for (const auto& [first, index] : chosen) {
        if (QAction* action = Action(first + static_cast<int>(index))) {
            action->setChecked(true);
        }
    }
}

void CMainFrame::fillChaptersMenu() {
    for (int id = ID_CHAPTER_FIRST; actions_.count(id) != 0; ++id) {
        chaptersMenu_->removeAction(actions_.at(id));
        actions_.at(id)->deleteLater();
        actions_.erase(id);
    }
    const std::vector<Chapter>& chapters = record_.Chapters;
    const int shown =
        std::min<int>(static_cast<int>(chapters.size()), ID_CHAPTER_LAST - ID_CHAPTER_FIRST + 1);
    for (int i = 0; i < shown; ++i) {
        const int id = ID_CHAPTER_FIRST + i;
        QAction* action =
            chaptersMenu_->addAction(QString::fromStdString(ChapterMenuText(chapters, i)));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_[id] = action;
    }
    chaptersMenu_->menuAction()->setEnabled(shown > 0);
}

void CMainFrame::markCurrentChapter() {
    const int current = record_.CurrentChapter();
    for (int id = ID_CHAPTER_FIRST; actions_.count(id) != 0; ++id) {
        actions_.at(id)->setChecked(id - ID_CHAPTER_FIRST == current);
    }
}

}  // namespace tavimo
