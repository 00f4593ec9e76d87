#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tavimo::platform {

// "TAVIMOINSTANCE": a marker that single-instance processes hold, and a broadcast that reaches
// every running instance through its Unix socket in the channel's directory.
class InstanceChannel {
  public:
    virtual ~InstanceChannel() = default;
    // Takes the marker (a lock file held shared for the life of the process). Returns true when
    // another process already held it ("already exists"). UI thread, at start-up.
    virtual bool CreateMarker() = 0;
    // Sends the instance message to every listening instance: connect, send, wait at most 200 ms
    // per peer; removes sockets nobody answers. UI thread; blocks at most 200 ms per peer.
    virtual void Broadcast() = 0;
    // Waits until every instance that answered the last Broadcast has ended (its process is gone,
    // its settings saved), at most `budget`. Returns how many are still running. UI thread.
    virtual int AwaitAnswered(std::chrono::milliseconds budget) = 0;
    // Starts listening on this process's socket; `onMessage` runs on the UI thread (Qt event loop)
    // for every message received. The sender's connection stays open until the channel ends, so
    // that the sender sees when this instance is gone. Call once, after the main frame exists.
    virtual void Listen(std::function<void()> onMessage) = 0;
};

// The channel in $XDG_RUNTIME_DIR/tavimo/, or /tmp/tavimo-<uid>/ without it (created 0700).
// UI thread; the caller owns the result.
std::unique_ptr<InstanceChannel> MakeInstanceChannel();
// The channel in `dir` (created 0700 when missing); for tests.
std::unique_ptr<InstanceChannel> MakeInstanceChannel(const std::string& dir);

}  // namespace tavimo::platform
