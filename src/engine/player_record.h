// The state of the current clip and the operations that act on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/audio_delay.h"
#include "engine/chapters_loop.h"
#include "engine/media/media.h"
#include "engine/track_choices.h"
#include "subtitles/subtitle_delay.h"
#include "subtitles/subtitle_shared.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {

class PlayerHost;
class CSubtitles;
class ResumePositions;
struct SubtitleContext;

enum class ClipState : int { Stopped = 0, Paused = 1, Running = 2, Closed = 3 };

// The graph's events reach the view as this message (WM_USER + 13).
constexpr long WM_GRAPHNOTIFY = 0x040D;

// True when `path` names Windows Media content: a lower-cased copy contains
// ".asf", ".wma", ".wmv", ".asx" or "mms://". Any thread.
bool IsWindowsMedia(const std::string& path);

// `format` with "%x" replaced by `code` in lower-case hexadecimal (as an
// unsigned 32-bit number) and "%%" by "%". Any thread.
std::string FormatCode(const std::string& format, uint32_t code);

class PlayerRecord {
  public:
    explicit PlayerRecord(PlayerHost& host);
    ~PlayerRecord();
    PlayerRecord(const PlayerRecord&) = delete;
    PlayerRecord& operator=(const PlayerRecord&) = delete;

    // The framework graphs are built with; not owned, outlives the record.
    // Without one every open fails at its first step. UI thread.
    void UseMediaFramework(MediaFramework* media) { media_ = media; }
    MediaFramework* Media() const { return media_; }
    // Where clips were left, for ResumePlayback; not owned, outlives the
    // record; null: nothing is remembered. UI thread.
    void UseResumePositions(ResumePositions* resume) { resume_ = resume; }

    // --- operations; UI thread ---

    // Opens `ClipPath` (the Open Media File dialog when it is empty) and plays it.
    void OpenClip();
    // Builds and runs the graph for `file`; negative after its own message box.
    HRESULT PlayClip(const std::string& file);
    // Gives the graph and all its interfaces back; safe without a graph.
    void ReleaseGraph();
    // Stops and rewinds; the first frame stays shown and the seek bar shows
    // its time.
    void StopClip();
    // Runs when stopped or paused, pauses when running.
    void TogglePause();
    // Relative seek by `offset` in 100 ns units, to a key frame in the
    // offset's direction: a step forward never lands before where it started,
    // a step back never after. The graph limits the target to the clip. On a
    // stream that cannot seek, these seeks leave it playing and say so in
    // the note.
    void SeekBy(int64_t offset);
    // Absolute seek to `position` in 100 ns units, to that very frame.
    void SeekTo(int64_t position);
    // Absolute seek to `position` in 100 ns units, to a nearby key frame in
    // the direction of travel: quick, for a drag on the seek bar.
    void SeekToKeyFrame(int64_t position);
    // Stores `volume` (0..100) and sets the audio level.
    void SetVolume(int volume);
    // Plays at `speed` (1 normal), limited to 0.25..4, and shows the note
    // "Speed: 1.5×" with the speed that holds afterwards. Nothing without a
    // clip; a graph that refuses keeps its speed.
    void SetSpeed(double speed);
    // K and J: the sound `stepMs` later (positive) or earlier; 0 (Shift+J)
    // back in step. Kept for the sound output the clip plays on, told to the
    // graph, and shown in the note "Audio delay: +150 ms". Nothing without
    // a clip.
    void StepAudioDelay(int stepMs);
    // The sound output the clip plays on became known or changed (a headset
    // connected): that output's own delay goes to the graph. With each
    // position poll.
    void FollowAudioOutput();
    // Play > Night Mode and N: night mode on or off, told to the graph (at
    // once while playing; a clip opened later starts with it) and shown in
    // the note "Night mode: on" / "off" (night_mode.cpp). Stored.
    void ToggleNightMode();
    // View > Deinterlace and D: stores `setting` (kDeinterlaceAuto, On or
    // Off; anything else is Auto), tells the graph, and shows the note
    // "Deinterlace: Auto" / "On" / "Off" (deinterlace.cpp).
    void SetDeinterlace(int setting);
    // Moves the paused picture by `frames` (1 on, -1 back); a playing clip is
    // paused first, a stopped one counts as paused from then on. The seek bar
    // follows at once.
    void StepFrame(long frames);
    // Stops, releases the pipeline, `ClipState` = Closed.
    void CloseClip();
    // Main window title "Tavimo - " + `ClipPath`.
    void UpdateTitle();
    // PositionTimer tick: the position to the seek bar.
    void PollPosition();
    // WM_GRAPHNOTIFY: drains and handles the graph's events.
    void OnGraphNotify();
    // Modal error box: `format` with `code` put in, then the framework's
    // text for a non-zero code; caption "Tavimo".
    void ShowError(const std::string& format, HRESULT code);

