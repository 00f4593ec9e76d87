// The media framework contract: the operations the engine calls on a filter
// graph, shaped and named like their DirectShow counterparts so that the
// engine's code reads the same as its diagnostics. Elements are filters, pads
// are pins. Positions are in 100-ns units, volumes in hundredths of a decibel.
//
// Objects are shared: every interface pointer is a std::shared_ptr, and the
// interfaces of one graph share one control block, so dropping the last of
// them destroys the graph (the "release until zero" of COM). Every call is
// made on the UI thread; a call that waits for the pipeline waits a bounded
// time and then fails with VFW_E_TIMEOUT.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/hresult.h"

namespace tavimo {

class CSubtitles;

using REFERENCE_TIME = int64_t;  // 100-ns units
using COLORREF = uint32_t;       // 0x00BBGGRR

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const RECT&) const = default;
};

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// Event codes of IMediaEventEx.
constexpr long EC_COMPLETE = 0x01;
constexpr long EC_USERABORT = 0x02;
constexpr long EC_ERRORABORT = 0x03;
// A segment seek (AM_SEEKING_Segment) reached its stop position; the clip
// waits there for the next segment instead of completing.
constexpr long EC_END_OF_SEGMENT = 0x1C;

// Seeking flags.
constexpr uint32_t AM_SEEKING_NoPositioning = 0;
constexpr uint32_t AM_SEEKING_AbsolutePositioning = 1;
constexpr uint32_t AM_SEEKING_SeekToKeyFrame = 4;
// With the current position: the stop position ends a segment, not the clip
// (EC_END_OF_SEGMENT instead of EC_COMPLETE).
constexpr uint32_t AM_SEEKING_Segment = 0x10;
// With the current position: the data already queued plays on (the next
// segment follows the last without a gap).
constexpr uint32_t AM_SEEKING_NoFlush = 0x20;

constexpr uint32_t AM_RENDEREX_RENDERTOEXISTINGRENDERERS = 1;

enum VMR9Mode { VMR9Mode_Windowed = 1, VMR9Mode_Windowless = 2, VMR9Mode_Renderless = 4 };
enum VMR9AspectRatioMode { VMR9ARMode_None = 0, VMR9ARMode_LetterBox = 1 };

// The window a windowless renderer draws into: the view, which hosts a native
// surface for the picture. All calls on the UI thread.
class VideoWindow {
  public:
    virtual ~VideoWindow() = default;
    // Native window id (X11) of the picture surface; 0 when there is none yet.
    virtual uintptr_t NativeSurface() = 0;
    // Places the picture surface at `rect` (view client coordinates, logical
    // pixels); an empty rectangle hides it.
    virtual void PlaceSurface(const RECT& rect) = 0;
    // Device pixels per logical pixel of the view.
    virtual double DevicePixelRatio() = 0;
    // The largest picture the view can take, in logical pixels: as large as
    // the frame around it can grow inside the screen's work area (the whole
    // screen in full screen); 0 x 0 when the window cannot tell. UI thread.
    virtual void PictureRoom(int* width, int* height) { *width = *height = 0; }
};

// The notify target of a graph: called on the UI thread with the message and
// parameter given to SetNotifyWindow. Empty: no notification.
using GraphNotifyTarget = std::function<void(long msg, intptr_t param)>;

class IPin {
  public:
    virtual ~IPin() = default;
    virtual HRESULT QueryDirection(PIN_DIRECTION* dir) = 0;
    // The pin at the other end; VFW_E_NOT_CONNECTED when there is none.
    virtual HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) = 0;
    // The pin's name ("Input", "Output", ...).
    virtual HRESULT QueryId(std::string* id) = 0;
};

class IFileSourceFilter {
  public:
    virtual ~IFileSourceFilter() = default;
    // Opens `fileName` (path or URL); the failure says why it cannot be read.
    virtual HRESULT Load(const std::string& fileName) = 0;
};

