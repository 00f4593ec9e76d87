// What the player record asks of the window that holds it.
#include <QApplication>

#include "app/main_frame.h"
#include "resources/command_ids.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {

void CMainFrame::SetWindowTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

VideoWindow* CMainFrame::VideoSurface() {
    return view_;
}

void CMainFrame::FitFrameToVideo() {
    view_->FitFrameToVideo();
}

void CMainFrame::SetSeekRange(int32_t, int64_t totalSeconds) {
    sliders_->SeekBar()->SetTimes(sliders_->SeekBar()->CurrentSeconds(),
                                  static_cast<int>(totalSeconds));
}

void CMainFrame::SetSeekPosition(int32_t, int64_t currentSeconds) {
    sliders_->SeekBar()->SetTimes(static_cast<int>(currentSeconds),
                                  sliders_->SeekBar()->TotalSeconds());
}

void CMainFrame::StartPositionTimer() {
    view_->StartPositionTimer();
}

void CMainFrame::StopPositionTimer() {
    view_->StopPositionTimer();
}

void CMainFrame::RedrawView() {
    view_->repaint();
}

void CMainFrame::PostViewSize() {
    postToView(&CTavimoView::PlaceVideo);
}

void CMainFrame::AddRecent(const std::string& path) {
    recent_->AddRecent(path);
    recent_->SaveRecent();
}

void CMainFrame::NextFile() {
    OnNextFile(ID_NEXT_FILE);
}

void CMainFrame::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace tavimo
