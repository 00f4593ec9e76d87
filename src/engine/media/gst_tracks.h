// The source's audio and subtitle tracks (IAMStreamSelect on GStreamer): every
// audio stream through one input-selector to the audio renderer, every
// subtitle stream to a sink of its own whose cues are kept per track and sent
// to the player's subtitle track or ASS script for the track chosen, and every
// picture subtitle stream through the input-selector of its kind's overlay in
// the video path (dvdspu for PGS and VobSub, dvbsuboverlay for DVB). Not for
// use outside engine/media.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media/media.h"
#include "subtitles/embedded_cues.h"

namespace tavimo::gst_internal {

// An overlay in the video path that burns one kind of picture subtitles in,
// fed by an input-selector of those streams. Borrowed: the pipeline owns them.
struct PictureOverlay {
    GstElement* selector = nullptr;  // the picture streams' input-selector
    GstPad* pictures = nullptr;      // the overlay's picture side
    GstPad* video = nullptr;         // the overlay's video side
    // The overlay compares a picture's time with the video's running time
    // as it stands (dvbsuboverlay): pictures are given to it in running
    // time, in a segment that starts at 0.
    bool runningTime = false;
    // DVB display sets get a column to spare in each region (WidenDvbRegions).
    bool widenRegions = false;
};

class SourceTracks : public IAMStreamSelect {
  public:
    SourceTracks() = default;
    ~SourceTracks() override;
    SourceTracks(const SourceTracks&) = delete;
    SourceTracks& operator=(const SourceTracks&) = delete;

    // Streaming thread (the source's pad-added): `pad`, raw audio, now feeds
    // `selectorPad` of `selector`. The first audio in file order plays until
    // Enable chooses another. Takes references of its own.
    void AddAudio(GstPad* pad, GstElement* selector, GstPad* selectorPad);
    // Streaming thread: `pad`, a subtitle stream, now feeds `sinkPad`, the
    // pad of a sink of its own; its cues are watched there.
    void AddSubtitle(GstPad* pad, GstPad* sinkPad);
    // Streaming thread (the source's unknown-type): a stream that no
    // installed decoder takes, listed with decodable = false.
    void AddUndecodable(GstPad* pad, GstCaps* caps);
    // Streaming thread: `pad`, a subtitle stream, now feeds `sinkPad`, the
    // pad of a sink of its own, without being drawn (no overlay takes it):
    // listed greyed.
    void AddUndrawn(GstPad* pad, GstPad* sinkPad);
    // Streaming thread: `pad`, a picture subtitle stream, now feeds
    // `selectorPad` of `overlay.selector`, whose output the overlay burns
    // into the picture. Nothing passes until Enable chooses the track. Takes
    // references of its own.
    void AddPicture(GstPad* pad, const PictureOverlay& overlay, GstPad* selectorPad);

    // Called on a streaming thread, with the lock held, when a cue of the
    // track shown arrives: its times in ms of the clip (delay applied). Set
    // once, before the source is rendered.
    using CueHandler = std::function<void(int64_t startMs, int64_t endMs)>;
    void OnShownCue(CueHandler handler) { onShownCue_ = std::move(handler); }
    // Called on the UI thread, without the lock: where playback stands, in
    // ns of the clip, -1 when unknown. Set once, before the source is rendered.
    using PositionSource = std::function<int64_t()>;
    void OnPosition(PositionSource source) { position_ = std::move(source); }

    // --- IAMStreamSelect; UI thread ---
    HRESULT Count(long* count) override;
    HRESULT Info(long index, StreamInfo* info) override;
    // Audio: ENABLE switches the selector, at once while playing, else
    // when play resumes (0 is refused: one audio track always plays). Subtitles: ENABLE sends the
    // track's cues to the targets, 0 takes them away. S_OK when the choice changed nothing either;
    // the caller redraws a paused picture.
    HRESULT Enable(long index, uint32_t flags) override;
    HRESULT SetSubtitleTargets(SubtitleTrack* track, MixerShared* mixer) override;
    // UI thread, once the pipeline plays: the audio track chosen while it did
    // not (Enable) now plays.
    void ApplyPendingAudio();

