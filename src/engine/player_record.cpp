#include "engine/player_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/playback_speed.h"
#include "engine/player_host.h"
#include "integration/resume_positions.h"
#include "platform/dialogs.h"
#include "resources/translate.h"
#include "subtitles/subtitle_loading.h"
#include "subtitles/subtitle_mixer.h"
#include "subtitles/text_encoding.h"

namespace tavimo {
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr uint32_t kSeekToKeyFrame = AM_SEEKING_AbsolutePositioning | AM_SEEKING_SeekToKeyFrame;

// The audio level for a volume of 0..100: hundredths of a decibel.
long VolumeLevel(int volume) {
    if (volume <= 0)
        return -10000;
    return static_cast<long>(std::trunc(1000.0 * std::log(volume / 100.0)));
}

}  // namespace

std::string FormatCode(const std::string& format, uint32_t code) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'x') {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%x", code);
            out += hex;
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

PlayerRecord::PlayerRecord(PlayerHost& host) : host_(host) {}

PlayerRecord::~PlayerRecord() {
    ReleaseGraph();
}

void PlayerRecord::ShowError(const std::string& format, HRESULT code) {
    std::string text = FormatCode(format, static_cast<uint32_t>(code));
    if (code != 0) {
        char reason[160];
        if (GetErrorText(code, reason, sizeof reason) == 0)
            std::snprintf(
                reason, sizeof reason, "%s",
                FormatCode(TrText("Boxes", "Unknown Error: 0x%x"), static_cast<uint32_t>(code))
                    .c_str());
        text += "\n";
        text += reason;
    }
    host_.Dialogs().MessageBox(text, "Tavimo", platform::MB_OK | platform::MB_ICONHAND);
}

void PlayerRecord::NoteResumePosition(REFERENCE_TIME position) {
    if (resume_ &&
        (ClipState == tavimo::ClipState::Running || ClipState == tavimo::ClipState::Paused))
        resume_->Note(position);
}

void PlayerRecord::NoteResumePosition() {
    REFERENCE_TIME position = 0;
    if (pMS && SUCCEEDED(pMS->GetCurrentPosition(&position)))
        NoteResumePosition(position);
}

void PlayerRecord::StopClip() {
    if (!pMC || !pMS)
        return;
    if (ClipState == tavimo::ClipState::Paused || ClipState == tavimo::ClipState::Running) {
        // Where it stood, not where the position's timer last saw it: a jump
        // just before Stop is kept for resuming.
        NoteResumePosition();
        pMC->Stop();
        ClipState = tavimo::ClipState::Stopped;
        host_.StopPositionTimer();
        REFERENCE_TIME start = 0;
        pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                          AM_SEEKING_NoPositioning);
        pMC->Pause();
        // The timer no longer polls: the seek bar is told where the first
        // frame shown stands, not left at the time playback stopped.
        PollPosition();
    }
    UpdateTitle();
    host_.RedrawView();
}

void PlayerRecord::TogglePause() {
    if (!pMC)
        return;
    if (ClipState == tavimo::ClipState::Stopped || ClipState == tavimo::ClipState::Paused) {
        if (SUCCEEDED(pMC->Run())) {
            ClipState = tavimo::ClipState::Running;
            host_.StartPositionTimer();
        }
    } else if (SUCCEEDED(pMC->Pause())) {
        ClipState = tavimo::ClipState::Paused;
    }
    UpdateTitle();
}

void PlayerRecord::SeekBy(int64_t offset) {
    if (!pMS)
        return;
    REFERENCE_TIME current = 0;
    pMS->GetPositions(&current, nullptr);
    Seek(current + offset, kSeekToKeyFrame);
}

void PlayerRecord::SeekTo(int64_t position) {
    Seek(position, AM_SEEKING_AbsolutePositioning);
}

void PlayerRecord::SeekToKeyFrame(int64_t position) {
    Seek(position, kSeekToKeyFrame);
}

void PlayerRecord::Seek(REFERENCE_TIME target, uint32_t flags) {
    if (pMS && pMS->SetPositions(&target, flags, nullptr, AM_SEEKING_NoPositioning) == E_NOTIMPL)
        Note.Show(TrText("Notes", "This stream cannot seek"));
}

void PlayerRecord::SetVolume(int volume) {
    // Out-of-range input would take the logarithm of a negative number.
    Volume = std::clamp(volume, 0, 100);
    if (pBA)
        pBA->put_Volume(VolumeLevel(Volume));
}

void PlayerRecord::SetSpeed(double speed) {
    if (!pMS || std::isnan(speed))
        return;
    speed = std::clamp(speed, kMinimumSpeed, kMaximumSpeed);
    if (SUCCEEDED(pMS->SetRate(speed)))
        Speed = speed;
    Note.Show(SpeedNoteText(Speed));
}

