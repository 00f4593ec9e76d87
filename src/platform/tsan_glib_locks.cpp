// Linked into every program of a ThreadSanitizer build with the media parts.
//
// GLib builds GMutex and GCond on futexes, not on the pthread calls
// ThreadSanitizer watches, and GLib is not instrumented: the order a GMutex
// gives is invisible to it. GStreamer guards its objects with GMutex (the
// object lock under which a pad's probes are added and later run, the queues
// that hand buffers and events from one streaming thread to the next), so
// everything our probes and elements read that another thread set before
// handing it over that way looked like a race. These definitions come first
// in the program's symbol lookup, so GLib's and GStreamer's calls land here;
// each calls GLib's own and tells ThreadSanitizer what it acquired or
// released, keyed on the mutex's address.
#include <dlfcn.h>
#include <glib.h>
#include <sanitizer/tsan_interface.h>

namespace {

// GLib's own definition of `name`, found once. Any thread.
template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void g_mutex_lock(GMutex* mutex) {
    static const auto real = Real<void (*)(GMutex*)>("g_mutex_lock");
    real(mutex);
    __tsan_acquire(mutex);
}

gboolean g_mutex_trylock(GMutex* mutex) {
    static const auto real = Real<gboolean (*)(GMutex*)>("g_mutex_trylock");
    const gboolean locked = real(mutex);
    if (locked)
        __tsan_acquire(mutex);
    return locked;
}

void g_mutex_unlock(GMutex* mutex) {
    static const auto real = Real<void (*)(GMutex*)>("g_mutex_unlock");
    __tsan_release(mutex);
    real(mutex);
}

// A wait lets go of the mutex and takes it back.
void g_cond_wait(GCond* cond, GMutex* mutex) {
    static const auto real = Real<void (*)(GCond*, GMutex*)>("g_cond_wait");
    __tsan_release(mutex);
    real(cond, mutex);
    __tsan_acquire(mutex);
}

gboolean g_cond_wait_until(GCond* cond, GMutex* mutex, gint64 end_time) {
    static const auto real = Real<gboolean (*)(GCond*, GMutex*, gint64)>("g_cond_wait_until");
    __tsan_release(mutex);
    const gboolean signalled = real(cond, mutex, end_time);
    __tsan_acquire(mutex);
    return signalled;
}

}  // extern "C"
