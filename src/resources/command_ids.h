// Command identifiers shared by the menu, the accelerators and the toolbar.
#pragma once

namespace tavimo {

enum CommandId : int {
    ID_SEEK_BACK = 32768,          // "5 Seconds Back"
    ID_SEEK_FORWARD = 32769,       // "5 Seconds Forward"
    ID_ALLOW_MULTIPLE = 32770,     // "Allow Multiple Instances"
    ID_ALWAYS_ON_TOP = 32771,      // "Always On Top"
    ID_ESCAPE = 32772,             // Esc
    ID_OPEN_SUBTITLES = 32773,     // "Open Subtitles"
    ID_OPEN_URL = 32774,           // "Open URL"
    ID_FULLSCREEN = 32775,         // "Fullscreen"
    ID_KEEP_WINDOW_SIZE = 32776,   // "Keep Window Size"
    ID_MAINTAIN_ASPECT = 32777,    // "Maintain Aspect Ratio"
    ID_NEXT_FILE = 32778,          // "Next File"
    ID_PAUSE = 32779,              // "Pause"
    ID_PLAY = 32780,               // "Play"
    ID_PREVIOUS_FILE = 32783,      // "Previous File"
    ID_REGISTER_FILETYPE = 32784,  // "Register Filetype For Current File"
    ID_SET_SUBTITLE_FONT = 32785,  // "Set Subtitle Font"
    ID_STOP = 32786,               // "Stop"
    ID_SUBTITLES_DOWN = 32787,     // Alt+Down
    ID_SUBTITLES_UP = 32788,       // Alt+Up
    ID_VIEW_SUBTITLES = 32790,     // "View Subtitles"
    ID_STRETCH_NARROWER = 32791,   // Left
    ID_STRETCH_WIDER = 32792,      // Right
    ID_STRETCH_LOWER = 32793,      // Down
    ID_STRETCH_TALLER = 32794,     // Up
    ID_VOLUME_UP = 32795,          // Shift+Up
    ID_VOLUME_DOWN = 32796,        // Shift+Down
    ID_RESET_VIDEO_SIZE = 32800,   // A
    ID_VIEW_SEEKBAR = 32802,       // "&Seekbar"
    ID_AUTO_NEXT = 32804,          // "Auto Next"
    ID_CHECK_FOR_UPDATE = 32805,   // "Check For Update"
    ID_DELETE_FILE = 32807,        // "Delete Current File"
    ID_FILTER_FIRST = 33000,       // Filters menu items
    ID_FILTER_LAST = 33100,
    ID_RESOLUTION_DEFAULT = 34000,  // "Default"; 34000 + i is display mode i
    ID_RESOLUTION_LAST = 34256,
    ID_SUBTITLE_ENCODING_FIRST = 34500,  // "Automatic"; then the encodings in menu order
    ID_SUBTITLE_ENCODING_LAST = 34563,
    ID_RESUME_PLAYBACK = 34600,  // "Resume Playback"
    ID_SUBTITLE_STYLES = 34601,  // "Subtitle Styles"
    // Z, X and Shift+Z: the subtitle delay earlier, later, back to 0.
    ID_SUBTITLE_DELAY_EARLIER = 34700,
    ID_SUBTITLE_DELAY_LATER = 34701,
    ID_SUBTITLE_DELAY_RESET = 34702,
    // V and B: the next subtitle choice, the next audio track.
    ID_SUBTITLE_TRACK_NEXT = 34710,
    ID_AUDIO_TRACK_NEXT = 34711,
    // "Subtitle Track": "Off", then the external file and the clip's tracks.
    ID_SUBTITLE_TRACK_FIRST = 34800,
    ID_SUBTITLE_TRACK_LAST = 34899,
    // "Audio Track": the clip's audio tracks.
    ID_AUDIO_TRACK_FIRST = 34900,
    ID_AUDIO_TRACK_LAST = 34999,
    // Shift+S and File > Save Screenshot.
    ID_SAVE_SCREENSHOT = 35000,
    // Chapters and the A-B loop: Shift+Page Down, Shift+Page Up, L, and the
    // items of the Chapters menu, one per chapter.
    ID_NEXT_CHAPTER = 35100,      // "Next Chapter"
    ID_PREVIOUS_CHAPTER = 35101,  // "Previous Chapter"
    ID_AB_LOOP = 35102,           // "A-B Loop"
    ID_CHAPTER_FIRST = 35110,     // "Chapters" placeholder; then chapter i is 35110 + i
    ID_CHAPTER_LAST = 35609,
    // ], [, Backspace: playback speed; E, Shift+E: frame steps.
    // Y: match the subtitles to the clip's speech.
    ID_SYNC_SUBTITLES = 35900,  // "Synchronise Subtitles to Speech"
    ID_SPEED_FASTER = 35700,    // "Faster"
    ID_SPEED_SLOWER = 35701,    // "Slower"
    ID_SPEED_NORMAL = 35702,    // "Normal Speed"
    ID_FRAME_NEXT = 35703,      // "Next Frame"
    ID_FRAME_PREVIOUS = 35704,  // "Previous Frame"
    // J, K and Shift+J: the sound earlier, later, back in step with the picture.
    ID_AUDIO_DELAY_EARLIER = 35710,  // "Audio Earlier"
    ID_AUDIO_DELAY_LATER = 35711,    // "Audio Later"
    ID_AUDIO_DELAY_RESET = 35712,    // "Reset Audio Delay"
    ID_NIGHT_MODE = 35713,           // "Night Mode": N
    // View > Deinterlace: "Auto", "On", "Off" (in this order); D cycles them.
    ID_DEINTERLACE_AUTO = 35800,
    ID_DEINTERLACE_ON = 35801,
    ID_DEINTERLACE_OFF = 35802,
    ID_DEINTERLACE_NEXT = 35803,
    ID_FILE_OPEN = 57601,       // "&Open Video..."
    ID_FILE_MRU_FIRST = 57616,  // "Most Recent..." and the recent files
    ID_FILE_MRU_LAST = 57631,
    ID_APP_ABOUT = 57664,        // "&About Tavimo..."
    ID_APP_EXIT = 57665,         // "E&xit"
    ID_HELP_INDEX = 57670,       // "Help"
    ID_NEXT_PANE = 57680,        // F6: reaches nothing
    ID_PREV_PANE = 57681,        // Shift+F6: reaches nothing
    ID_VIEW_TOOLBAR = 59392,     // "&Toolbar"
    ID_VIEW_STATUS_BAR = 59393,  // no menu item
};

// The frame's common resource id: title, icon, menu, accelerators, toolbar.
constexpr int IDR_MAINFRAME = 107;
// Control id of the volume trackbar in the seek bar band.
constexpr int IDC_VOLUME = 204;

}  // namespace tavimo