    // A cue of the stream `streamId` read by a second reader of the file
    // (CuePreroll): kept as if the track's own sink had it, its time stamp
    // read through the track's own segment (the reader's seek may place its
    // segment elsewhere). Any thread but the tracks' own sinks'
    // (gst_tracks_ahead.cpp).
    void AddReadAhead(const std::string& streamId, GstBuffer* buffer);

    struct Track;
    struct Road;

  private:
    void AddSubtitle(GstPad* pad, GstPad* sinkPad, bool drawn);
    static GstPadProbeReturn OnSubtitleData(GstPad*, GstPadProbeInfo* info, gpointer data);
    // A road's selector output: passes only the chosen picture track, and
    // only while subtitles are in view, moved by the delay.
    static GstPadProbeReturn OnPictureData(GstPad*, GstPadProbeInfo* info, gpointer data);
    // A picture track's stream: every picture is kept by its time.
    static GstPadProbeReturn OnPictureRead(GstPad*, GstPadProbeInfo* info, gpointer data);
    // A road's overlay, video side, after a seek: the picture due at the new
    // segment's start goes to the overlay before the first frame does.
    static GstPadProbeReturn OnVideoSegment(GstPad*, GstPadProbeInfo* info, gpointer data);
    // What the overlay is to be given after a switch or a seek; refs.
    struct PictureDue {
        bool switched = false;
        GstPad* selectorPad = nullptr;  // the chosen track's, null when none
        GstCaps* caps = nullptr;        // the chosen track's
        GstEvent* palette = nullptr;    // VobSub: the chosen track's colours
        GstBuffer* picture = nullptr;   // due at the time asked, or null
        // Read already, due after that time: a track switched on had them
        // dropped while it was off (the source reads a sparse stream ahead).
        std::vector<GstBuffer*> ahead;
    };
    // The picture of `road`'s chosen track due at `time` (ns of the
    // stream), a copy starting no earlier than `time`; lock held.
    PictureDue PictureDueLocked(const Road& road, GstClockTime time);
    // The pictures of `road`'s chosen track read already and due after
    // `time`, into `due.ahead` (copies, moved by the subtitle delay); lock
    // held (gst_tracks_ahead.cpp).
    void PicturesAheadLocked(const Road& road, GstClockTime time, PictureDue* due);
    // Gives `road`'s overlay `due` (switching the selector first when
    // `due.switched`), with `segment` when not null. Without the lock: the
    // overlay's pads take their stream locks. Takes `due`'s references.
    // `once`: only when nothing was given since the last flush (a seek
    // reaches the overlay on both its sides; the first to come gives).
    static void GivePicture(Road& road, PictureDue due, const GstSegment* segment, bool once);
    HRESULT EnableLocked(long index, uint32_t flags);
    static GstClockTime TimeOfVideoAt(const Road& road, int64_t clipNs);
    // The picture track of `road` shown, -1 when none is; lock held.
    long PictureShownLocked(const Road& road) const;
    void OnCaps(Track& track, GstCaps* caps);
    void OnCue(Track& track, GstBuffer* buffer);
    // Keeps a converted text cue of `track`, and shows it when the track is.
    void AddTextCue(Track& track, SubtitleEntry entry);
    void OnTags(GstTagList* tags);
    void TellShownLocked(int64_t startMs, int64_t endMs);
    // Places a new track by file order; lock held.
    Track& InsertLocked(std::unique_ptr<Track> track);
    // Sends the chosen subtitle track (none: -1) to the targets; lock held.
    void ShowLocked(long index);