class IVMRFilterConfig9 {
  public:
    virtual ~IVMRFilterConfig9() = default;
    virtual HRESULT SetRenderingMode(VMR9Mode mode) = 0;
};

// A picture as the user sees it: 8-bit R, G, B and one unused byte per pixel,
// rows top-down without padding (stride = width * 4).
struct VideoImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgbx;
};

// A frame the renderer showed, held until it is read. GetBitmap converts it
// and may take tens of milliseconds: call it off the UI thread. Any thread.
class ICurrentImage {
  public:
    virtual ~ICurrentImage() = default;
    // The frame at its own size (the clip's resolution, square pixels not
    // applied), with whatever the mixer burnt in; E_FAIL when it cannot be
    // converted.
    virtual HRESULT GetBitmap(VideoImage* image) = 0;
    // The frame's time in the clip, 100-ns units; -1 when unknown.
    virtual REFERENCE_TIME Time() = 0;
};

// The windowless video renderer's control. Rectangles in view client
// coordinates (logical pixels); the native size in video pixels.
class IVMRWindowlessControl9 {
  public:
    virtual ~IVMRWindowlessControl9() = default;
    virtual HRESULT SetVideoClippingWindow(VideoWindow* window) = 0;
    virtual HRESULT SetBorderColor(COLORREF color) = 0;
    virtual HRESULT GetNativeVideoSize(long* width, long* height) = 0;
    virtual HRESULT SetAspectRatioMode(VMR9AspectRatioMode mode) = 0;
    virtual HRESULT GetAspectRatioMode(VMR9AspectRatioMode* mode) = 0;
    // Either pointer may be null: that rectangle is left as it is.
    virtual HRESULT SetVideoPosition(const RECT* source, const RECT* dest) = 0;
    virtual HRESULT GetVideoPosition(RECT* source, RECT* dest) = 0;
    virtual HRESULT RepaintVideo() = 0;
    virtual HRESULT DisplayModeChanged() = 0;
    // The frame shown now, as the renderer received it; returns at once.
    // VFW_E_NOT_CONNECTED (E_NOTIMPL for renderers that cannot tell) when no
    // frame has been shown yet. UI thread.
    virtual HRESULT GetCurrentImage(std::shared_ptr<ICurrentImage>* image);
};

// A second, picture-only decoder of one clip for the seek bar's preview: it
// opens lazily on its first use and shows nothing, plays no sound. Calls from
// one thread at a time (the preview's worker); destroy it on any thread.
class IThumbnailSource {
  public:
    virtual ~IThumbnailSource() = default;
    // The picture at the key frame nearest `position` (100-ns units), scaled
    // to `width` pixels wide with its proportions kept. VFW_E_NOT_CONNECTED
    // when the clip has no picture, VFW_E_TIMEOUT or E_FAIL when decoding
    // fails; after either every later call fails at once.
    virtual HRESULT GetThumbnail(REFERENCE_TIME position, int width, VideoImage* image) = 0;
};

// One property of a filter, as its settings dialog shows it.
struct FilterProperty {
    enum class Type { Bool, Int, UInt, Int64, Double, Enum, String, Other };
    std::string name;
    std::string description;
    Type type = Type::Other;
    // A simple type that can be set now.
    bool editable = false;
    // As text: "true" or "false", numbers in the C locale, an enum's nick.
    std::string value;
    // Enum: the nicks of its values.
    std::vector<std::string> choices;
};

// The settings a filter offers (its property pages). UI thread.
class IFilterProperties {
  public:
    virtual ~IFilterProperties() = default;
    virtual HRESULT GetProperties(std::vector<FilterProperty>* properties) = 0;
    // Whether `value` (text as GetProperties gives it) can be set on property
    // `name` now: E_INVALIDARG when it is no value of it or out of its range,
    // E_ACCESSDENIED when the property cannot be set now.
    virtual HRESULT CheckProperty(const std::string& name, const std::string& value) = 0;
    // Sets it when CheckProperty allows it; its failure otherwise.
    virtual HRESULT SetProperty(const std::string& name, const std::string& value) = 0;
};

