// After a seek, the text cues that run at its target but start before where
// the source reads from (a Matroska clip is read from the key frame's
// cluster on, so a line begun earlier would be missing until the next one):
// a second reader of the same file, with nothing decoded, reads its subtitle
// streams from a while before the target up to it, as fast as it can, on a
// thread of its own. Not for use outside engine/media.
#pragma once

#include <gst/gst.h>

#include <functional>
#include <memory>
#include <string>

namespace tavimo::gst_internal {

class CuePreroll {
  public:
    // How far before a seek's target the cues are read from.
    static constexpr GstClockTime kLookBack = 10 * GST_SECOND;

    // A cue read: the id of its stream (as the clip's own source names it)
    // and the buffer, stamped as the demuxer stamps it. Called on the
    // reader's thread, never once the destructor has returned.
    using CueSink = std::function<void(const std::string& streamId, GstBuffer* buffer)>;

    // Reads the local file `uri` when asked; nothing is opened before the
    // first Read. UI thread.
    CuePreroll(std::string uri, CueSink sink);
    // Stops a read under way and closes the reader, waiting a moment for its
    // thread; a thread still held in GStreamer then is let go and closes the
    // reader on its own when it gets free. UI thread.
    ~CuePreroll();
    CuePreroll(const CuePreroll&) = delete;
    CuePreroll& operator=(const CuePreroll&) = delete;

    // Reads the cues from kLookBack before `target` (ns of the clip) up to
    // it; a request not yet started is replaced, one for the target asked
    // last is not made again. Returns at once. UI thread.
    void Read(GstClockTime target);

  private:
    struct Reader;  // shared with the reader's thread, which may outlive this
    std::shared_ptr<Reader> reader_;
};

}  // namespace tavimo::gst_internal
