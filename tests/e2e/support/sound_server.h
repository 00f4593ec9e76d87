// A PulseAudio server of the test's own, with one null sink: the real sound
// path (pulsesink, its clock and its latency) without a sound card.
#pragma once

#include <sys/types.h>

#include <QTemporaryDir>

#include <string>

namespace tavimo::e2e {

class SoundServer {
  public:
    // Starts the server and waits (up to 10 s) until it answers.
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    bool Running() const { return pid_ > 0; }
    // "PULSE_SERVER=unix:...", for a player's environment.
    std::string Env() const { return "PULSE_SERVER=unix:" + socket_; }

  private:
    QTemporaryDir home_;
    std::string socket_;
    pid_t pid_ = -1;
};

}  // namespace tavimo::e2e
