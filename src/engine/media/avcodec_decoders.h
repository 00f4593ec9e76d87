// Our own decoders of H.264 pictures and AAC sound, straight on libavcodec,
// ranked above GStreamer's libav plugin for the caps they take. Playing the
// common H.264 + AAC clip then never loads that plugin, which drags in
// libavformat, libavfilter and some 180 libraries with them (about 20 MB
// resident); every other format is still decoded by the plugin. And the
// speech listener's AC-3 decoder, plugged by it alone.
#pragma once

#include <gst/gst.h>

namespace tavimo {

// Factory names of the decoders.
inline constexpr char kH264DecoderName[] = "tavimoh264dec";
inline constexpr char kAacDecoderName[] = "tavimoaacdec";
// AC-3 and E-AC-3 to their centre channel alone where they have one (all
// their channels otherwise); for listening to speech, never plugged by
// itself (rank none).
inline constexpr char kCentreDecoderName[] = "tavimocentredec";

// The AAC and AC-3 decoders' property (guint64, ns; 0 by default): sound
// held back until that much has been decoded, to go out as one buffer (a
// change of format, a drain or a decoding error sends what is held first).
inline constexpr char kBatchProperty[] = "batch-duration";

// Registers the decoders with GStreamer, H.264's and AAC's ranked just
// above the libav plugin's. Safe to call more than once; any thread. Returns false when
// GStreamer refuses one of them.
bool RegisterAvcodecDecoders();

// Whether `element` is our H.264 decoder (null: no). Any thread. It limits
// its threads and renders into the colour converter's pool by itself.
bool IsAvcodecVideoDecoder(GstElement* element);

namespace avcodec_internal {
GType H264DecoderType();
GType AacDecoderType();
GType CentreDecoderType();
}  // namespace avcodec_internal

}  // namespace tavimo
