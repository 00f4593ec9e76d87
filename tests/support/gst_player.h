// What the tests of the player record on GStreamer share: a host with
// scripted dialogs, clips made by a quiet command, the pipeline's parts they
// look into, and a fixture holding a record on fake sinks. UI thread only.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/shell.h"

namespace tavimo {
// The folder of clips made at test time, defined by a test program whose
// entry (qt_media_main.cpp) removes it at the end.
extern std::filesystem::path gMedia;
}  // namespace tavimo

namespace tavimo::test {

// The clip `name` in gMedia.
inline std::string Media(const std::string& name) {
    return (gMedia / name).string();
}

// A window that answers the record with scripted dialogs and keeps no title.
class ScriptedHost : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    // The texts of the message boxes shown so far.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& call : dialogs.CallsOf(platform::ScriptedDialogs::Kind::MessageBox))
            out.push_back(call.text);
        return out;
    }
};

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

// Fake sinks: ones that take what comes at once, or (`paced`) ones that keep
// to the clock, as a screen and a sound card do.
inline GstMediaOptions FakeSinks(bool paced = false) {
    GstMediaOptions options;
    options.videoSink = paced ? "fakevideosink" : "fakesink";
    options.audioSink = paced ? "fakeaudiosink" : "fakesink";
    return options;
}

// `sample`'s picture converted to RGBx at `width` x `height` (4 bytes a
// pixel, rows without padding); empty when there is none or it does not convert.
inline std::vector<guint8> Rgbx(GstSample* sample, int width = 320, int height = 240) {
    std::vector<guint8> out;
    g_autoptr(GstCaps) rgb =
        gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx", "width", G_TYPE_INT,
                            width, "height", G_TYPE_INT, height, nullptr);
    g_autoptr(GstSample) converted =
        sample ? gst_video_convert_sample(sample, rgb, GST_SECOND, nullptr) : nullptr;
    GstMapInfo map;
    if (converted && gst_buffer_map(gst_sample_get_buffer(converted), &map, GST_MAP_READ)) {
        out.assign(map.data, map.data + std::min<size_t>(map.size, size_t(width) * height * 4));
        gst_buffer_unmap(gst_sample_get_buffer(converted), &map);
    }
    return out;
}

// Subtitle text's white.
inline bool White(int r, int g, int b) {
    return r > 200 && g > 200 && b > 200;
}

// Pixels of the RGBx picture `rgbx` (`width` wide, rows without padding) in
// [x0, x1) x [y0, y1) whose R, G, B `match`; -1 when there is no picture.
template <typename Match>
int CountPixels(const std::vector<guint8>& rgbx, int width, int x0, int y0, int x1, int y1,
                Match match) {
    if (rgbx.empty())
        return -1;
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const guint8* p = rgbx.data() + (size_t(y) * width + x) * 4;
            count += match(p[0], p[1], p[2]) ? 1 : 0;
        }
    return count;
}

// The sample `sink` took last (the caller's), null before any.
inline GstSample* LastSample(GstElement* sink) {
    GstSample* sample = nullptr;
    g_object_get(sink, "last-sample", &sample, nullptr);
    return sample;
}

// A player record on GStreamer answering a `Host`, and what the tests ask
// of its pipeline; `MakeMedia`, where given, makes the clips into gMedia once
// per run. UI thread only; the clip is closed with the fixture.
template <typename Host = ScriptedHost, void (*MakeMedia)() = nullptr>
class GstRecordTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if constexpr (MakeMedia != nullptr)
            if (gMedia.empty())
                MakeMedia();
    }
    explicit GstRecordTest(const GstMediaOptions& options = FakeSinks()) { Use(options); }
    ~GstRecordTest() override { record.CloseClip(); }

    // Closes the clip and plays the next through a framework made with `options`.
    void Use(const GstMediaOptions& options) {
        record.CloseClip();
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    // Opens `path`; whether it runs.
    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running && record.pGB;
    }
    GstElement* Pipeline() { return GstPipelineOf(record.pGB.get()); }
    // The sink of the renderer bin `renderer` (borrowed from the pipeline),
    // null when there is none.
    GstElement* SinkOf(const char* renderer) {
        g_autoptr(GstElement) bin = gst_bin_get_by_name(GST_BIN(Pipeline()), renderer);
        const auto sinks =
            bin ? Elements(gst_bin_iterate_sinks(GST_BIN(bin))) : std::vector<GstElement*>();
        return sinks.empty() ? nullptr : sinks.front();
    }
    // Where the clip stands now, in 100-ns units; -1 when it cannot say.
    REFERENCE_TIME Position() {
        REFERENCE_TIME now = -1;
        record.pMS->GetCurrentPosition(&now);
        return now;
    }
    // Both sinks at the clock's pace (fake ones take a clip at once otherwise),
    // played again from the start.
    void PlayAtPace() {
        for (const char* renderer : {"Video Mixing Renderer 9", "Audio Renderer"})
            if (GstElement* sink = SinkOf(renderer))
                g_object_set(sink, "sync", TRUE, nullptr);
        record.SeekTo(0);
    }
    // The frame the video sink shows last (owned by the caller), null before the first.
    GstSample* Shown() { return LastSample(SinkOf("Video Mixing Renderer 9")); }
    // The shown frame's presentation time and length in 100-ns units, -1 without one.
    std::pair<int64_t, int64_t> ShownFrame() {
        g_autoptr(GstSample) sample = Shown();
        GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
        return buffer ? std::pair{int64_t(GST_BUFFER_PTS(buffer)) / 100,
                                  int64_t(GST_BUFFER_DURATION(buffer)) / 100}
                      : std::pair<int64_t, int64_t>{-1, -1};
    }
    int64_t ShownTime() { return ShownFrame().first; }

    std::unique_ptr<MediaFramework> media;
    Host host;
    PlayerRecord record{host};
};

}  // namespace tavimo::test