class IBaseFilter {
  public:
    virtual ~IBaseFilter() = default;
    // The name the filter was added to its graph under.
    virtual HRESULT QueryFilterInfo(std::string* name) = 0;
    virtual HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) = 0;
    // Optional interfaces; E_NOINTERFACE when the filter has none.
    virtual HRESULT QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out);
    virtual HRESULT QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out);
    virtual HRESULT QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out);
    virtual HRESULT QueryFilterProperties(std::shared_ptr<IFilterProperties>* out);
};

class IMediaControl {
  public:
    virtual ~IMediaControl() = default;
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
};

class IMediaEventEx {
  public:
    virtual ~IMediaEventEx() = default;
    virtual HRESULT SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) = 0;
    // E_ABORT when no event arrives within `timeoutMs`.
    virtual HRESULT GetEvent(long* code, intptr_t* param1, intptr_t* param2, long timeoutMs) = 0;
    virtual HRESULT FreeEventParams(long code, intptr_t param1, intptr_t param2) = 0;
    // Waits until the clip completes, at most `timeoutMs`; E_ABORT on time-out,
    // VFW_E_WRONG_STATE at once when the graph is not running.
    virtual HRESULT WaitForCompletion(long timeoutMs, long* code) = 0;
};

class IMediaSeeking {
  public:
    virtual ~IMediaSeeking() = default;
    virtual HRESULT GetDuration(REFERENCE_TIME* duration) = 0;
    virtual HRESULT GetCurrentPosition(REFERENCE_TIME* position) = 0;
    virtual HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) = 0;
    // A stop position given with AM_SEEKING_AbsolutePositioning stays until
    // the next one (a negative one plays to the end); AM_SEEKING_NoPositioning
    // keeps it, and with it the segment mode of the seek that set it. While
    // it stands, a current position past it goes to it. E_NOTIMPL for a
    // current position on a stream that cannot seek (nothing moves).
    virtual HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags,
                                 REFERENCE_TIME* stop, uint32_t stopFlags) = 0;
    // The playback speed, 1.0 normal; positions stay in the clip's own time.
    // Later seeks keep it. The audio keeps its pitch; where it cannot follow
    // the speed it goes silent while the picture plays on at it. E_INVALIDARG
    // for a rate that is not positive; the failure of the seek that applies it
    // otherwise (the rate is then unchanged).
    virtual HRESULT SetRate(double rate) = 0;
    virtual HRESULT GetRate(double* rate) = 0;
};

// IVideoFrameStep: moves a paused picture by whole frames. UI thread; returns
// once the new frame is shown (bounded).
class IVideoFrameStep {
  public:
    virtual ~IVideoFrameStep() = default;
    // `frames` > 0: that many frames on; -1: the frame before the one shown
    // (S_FALSE on the first frame, nothing moves). VFW_E_WRONG_STATE when the
    // graph is not paused.
    virtual HRESULT Step(long frames) = 0;
    // S_OK when the graph shows a picture that can be stepped, S_FALSE otherwise.
    virtual HRESULT CanStep() = 0;
};

class IBasicAudio {
  public:
    virtual ~IBasicAudio() = default;
    // Hundredths of a decibel: 0 full level, -10000 silence.
    virtual HRESULT put_Volume(long volume) = 0;
    virtual HRESULT get_Volume(long* volume) = 0;
};

// The marker half of IAMExtendedSeeking: the clip's chapters, as the
// container's table of contents lists them, numbered from 1 in the order of
// their start. Complete once the graph has paused; the count may grow later
// for a source that reports its table late. UI thread.
class IAMChapters {
  public:
    virtual ~IAMChapters() = default;
    virtual HRESULT get_MarkerCount(long* count) = 0;
    // Start of chapter `marker` (1..count) in 100-ns units; E_INVALIDARG
    // outside that range.
    virtual HRESULT GetMarkerTime(long marker, REFERENCE_TIME* start) = 0;
    // Its title as tagged (UTF-8), empty when untitled; E_INVALIDARG outside
    // the range.
    virtual HRESULT GetMarkerName(long marker, std::string* name) = 0;
};

