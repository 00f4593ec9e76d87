// After a seek, the text cues that run at its target but start before where
// the source reads from (a Matroska clip is read from the key frame's
// cluster on, so a line begun earlier would be missing until the next one):
// a second reader of the same file, with nothing decoded, reads its subtitle
// streams from a while before the target up to it, as fast as it can, on a
// thread of its own. Not for use outside engine/media.
#pragma once

#include <gst/gst.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tavimo::gst_internal {

class CuePreroll {
  public:
    // How far before a seek's target the cues are read from.
    static constexpr GstClockTime kLookBack = 10 * GST_SECOND;

    // A cue read: the id of its stream (as the clip's own source names it)
    // and the buffer, stamped as the demuxer stamps it. Called on the
    // reader's thread.
    using CueSink = std::function<void(const std::string& streamId, GstBuffer* buffer)>;

    // Reads the local file `uri` when asked; nothing is opened before the
    // first Read. UI thread.
    CuePreroll(std::string uri, CueSink sink);
    // Stops a read under way and closes the reader. UI thread.
    ~CuePreroll();
    CuePreroll(const CuePreroll&) = delete;
    CuePreroll& operator=(const CuePreroll&) = delete;

    // Reads the cues from kLookBack before `target` (ns of the clip) up to
    // it; a request not yet started is replaced, one for the target asked
    // last is not made again. Returns at once. UI thread.
    void Read(GstClockTime target);

  private:
    struct PadState;
    void Run();
    bool Open();
    void ReadUpTo(GstClockTime target);
    bool Stopping() const;
    static void OnPadAdded(GstElement*, GstPad* pad, gpointer data);
    static void OnNoMorePads(GstElement*, gpointer data);
    static GstPadProbeReturn OnCueData(GstPad* pad, GstPadProbeInfo* info, gpointer data);

    const std::string uri_;
    const CueSink sink_;
    GstElement* pipeline_ =
        nullptr;  // the reader's thread makes it under mutex_; the destructor takes it down
    bool broken_ = false;       // no subtitle stream, or it failed to open
    mutable std::mutex mutex_;  // what follows
    std::condition_variable wake_;
    std::optional<GstClockTime> pending_;
    GstClockTime asked_ = GST_CLOCK_TIME_NONE;  // the target asked last
    bool stop_ = false;
    bool padsDone_ = false;
    int subtitles_ = 0;   // subtitle streams linked
    std::thread thread_;  // last: starts once the rest is built
};

}  // namespace tavimo::gst_internal
