#include "subtitles/subtitle_mixer_element.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

namespace tavimo {
namespace {

constexpr const char kFactoryName[] = "tavimosubtitlemixer";
constexpr const char kElementName[] = "Tavimo Subtitle Mixer";

// Raw formats the mixer has a drawing rule for; the converter in front of it
// turns anything else into one of these.
constexpr const char kCaps[] =
    "video/x-raw, format=(string){ YUY2, YV12, I420, NV12, RGB, BGR, BGRx, BGRA, xRGB, ARGB, "
    "RGB16, RGB15 }, width=(int)[1, 32767], height=(int)[1, 32767], "
    "framerate=(fraction)[0/1, 2147483647/1]";

struct TavimoSubtitleMixer {
    GstVideoFilter parent;
    CSubtitles* core;
};

struct TavimoSubtitleMixerClass {
    GstVideoFilterClass parent_class;
};

GType tavimo_subtitle_mixer_get_type();
G_DEFINE_TYPE(TavimoSubtitleMixer, tavimo_subtitle_mixer, GST_TYPE_VIDEO_FILTER)

GstFlowReturn TransformFrameIp(GstVideoFilter*, GstVideoFrame*) { return GST_FLOW_OK; }

void tavimo_subtitle_mixer_class_init(TavimoSubtitleMixerClass* klass) {
    auto* element_class = GST_ELEMENT_CLASS(klass);
    auto* filter_class = GST_VIDEO_FILTER_CLASS(klass);
    gst_element_class_set_static_metadata(element_class, kElementName, "Filter/Effect/Video",
                                          "Burns the current subtitle into each video frame",
                                          "Tavimo");
    GstCaps* caps = gst_caps_from_string(kCaps);
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
    filter_class->transform_frame_ip = TransformFrameIp;
}

void tavimo_subtitle_mixer_init(TavimoSubtitleMixer* self) {
    self->core = nullptr;
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), TRUE);
}

}  // namespace

bool RegisterSubtitleMixer() {
    return gst_element_register(nullptr, kFactoryName, GST_RANK_NONE,
                                tavimo_subtitle_mixer_get_type());
}

GstElement* NewSubtitleMixer(CSubtitles* core) {
    if (!RegisterSubtitleMixer()) {
        return nullptr;
    }
    GstElement* element = gst_element_factory_make(kFactoryName, kElementName);
    if (element != nullptr) {
        reinterpret_cast<TavimoSubtitleMixer*>(element)->core = core;
    }
    return element;
}

}  // namespace tavimo
