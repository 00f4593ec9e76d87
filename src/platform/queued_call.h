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

#ifdef TAVIMO_THREAD_SANITIZER
// Qt is not built with ThreadSanitizer and guards its event queue and its
// pools' queues with futexes, so it cannot see that a call's captures,
// written on the handing thread, are read after the hand-off on the taking
// one. The hand-off holds this lock and the call takes it before touching
// its captures.
inline std::mutex& HandOffOrder() {
    static std::mutex order;
    return order;
}
#endif

// Runs `call` on `receiver`'s thread from its event loop; callable from any
// thread. `call` is moved into the queue and destroyed on the receiver's
// thread, unrun if the receiver is destroyed first.
template <typename Call>
void PostQueued(QObject* receiver, Call&& call) {
#ifdef TAVIMO_THREAD_SANITIZER
    std::lock_guard handing(HandOffOrder());
    QMetaObject::invokeMethod(
        receiver,
        [call = std::forward<Call>(call)]() mutable {
            { std::lock_guard taken(HandOffOrder()); }
            call();
        },
        Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(receiver, std::forward<Call>(call), Qt::QueuedConnection);
#endif
}

// Runs `task` on a thread of `pool`; callable from any thread. `task` must
// be copyable; it is destroyed on the pool's thread once run.
template <typename Task>
void StartPooled(QThreadPool& pool, Task&& task) {
#ifdef TAVIMO_THREAD_SANITIZER
    std::lock_guard handing(HandOffOrder());
    pool.start([task = std::forward<Task>(task)]() mutable {
        { std::lock_guard taken(HandOffOrder()); }
        task();
    });
#else
    pool.start(std::forward<Task>(task));
#endif
}

}  // namespace tavimo::platform
