// Sink probing: which video sink draws here, and whether anything can play sound.
#include <gst/gl/gl.h>
#include <gst/gl/gstglfuncs.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

// Whether a sink can work here: it opens its device going NULL -> READY.
bool SinkWorks(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (!sink)
        return false;
    gst_object_ref_sink(sink);
    bool ok = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return ok;
}

// The few functions of GStreamer's OpenGL library the probe calls, looked up
// when a probe needs them. Linked in, the library and the OpenGL, Wayland
// and udev libraries it pulls in (eleven in all, 5,800 relocations) were
// loaded and relocated at every start, where most machines never ask:
// glimagesink is probed only where a GPU device exists, and its plugin
// loads the library itself.
struct GlCalls {
    GstGLDisplay* (*displayNew)();
    GstGLContext* (*contextNew)(GstGLDisplay*);
    gboolean (*contextCreate)(GstGLContext*, GstGLContext*, GError**);
    void (*threadAdd)(GstGLContext*, GstGLContextThreadFunc, gpointer);
};

// Null when the library or one of its functions is missing. The library
// stays loaded (the plugin shares it). Any thread.
const GlCalls* LoadGlCalls() {
    static const GlCalls* calls = []() -> const GlCalls* {
        void* library = dlopen("libgstgl-1.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static GlCalls found;
        found.displayNew =
            reinterpret_cast<decltype(found.displayNew)>(dlsym(library, "gst_gl_display_new"));
        found.contextNew =
            reinterpret_cast<decltype(found.contextNew)>(dlsym(library, "gst_gl_context_new"));
        found.contextCreate = reinterpret_cast<decltype(found.contextCreate)>(
            dlsym(library, "gst_gl_context_create"));
        found.threadAdd = reinterpret_cast<decltype(found.threadAdd)>(
            dlsym(library, "gst_gl_context_thread_add"));
        const bool all =
            found.displayNew && found.contextNew && found.contextCreate && found.threadAdd;
        return all ? &found : nullptr;
    }();
    return calls;
}

// Whether OpenGL draws in software here (llvmpipe, softpipe, swrast): a
// 1080p frame then costs glimagesink tens of milliseconds. Also when
// GStreamer's OpenGL library cannot be loaded: the sink could not draw.
bool SoftwareGl() {
    constexpr unsigned kGlRenderer = 0x1F01;
    const GlCalls* calls = LoadGlCalls();
    if (!calls)
        return true;
    GstGLDisplay* display = calls->displayNew();
    GstGLContext* context = display ? calls->contextNew(display) : nullptr;
    GError* error = nullptr;
    std::string renderer;
    if (context && calls->contextCreate(context, nullptr, &error)) {
        calls->threadAdd(
            context,
            [](GstGLContext* gl, gpointer data) {
                auto* text = reinterpret_cast<const char*>(gl->gl_vtable->GetString(kGlRenderer));
                *static_cast<std::string*>(data) = text ? text : "";
            },
            &renderer);
    }
    g_clear_error(&error);
    if (context)
        gst_object_unref(context);
    if (display)
        gst_object_unref(display);
    for (const char* software : {"llvmpipe", "softpipe", "swrast"})
        if (renderer.find(software) != std::string::npos)
            return true;
    return renderer.empty();
}

// Whether the machine has a device OpenGL could draw with in hardware: a DRM
// node (Mesa's drivers) or NVIDIA's. Without one OpenGL draws in software, and
// asking it for its renderer would map Mesa and LLVM, some 50 MB that stay
// resident, for a sink that is then not taken.
bool HaveGpuDevice() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("card") || name.starts_with("renderD"))
            return true;
    }
    return std::filesystem::exists("/dev/nvidiactl", ec);
}

}  // namespace

std::string ProbeVideoSink() {
    for (const char* factory : {"xvimagesink", "glimagesink", "ximagesink"}) {
        const bool gl = std::strcmp(factory, "glimagesink") == 0;
        if (gl && !HaveGpuDevice())
            continue;
        bool works = SinkWorks(factory);
        if (works && gl)
            works = !SoftwareGl();
        if (works)
            return factory;
    }
    return "";
}

bool SoundOutputMayExist() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (std::getenv("PULSE_SERVER"))
        return true;
    const std::string uid = std::to_string(getuid());
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::vector<std::string> paths = {"/run/user/" + uid + "/pulse/native",
                                      "/run/user/" + uid + "/pipewire-0",
                                      "/run/pulse/native",
                                      "/var/run/pulse/native",
                                      "/dev/dsp",
                                      "/tmp/jack-" + uid};
    // libpulse starts a server of its own on demand, though never for root:
    // there the probe would only load every sink's libraries (JACK's, OpenAL's,
    // PulseAudio's, some 4 MB resident) to see each of them fail.
    if (getuid() != 0)
        paths.push_back("/usr/bin/pulseaudio");
    if (runtime) {
        paths.push_back(std::string(runtime) + "/pulse/native");
        paths.push_back(std::string(runtime) + "/pipewire-0");
    }
    if (const char* pulseRuntime = std::getenv("PULSE_RUNTIME_PATH"))
        paths.push_back(std::string(pulseRuntime) + "/native");
    for (const std::string& path : paths)
        if (fs::exists(path, ec))
            return true;
    for (const auto& entry : fs::directory_iterator("/dev/snd", ec))
        if (entry.path().filename().string().starts_with("pcm"))
            return true;
    // A JACK server's directory (not the jack_db one its clients leave).
    for (const auto& entry : fs::directory_iterator("/dev/shm", ec))
        if (entry.path().filename().string().starts_with("jack-"))
            return true;
    return false;
}

}  // namespace tavimo::gst_internal
