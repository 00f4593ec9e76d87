// Sink probing: which video sink draws here, and whether anything can play sound.
#include <gst/gl/gl.h>
#include <gst/gl/gstglfuncs.h>

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

// Whether OpenGL draws in software here (llvmpipe, softpipe, swrast): a
// 1080p frame then costs glimagesink tens of milliseconds.
bool SoftwareGl() {
    constexpr unsigned kGlRenderer = 0x1F01;
    GstGLDisplay* display = gst_gl_display_new();
    GstGLContext* context = gst_gl_context_new(display);
    GError* error = nullptr;
    std::string renderer;
    if (context && gst_gl_context_create(context, nullptr, &error)) {
        gst_gl_context_thread_add(
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
                                      "/usr/bin/pulseaudio",  // started on demand
                                      "/dev/dsp",
                                      "/tmp/jack-" + uid};
    if (runtime) {
        paths.push_back(std::string(runtime) + "/pulse/native");
        paths.push_back(std::string(runtime) + "/pipewire-0");
    }
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