void PlayerRecord::StepFrame(long frames) {
    std::shared_ptr<IVideoFrameStep> step;
    if (!pGB || !pMC || FAILED(pGB->QueryVideoFrameStep(&step)) || step->CanStep() != S_OK)
        return;
    if (ClipState == tavimo::ClipState::Running)
        TogglePause();
    if (ClipState == tavimo::ClipState::Stopped) {
        ClipState = tavimo::ClipState::Paused;
        host_.StartPositionTimer();
        UpdateTitle();
    }
    if (ClipState != tavimo::ClipState::Paused)
        return;
    step->Step(frames);
    PollPosition();
}

void PlayerRecord::CloseClip() {
    LeaveClip();
    if (pMC)
        pMC->Stop();
    ClipState = tavimo::ClipState::Stopped;
    FullScreenBlocked = true;
    ReleaseGraph();
    ClipState = tavimo::ClipState::Closed;
    UpdateTitle();
}

void PlayerRecord::UpdateTitle() {
    host_.SetWindowTitle("Tavimo - " + ClipPath);
}

void PlayerRecord::PollPosition() {
    if (!pMS)
        return;
    REFERENCE_TIME position = 0;
    pMS->GetCurrentPosition(&position);
    NoteResumePosition(position);
    host_.SetSeekPosition(static_cast<int32_t>(position >> 16), position / kUnitsPerSecond);
    RefreshChapters();
    FollowAudioOutput();
}

void PlayerRecord::OnGraphNotify() {
    while (pME) {
        long code = 0;
        intptr_t p1 = 0, p2 = 0;
        if (FAILED(pME->GetEvent(&code, &p1, &p2, 0)))
            break;
        pME->FreeEventParams(code, p1, p2);
        if (code == EC_END_OF_SEGMENT)
            OnEndOfSegment();
        if (code != EC_COMPLETE)
            continue;
        if (resume_ && ResumePlayback)
            resume_->Completed();
        if (AutoNext) {
            host_.NextFile();
            continue;
        }
        REFERENCE_TIME start = 0;
        if (pMS && FAILED(pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning)))
            RestartAtEnd();
        else
            restartedAtEnd_ = false;
    }
}

// Stop and Run start the clip again where the framework can do so without a
// seek. Where it cannot (a network stream that cannot seek stays at its end)
// the clip ends again at once: a second end in a row without a rewind stops
// it there, rather than ending over and over.
void PlayerRecord::RestartAtEnd() {
    if (!pMC)
        return;
    pMC->Stop();
    if (!std::exchange(restartedAtEnd_, true)) {
        pMC->Run();
        return;
    }
    ClipState = tavimo::ClipState::Stopped;
    host_.StopPositionTimer();
    UpdateTitle();
}

void PlayerRecord::ToggleAspectRatioMode() {
    if (!pWC)
        return;
    VMR9AspectRatioMode mode = VMR9ARMode_None;
    pWC->GetAspectRatioMode(&mode);
    pWC->SetAspectRatioMode(mode == VMR9ARMode_LetterBox ? VMR9ARMode_None : VMR9ARMode_LetterBox);
}

void PlayerRecord::SetAspectRatioNone() {
    if (pWC)
        pWC->SetAspectRatioMode(VMR9ARMode_None);
}

void PlayerRecord::DisplayModeChanged() {
    if (pWC)
        pWC->DisplayModeChanged();
}

SubtitleContext PlayerRecord::Subtitles() {
    return SubtitleContext{
        SubtitlePath,
        LastSubtitlesDir,
        SubtitleFontColor,
        Track,
        Mixer,
        host_.Dialogs(),
        [this](const std::string& format, int32_t code) { ShowError(format, code); },
        SubtitleCharsetOf(SubtitleEncoding)};
}

void PlayerRecord::ToggleViewSubtitles() {
    tavimo::ToggleViewSubtitles(Mixer);
    RefreshPausedPicture();
}

void PlayerRecord::SetSubtitleFont() {
    SubtitleContext context = Subtitles();
    if (tavimo::SetSubtitleFont(context))
        RefreshPausedPicture();
}

void PlayerRecord::RefreshPausedPicture() {
    if (!pMS)
        return;
    if (ClipState != tavimo::ClipState::Paused && ClipState != tavimo::ClipState::Stopped)
        return;
    REFERENCE_TIME position = 0;
    if (FAILED(pMS->GetCurrentPosition(&position)))
        return;
    // Seeking to where the picture stands draws it again through the mixer.
    pMS->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

}  // namespace tavimo
