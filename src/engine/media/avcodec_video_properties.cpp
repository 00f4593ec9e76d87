// The H.264 decoder's properties, as GStreamer's libav decoder has them
// (the Filters menu lists them): the same names, ranges and defaults.
#include <gst/gst.h>

#include "engine/media/avcodec_video_internal.h"

namespace tavimo::h264dec {
namespace {

enum Property {
    kLowres = 1,
    kSkipFrame,
    kDirectRendering,
    kDebugMv,
    kMaxThreads,
    kOutputCorrupt,
    kThreadType,
    kCompliance
};

// The same types as the libav decoder's, by names of our own (both may be
// loaded at once).
GType EnumType(const char* name, const GEnumValue* values) {
    GType type = g_type_from_name(name);
    return type ? type : g_enum_register_static(name, values);
}

GType LowresType() {
    static const GEnumValue values[] = {
        {0, "0", "full"}, {1, "1", "1/2-size"}, {2, "2", "1/4-size"}, {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecLowres", values);
}

GType SkipFrameType() {
    static const GEnumValue values[] = {{0, "0", "Skip nothing"},
                                        {1, "1", "Skip B-frames"},
                                        {2, "2", "Skip IDCT/Dequantization"},
                                        {5, "5", "Skip everything"},
                                        {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecSkipFrame", values);
}

GType ComplianceType() {
    static const GEnumValue values[] = {
        {G_MAXINT,
         "The decoder automatically decides. If the pipeline is live, it will use "
         "`normal` mode, and `strict` otherwise.",
         "auto"},
        {2,
         "VeryStrict: Strictly conform to an older more strict version of the standard or "
         "reference software",
         "very-strict"},
        {1,
         "Strict: Strictly conform to all the things in the standard no matter what consequences",
         "strict"},
        {0, "Normal", "normal"},
        {-1,
         "Unofficial: Allow unofficial extensions (decoder will not differentiate this with "
         "\"normal\")",
         "unofficial"},
        {-2,
         "Experimental: Allow nonstandardized experimental things (decoder will not "
         "differentiate this with \"normal\")",
         "experimental"},
        {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecCompliance", values);
}

GType ThreadTypeType() {
    static const GFlagsValue values[] = {
        {0, "Auto", "auto"}, {1, "Frame", "frame"}, {2, "Slice", "slice"}, {0, nullptr, nullptr}};
    GType type = g_type_from_name("TavimoH264DecThreadType");
    return type ? type : g_flags_register_static("TavimoH264DecThreadType", values);
}

int* IntField(TavimoH264Dec* self, guint id) {
    switch (id) {
        case kLowres:
            return &self->lowres;
        case kSkipFrame:
            return &self->skipFrame;
        case kMaxThreads:
            return &self->maxThreads;
        case kThreadType:
            return &self->threadType;
        case kCompliance:
            return &self->compliance;
        default:
            return nullptr;
    }
}

bool* BoolField(TavimoH264Dec* self, guint id) {
    switch (id) {
        case kDirectRendering:
            return &self->directRendering;
        case kOutputCorrupt:
            return &self->outputCorrupt;
        case kDebugMv:
            return &self->debugMv;
        default:
            return nullptr;
    }
}

// Any thread; read when the codec opens (threads, compliance, lowres), per
// frame (skip-frame, output-corrupt) or per pool (direct-rendering).
void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* param) {
    TavimoH264Dec* self = Self(object);
    GST_OBJECT_LOCK(self);
    if (int* field = IntField(self, id))
        *field = G_VALUE_HOLDS_ENUM(value)    ? g_value_get_enum(value)
                 : G_VALUE_HOLDS_FLAGS(value) ? int(g_value_get_flags(value))
                                              : g_value_get_int(value);
    else if (bool* flag = BoolField(self, id))
        *flag = g_value_get_boolean(value);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    GST_OBJECT_UNLOCK(self);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* param) {
    TavimoH264Dec* self = Self(object);
    GST_OBJECT_LOCK(self);
    if (int* field = IntField(self, id)) {
        if (G_VALUE_HOLDS_ENUM(value))
            g_value_set_enum(value, *field);
        else if (G_VALUE_HOLDS_FLAGS(value))
            g_value_set_flags(value, guint(*field));
        else
            g_value_set_int(value, *field);
    } else if (bool* flag = BoolField(self, id)) {
        g_value_set_boolean(value, *flag);
    } else {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    }
    GST_OBJECT_UNLOCK(self);
}

}  // namespace

void InstallProperties(GObjectClass* klass) {
    klass->set_property = SetProperty;
    klass->get_property = GetProperty;
    const auto rw = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    g_object_class_install_property(
        klass, kSkipFrame,
        g_param_spec_enum("skip-frame", "Skip frames",
                          "Which types of frames to skip during decoding", SkipFrameType(), 0, rw));
    g_object_class_install_property(
        klass, kLowres,
        g_param_spec_enum("lowres", "Low resolution", "At which resolution to decode images",
                          LowresType(), 0, rw));
    g_object_class_install_property(klass, kDirectRendering,
                                    g_param_spec_boolean("direct-rendering", "Direct Rendering",
                                                         "Enable direct rendering", TRUE, rw));
    g_object_class_install_property(
        klass, kDebugMv,
        g_param_spec_boolean("debug-mv", "Debug motion vectors",
                             "Whether to print motion vectors on top of the image "
                             "(deprecated, non-functional)",
                             FALSE, GParamFlags(rw | G_PARAM_DEPRECATED)));
    g_object_class_install_property(
        klass, kOutputCorrupt,
        g_param_spec_boolean("output-corrupt", "Output corrupt buffers",
                             "Whether libav should output frames even if corrupted", TRUE, rw));
    g_object_class_install_property(
        klass, kMaxThreads,
        g_param_spec_int("max-threads", "Maximum decode threads",
                         "Maximum number of worker threads to spawn. (0 = auto)", 0, G_MAXINT, 0,
                         rw));
    g_object_class_install_property(
        klass, kThreadType,
        g_param_spec_flags("thread-type", "Thread type", "Multithreading methods to use",
                           ThreadTypeType(), 0, rw));
    g_object_class_install_property(
        klass, kCompliance,
        g_param_spec_enum("std-compliance", "Compliance", "Standard compliance mode to use",
                          ComplianceType(), G_MAXINT, rw));
}

}  // namespace tavimo::h264dec
