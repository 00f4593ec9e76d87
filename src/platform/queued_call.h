// Work handed from one thread to another through Qt: a call queued to a
// QObject's thread, a task started on a thread pool.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <mutex>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TAVIMO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TAVIMO_THREAD_SANITIZER 1
#endif
#endif

namespace tavimo::platform {

// A hand-off of work from one thread to another through a queue that
// ThreadSanitizer cannot see: Qt and GLib are not built with it and guard
// their event and pool queues with futexes, so the work's captures, written
// on the handing thread, looked raced by their reads on the taking one. In a
// ThreadSanitizer build the hand-off holds one lock and the taking side
// takes it (Taken) before it touches what it was handed; nothing otherwise.
// Any thread.
class HandOff {
  public:
    HandOff() { Order(true); }
    ~HandOff() { Order(false); }
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    static void Taken() {
        Order(true);
        Order(false);
    }

  private:
    static void Order([[maybe_unused]] bool take) {
#ifdef TAVIMO_THREAD_SANITIZER
        static std::mutex order;
        take ? order.lock() : order.unlock();
#endif
    }
};

// Runs `call` on `receiver`'s thread from its event loop; callable from any
// thread. `call` is moved into the queue and destroyed on the receiver's
// thread, unrun if the receiver is destroyed first.
template <typename Call>
void PostQueued(QObject* receiver, Call&& call) {
    HandOff handing;
    QMetaObject::invokeMethod(
        receiver,
        [call = std::forward<Call>(call)]() mutable {
            HandOff::Taken();
            call();
        },
        Qt::QueuedConnection);
}

// Runs `task` on a thread of `pool`; callable from any thread. `task` must
// be copyable; it is destroyed on the pool's thread once run.
template <typename Task>
void StartPooled(QThreadPool& pool, Task&& task) {
    HandOff handing;
    pool.start([task = std::forward<Task>(task)]() mutable {
        HandOff::Taken();
        task();
    });
}

}  // namespace tavimo::platform
