// Subtitles and the user: loading a file into the track, the Open Subtitles
// dialog, finding the file that belongs to a clip, the font dialog, the View
// Subtitles switch and the drag that moves the text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "subtitles/subtitle_shared.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {

namespace platform {
class Dialogs;
}

// The fields of the player record that subtitle loading reads and writes, and
// the window services it uses. Holds references only: the record it was made
// from must outlive it. UI thread.
struct SubtitleContext {
    std::string& SubtitlePath;      // file to load next, or the one tried last
    std::string& LastSubtitlesDir;  // where the Open Subtitles dialog starts
    uint32_t& SubtitleFontColor;    // COLORREF 0x00BBGGRR, last chosen colour
    SubtitleTrack& Track;           // filled by a load, read by the mixer
    MixerShared& Mixer;             // ViewSubtitles, SubtitleOffset, SubtitleFont
    platform::Dialogs& Dialogs;     // file and font dialogs
    // The player's error box: `format` with "%x" filled with `code`.
    std::function<void(const std::string& format, int32_t code)> ShowError;
    // The charset (iconv name) files are read in; empty: automatic.
    std::string Charset = {};
};

// The Open Subtitles dialog, starting in LastSubtitlesDir. Returns 1 with
// `*path` set when a file was chosen, 0 when cancelled, the dialog's negative
// failure code otherwise. Changes no field. UI thread.
int ChooseSubtitleFile(const SubtitleContext& context, std::string* path);

// Loads SubtitlePath into the track, asking with the dialog first when it is
// empty; a failing dialog shows the error box. LastSubtitlesDir becomes the
// file's folder whether or not it loads. The reader follows the extension
// (srt, txt: SubRip; sub: MicroDVD; ass, ssa: the mixer's ASS script, read
// by libass). A text file clears the script and makes the track the source
// drawn; a script becomes the source drawn. False, with what shows as it
// was, when nothing was chosen, the extension has no reader, the file cannot
// be read or is no script libass can read. UI thread.
bool LoadSubtitles(SubtitleContext& context);

// Whether `path` has an extension LoadSubtitles reads (any case). Any thread.
bool IsSubtitleFile(const std::string& path);

// The path a subtitle file beside `clipPath` is looked for under, without its
// suffix: the clip path without the extension of its file name (the last "."
// of the name, unless the name starts with it). Any thread.
std::string SubtitleBaseOf(const std::string& clipPath);

// For a clip being opened: empties the track and the script, then loads the
// first of base + ".srt", ".txt", ".sub", ".ass", ".ssa" that loads. Never shows a dialog;
// SubtitlePath is the last name tried. True when one loaded. UI thread.
bool DiscoverSubtitles(SubtitleContext& context, const std::string& clipPath);

// The font dialog, starting from the current font (the default font when
// there is none) and SubtitleFontColor. On OK the font becomes the font the
// stored 60-byte record describes (what the next start will load), and the
// colour is kept; returns true. Cancel changes nothing. UI thread.
bool SetSubtitleFont(SubtitleContext& context);

// Flips ViewSubtitles; returns the new state. UI thread.
bool ToggleViewSubtitles(MixerShared& mixer);

// Where the video shows in the view, for a drag over it.
struct DragGeometry {
    int32_t sourceWidth = 0, sourceHeight = 0;           // the video, in its pixels
    int32_t destTop = 0, destWidth = 0, destHeight = 0;  // the destination, view pixels
    bool letterbox = false;  // the picture keeps its shape, centred in the destination
};

// Where a left-button drag puts the text: SubtitleOffset (video pixels) for
// a cursor at view row `y`, so that the bottom of the text sits under the
// cursor. Not clamped: the mixer clamps when it draws. Without a picture
// (no height or width) the offset stays `current`. Any thread.
int32_t SubtitleOffsetForDrag(const DragGeometry& geometry, int32_t y, int32_t current);

}  // namespace tavimo
