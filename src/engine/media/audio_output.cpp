#include "engine/media/audio_output.h"

#include "engine/media/gst_media_internal.h"

#include <dlfcn.h>
#include <gst/audio/audio.h>

#include <algorithm>
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

namespace {

// How far the card's time may run ahead of the wall clock between two reads
// before it counts as a leap, and how much sound the card may take while its
// time stands still before that time counts as stuck (a stream first takes
// its buffer, a few hundred ms, before it starts).
constexpr GstClockTime kLeap = 250 * GST_MSECOND;
constexpr GstClockTime kStuck = 600 * GST_MSECOND;

// How long a stream plays after each start (an uncork: play, a flushing
// seek, a speed step) before its time is read at all. libpulse 16's time of
// a stream can come out below zero (wrapped to about 2^64) when read soon
// after an uncork, and as libpulse keeps a stream's time monotonic, that one
// read leaves the stream's time there for good: the sink then writes the
// sound of its next start that far ahead (silence for hours). The sink reads
// its stream's time only just before each uncork; this clock reads it only
// once the stream has played a while (fewer such reads), never between the
// end of one play and kSettle into the next (so the read that went wrong is
// always its own and seen: the stream counts as stuck, and its sink is
// replaced before its next start). Meanwhile the clock goes on at the wall
// clock's pace.
constexpr GstClockTime kSettle = 1500 * GST_MSECOND;

// What the clock of SoundCardClock keeps between reads; guarded by `mutex`.
struct CardTime {
    GstClock* card = nullptr;  // the sink's own clock (ref)
    GWeakRef sink;
    std::mutex mutex;
    bool started = false;
    bool lapsed = false;  // on the wall clock's pace until the card's time moves again
    bool stuck = false;   // lapsed while the stream took sound: its time stands for good
    GstClockTime cardLast = 0;
    GstClockTime wallLast = 0;
    GstClockTime takenLast = 0;
    GstClockTime playingSince = GST_CLOCK_TIME_NONE;  // wall time of the stream's last start
    GstClockTime still = 0;  // sound taken while the card's time stood still
    GstClockTime time = 0;   // what the clock says
    std::atomic<int> lapses{0};
};

constexpr const char* kCardTimeKey = "tavimo-card-time";

// How much sound `sink`'s stream has taken from it so far, counted in whole
// segments of its ring buffer apart from the stream's own time.
GstClockTime SoundTaken(GstElement* sink) {
    GstClockTime taken = 0;
    // Read without the sink's lock, as the sink's own clock does: the clock
    // is asked for its time from inside the sink too.
    if (GstAudioRingBuffer* ring = GST_AUDIO_BASE_SINK(sink)->ringbuffer;
        ring && GST_AUDIO_INFO_RATE(&ring->spec.info) > 0) {
        const guint64 samples =
            guint64(std::max(g_atomic_int_get(&ring->segdone), 0)) * ring->samples_per_seg;
        taken =
            gst_util_uint64_scale_int(samples, GST_SECOND, GST_AUDIO_INFO_RATE(&ring->spec.info));
    }
    return taken;
}

// Whether `card`, a time read from libpulse, went below zero: about 2^64
// (from 2^64 us times 1000, or a few ms below zero), beyond any real time.
bool Wrapped(GstClockTime card) {
    return card != GST_CLOCK_TIME_NONE && card >= (GstClockTime(1) << 63);
}

// Whether `sink`'s stream plays (its ring buffer started, the stream uncorked).
bool StreamPlays(GstElement* sink) {
    GstAudioRingBuffer* ring = GST_AUDIO_BASE_SINK(sink)->ringbuffer;
    return ring && g_atomic_int_get(&ring->state) == GST_AUDIO_RING_BUFFER_STATE_STARTED;
}

// Whether the stream has played for kSettle since its last start, at wall
// time `wall`, with `plays` telling whether it plays now. Lock held.
bool Settled(CardTime& t, bool plays, GstClockTime wall) {
    if (!plays)
        t.playingSince = GST_CLOCK_TIME_NONE;
    else if (t.playingSince == GST_CLOCK_TIME_NONE)
        t.playingSince = wall;
    return plays && wall >= t.playingSince + kSettle;
}

void Lapse(CardTime& t) {
    if (!t.lapsed)
        t.lapses.fetch_add(1);
    t.lapsed = true;
    t.still = 0;
}

// How far the clock moves when, since the last read, the card's time moved
// `card`, the wall clock `wall` and the stream took `taken` of sound. Lock held.
GstClockTime Advance(CardTime& t, GstClockTime card, GstClockTime wall, GstClockTime taken) {
    if (card > wall + kLeap) {
        Lapse(t);
        return wall;
    }
    if (card > 0) {
        t.lapsed = false;
        t.stuck = false;
        t.still = 0;
        return card;
    }
    // Nothing taken: the sound stands still too (paused, starting), and so
    // does the picture.
    t.still += taken;
    if (t.still > kStuck) {
        Lapse(t);
        t.stuck = true;
    }
    return t.lapsed ? wall : 0;
}

// The GstAudioClock's time function; any thread.
GstClockTime CardTimeNow(GstClock*, gpointer data) {
    auto& t = *static_cast<CardTime*>(data);
    GstClock* cardClock = nullptr;
    GstElement* sink = nullptr;
    {
        // The sink may be replaced meanwhile (ReplaceStuckSink).
        std::lock_guard lock(t.mutex);
        cardClock = GST_CLOCK(gst_object_ref(t.card));
        sink = static_cast<GstElement*>(g_weak_ref_get(&t.sink));
    }
    const GstClockTime wall = GstClockTime(g_get_monotonic_time()) * GST_USECOND;
    const bool plays = sink && StreamPlays(sink);
    const GstClockTime taken = sink ? SoundTaken(sink) : 0;
    bool settled = false;
    {
        std::lock_guard lock(t.mutex);
        settled = Settled(t, plays, wall);
    }
    // Not under the lock: the sink's clock takes libpulse's own lock.
    const GstClockTime card = settled ? gst_clock_get_internal_time(cardClock) : 0;
    gst_object_unref(cardClock);
    if (sink)
        gst_object_unref(sink);
    std::lock_guard lock(t.mutex);
    const auto moved = [](GstClockTime now, GstClockTime& last) {
        const GstClockTime by = now > last ? now - last : 0;
        last = now;
        return by;
    };
    // Before the first read, and while the stream's time is not read: on
    // the wall clock's pace, with a fresh start for the card once settled.
    const GstClockTime wallMoved = t.wallLast ? moved(wall, t.wallLast) : 0;
    t.wallLast = wall;
    if (!settled || !t.started) {
        t.started = settled;
        t.cardLast = card;
        t.takenLast = taken;
        t.time += wallMoved;
        return t.time;
    }
    if (Wrapped(card)) {
        // libpulse keeps this time from now on (a stream's time never goes
        // back): the sink would write its next start's sound that far ahead.
        Lapse(t);
        t.stuck = true;
    }
    const GstClockTime cardMoved = moved(card, t.cardLast);
    t.time += Advance(t, cardMoved, wallMoved, moved(taken, t.takenLast));
    return t.time;
}

CardTime* CardTimeOf(GstClock* clock) {
    return clock ? static_cast<CardTime*>(g_object_get_data(G_OBJECT(clock), kCardTimeKey))
                 : nullptr;
}

// `t` follows the card of `sink` from now on. Lock held or not yet shared.
void Follow(CardTime& t, GstElement* sink) {
    g_object_set(sink, "provide-clock", FALSE, nullptr);
    gst_util_set_object_arg(G_OBJECT(sink), "slave-method", "none");
    if (t.card)
        gst_object_unref(t.card);
    // The sink's own clock exists from its creation; it only hands it out
    // once its stream is open.
    t.card = GST_CLOCK(gst_object_ref(GST_AUDIO_BASE_SINK(sink)->provided_clock));
    g_weak_ref_set(&t.sink, sink);
    t.started = false;
    t.playingSince = GST_CLOCK_TIME_NONE;
    t.lapsed = t.stuck = false;
    t.still = 0;
}

void FreeCardTime(gpointer data) {
    auto* t = static_cast<CardTime*>(data);
    gst_object_unref(t->card);
    g_weak_ref_clear(&t->sink);
    delete t;
}

}  // namespace

