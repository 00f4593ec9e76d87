#include "resources/resources.h"

#include <array>

#include <QtCore/qglobal.h>

namespace tavimo::res {
namespace {

using K = MenuKind;

constexpr MenuRow kMainMenu[] = {
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "&File"), false},
    {K::Item, ID_FILE_OPEN, QT_TRANSLATE_NOOP("Menu", "&Open Video...\tCtrl+O"), false},
    {K::Item, ID_OPEN_SUBTITLES, QT_TRANSLATE_NOOP("Menu", "Open Subtitles\tCtrl+S"), false},
    {K::Item, ID_OPEN_URL, QT_TRANSLATE_NOOP("Menu", "Open URL\tCtrl+U"), false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_REGISTER_FILETYPE,
     QT_TRANSLATE_NOOP("Menu", "Register Filetype For Current File\tCtrl+R"), false},
    {K::Item, ID_DELETE_FILE, QT_TRANSLATE_NOOP("Menu", "Delete Current File\tDEL"), false},
    {K::Separator, 0, nullptr, false},
    // Screenshots.
    {K::Item, ID_SAVE_SCREENSHOT, QT_TRANSLATE_NOOP("Menu", "Save Screenshot\tShift+S"), false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_FILE_MRU_FIRST, QT_TRANSLATE_NOOP("Menu", "Most Recent..."), true},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_APP_EXIT, QT_TRANSLATE_NOOP("Menu", "E&xit"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Play"), false},
    {K::Item, ID_PLAY, QT_TRANSLATE_NOOP("Menu", "Play\tENTER"), false},
    {K::Item, ID_STOP, QT_TRANSLATE_NOOP("Menu", "Stop\tEsc"), false},
    {K::Item, ID_PAUSE, QT_TRANSLATE_NOOP("Menu", "Pause\tSPACE"), false},
    {K::Item, ID_PREVIOUS_FILE, QT_TRANSLATE_NOOP("Menu", "Previous File\tPgUp"), false},
    {K::Item, ID_NEXT_FILE, QT_TRANSLATE_NOOP("Menu", "Next File\tPgDn"), false},
    {K::Item, ID_SEEK_FORWARD, QT_TRANSLATE_NOOP("Menu", "5 Seconds Forward\t>"), false},
    {K::Item, ID_SEEK_BACK, QT_TRANSLATE_NOOP("Menu", "5 Seconds Back\t<"), false},
    // Chapters and the A-B loop; the Chapters popup is filled per clip.
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_NEXT_CHAPTER, QT_TRANSLATE_NOOP("Menu", "Next Chapter\tShift+PgDn"), false},
    {K::Item, ID_PREVIOUS_CHAPTER, QT_TRANSLATE_NOOP("Menu", "Previous Chapter\tShift+PgUp"),
     false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Chapters"), false},
    {K::Item, ID_CHAPTER_FIRST, "CHAPTER", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_AB_LOOP, QT_TRANSLATE_NOOP("Menu", "A-B Loop\tL"), false},
    // Speed and frame steps.
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_SPEED_FASTER, QT_TRANSLATE_NOOP("Menu", "Faster\t]"), false},
    {K::Item, ID_SPEED_SLOWER, QT_TRANSLATE_NOOP("Menu", "Slower\t["), false},
    {K::Item, ID_SPEED_NORMAL, QT_TRANSLATE_NOOP("Menu", "Normal Speed\tBackspace"), false},
    {K::Item, ID_FRAME_NEXT, QT_TRANSLATE_NOOP("Menu", "Next Frame\tE"), false},
    {K::Item, ID_FRAME_PREVIOUS, QT_TRANSLATE_NOOP("Menu", "Previous Frame\tShift+E"), false},
    // The sound's delay, kept for each sound output.
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_AUDIO_DELAY_EARLIER, QT_TRANSLATE_NOOP("Menu", "Audio Earlier\tJ"), false},
    {K::Item, ID_AUDIO_DELAY_LATER, QT_TRANSLATE_NOOP("Menu", "Audio Later\tK"), false},
    {K::Item, ID_AUDIO_DELAY_RESET, QT_TRANSLATE_NOOP("Menu", "Reset Audio Delay\tShift+J"), false},
    {K::Item, ID_NIGHT_MODE, QT_TRANSLATE_NOOP("Menu", "Night Mode\tN"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "&Filters"), false},
    {K::Item, ID_FILTER_FIRST, "FILTER", false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "&View"), false},
    {K::Item, ID_VIEW_TOOLBAR, QT_TRANSLATE_NOOP("Menu", "&Toolbar"), false},
    {K::Item, ID_VIEW_SEEKBAR, QT_TRANSLATE_NOOP("Menu", "&Seekbar"), false},
    {K::Item, ID_FULLSCREEN, QT_TRANSLATE_NOOP("Menu", "Fullscreen\tF"), false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Fullscreen Resolution"), false},
    {K::Item, ID_RESOLUTION_DEFAULT, QT_TRANSLATE_NOOP("Menu", "Default"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_AUTO_NEXT, QT_TRANSLATE_NOOP("Menu", "Auto Next"), false},
    {K::Item, ID_MAINTAIN_ASPECT, QT_TRANSLATE_NOOP("Menu", "Maintain Aspect Ratio"), false},
    {K::Item, ID_ALWAYS_ON_TOP, QT_TRANSLATE_NOOP("Menu", "Always On Top"), false},
    {K::Item, ID_ALLOW_MULTIPLE, QT_TRANSLATE_NOOP("Menu", "Allow Multiple Instances"), false},
    {K::Item, ID_KEEP_WINDOW_SIZE, QT_TRANSLATE_NOOP("Menu", "Keep Window Size"), false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Deinterlace"), false},
    {K::Item, ID_DEINTERLACE_AUTO, QT_TRANSLATE_NOOP("Menu", "Auto"), false},
    {K::Item, ID_DEINTERLACE_ON, QT_TRANSLATE_NOOP("Menu", "On"), false},
    {K::Item, ID_DEINTERLACE_OFF, QT_TRANSLATE_NOOP("Menu", "Off"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_VIEW_SUBTITLES, QT_TRANSLATE_NOOP("Menu", "View Subtitles\tC"), false},
    {K::Item, ID_SET_SUBTITLE_FONT, QT_TRANSLATE_NOOP("Menu", "Set Subtitle Font"), false},
    {K::Item, ID_SYNC_SUBTITLES, QT_TRANSLATE_NOOP("Menu", "Synchronise Subtitles to Speech\tY"),
     false},
    // Filled with the clip's tracks on every open.
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Subtitle Track"), false},
    {K::Item, ID_SUBTITLE_TRACK_FIRST, QT_TRANSLATE_NOOP("Menu", "Off"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Audio Track"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Separator, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "Subtitle Encoding"), false},
    {K::Item, ID_SUBTITLE_ENCODING_FIRST, QT_TRANSLATE_NOOP("Menu", "Automatic"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Item, ID_SUBTITLE_STYLES, QT_TRANSLATE_NOOP("Menu", "Subtitle Styles"), false},
    {K::Item, ID_RESUME_PLAYBACK, QT_TRANSLATE_NOOP("Menu", "Resume Playback"), false},
    {K::EndPopup, 0, nullptr, false},
    {K::Popup, 0, QT_TRANSLATE_NOOP("Menu", "&Help"), false},
    {K::Item, ID_HELP_INDEX, QT_TRANSLATE_NOOP("Menu", "Help\tF1"), false},
    {K::Item, ID_CHECK_FOR_UPDATE, QT_TRANSLATE_NOOP("Menu", "Check For Update"), false},
    {K::Separator, 0, nullptr, false},
    {K::Item, ID_APP_ABOUT, QT_TRANSLATE_NOOP("Menu", "&About Tavimo..."), false},
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
    // The sound's delay.
    {Qt::Key_J, kNone, ID_AUDIO_DELAY_EARLIER},
    {Qt::Key_K, kNone, ID_AUDIO_DELAY_LATER},
    {Qt::Key_J, kShift, ID_AUDIO_DELAY_RESET},
    // Night mode.
    {Qt::Key_N, kNone, ID_NIGHT_MODE},
    // Deinterlace: Auto, On, Off in turn.
    {Qt::Key_D, kNone, ID_DEINTERLACE_NEXT},
    // Subtitles matched to the speech.
    {Qt::Key_Y, kNone, ID_SYNC_SUBTITLES},
};

constexpr ToolbarButton kToolbar[] = {
    {ID_FILE_OPEN, "document-open", QT_TRANSLATE_NOOP("Toolbar", "Open Video")},
    {ID_OPEN_SUBTITLES, "subtitles", QT_TRANSLATE_NOOP("Toolbar", "Open Subtitles")},
    {0, nullptr, nullptr},
    {ID_PLAY, "media-playback-start", QT_TRANSLATE_NOOP("Toolbar", "Play")},
    {ID_PAUSE, "media-playback-pause", QT_TRANSLATE_NOOP("Toolbar", "Pause")},
    {ID_STOP, "media-playback-stop", QT_TRANSLATE_NOOP("Toolbar", "Stop")},
    {0, nullptr, nullptr},
    {ID_PREVIOUS_FILE, "media-skip-backward", QT_TRANSLATE_NOOP("Toolbar", "Previous File")},
    {ID_NEXT_FILE, "media-skip-forward", QT_TRANSLATE_NOOP("Toolbar", "Next File")},
    {0, nullptr, nullptr},
    {ID_FULLSCREEN, "view-fullscreen", QT_TRANSLATE_NOOP("Toolbar", "Fullscreen")},
    {0, nullptr, nullptr},
    {ID_DELETE_FILE, "user-trash", nullptr},
    {0, nullptr, nullptr},
    {ID_APP_ABOUT, "help-about", QT_TRANSLATE_NOOP("Toolbar", "About")},
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