    // While the windowless control is held: letterbox becomes none and
    // anything else letterbox (the control's current mode decides).
    void ToggleAspectRatioMode();
    // While the windowless control is held: aspect mode none (stretch keys).
    void SetAspectRatioNone();
    // The display's mode changed: the renderer is told (the frame refits itself).
    void DisplayModeChanged();

    // Loads `SubtitlePath` (the Open Subtitles dialog when it is empty); a
    // file that does not load gets an error box naming it, and what shows
    // stays. A cancelled dialog says nothing.
    void LoadSubtitles();
    // Flips `ViewSubtitles`.
    void ToggleViewSubtitles();
    // Font dialog for the subtitles.
    void SetSubtitleFont();
    // Stores the subtitle encoding chosen by its menu label ("Automatic",
    // "UTF-8", ...) and reads the subtitle file shown now again in it.
    void SetSubtitleEncoding(const std::string& label);
    // A paused or stopped picture is drawn again (after a subtitle change),
    // by a seek to where it stands; a moving picture needs nothing.
    void RefreshPausedPicture();

    // --- chapters and the A-B loop (player_chapters_loop.cpp); UI thread ---

    // Reads the graph's chapters again when their number changed; the seek
    // bar's marks and the Chapters menu follow.
    void RefreshChapters();
    // Shift+Page Down: to the start of the next chapter, with its note.
    void NextChapter();
    // Shift+Page Up: to the start of the chapter playing when more than 2 s
    // into it, else of the one before; with its note.
    void PreviousChapter();
    // A chapter chosen in the menu: `index` counts from 0.
    void GoToChapter(int index);
    // The chapter playing now (index into Chapters), -1 for none.
    int CurrentChapter();
    // L: A at the position, then B and the loop, then off; each with its note.
    void StepLoop();
    // Shows SubtitleChoices[`index`] (Off, the external file or a track of
    // the clip) without reopening the clip, remembers a track's language in
    // SubtitleLanguage and notes the choice on the picture. An index out of
    // the list does nothing.
    void ChooseSubtitleTrack(size_t index);
    // Plays AudioChoices[`index`], remembers its language in AudioLanguage
    // and notes it on the picture. An index out of the list does nothing.
    void ChooseAudioTrack(size_t index);
    // V and B: the next subtitle choice / audio track that can be chosen.
    void NextSubtitleTrack();
    void NextAudioTrack();

    // Whether a pipeline's seeking / windowless control / control is held.
    bool HasSeeking() const { return pMS != nullptr; }
    bool HasWindowlessControl() const { return pWC != nullptr; }
    bool HasControl() const { return pMC != nullptr; }

    // --- fields ---
    std::string ClipPath;
    std::string SubtitlePath;
    std::string LastDir;           // setting
    std::string LastSubtitlesDir;  // setting
    std::string SubtitleEncoding;  // setting: menu label; empty or unknown: "Automatic"
    std::string SubtitleFile;      // the file the track was read from; empty: none
    std::string AudioLanguage;     // setting: language of the audio track last chosen
    std::string SubtitleLanguage;  // setting: language of the subtitle track last chosen
    tavimo::ClipState ClipState = tavimo::ClipState::Stopped;
    bool FullScreenBlocked = false;
    int Volume = 100;          // setting
    AudioDelays OutputDelays;  // setting: the delay of each sound output
    std::string AudioOutput;   // the output the sound plays on; empty: not known
    int AudioDelay = 0;        // ms, the delay in force: OutputDelays' for AudioOutput
    int NightMode = 0;         // setting: 1 on, 0 off
    int64_t Duration = 0;
    double Speed = 1.0;  // back to 1 for every clip opened, never stored
    float VideoAspect = 4.0f / 3.0f;
    int AutoNext = 0;                         // setting
    int KeepWindowSize = 0;                   // setting
    int AlwaysOnTop = 0;                      // setting
    int ResumePlayback = 0;                   // setting
    int Deinterlace = 0;                      // setting: 0 Auto, 1 On, 2 Off
    int ResolutionIndex = 0;                  // setting, as an index into the display modes
    uint32_t SubtitleFontColor = 0x00FFFFFF;  // setting, COLORREF
    int StretchStep = 10;
    bool FullScreen = false;

    SubtitleTrack Track;
    MixerShared Mixer;  // ViewSubtitles (setting), SubtitleOffset, SubtitleFont (setting)
    // Z, X, Shift+Z; back to 0 for every clip opened, never stored.
    // The note at the picture's top left; gone after two seconds.
    PictureNote Note{Mixer, [this] { RefreshPausedPicture(); }};
    SubtitleDelay Delay{Mixer, Note};
    // The clip's chapters in order, and its A-B loop; both go with the graph.
    std::vector<Chapter> Chapters;
    AbLoop Loop;

