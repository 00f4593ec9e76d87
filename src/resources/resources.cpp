#include "resources/resources.h"

#include <array>

namespace tavimo::res {
namespace {

using K = MenuKind;

constexpr MenuRow kMainMenu[] = {
    {K::Popup, 0, "&File", false},
    {K::Item, ID_FILE_OPEN, "&Open Video...\tCtrl+O", false},
    {K::Item, ID_OPEN_SUBTITLES, "Open Subtitles\tCtrl+S", false},
    {K::Item, ID_OPEN_URL, "Open URL\tCtrl+U", false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_REGISTER_FILETYPE, "Register Filetype For Current File\tCtrl+R", false},
    {K::Item, ID_DELETE_FILE, "Delete Current File\tDEL", false},
    {K::Separator, 0, nullptr, false},
    // Screenshots.
    {K::Item, ID_SAVE_SCREENSHOT, "Save Screenshot\tShift+S", false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_FILE_MRU_FIRST, "Most Recent...", true},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_APP_EXIT, "E&xit", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, "Play", false},
    {K::Item, ID_PLAY, "Play\tENTER", false},
    {K::Item, ID_STOP, "Stop\tEsc", false},
    {K::Item, ID_PAUSE, "Pause\tSPACE", false},
    {K::Item, ID_PREVIOUS_FILE, "Previous File\tPgUp", false},
    {K::Item, ID_NEXT_FILE, "Next File\tPgDn", false},
    {K::Item, ID_SEEK_FORWARD, "5 Seconds Forward\t>", false},
    {K::Item, ID_SEEK_BACK, "5 Seconds Back\t<", false},
    // Chapters and the A-B loop; the Chapters popup is filled per clip.
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_NEXT_CHAPTER, "Next Chapter\tShift+PgDn", false},
    {K::Item, ID_PREVIOUS_CHAPTER, "Previous Chapter\tShift+PgUp", false},
    {K::Popup, 0, "Chapters", false},
    {K::Item, ID_CHAPTER_FIRST, "CHAPTER", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_AB_LOOP, "A-B Loop\tL", false},
    // Speed and frame steps.
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_SPEED_FASTER, "Faster\t]", false},
    {K::Item, ID_SPEED_SLOWER, "Slower\t[", false},
    {K::Item, ID_SPEED_NORMAL, "Normal Speed\tBackspace", false},
    {K::Item, ID_FRAME_NEXT, "Next Frame\tE", false},
    {K::Item, ID_FRAME_PREVIOUS, "Previous Frame\tShift+E", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, "&Filters", false},
    {K::Item, ID_FILTER_FIRST, "FILTER", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, "&View", false},
    {K::Item, ID_VIEW_TOOLBAR, "&Toolbar", false},
    {K::Item, ID_VIEW_SEEKBAR, "&Seekbar", false},
    {K::Item, ID_FULLSCREEN, "Fullscreen\tF", false},
    {K::Popup, 0, "Fullscreen Resolution", false},
    {K::Item, ID_RESOLUTION_DEFAULT, "Default", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_AUTO_NEXT, "Auto Next", false},
    {K::Item, ID_MAINTAIN_ASPECT, "Maintain Aspect Ratio", false},
    {K::Item, ID_ALWAYS_ON_TOP, "Always On Top", false},
    {K::Item, ID_ALLOW_MULTIPLE, "Allow Multiple Instances", false},
    {K::Item, ID_KEEP_WINDOW_SIZE, "Keep Window Size", false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_VIEW_SUBTITLES, "View Subtitles\tC", false},
    {K::Item, ID_SET_SUBTITLE_FONT, "Set Subtitle Font", false},
    {K::Item, ID_SYNC_SUBTITLES, "Synchronise Subtitles to Speech\tY", false},
    // Filled with the clip's tracks on every open.
    {K::Popup, 0, "Subtitle Track", false},
    {K::Item, ID_SUBTITLE_TRACK_FIRST, "Off", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, "Audio Track", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Separator, 0, nullptr, false},
    {K::Popup, 0, "Subtitle Encoding", false},
    {K::Item, ID_SUBTITLE_ENCODING_FIRST, "Automatic", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_SUBTITLE_STYLES, "Subtitle Styles", false},
    {K::Item, ID_RESUME_PLAYBACK, "Resume Playback", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, "&Help", false},
    {K::Item, ID_HELP_INDEX, "Help\tF1", false},
    {K::Item, ID_CHECK_FOR_UPDATE, "Check For Update", false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_APP_ABOUT, "&About Tavimo...", false},
    {K::EndPopup, 0, nullptr, false},
};

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

