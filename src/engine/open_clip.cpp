// OpenClip: the one road from a path or URL to the playing clip.
#include <algorithm>
#include <cctype>

#include "engine/player_host.h"
#include "engine/player_record.h"
#include "integration/resume_positions.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "resources/translate.h"
#include "subtitles/subtitle_loading.h"

namespace tavimo {
namespace {

constexpr size_t kMaxPath = 260;

// Windows Media markers, tried in this order.
constexpr const char* kWindowsMediaMarkers[] = {".asf", ".wma", ".wmv", ".asx", "mms://"};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool IsWindowsMedia(const std::string& path) {
    const std::string lower = Lower(path);
    return std::any_of(std::begin(kWindowsMediaMarkers), std::end(kWindowsMediaMarkers),
                       [&](const char* marker) { return lower.find(marker) != std::string::npos; });
}

bool PlayerRecord::GetClipFileName(std::string* path) {
    platform::OpenFileRequest request;
    request.title = TrText("Dialogs", "Open Media File...");
    request.filters = {{TrText("Dialogs", "All Files (*.*)"), "*.*;"}};
    request.initialDir = LastDir;
    std::string chosen;
    int result = host_.Dialogs().GetOpenFileName(request, &chosen);
    if (result < 0)
        ShowError("GetClipFileName Failed! Error=0x%x\r\n", result);
    if (result != 1)
        return false;
    *path = chosen;  // whole: a cut path would name another file
    return true;
}

void PlayerRecord::OpenClip() {
    if (ClipPath.empty()) {
        UpdateTitle();
        std::string chosen;
        if (!GetClipFileName(&chosen))
            return;
        if (Lower(chosen).find(".asx") != std::string::npos) {
            ShowError(TrText("Boxes",
                             "ASX Playlists are not supported by this application.\n\nPlease "
                             "select a valid media file."),
                      0);
            return;
        }
        ClipPath = chosen;
        size_t slash = chosen.rfind('/');
        LastDir = slash == std::string::npos ? std::string() : chosen.substr(0, slash);
    }
    std::string longForm = platform::LongPathName(ClipPath);
    if (!longForm.empty() && longForm.size() < kMaxPath)
        ClipPath = longForm;
    host_.AddRecent(ClipPath);
    LeaveClip();
    StopClip();
    ReleaseGraph();
    ClipState = tavimo::ClipState::Stopped;
    Delay.Forget();
    Speed = 1.0;
    DiscoverSubtitles();
    host_.SetBusy(true);
    HRESULT hr = PlayClip(ClipPath);
    host_.SetBusy(false);
    if (FAILED(hr))
        CloseClip();
    else
        ResumeClip();
}

void PlayerRecord::LeaveClip() {
    if (!resume_)
        return;
    NoteResumePosition();
    if (ResumePlayback)
        resume_->Leave(Duration);
    resume_->Close();
}

void PlayerRecord::ResumeClip() {
    if (!resume_)
        return;
    // Tracked also while the option is off, so that turning it on keeps this clip.
    if (!ResumePlayback) {
        resume_->Track(ClipPath);
        return;
    }
    const int64_t position = resume_->Opened(ClipPath);
    if (position > 0 && pMS) {
        SeekTo(position);
        resume_->Note(position);
    }
}

}  // namespace tavimo
