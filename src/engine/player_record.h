// The state of the current clip and the operations that act on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/media/media.h"
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
    // Stops and rewinds; the first frame stays shown.
    void StopClip();
    // Runs when stopped or paused, pauses when running.
    void TogglePause();
    // Relative seek by `offset` in 100 ns units; no bound is applied.
    void SeekBy(int64_t offset);
    // Absolute seek to `position` in 100 ns units.
    void SeekTo(int64_t position);
    // Stores `volume` (0..100) and sets the audio level.
    void SetVolume(int volume);
    // Plays at `speed` (1 normal), limited to 0.25..4, and shows the note
    // "Speed: 1.5×" with the speed that holds afterwards. Nothing without a
    // clip; a graph that refuses keeps its speed.
    void SetSpeed(double speed);
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

    // Loads `SubtitlePath` (the Open Subtitles dialog when it is empty).
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
    tavimo::ClipState ClipState = tavimo::ClipState::Stopped;
    bool FullScreenBlocked = false;
    int Volume = 100;  // setting
    int64_t Duration = 0;
    double Speed = 1.0;  // back to 1 for every clip opened, never stored
    float VideoAspect = 4.0f / 3.0f;
    int AutoNext = 0;                         // setting
    int KeepWindowSize = 0;                   // setting
    int AlwaysOnTop = 0;                      // setting
    int ResumePlayback = 0;                   // setting
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

    // The graph and its interfaces, held from PlayClip to ReleaseGraph.
    std::shared_ptr<IGraphBuilder> pGB;
    std::shared_ptr<IMediaControl> pMC;
    std::shared_ptr<IMediaEventEx> pME;
    std::shared_ptr<IMediaSeeking> pMS;
    std::shared_ptr<IBasicAudio> pBA;
    std::shared_ptr<IVMRWindowlessControl9> pWC;
    std::weak_ptr<IBaseFilter> pST;  // the graph's mixer; the graph keeps it
    uint32_t RotCookie = 0;

  protected:
    // The steps of PlayClip; each shows its own failure.
    HRESULT InitializeWindowlessVMR(std::shared_ptr<IBaseFilter>* pVmr);
    HRESULT RenderFileToVMR9(const std::shared_ptr<IGraphBuilder>& graph, const std::string& file);
    HRESULT RenderSource(const std::shared_ptr<IGraphBuilder>& graph, const std::string& file,
                         std::shared_ptr<IBaseFilter>* source);
    HRESULT QueryGraphInterfaces();
    bool GetClipFileName(std::string* path);
    // Empties the subtitle track and loads the file named like the clip.
    void DiscoverSubtitles();
    // The clip being left: its position is kept for ResumePlayback.
    void LeaveClip();
    // A clip has opened: with ResumePlayback it goes to where it was left.
    void ResumeClip();
    // The subtitle fields and services, for subtitle loading.
    SubtitleContext Subtitles();

    PlayerHost& host_;
    MediaFramework* media_ = nullptr;
    ResumePositions* resume_ = nullptr;
    std::unique_ptr<CSubtitles> subtitles_;  // drawing core of the graph's mixer
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