    std::mutex mutex_;                            // everything below
    std::vector<std::unique_ptr<Track>> tracks_;  // in file order
    GstElement* selector_ = nullptr;              // the audio input-selector (ref)
    bool audioChosen_ = false;                    // Enable chose the audio
    GstPad* pendingAudio_ = nullptr;  // chosen while not playing: its selector pad (ref)
    long subtitle_ = -1;              // the subtitle track shown, -1 none
    SubtitleTrack* track_ = nullptr;
    MixerShared* mixer_ = nullptr;
    // Fonts attached to the file (name, bytes), for the ASS script.
    std::vector<std::pair<std::string, std::string>> fonts_;
    size_t fontsGiven_ = 0;  // how many of them the script has
    unsigned arrivals_ = 0;
    std::vector<std::unique_ptr<Road>> roads_;        // one for each overlay
    std::atomic<MixerShared*> pictureView_{nullptr};  // mixer_, for the probes
    CueHandler onShownCue_;
    PositionSource position_;
};

// One track; its cue stores are written by its sink's streaming thread under
// the owner's lock.
struct SourceTracks::Track {
    SourceTracks* owner = nullptr;
    GstPad* pad = nullptr;  // the stream's pad (ref): caps, tags, flags
    uint64_t order = 0;     // file order
    // Its demuxer flags disabled tracks, not default ones (FlagsDisabledTracks).
    bool flagsDisabled = false;
    StreamInfo::Kind kind = StreamInfo::Kind::Audio;
    std::string format;  // short name for menus
    bool decodable = true;
    GstPad* selectorPad = nullptr;  // audio, pictures: its input-selector pad (ref)
    Road* road = nullptr;           // pictures: the overlay they go to
    enum class Cues { None, Text, Ass, Picture } cues = Cues::None;
    CueFormat textFormat = CueFormat::PangoMarkup;
    CueList text;
    AssEventList ass;
    std::string assHeader;
    GstSegment segment;  // of the cues, for their stream time
    // Pictures (PGS display sets, VobSub units) by their time (refs), and
    // their bytes in all.
    std::map<GstClockTime, GstBuffer*> pictures;
    size_t pictureBytes = 0;
    GstEvent* palette = nullptr;  // VobSub: the demuxer's colour table event (ref)

    ~Track() {
        gst_clear_object(&pad);
        gst_clear_object(&selectorPad);
        for (auto& [time, buffer] : pictures)
            gst_buffer_unref(buffer);
        if (palette)
            gst_event_unref(palette);
    }
};

// One overlay with the picture tracks that go to it.
struct SourceTracks::Road {
    SourceTracks* owner = nullptr;
    GstElement* selector = nullptr;  // (ref)
    GstPad* pictures = nullptr;      // the overlay's picture side (ref)
    GstPad* video = nullptr;         // the overlay's video side (ref)
    bool runningTime = false;        // see PictureOverlay
    bool widenRegions = false;       // see PictureOverlay
    std::atomic<bool> on{false};     // one of its tracks is shown
    bool switched = false;           // ShowLocked changed its track; the owner's lock
    // The segment of the pictures passing the selector; its streaming thread.
    GstSegment segment;
    std::mutex giveMutex;  // held while the overlay is given a picture
    bool given = false;    // a picture was given since the last flush; giveMutex

    ~Road() {
        gst_clear_object(&selector);
        gst_clear_object(&pictures);
        gst_clear_object(&video);
    }
};

// What a subtitle stream's caps make of its cues: text in which markup, or
// ASS with the script's header. Streaming thread; the owner's lock held or
// the track not yet listed.
void ReadCueCaps(SourceTracks::Track& track, GstCaps* caps);

// What a subtitle stream's caps carry: text cues (written as `*format`
// says), ASS/SSA events, or neither (pictures, unknown). Any thread.
enum class CueKind { None, Text, Ass };
CueKind CueKindOf(GstCaps* caps, CueFormat* format);

}  // namespace tavimo::gst_internal