    // The menus' entries: subtitles start with "Off", then the external file,
    // then the clip's tracks; the index of what shows / plays now. Rebuilt
    // for every clip; the generation changes with every rebuild.
    TrackChoices SubtitleChoices = SubtitleChoicesOf({}, {});
    TrackChoices AudioChoices;
    size_t SubtitleChosen = 0;
    size_t AudioChosen = 0;
    uint64_t TrackListGeneration = 0;

    // The graph and its interfaces, held from PlayClip to ReleaseGraph.
    std::shared_ptr<IGraphBuilder> pGB;
    std::shared_ptr<IMediaControl> pMC;
    std::shared_ptr<IMediaEventEx> pME;
    std::shared_ptr<IMediaSeeking> pMS;
    std::shared_ptr<IBasicAudio> pBA;
    std::shared_ptr<IAudioDelay> pAD;  // none when the framework cannot delay the sound
    std::shared_ptr<INightMode> pNM;   // none when the framework has no night mode
    std::shared_ptr<IVMRWindowlessControl9> pWC;
    std::weak_ptr<IBaseFilter> pST;        // the graph's mixer; the graph keeps it
    std::shared_ptr<IAMStreamSelect> pSS;  // none when the framework cannot list tracks
    uint32_t RotCookie = 0;

  protected:
    // The steps of PlayClip; each shows its own failure.
    HRESULT InitializeWindowlessVMR(std::shared_ptr<IBaseFilter>* pVmr);
    HRESULT RenderFileToVMR9(const std::shared_ptr<IGraphBuilder>& graph, const std::string& file);
    HRESULT RenderSource(const std::shared_ptr<IGraphBuilder>& graph, const std::string& file,
                         std::shared_ptr<IBaseFilter>* source);
    HRESULT QueryGraphInterfaces();
    // The graph deinterlaces as `Deinterlace` says (deinterlace.cpp).
    void ApplyDeinterlace();
    // The graph's sound follows `NightMode` (night_mode.cpp).
    void ApplyNightMode();
    bool GetClipFileName(std::string* path);
    // Empties the subtitle track and loads the file named like the clip.
    void DiscoverSubtitles();
    // The clip being left: its position is kept for ResumePlayback.
    void LeaveClip();
    // Tells the resume list where the clip stands (100 ns), or stands now,
    // while it plays or is paused. UI thread.
    void NoteResumePosition(REFERENCE_TIME position);
    void NoteResumePosition();
    // A clip has opened: with ResumePlayback it goes to where it was left.
    void ResumeClip();
    // The graph reached the end of the loop's segment: back to A without a
    // gap; with the loop off, on to the clip's end.
    void OnEndOfSegment();
    // Seeks to `position` exactly, then shows where it is on the seek bar.
    void SeekExactly(int64_t position);
    // The user's seek to `target` (100 ns units) with the graph's `flags`; on
    // a stream that cannot seek nothing moves and the note says so. UI thread.
    void Seek(REFERENCE_TIME target, uint32_t flags);
    // The clip ended and could not be rewound: Stop and Run, or after a
    // second such end in a row, stopped at its end. UI thread.
    void RestartAtEnd();
    // The subtitle fields and services, for subtitle loading.
    SubtitleContext Subtitles();
    // The graph's tracks and the external file, as the menus list them; what
    // was chosen stays chosen when it is still listed, else Off / none.
    void RebuildTrackLists();
    // After the graph has started: the subtitles and audio the clip opens with.
    void ChooseTracksOnOpen();
    // Switch to a choice; false (and Off / the old audio) when it fails.
    bool ApplySubtitleChoice(size_t index);
    bool ApplyAudioChoice(size_t index);
    // The embedded subtitle track shown now; -1 for none.
    long ShownSubtitleStream() const;

    PlayerHost& host_;
    MediaFramework* media_ = nullptr;
    ResumePositions* resume_ = nullptr;
    // The clip was last restarted at its end by Stop and Run (no rewind since).
    bool restartedAtEnd_ = false;
    // Drawing core of the graph's mixer, shared with the mixer element, which
    // may outlive the graph's release (whoever still holds the graph).
    std::shared_ptr<CSubtitles> subtitles_;
};

// First pin of `filter` in `direction` that is not connected (S_OK), E_FAIL
// when there is none, or the enumeration's failure. UI thread.
HRESULT GetUnconnectedPin(const std::shared_ptr<IBaseFilter>& filter, PIN_DIRECTION direction,
                          std::shared_ptr<IPin>* pin);

// Renders each unconnected output pin of `source` to the renderers already in
// `graph`; the last status, stopping at a failure. UI thread.
HRESULT RenderOutputPins(const std::shared_ptr<IBaseFilter>& source,
                         const std::shared_ptr<IFilterGraph2>& graph);

}  // namespace tavimo
