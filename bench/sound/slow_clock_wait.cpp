// Preloaded by pause_race.sh: every clock wait that ends on its own returns
// late (SLOW_CLOCK_WAIT_US, 3000 us), which widens the moment between the
// end of an audio sink's wait for the clock before its first sound after a
// start and its taking its preroll lock again. A pause that comes in that
// moment is the one GstAudioBaseSink never commits (see OwesPause in
// gst_graph.cpp): under load it comes about once in several thousand pauses,
// with this library in most rounds.
#include <dlfcn.h>
#include <gst/gst.h>
#include <unistd.h>

#include <cstdlib>

extern "C" GstClockReturn gst_clock_id_wait(GstClockID id, GstClockTimeDiff* jitter) {
    using Wait = GstClockReturn (*)(GstClockID, GstClockTimeDiff*);
    static const auto real = reinterpret_cast<Wait>(dlsym(RTLD_NEXT, "gst_clock_id_wait"));
    static const char* const us = std::getenv("SLOW_CLOCK_WAIT_US");
    const GstClockReturn result = real(id, jitter);
    if (result != GST_CLOCK_UNSCHEDULED)
        usleep(us ? std::atoi(us) : 3000);
    return result;
}
