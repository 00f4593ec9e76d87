#include "engine/media/audio_output.h"

#include "engine/media/gst_media_internal.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tavimo {
namespace {

// ALSA's error handler type: file, line, function, error, printf format.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

void SayNothing(const char*, int, const char*, int, const char*, ...) {}

// Whether `factory` opens its device: taken to READY and back.
GstElement* OpenedSink(GstElementFactory* factory) {
    GstElement* sink = gst_element_factory_create(factory, nullptr);
    if (sink == nullptr) {
        return nullptr;
    }
    gst_object_ref_sink(sink);
    const bool opened = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (!opened) {
        gst_object_unref(sink);
        return nullptr;
    }
    g_object_force_floating(G_OBJECT(sink));
    return sink;
}

GstElement* FirstOpened(const std::vector<std::string>& candidates) {
    if (!candidates.empty()) {
        for (const std::string& name : candidates) {
            GstElementFactory* factory = gst_element_factory_find(name.c_str());
            if (factory == nullptr) {
                continue;
            }
            GstElement* sink = OpenedSink(factory);
            gst_object_unref(factory);
            if (sink != nullptr) {
                return sink;
            }
        }
        return nullptr;
    }
    // As autoaudiosink looks: audio sinks of marginal rank or better, best first.
    GList* factories = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    factories = g_list_sort(factories, gst_plugin_feature_rank_compare_func);
    GstElement* sink = nullptr;
    for (GList* item = factories; item != nullptr && sink == nullptr; item = item->next) {
        sink = OpenedSink(GST_ELEMENT_FACTORY(item->data));
    }
    gst_plugin_feature_list_free(factories);
    return sink;
}

}  // namespace

void QuietAudioLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        setenv("ALSOFT_LOGLEVEL", "0", 0);  // OpenAL Soft; a user's own choice stays
        // libasound prints through a handler of its own; this process's copy
        // of the library (shared with the plugins that load it) gets a silent one.
        if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
            using SetHandler = int (*)(AlsaErrorHandler);
            if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
                set(&SayNothing);
            }
        }
    });
}

void KeepOffStreamClock(GstElement* sink) {
    GstElementFactory* factory = sink ? gst_element_get_factory(sink) : nullptr;
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "pulsesink") != 0)
        return;
    g_object_set(sink, "provide-clock", FALSE, nullptr);
    gst_util_set_object_arg(G_OBJECT(sink), "slave-method", "none");
}

GstElement* MakeAudioOutput(const std::vector<std::string>& candidates) {
    QuietAudioLibraries();
    // Where no sound service or device exists at all, no sink (nor its
    // libraries) is loaded only to fail.
    const bool mayOpen = !candidates.empty() || gst_internal::SoundOutputMayExist();
    if (GstElement* sink = mayOpen ? FirstOpened(candidates) : nullptr) {
        KeepOffStreamClock(sink);
        return sink;
    }
    static std::atomic<bool> said{false};
    if (!said.exchange(true)) {
        std::fputs("tavimo: no audio output; playing without sound\n", stderr);
    }
    GstElement* silence = gst_element_factory_make("fakesink", "silent-audio-sink");
    if (silence != nullptr) {
        g_object_set(silence, "sync", TRUE, nullptr);  // at the clock's pace, like a sound card
    }
    return silence;
}

}  // namespace tavimo