class SubtitleTrack;
struct MixerShared;

// One track of the source that the user can choose among: an audio track or a
// subtitle track carried inside the file.
struct StreamInfo {
    enum class Kind { Audio, Subtitle };
    Kind kind = Kind::Audio;
    std::string format;      // short codec name for menus: "AAC", "AC-3", "ASS", "SubRip", "PGS"
    std::string language;    // as tagged (an ISO 639 code), empty when untagged
    std::string title;       // as tagged, empty when untagged
    int channels = 0;        // audio: channel count, 0 when unknown
    bool isDefault = false;  // the container flags it default
    bool forced = false;     // the container flags it forced (GStreamer 1.22 never tells)
    bool decodable = true;   // false: nothing installed decodes or draws it
    bool enabled = false;    // the audio that plays, or the subtitles shown, now
    std::string streamId;    // the stream's id, the same in another reader of the file
};

constexpr uint32_t AMSTREAMSELECTENABLE_ENABLE = 1;  // this one, and no other of its kind

// IAMStreamSelect: the source's audio and subtitle tracks, indexed in the
// file's order (audio and subtitles mixed), stable for the graph's life and
// complete once the graph has paused or run. Switching takes effect without
// reopening the clip. UI thread.
class IAMStreamSelect {
  public:
    virtual ~IAMStreamSelect() = default;
    virtual HRESULT Count(long* count) = 0;
    virtual HRESULT Info(long index, StreamInfo* info) = 0;
    // AMSTREAMSELECTENABLE_ENABLE: `index` becomes the audio that plays or the
    // subtitles shown; 0: `index` is switched off (subtitles: none shown).
    // E_INVALIDARG for an index out of range and for switching audio off (one
    // audio track always plays); VFW_E_NO_DECOMPRESSOR for a track that is
    // not decodable. A paused picture is the caller's to draw again.
    virtual HRESULT Enable(long index, uint32_t flags) = 0;
    // Where the cues of the enabled embedded text or ASS subtitle track go:
    // text cues fill `track`, ASS goes to `mixer`'s script. Not owned; both
    // outlive the graph. Null: embedded text tracks are not drawn.
    virtual HRESULT SetSubtitleTargets(SubtitleTrack* track, MixerShared* mixer) = 0;
};

// The filter graph manager (IGraphBuilder and IFilterGraph2 in one).
// How interlaced video is shown: Auto deinterlaces the frames the stream
// marks interlaced and passes progressive ones through untouched; On
// deinterlaces every frame; Off none. The values are those stored.
enum class DeinterlaceMode : int { Auto = 0, On = 1, Off = 2 };

class IDeinterlace {
  public:
    virtual ~IDeinterlace() = default;
    // Takes effect at the next frame; before the video is linked, for the
    // whole clip. UI thread.
    virtual HRESULT SetDeinterlaceMode(DeinterlaceMode mode) = 0;
};

// The sound's delay against the picture, for an output that plays late
// (wireless headphones, a receiver) or a clip muxed out of step.
class IAudioDelay {
  public:
    virtual ~IAudioDelay() = default;
    // The sound plays `ms` later than the picture (negative: earlier). Takes
    // effect at once while playing; neither the picture nor the position
    // jumps. E_INVALIDARG beyond kMaximumAudioDelayMs either way. UI thread.
    virtual HRESULT put_AudioDelay(long ms) = 0;
    // The sound output the clip plays on: the PulseAudio (or PipeWire) sink's
    // name, else the sink element's kind ("alsasink"); empty while no sound
    // output is open. UI thread.
    virtual HRESULT get_AudioOutput(std::string* name) = 0;
};

// Night mode: quiet dialogue lifted, loud sound held back, for late hours.
class INightMode {
  public:
    virtual ~INightMode() = default;
    // On or off; takes effect at once while playing. Off, the sound plays
    // exactly as without night mode. S_FALSE before the graph has a sound
    // output. UI thread.
    virtual HRESULT put_NightMode(bool on) = 0;
};