// Enter and Alt+Enter are listed for both Return and the keypad's Enter.
constexpr Accelerator kAccelerators[] = {
    {Qt::Key_Comma, kNone, ID_SEEK_BACK},
    {Qt::Key_Period, kNone, ID_SEEK_FORWARD},
    {Qt::Key_Escape, kNone, ID_ESCAPE},
    {Qt::Key_O, kCtrl, ID_FILE_OPEN},
    {Qt::Key_F, kNone, ID_FULLSCREEN},
    {Qt::Key_Return, kAlt, ID_FULLSCREEN},
    {Qt::Key_Enter, kAlt, ID_FULLSCREEN},
    {Qt::Key_F1, kNone, ID_HELP_INDEX},
    {Qt::Key_MediaNext, kNone, ID_NEXT_FILE},
    {Qt::Key_PageDown, kNone, ID_NEXT_FILE},
    {Qt::Key_F6, kNone, ID_NEXT_PANE},
    {Qt::Key_A, kNone, ID_RESET_VIDEO_SIZE},
    {Qt::Key_Space, kNone, ID_PAUSE},
    {Qt::Key_MediaTogglePlayPause, kNone, ID_PLAY},
    {Qt::Key_MediaPlay, kNone, ID_PLAY},
    {Qt::Key_Return, kNone, ID_PLAY},
    {Qt::Key_Enter, kNone, ID_PLAY},
    {Qt::Key_F6, kShift, ID_PREV_PANE},
    {Qt::Key_MediaPrevious, kNone, ID_PREVIOUS_FILE},
    {Qt::Key_PageUp, kNone, ID_PREVIOUS_FILE},
    {Qt::Key_S, kNone, ID_STOP},
    {Qt::Key_MediaStop, kNone, ID_STOP},
    {Qt::Key_Down, kAlt, ID_SUBTITLES_DOWN},
    {Qt::Key_Up, kAlt, ID_SUBTITLES_UP},
    {Qt::Key_C, kNone, ID_VIEW_SUBTITLES},
    {Qt::Key_Down, kShift, ID_VOLUME_DOWN},
    {Qt::Key_Up, kShift, ID_VOLUME_UP},
    {Qt::Key_Left, kNone, ID_STRETCH_NARROWER},
    {Qt::Key_Right, kNone, ID_STRETCH_WIDER},
    {Qt::Key_Down, kNone, ID_STRETCH_LOWER},
    {Qt::Key_Up, kNone, ID_STRETCH_TALLER},
    {Qt::Key_Delete, kNone, ID_DELETE_FILE},
    // The menu shows these two; they work as shown.
    {Qt::Key_U, kCtrl, ID_OPEN_URL},
    {Qt::Key_R, kCtrl, ID_REGISTER_FILETYPE},
    {Qt::Key_Z, kNone, ID_SUBTITLE_DELAY_EARLIER},
    {Qt::Key_X, kNone, ID_SUBTITLE_DELAY_LATER},
    {Qt::Key_Z, kShift, ID_SUBTITLE_DELAY_RESET},
    {Qt::Key_V, kNone, ID_SUBTITLE_TRACK_NEXT},
    {Qt::Key_B, kNone, ID_AUDIO_TRACK_NEXT},
    // Screenshots.
    {Qt::Key_S, kShift, ID_SAVE_SCREENSHOT},
    // Chapters and the A-B loop.
    {Qt::Key_PageDown, kShift, ID_NEXT_CHAPTER},
    {Qt::Key_PageUp, kShift, ID_PREVIOUS_CHAPTER},
    {Qt::Key_L, kNone, ID_AB_LOOP},
    // Speed and frame steps.
    {Qt::Key_BracketRight, kNone, ID_SPEED_FASTER},
    {Qt::Key_BracketLeft, kNone, ID_SPEED_SLOWER},
    {Qt::Key_Backspace, kNone, ID_SPEED_NORMAL},
    {Qt::Key_E, kNone, ID_FRAME_NEXT},
    {Qt::Key_E, kShift, ID_FRAME_PREVIOUS},
    // Subtitles matched to the speech.
    {Qt::Key_Y, kNone, ID_SYNC_SUBTITLES},
};

constexpr ToolbarButton kToolbar[] = {
    {ID_FILE_OPEN, "document-open", "Open Video"},
    {ID_OPEN_SUBTITLES, "subtitles", "Open Subtitles"},
    {0, nullptr, nullptr},
    {ID_PLAY, "media-playback-start", "Play"},
    {ID_PAUSE, "media-playback-pause", "Pause"},
    {ID_STOP, "media-playback-stop", "Stop"},
    {0, nullptr, nullptr},
    {ID_PREVIOUS_FILE, "media-skip-backward", "Previous File"},
    {ID_NEXT_FILE, "media-skip-forward", "Next File"},
    {0, nullptr, nullptr},
    {ID_FULLSCREEN, "view-fullscreen", "Fullscreen"},
    {0, nullptr, nullptr},
    {ID_DELETE_FILE, "user-trash", nullptr},
    {0, nullptr, nullptr},
    {ID_APP_ABOUT, "help-about", "About"},
};

}  // namespace

std::span<const MenuRow> MainMenu() {
    return kMainMenu;
}

std::span<const Accelerator> AcceleratorTable() {
    return kAccelerators;
}

std::span<const ToolbarButton> Toolbar() {
    return kToolbar;
}

int TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    for (const Accelerator& a : kAccelerators) {
        if (a.key == key && a.modifiers == held) {
            return a.command;
        }
    }
    return 0;
}

}  // namespace tavimo::res
