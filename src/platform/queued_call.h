// A call queued from a worker or streaming thread to a QObject's thread.
#pragma once

#include <QMetaObject>
#include <QObject>
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
// Qt is not built with ThreadSanitizer and guards its event queue with
// futexes, so it cannot see that a queued call's captures, written on the
// posting thread, are read after the post on the receiving one. The post
// holds this lock and the call takes it before touching its captures.
inline std::mutex& QueuedCallOrder() {
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
    std::lock_guard posting(QueuedCallOrder());
    QMetaObject::invokeMethod(
        receiver,
        [call = std::forward<Call>(call)]() mutable {
            { std::lock_guard taken(QueuedCallOrder()); }
            call();
        },
        Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(receiver, std::forward<Call>(call), Qt::QueuedConnection);
#endif
}

}  // namespace tavimo::platform
