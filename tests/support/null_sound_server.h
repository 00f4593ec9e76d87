// A PulseAudio server of the test's own, playing into a null sink: the real
// sound path (pulsesink, the server's timing and its buffer) on a machine
// without a sound card, apart from any server the user runs.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavimo::test {

class NullSoundServer {
  public:
    // Starts `pulseaudio` in a folder of its own (its socket, runtime files
    // and cookie) with one null sink, and waits up to 10 s for it to answer
    // pactl. Running() tells whether that worked; a machine
    // without pulseaudio gives false. Works as root too (a server of the
    // user's own, not the system one).
    // With `cardPace` > 0 the sink is a sound card of that pace instead: a
    // pipe that a thread of this object reads, s16 stereo at 44.1 kHz times
    // `cardPace` (0.9: a card 10 % slow).
    explicit NullSoundServer(double cardPace = 0);
    // Ends the server by its process id and removes its folder.
    ~NullSoundServer();
    NullSoundServer(const NullSoundServer&) = delete;
    NullSoundServer& operator=(const NullSoundServer&) = delete;

    bool Running() const { return pid_ > 0; }
    // "unix:<folder>/native", what PULSE_SERVER takes.
    std::string Address() const;
    // Points this process's PulseAudio clients (pulsesink) at the server.
    void UseInThisProcess() const;
    // The server's own log (warnings such as "Failed to push data into
    // queue"), read now.
    std::string Log() const;
    // What `pactl <arguments>` against this server prints.
    std::string Pactl(const std::string& arguments) const;
    // Stream latency of every playback stream the server holds, in
    // microseconds ("pactl list sink-inputs"); empty when none plays.
    std::vector<long long> StreamLatenciesUs() const;
    // Frames of the server's sound the card of a server made with a
    // `cardPace` has played by now, by its own clock: as a sound card's DMA
    // does, it is never late for what the pipe holds, and plays silence
    // while the pipe is empty (a starved server), which is not counted.
    long long CardFramesTaken() const;
    // Where sound began after at least 0.5 s of silence, as the card's frame
    // count (CardFramesTaken) at its first loud frame (above a third of full
    // scale), in the order heard. A server made with a `cardPace`.
    std::vector<long long> CardOnsets() const;

  private:
    // The card's thread: reads the pipe at the card's pace until stopped.
    void ReadCard();
    // The card's thread: notes the onsets among `frames` s16 stereo frames
    // taken from frame `first` on.
    void FindOnsets(const char* data, long long frames, long long first);

    std::string folder_;
    pid_t pid_ = -1;
    std::thread card_;
    std::atomic<bool> stopCard_{false};
    double cardPace_ = 0;
    std::chrono::steady_clock::time_point cardStart_;
    long long quietFrames_ = 0;                // the card's thread only
    std::atomic<long long> silenceFilled_{0};  // frames, the card's thread writes
    mutable std::mutex onsetsMutex_;
    std::vector<long long> onsets_;  // guarded by onsetsMutex_
};

}  // namespace tavimo::test