// How far the sound may be moved either way, in ms.
constexpr long kMaximumAudioDelayMs = 5'000;

class IGraphBuilder {
  public:
    virtual ~IGraphBuilder() = default;
    virtual HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter,
                              const std::string& name) = 0;
    virtual HRESULT AddSourceFilter(const std::string& fileName, const std::string& name,
                                    std::shared_ptr<IBaseFilter>* source) = 0;
    // Renders an output pin, to renderers already in the graph only.
    virtual HRESULT RenderEx(const std::shared_ptr<IPin>& pin, uint32_t flags, void* context) = 0;
    virtual HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) = 0;
    virtual HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) = 0;
    virtual HRESULT Abort() = 0;
    // The graph's other interfaces; they keep the graph alive.
    virtual HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) = 0;
    virtual HRESULT QueryMediaEvent(std::shared_ptr<IMediaEventEx>* out) = 0;
    virtual HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) = 0;
    virtual HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) = 0;
    virtual HRESULT QueryFilterGraph2(std::shared_ptr<IGraphBuilder>* out) = 0;
    // The source's tracks; E_NOINTERFACE where the framework cannot tell them.
    virtual HRESULT QueryStreamSelect(std::shared_ptr<IAMStreamSelect>* out);
    // The clip's chapters; E_NOINTERFACE where the framework cannot tell them.
    virtual HRESULT QueryChapters(std::shared_ptr<IAMChapters>* out);
    // Frame steps; E_NOINTERFACE where the framework cannot step.
    virtual HRESULT QueryVideoFrameStep(std::shared_ptr<IVideoFrameStep>* out);
    // The video path's deinterlacer; E_NOINTERFACE where the framework has none.
    virtual HRESULT QueryDeinterlace(std::shared_ptr<IDeinterlace>* out);
    // E_NOINTERFACE unless overridden.
    virtual HRESULT QueryAudioDelay(std::shared_ptr<IAudioDelay>* out);
    // E_NOINTERFACE unless overridden.
    virtual HRESULT QueryNightMode(std::shared_ptr<INightMode>* out);
};
using IFilterGraph2 = IGraphBuilder;

// Creates the framework's objects (CoCreateInstance) and keeps the graph
// registry (the running object table). UI thread.
class MediaFramework {
  public:
    virtual ~MediaFramework() = default;
    virtual HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) = 0;
    // "Video Mixing Renderer 9".
    virtual HRESULT CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) = 0;
    // "ASF Reader": a source that only takes Windows Media content.
    virtual HRESULT CreateAsfReader(std::shared_ptr<IBaseFilter>* out) = 0;
    // "Audio Renderer".
    virtual HRESULT CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) = 0;
    // "Tavimo Subtitle Mixer" drawing with `core` (may be null), which the
    // element keeps for as long as it lives: a graph someone still holds after
    // the record let it go never draws with a freed core.
    virtual HRESULT CreateSubtitleMixer(std::shared_ptr<CSubtitles> core,
                                        std::shared_ptr<IBaseFilter>* out) = 0;
    // Registers the graph for outside inspection tools; `cookie` 0 when not kept.
    virtual HRESULT AddGraphToRot(const std::shared_ptr<IGraphBuilder>& graph,
                                  uint32_t* cookie) = 0;
    virtual HRESULT RemoveGraphFromRot(uint32_t cookie) = 0;
    // A thumbnail decoder for `fileName` (path or URL); nothing is opened
    // yet. VFW_E_UNSUPPORTED_STREAM for network URLs, E_NOTIMPL where the
    // framework has none.
    virtual HRESULT CreateThumbnailSource(const std::string& fileName,
                                          std::shared_ptr<IThumbnailSource>* out);
};

// "FilterGraph %08x pid %08x": the name a graph is registered under.
std::string RotItemName(uint32_t graphAddress, uint32_t processId);

}  // namespace tavimo
