// What the player record asks of the window that holds it.
#include <QApplication>

#include "app/main_frame.h"
#include "resources/command_ids.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {

void CMainFrame::SetWindowTitle(const std::string& title) {
    // "[*]" is Qt's mark of a modified document, removed from what shows; a
    // clip's name holding it is written "[*][*]", which shows as "[*]".
    setWindowTitle(
        QString::fromStdString(title).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

VideoWindow* CMainFrame::VideoSurface() {
    return view_;
}

void CMainFrame::FitFrameToVideo() {
    view_->FitFrameToVideo();
}

void CMainFrame::SetSeekRange(int32_t high, int64_t totalSeconds) {
    sliders_->SeekBar()->SetRange(high, static_cast<int>(totalSeconds));
}

void CMainFrame::SetSeekPosition(int32_t position, int64_t currentSeconds) {
    sliders_->SeekBar()->SetPosition(position, static_cast<int>(currentSeconds));
}

void CMainFrame::StartPositionTimer() {
    view_->StartPositionTimer();
}

void CMainFrame::StopPositionTimer() {
    view_->StopPositionTimer();
}

void CMainFrame::RedrawView() {
    view_->Redraw();
}

void CMainFrame::PostViewSize() {
    postToView(&CTavimoView::PlaceVideo);
}

void CMainFrame::ClearSavedFullScreenRect() {
    view_->ClearSavedFullScreenRect();
}

void CMainFrame::AddRecent(const std::string& path) {
    recent_->AddRecent(path);
    recent_->SaveRecent();
}

void CMainFrame::NextFile() {
    OnNextFile(ID_NEXT_FILE);
}

void CMainFrame::MarksChanged() {
    SeekMarks marks;
    for (const Chapter& chapter : record_.Chapters) {
        marks.chapters.push_back(chapter.start);
    }
    if (record_.Loop.stage != AbLoop::Stage::Off) {
        marks.loopA = record_.Loop.a;
    }
    if (record_.Loop.stage == AbLoop::Stage::Looping) {
        marks.loopB = record_.Loop.b;
    }
    sliders_->SeekBar()->SetMarks(record_.Duration, std::move(marks));
    fillChaptersMenu();
}

void CMainFrame::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace tavimo
