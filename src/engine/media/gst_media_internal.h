// What the files of the GStreamer media framework share: the graph and the
// helpers they build with (the filter and pin wrappers are in
// gst_filter_wrappers.h). Not for use outside engine/media.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media/gst_cue_preroll.h"
#include "engine/media/gst_media.h"
#include "engine/media/gst_seek_landing.h"
#include "engine/media/gst_tracks.h"

namespace tavimo::gst_internal {

inline constexpr char kVideoRendererName[] = "Video Mixing Renderer 9";
inline constexpr char kAudioRendererName[] = "Audio Renderer";
inline constexpr char kConverterName[] = "Color Space Converter";
inline constexpr char kOverlayConverterName[] = "Overlay Converter";

enum class Role { Source, VideoRenderer, AudioRenderer, Mixer, Other };

// Takes ownership of a floating or full reference.
GstElement* Own(GstElement* element);
std::string CapsName(GstPad* pad);
bool HasProperty(gpointer object, const char* name);

// uridecodebin's "autoplug-select" for the readers that want a file's
// streams as stored: containers are opened, nothing else is plugged
// (decodebin's "try" and "expose"). Streaming thread.
int DemuxOnly(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer);

// A path or URL as a URI for uridecodebin; `network` tells remote sources.
HRESULT ResolveUri(const std::string& text, std::string* uri, bool* network);

// The 8-bit format with the chroma layout of a pad's deeper YUV format (10 or
// 12 bits, no alpha); UNKNOWN when the pad is 8-bit, RGB or has alpha.
GstVideoFormat ShallowFormatOf(GstPad* pad);

// How the converter is built for one video stream (see PlanConverter).
struct ConverterPlan {
    GstVideoFormat format = GST_VIDEO_FORMAT_UNKNOWN;   // the stream's own
    GstVideoFormat shallow = GST_VIDEO_FORMAT_UNKNOWN;  // ShallowFormatOf the stream
    guint queued = 0;   // frames a queue in front holds (none: no queue): the decoder
                        // gets a thread of its own (the graph adds it; not a filter)
    guint threads = 1;  // videoconvert's n-threads
};

// Whether one decoder thread keeps up with a stream of this size and rate
// (up to 1080p at 30 frames a second).
bool OneThreadDecodes(int width, int height, int fpsN, int fpsD);

// Streaming thread: the plan for the raw video of `pad` (its current caps).
ConverterPlan PlanConverter(GstPad* pad);

// "Color Space Converter": videoconvert with `plan.threads`, or for deep YUV
// a bin that first takes the depth to `plan.shallow`, then converts to what
// the mixer takes. Returns a floating reference, null when an element is
// missing.
GstElement* MakeConverter(const ConverterPlan& plan);

// Has `sink` show the frames that follow new caps at its "sink" pad however
// late they come, with its QoS off meanwhile (gst_late_frames.cpp). Nothing
// for a sink without that pad or without "max-lateness" and "qos". While the
// graph is built; the probe lives as long as the pad.
void HoldLateFramesAfterNewCaps(GstElement* sink);

// A bin of `chain`, linked in order, with the first element's sink pad.
GstElement* MakeBin(const char* name, std::initializer_list<GstElement*> chain);

// A thumbnail decoder of a local clip; VFW_E_UNSUPPORTED_STREAM for network
// sources (gst_thumbnails.cpp).
HRESULT NewThumbnailSource(const std::string& fileName, std::shared_ptr<IThumbnailSource>* out);

// The rows of an RGBx sample into `image` (width, height and the pixels
// without the stride's padding); E_FAIL when the sample does not map
// (gst_current_image.cpp).
HRESULT CopyRgbxSample(GstSample* sample, VideoImage* image);

// The first video sink that works here, in the order of preference; empty
// when none does.
std::string ProbeVideoSink();

// Whether any sound service or device is there to play to: a PulseAudio or
// PipeWire server (or a PulseAudio that libpulse can start: not as root),
// ALSA or OSS devices, a JACK server.
bool SoundOutputMayExist();

// What burns one kind of picture subtitles into the video: the streams'
// caps names, the overlay's factory, name, and pads.
struct OverlayRow {
    const char* caps[2];
    const char* factory;
    const char* name;
    const char* picturePad;
    const char* videoPad;
    bool runningTime;   // see PictureOverlay
    bool widenRegions;  // see PictureOverlay
};
inline constexpr size_t kOverlayKinds = 2;
extern const OverlayRow kOverlays[kOverlayKinds];

// The row of kOverlays whose overlay takes streams of caps `type`, -1 for none.
int PictureOverlayOf(const std::string& type);

class ElementFilter;
class AudioRendererFilter;

using Clock = std::chrono::steady_clock;

// A filter graph: one GstPipeline. Its methods live by concern in
// gst_graph.cpp (building, control, seeking, volume), gst_graph_events.cpp
// (the bus and the event queue) and gst_source.cpp (linking the source's
// streams to the renderers).
class GstGraph : public IGraphBuilder,
                 public IMediaControl,
                 public IMediaEventEx,
                 public IMediaSeeking,
                 public IBasicAudio,
                 public IAMChapters,
                 public IVideoFrameStep,
                 public IDeinterlace,
                 public IAudioDelay,
                 public INightMode,
                 public std::enable_shared_from_this<GstGraph> {
  public:
    explicit GstGraph(const GstMediaOptions& options);
    ~GstGraph() override;
    GstElement* pipeline() const { return pipeline_; }

    // --- IGraphBuilder ---
    HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) override;
    HRESULT AddSourceFilter(const std::string& fileName, const std::string& name,
                            std::shared_ptr<IBaseFilter>* source) override;
    HRESULT RenderEx(const std::shared_ptr<IPin>& pin, uint32_t, void*) override;
    HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override;
    HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override;
    HRESULT Abort() override;
    HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override { return Query(out); }
    HRESULT QueryMediaEvent(std::shared_ptr<IMediaEventEx>* out) override { return Query(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override { return Query(out); }
    HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override { return Query(out); }
    HRESULT QueryFilterGraph2(std::shared_ptr<IGraphBuilder>* out) override { return Query(out); }
    HRESULT QueryChapters(std::shared_ptr<IAMChapters>* out) override { return Query(out); }
    HRESULT QueryVideoFrameStep(std::shared_ptr<IVideoFrameStep>* out) override {
        return Query(out);
    }
    HRESULT QueryDeinterlace(std::shared_ptr<IDeinterlace>* out) override { return Query(out); }
    HRESULT QueryAudioDelay(std::shared_ptr<IAudioDelay>* out) override { return Query(out); }
    HRESULT QueryNightMode(std::shared_ptr<INightMode>* out) override { return Query(out); }
    HRESULT QueryStreamSelect(std::shared_ptr<IAMStreamSelect>* out) override {
        *out = std::shared_ptr<IAMStreamSelect>(shared_from_this(), &tracks_);
        return S_OK;
    }

    // --- IMediaControl: Stop keeps PAUSED so the decoders stay ---
    HRESULT Run() override;
    HRESULT Pause() override { return ChangeState(GST_STATE_PAUSED); }
    HRESULT Stop() override { return ChangeState(GST_STATE_PAUSED); }

    // --- IMediaEventEx ---
    HRESULT SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) override;
    HRESULT GetEvent(long* code, intptr_t* p1, intptr_t* p2, long timeoutMs) override;
    HRESULT FreeEventParams(long, intptr_t, intptr_t) override { return S_OK; }
    HRESULT WaitForCompletion(long timeoutMs, long* code) override;

    // --- IMediaSeeking: 100-ns units, GStreamer's nanoseconds / 100 ---
    HRESULT GetDuration(REFERENCE_TIME* duration) override;
    HRESULT GetCurrentPosition(REFERENCE_TIME* position) override;
    HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) override;
    HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                         uint32_t stopFlags) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override {
        *rate = rate_;
        return S_OK;
    }

    // --- IVideoFrameStep (gst_graph_step.cpp) ---
    HRESULT Step(long frames) override;
    HRESULT CanStep() override;

    // --- IDeinterlace (gst_deinterlace.cpp) ---
    HRESULT SetDeinterlaceMode(DeinterlaceMode mode) override;

    // --- IAudioDelay (gst_audio_delay.cpp) ---
    HRESULT put_AudioDelay(long ms) override;
    HRESULT get_AudioOutput(std::string* name) override;

    // --- INightMode (gst_audio_delay.cpp) ---
    HRESULT put_NightMode(bool on) override;

    // --- IBasicAudio ---
    HRESULT put_Volume(long volume) override;
    HRESULT get_Volume(long* volume) override {
        *volume = volume_;
        return S_OK;
    }

    static void ApplyVolume(GstElement* element, long volume);

    // --- IAMChapters: the table of contents the bus brought (gst_chapters.cpp) ---
    HRESULT get_MarkerCount(long* count) override;
    HRESULT GetMarkerTime(long marker, REFERENCE_TIME* start) override;
    HRESULT GetMarkerName(long marker, std::string* name) override;

  private:
    // The volume given to put_Volume, or silence while the speed is not 1
    // and the audio cannot follow it. Needs mutex_.
    void ApplyAudioLevelLocked();
    // A flushing seek to `ns` at the current rate with `flags`; waits for the
    // pipeline to settle (bounded).
    HRESULT SeekAt(gint64 ns, int flags);
    // The seek of SeekAt alone, without waiting; returns whether it was
    // sent. UI thread.
    bool SendSeek(gint64 ns, int flags);
    // Where the audio `sink` will never commit the pause it was asked for, a
    // flushing seek to where the clip stands (gst_graph.cpp); returns whether
    // one was sent. UI thread, without waitMutex_.
    bool PrerollOwedPause(GstElement* sink);
    // Whether a seek can move the clip: a file can; a network stream when its
    // server takes byte ranges and its pipeline says it can. UI thread.
    bool Seekable();
    // Ahead of a flushing seek: where the sound card's time stands for good,
    // a new audio sink, the pipeline paused (gst_graph.cpp). Returns whether
    // it was playing. UI thread.
    bool ReplaceStuckSound();
    // Whether the sound card's time behind the pipeline's clock went wrong
    // for good (SoundCardClockStuck): the next start needs a new audio sink
    // first. UI thread.
    bool SoundStuck();
    // The clip's time the picture shows when the sinks' position is `ns`
    // (the picture is held back for a negative delay). Any thread.
    gint64 PictureTime(gint64 ns) const;
    // The renderers' sinks hold back the sound or the picture by
    // `audioDelayMs_` (gst_audio_delay.cpp). Lock held.
    void ApplyAudioDelayLocked();
    // The attached audio renderer (shared), null without one. Any thread.
    std::shared_ptr<AudioRendererFilter> AudioRenderer();
    // The video sink (borrowed), null without a linked video renderer.
    GstElement* VideoSink();
    // Frame steps of the paused `sink` (gst_graph_step.cpp): back to the
    // frame at `target` (the clip's own time, ns), and `frames` frames on.
    // UI thread; return once the frame is shown (bounded).
    HRESULT StepBackTo(GstElement* sink, GstClockTime target);
    HRESULT StepOn(GstElement* sink, guint64 frames);
    // Before an accurate seek to `target`: it lands on the first frame at
    // or after it; a seek to where the clip stands (a redraw) keeps the
    // frame shown, as `target` becomes that frame's start (gst_seek_landing.cpp).
    void ArmLanding(REFERENCE_TIME* target);

    struct Event {
        long code;
        intptr_t param;
    };

    template <typename T>
    HRESULT Query(std::shared_ptr<T>* out) {
        *out = std::shared_ptr<T>(shared_from_this(), static_cast<T*>(this));
        return S_OK;
    }

    int TimeoutMs() const { return network_ ? options_.networkTimeoutMs : options_.fileTimeoutMs; }

    // Sets the pipeline's state and waits, bounded, for it to settle.
    HRESULT ChangeState(GstState state);
    HRESULT WaitForState(GstState state);

    // --- streaming threads: the bus and the events (gst_graph_events.cpp) ---
    static GstBusSyncReply SyncHandler(GstBus*, GstMessage* message, gpointer data);
    void OnMessage(GstMessage* message);
    // Network sources: pause below 100 % buffered, play on at 100 %.
    void OnBuffering(GstMessage* message);
    // The change OnBuffering asks for, made on GStreamer's pool thread as the
    // graph (`weak`, a std::weak_ptr<GstGraph>*) stands when it runs.
    static void PlayAsBuffered(GstElement* pipeline, gpointer weak);
    // The headers of an HTTP source's answer (souphttpsrc's "http-headers",
    // borrowed); a streaming thread.
    void OnHttpHeaders(const GstStructure* headers);
    // A table of contents: its chapters replace those known (gst_chapters.cpp).
    void OnToc(GstMessage* message);
    // The chapters a local file holds where its demuxer reports none (MP4),
    // read on a worker (gst_chapters.cpp). UI thread.
    void ReadFileChapters(const std::string& uri);
    // Takes the file's chapters unless a table of contents came first.
    void KeepFileChapters(std::vector<std::pair<REFERENCE_TIME, std::string>> found);
    void QueueEvent(long code, intptr_t param, bool completes);
    // One queued call to the notify target for every batch of events.
    void PostNotifyLocked();

    // --- the source's streams (gst_source.cpp) ---
    void ConnectSource(GstElement* element);
    static void OnDecoderAdded(GstBin*, GstBin*, GstElement* element, gpointer ownPool);
    static void OnPadAdded(GstElement*, GstPad* pad, gpointer data);
    // Renders the raw video to the renderer, through the converter and mixer.
    bool LinkVideo(GstPad* pad);
    void AddVideoQueue(guint frames);
    GstElement* Upright(GstElement* converter);
    // deinterlace in front of the converter, in the mode asked for, for the
    // video of `pad` (gst_deinterlace.cpp); false when it is missing or
    // cannot process that video's format. Lock held.
    bool AddDeinterlacer(GstPad* pad);
    // The first element of the video path: the queue, the deinterlacer or the converter.
    GstElement* VideoPathHead() const;
    // Every audio stream through the one input-selector to the renderer
    // (gst_streams.cpp).
    bool LinkAudio(GstPad* pad);
    // A subtitle stream to a sink of its own that never holds the pipeline;
    // `drawn`: listed as a track to choose, not greyed.
    bool LinkSubtitle(GstPad* pad, bool drawn = true);
    // A picture subtitle stream through the selector of the overlay
    // kOverlays[`kind`] to that overlay in the video path, which joins it on
    // its first stream (PictureOverlayOf).
    bool LinkPicture(GstPad* pad, size_t kind);
    bool JoinPictureOverlay(size_t kind);
    // A converter behind the picture overlays, for a sink that takes none of
    // the formats they draw into (gst_streams.cpp). Lock held.
    bool JoinOverlayConverter();
    // Puts `element` (its sink pad `input`) into the video path in front of
    // the overlays joined before it and the mixer. Lock held.
    bool JoinVideoPath(GstElement* element, const char* input);
    // Links `from` to the mixer (when there is one) and on to the renderer.
    bool LinkVideoTail(GstElement* from);
    // A stream no installed decoder takes: listed, not played.
    static void OnUnknownType(GstElement*, GstPad* pad, GstCaps* caps, gpointer data);
    // Streaming thread: a cue of the subtitle track shown, from `startMs` to
    // `endMs`, has arrived; a paused picture inside it is drawn again.
    void RedrawPausedWithin(int64_t startMs, int64_t endMs);
    static void OnNoMorePads(GstElement*, gpointer data);
    void Detach(ElementFilter& filter);
    std::shared_ptr<ElementFilter> FindAttached(Role role);
    // The filter an element of the pipeline is listed as, null when none.
    std::shared_ptr<IBaseFilter> FilterOf(GstElement* element);

    GstMediaOptions options_;
    GstElement* pipeline_;
    std::mutex mutex_;  // filters_, listed_, converter_, linked_
    std::vector<std::shared_ptr<ElementFilter>> filters_;
    // Filters listed for elements that are not filters_, by element.
    std::map<GstElement*, std::shared_ptr<ElementFilter>> listed_;
    GstElement* converter_ = nullptr;     // owned by the pipeline
    GstElement* videoQueue_ = nullptr;    // in front of it, or null; owned by the pipeline
    GstElement* deinterlacer_ = nullptr;  // between the two, or null; owned by the pipeline
    std::atomic<DeinterlaceMode> deinterlaceMode_{DeinterlaceMode::Auto};
    GstElement* selector_ = nullptr;  // the audio input-selector (ref)
    // The picture overlays joined, by their row of kOverlays; owned by the
    // pipeline. videoEntry_: what the converter feeds, null for the mixer.
    std::array<PictureOverlay, kOverlayKinds> overlays_{};
    GstPad* videoEntry_ = nullptr;  // borrowed from the first overlay
    int linked_ = 0;
    bool network_ = false;
    // The network source's server answered without byte ranges: the
    // stream cannot seek (gst_graph_events.cpp).
    std::atomic<bool> rangesRefused_{false};
    long volume_ = 0;
    long audioDelayMs_ = 0;  // the sound's delay against the picture (IAudioDelay)
    // How far the picture is held back behind the sinks' position (running
    // time, ns) for a negative delay, and where the last seek landed (clip
    // time, ns); for PictureTime. A longer hold is taken up as the picture
    // stands, from the sinks' position `holdChangedAt` on.
    struct PictureHold {
        gint64 from = 0;
        gint64 to = 0;
        gint64 changedAt = 0;
        gint64 landed = 0;
        // The hold when the sinks' position is `ns`, played at `rate`.
        gint64 At(gint64 ns, double rate) const;
    };
    mutable std::mutex holdMutex_;
    PictureHold hold_;  // guarded by holdMutex_
    double rate_ = 1.0;
    // Frames were stepped since the last seek: the audio stands behind the picture.
    bool stepped_ = false;

    std::atomic<HRESULT> error_{S_OK};  // the first error of the pipeline
    std::atomic<bool> buffering_{false};
    std::atomic<bool> wantPlaying_{false};
    std::mutex waitMutex_;
    std::condition_variable cv_;
    std::atomic<bool> abort_{false};
    std::atomic<int> stepsDone_{0};  // STEP_DONE messages seen

    std::mutex eventMutex_;  // events_, notify_, msg_, param_, notifyPosted_, completed_
    std::condition_variable eventCv_;
    std::deque<Event> events_;
    GraphNotifyTarget notify_;
    long msg_ = 0;
    intptr_t param_ = 0;
    bool notifyPosted_ = false;
    bool completed_ = false;

    // The stop position of the seeks (100 ns; -1: the end) and whether
    // reaching it ends a segment rather than the clip. UI thread.
    REFERENCE_TIME stop_ = -1;
    bool segment_ = false;

    struct Chapter {
        REFERENCE_TIME start;
        std::string title;
    };
    std::mutex chapterMutex_;  // chapters_, tocSeen_
    std::vector<Chapter> chapters_;
    bool tocSeen_ = false;  // the chapters came from a table of contents
    std::atomic<bool> redrawPosted_{false};
    SeekLanding landing_;  // on the decoded pictures

    // The source's tracks; declared last, so that it goes first, after the
    // pipeline has stopped.
    SourceTracks tracks_;
    // The cues before a seek's target, for a local file; goes before tracks_.
    std::unique_ptr<CuePreroll> cuePreroll_;
};

}  // namespace tavimo::gst_internal
