// The seek bar preview on a 1080p clip made here (moving colour bars, x264
// with a key frame every ten seconds, with sound), playing at its own pace to
// a fake sink that drops frames more than 20 ms late, as a video sink does:
//  1. hover to thumbnail: 50 different buckets spread over the 60 s clip
//     asked one after the other, 150 ms apart, while the clip plays; median
//     and worst, and the frames the playing clip dropped meanwhile;
//  2. the process's CPU time over 8 s of playback with the preview's decoder
//     built and idle, against 8 s without one, alternated twice.
// The figures depend on the machine's load; compare ratios within one run.
//
//   preview_bench [clip]      (without a clip, one is made in /tmp)
#include <gst/gst.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "engine/thumbnail_worker.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

using Clock = std::chrono::steady_clock;

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

std::string MakeClip() {
    const std::string path = "/tmp/tavimo-preview-bench-1080p-60s-moving.mp4";
    if (std::filesystem::exists(path))
        return path;
    const std::string command =
        "gst-launch-1.0 -q videotestsrc pattern=smpte horizontal-speed=4 num-buffers=1500 ! "
        "video/x-raw,format=I420,width=1920,height=1080,framerate=25/1 ! "
        "x264enc speed-preset=superfast key-int-max=250 ! h264parse ! queue ! mp4mux name=mux ! "
        "filesink location=" +
        path +
        " audiotestsrc num-buffers=3000 samplesperbuffer=882 ! audioconvert ! avenc_aac ! "
        "aacparse ! queue ! mux. >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    return path;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The fake sink inside the renderer: drop what is late, as video sinks do.
GstElement* VideoSink(PlayerRecord& record) {
    GstElement* bin =
        gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())), "Video Mixing Renderer 9");
    GstElement* sink = nullptr;
    GstIterator* it = gst_bin_iterate_sinks(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    if (gst_iterator_next(it, &item) == GST_ITERATOR_OK)
        sink = GST_ELEMENT(g_value_dup_object(&item));
    g_value_unset(&item);
    gst_iterator_free(it);
    gst_object_unref(bin);
    g_object_set(sink, "qos", TRUE, "max-lateness", gint64(20 * GST_MSECOND), nullptr);
    return sink;
}

// Fake sinks render at once; these play at the clip's pace, as a display and
// a sound card do, from the start again.
void Pace(PlayerRecord& record) {
    GstIterator* it = gst_bin_iterate_all_by_element_factory_name(
        GST_BIN(GstPipelineOf(record.pGB.get())), "fakesink");
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        g_object_set(g_value_get_object(&item), "sync", TRUE, nullptr);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    record.SeekTo(0);
}

guint64 Dropped(GstElement* sink) {
    GstStructure* stats = nullptr;
    g_object_get(sink, "stats", &stats, nullptr);
    guint64 dropped = 0;
    gst_structure_get_uint64(stats, "dropped", &dropped);
    gst_structure_free(stats);
    return dropped;
}

struct Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    int64_t bucket = -1;
    bool ok = false;
};

void Open(PlayerRecord& record, const std::string& clip) {
    record.ClipPath = clip;
    record.OpenClip();
    if (record.pGB)
        Pace(record);
}

int Run(const std::string& clip) {
    GstMediaOptions options;
    options.videoSink = "fakesink";
    options.audioSink = "fakesink";
    auto media = NewGstMediaFramework(options);
    Host host;
    PlayerRecord record(host);
    record.UseMediaFramework(media.get());
    Open(record, clip);
    if (record.ClipState != ClipState::Running) {
        std::fprintf(stderr, "the clip does not play\n");
        return 1;
    }
    GstElement* sink = VideoSink(record);

    Waiter waiter;
    ThumbnailWorker worker(160, [&](int64_t bucket, std::shared_ptr<const VideoImage> image) {
        std::lock_guard lock(waiter.mutex);
        waiter.bucket = bucket;
        waiter.ok = image != nullptr;
        waiter.cv.notify_one();
    });
    std::shared_ptr<IThumbnailSource> source;
    media->CreateThumbnailSource(clip, &source);
    worker.SetSource(source, record.Duration);

    const guint64 droppedBefore = Dropped(sink);
    std::vector<double> ms;
    int failed = 0, kept = 0;
    for (int i = 0; i < 50; ++i) {
        const int64_t bucket = worker.BucketOf(record.Duration * (2 * i + 1) / 100);
        const auto start = Clock::now();
        std::unique_lock lock(waiter.mutex);
        waiter.bucket = -1;
        lock.unlock();
        if (worker.Request(bucket)) {
            ++kept;
        } else {
            lock.lock();
            waiter.cv.wait_for(lock, std::chrono::seconds(5),
                               [&] { return waiter.bucket == bucket; });
            failed += !waiter.ok;
            lock.unlock();
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    const guint64 dropped = Dropped(sink) - droppedBefore;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf(
        "hover to thumbnail, 50 hovers: median %.1f ms, worst %.1f ms (first, with the "
        "decoder's build: %.1f ms), failed %d, shown from what was kept %d; frames dropped by "
        "the playing clip: %llu\n",
        (sorted[24] + sorted[25]) / 2, sorted.back(), ms.front(), failed, kept,
        static_cast<unsigned long long>(dropped));

    // CPU of playback: with the decoder built and idle, and without one;
    // each run from the clip's start, measured from its third second on.
    double with = 0, without = 0;
    for (int round = 0; round < 2; ++round) {
        for (bool idle : {true, false}) {
            worker.SetSource(nullptr, 0);
            Open(record, clip);
            if (idle) {
                std::shared_ptr<IThumbnailSource> fresh;
                media->CreateThumbnailSource(clip, &fresh);
                worker.SetSource(fresh, record.Duration);
                worker.Request(worker.BucketOf(record.Duration / 2));
            }
            std::this_thread::sleep_for(std::chrono::seconds(2));
            REFERENCE_TIME from = 0, to = 0;
            record.pMS->GetCurrentPosition(&from);
            const double before = CpuSeconds();
            std::this_thread::sleep_for(std::chrono::seconds(8));
            const double cpu = CpuSeconds() - before;
            record.pMS->GetCurrentPosition(&to);
            (idle ? with : without) += cpu;
            std::printf("  %s: %.2f s CPU while the clip went %.2f s on (decodes %d)\n",
                        idle ? "decoder idle" : "no decoder  ", cpu, (to - from) / 1e7,
                        worker.Decodes());
        }
    }
    std::printf(
        "CPU over 2 x 8 s of 1080p playback: %.2f s with the preview decoder idle, %.2f s "
        "without: %.3fx\n",
        with, without, with / without);
    gst_object_unref(sink);
    record.CloseClip();
    return 0;
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string clip = argc > 1 ? argv[1] : tavimo::MakeClip();
    if (clip.empty()) {
        std::fprintf(stderr, "could not make the 1080p clip\n");
        return 1;
    }
    return tavimo::Run(clip);
}
