// Registration of our decoders on libavcodec, and libav's own messages
// sent to GStreamer's log.
#include "engine/media/avcodec_decoders.h"

#include <cstdarg>

extern "C" {
#include <libavutil/log.h>
}

namespace tavimo {
namespace {

// libav's messages go to GStreamer's log ("libav" at debug level), as the
// libav plugin has them, rather than to the terminal.
GST_DEBUG_CATEGORY_STATIC(libav_debug);

void LogLibav(void*, int level, const char* format, va_list args) {
    if (level > av_log_get_level() || !libav_debug)
        return;
    const GstDebugLevel to = level <= AV_LOG_ERROR     ? GST_LEVEL_ERROR
                             : level <= AV_LOG_WARNING ? GST_LEVEL_WARNING
                             : level <= AV_LOG_INFO    ? GST_LEVEL_INFO
                                                       : GST_LEVEL_DEBUG;
    if (to > gst_debug_category_get_threshold(libav_debug))
        return;
    char text[512];
    g_vsnprintf(text, sizeof text, format, args);
    g_strchomp(text);
    GST_CAT_LEVEL_LOG(libav_debug, to, nullptr, "%s", text);
}

}  // namespace

bool RegisterAvcodecDecoders() {
    static const bool logged = [] {
        GST_DEBUG_CATEGORY_INIT(libav_debug, "libav", 0, "libav's own messages");
        av_log_set_callback(LogLibav);
        return true;
    }();
    (void)logged;
    // Just above GStreamer's libav decoders (primary), below nothing else.
    constexpr guint kRank = GST_RANK_PRIMARY + 1;
    return gst_element_register(nullptr, kH264DecoderName, kRank,
                                avcodec_internal::H264DecoderType()) &&
           gst_element_register(nullptr, kAacDecoderName, kRank,
                                avcodec_internal::AacDecoderType()) &&
           gst_element_register(nullptr, kCentreDecoderName, GST_RANK_NONE,
                                avcodec_internal::CentreDecoderType());
}

}  // namespace tavimo
