// What the tests of the player record on GStreamer share: a host with
// scripted dialogs, clips made by a quiet command, and the pipeline's parts
// they look into. UI thread only.
#pragma once

#include <gst/gst.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo::test {

// A window that answers the record with scripted dialogs and keeps no title.
class ScriptedHost : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

// Runs a shell command, its output thrown away; true when it exits with 0.
inline bool Quietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}
inline bool Ffmpeg(const std::string& arguments) {
    return Quietly("ffmpeg -v error -y " + arguments);
}

// A fresh folder /tmp/tavimo-<name>-XXXXXX; empty when none could be made.
inline std::filesystem::path NewFolder(const std::string& name) {
    std::string pattern = "/tmp/tavimo-" + name + "-XXXXXX";
    return mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

// The elements an iterator walks (borrowed from their bin); frees the iterator.
inline std::vector<GstElement*> Elements(GstIterator* it) {
    std::vector<GstElement*> out;
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        out.push_back(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return out;
}

// The sink of the renderer bin `renderer` in `record`'s pipeline (borrowed
// from it), null when there is none.
inline GstElement* RendererSink(const PlayerRecord& record, const char* renderer) {
    GstElement* bin = gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())), renderer);
    if (!bin)
        return nullptr;
    const auto sinks = Elements(gst_bin_iterate_sinks(GST_BIN(bin)));
    gst_object_unref(bin);
    return sinks.empty() ? nullptr : sinks.front();
}

// Where `record`'s clip stands now, in 100-ns units; -1 when it cannot say.
inline REFERENCE_TIME PositionOf(PlayerRecord& record) {
    REFERENCE_TIME now = -1;
    record.pMS->GetCurrentPosition(&now);
    return now;
}

}  // namespace tavimo::test