GstClock* SoundCardClock(GstElement* sink) {
    GstElementFactory* factory = sink ? gst_element_get_factory(sink) : nullptr;
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "pulsesink") != 0 ||
        !GST_IS_AUDIO_BASE_SINK(sink) || !GST_AUDIO_BASE_SINK(sink)->provided_clock)
        return nullptr;
    auto* t = new CardTime;
    g_weak_ref_init(&t->sink, nullptr);
    Follow(*t, sink);
    GstClock* clock = gst_audio_clock_new("SoundCardClock", &CardTimeNow, t, &FreeCardTime);
    g_object_set_data(G_OBJECT(clock), kCardTimeKey, t);
    return clock;
}

int SoundCardClockLapses(GstClock* clock) {
    CardTime* t = CardTimeOf(clock);
    return t ? t->lapses.load() : 0;
}

GstElement* ReplaceStuckSink(GstClock* clock) {
    CardTime* t = CardTimeOf(clock);
    if (!t || !SoundCardClockStuck(clock))
        return nullptr;
    auto* old = static_cast<GstElement*>(g_weak_ref_get(&t->sink));
    if (!old)
        return nullptr;
    GstElement* sink = gst_element_factory_create(gst_element_get_factory(old), nullptr);
    gst_object_unref(old);
    if (!sink)
        return nullptr;
    std::lock_guard lock(t->mutex);
    Follow(*t, sink);
    return sink;
}

bool SoundCardClockStuck(GstClock* clock) {
    CardTime* t = CardTimeOf(clock);
    if (!t)
        return false;
    std::lock_guard lock(t->mutex);
    return t->stuck;
}

GstElement* MakeAudioOutput(const std::vector<std::string>& candidates) {
    QuietAudioLibraries();
    // Where no sound service or device exists at all, no sink (nor its
    // libraries) is loaded only to fail.
    const bool mayOpen = !candidates.empty() || gst_internal::SoundOutputMayExist();
    if (GstElement* sink = mayOpen ? FirstOpened(candidates) : nullptr)
        return sink;
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
