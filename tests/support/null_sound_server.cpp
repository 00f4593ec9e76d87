#include "support/null_sound_server.h"
#include "support/shell.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

namespace tavimo::test {
namespace {

// The environment of the server: this process's, with every file of the
// server's own in `folder` (runtime, state, cookie), not the user's, and no
// other server or session bus to reach. Root is allowed a server of its own.
std::vector<std::string> ServerEnvironment(const std::string& folder) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (name != "HOME" && name != "PULSE_SERVER" && name != "DBUS_SESSION_BUS_ADDRESS" &&
            !name.starts_with("XDG_") && !name.starts_with("PULSE_"))
            env.push_back(text);
    }
    for (const char* line : {"HOME=", "XDG_RUNTIME_DIR="})
        env.push_back(line + folder);
    env.push_back("XDG_CONFIG_HOME=" + folder + "/config");
    env.push_back("PULSE_RUNTIME_PATH=" + folder + "/runtime");
    env.push_back("PULSE_STATE_PATH=" + folder + "/state");
    return env;
}

// Child side of fork (only async-signal-safe calls): the server, its output
// in `log`. Never returns.
[[noreturn]] void RunServer(int log, char* const* argv, char* const* envp) {
    if (log >= 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
    }
    execvpe("pulseaudio", argv, envp);
    _exit(127);
}

}  // namespace

NullSoundServer::NullSoundServer(double cardPace) {
    char folder[] = "/tmp/tavimo-sound-XXXXXX";
    if (!mkdtemp(folder))
        return;
    folder_ = folder;
    const std::string card = folder_ + "/card";
    if (cardPace > 0 && mkfifo(card.c_str(), 0600) != 0)
        return;
    std::vector<std::string> args = {
        "pulseaudio",
        "--daemonize=no",
        "--exit-idle-time=-1",
        "-n",
        "--disallow-exit",
        "--realtime=yes",  // as a desktop's server runs, where the system allows it
        "--high-priority=yes",
        "--log-target=stderr",
        cardPace > 0 ? "--load=module-pipe-sink sink_name=tavimo_card rate=44100 channels=2 "
                       "format=s16le file=" +
                           card
                     : "--load=module-null-sink sink_name=tavimo_null",
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native"};
    std::vector<std::string> env = ServerEnvironment(folder_);
    std::vector<char*> argv, envp;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (std::string& line : env)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    const int log =
        open((folder_ + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = fork();
    if (pid == 0)
        RunServer(log, argv.data(), envp.data());
    if (log >= 0)
        close(log);
    if (pid < 0)
        return;
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    // Until it answers a client.
    while (!Quietly("PULSE_SERVER='" + Address() + "' pactl info")) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "no sound server: %s\n", Log().c_str());
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (cardPace > 0) {
        cardPace_ = cardPace;
        cardStart_ = std::chrono::steady_clock::now();
        card_ = std::thread([this] { ReadCard(); });
    }
}

long long NullSoundServer::CardFramesTaken() const {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - cardStart_;
    return (long long)(elapsed.count() * 44100 * cardPace_) - silenceFilled_;
}

void NullSoundServer::ReadCard() {
    const int fd = open((folder_ + "/card").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // A DMA is never late. A reader that is (for 400 ms under load) leaves
    // the pipe full, from which the server reckons the card behind and the
    // sink aligns the sound by that wrong clock. Real time where allowed.
    const sched_param realtime{.sched_priority = 1};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    constexpr long long kRate = 44100, kFrame = 4;
    std::vector<char> chunk(kRate * kFrame);
    long long played = 0;  // frames of sound, by the card's clock
    while (!stopCard_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const long long due = CardFramesTaken() - played;
        if (due <= 0)
            continue;
        const long long asked = std::min(due, kRate);
        const long long got =
            std::max<ssize_t>(read(fd, chunk.data(), size_t(asked * kFrame)), 0) / kFrame;
        FindOnsets(chunk.data(), got, played);
        // An empty pipe: the card has played silence up to now.
        silenceFilled_ += got < asked ? due - got : 0;
        played += got;
    }
    close(fd);
}

void NullSoundServer::FindOnsets(const char* data, long long frames, long long first) {
    constexpr long long kQuiet = 44100 / 2;
    constexpr int kLoud = 32767 / 3;
    for (long long i = 0; i < frames; ++i) {
        int16_t left = 0;
        std::memcpy(&left, data + i * 4, sizeof left);
        if (std::abs(int(left)) < kLoud) {
            ++quietFrames_;
            continue;
        }
        if (quietFrames_ >= kQuiet) {
            std::lock_guard lock(onsetsMutex_);
            onsets_.push_back(first + i);
        }
        quietFrames_ = 0;
    }
}

std::vector<long long> NullSoundServer::CardOnsets() const {
    std::lock_guard lock(onsetsMutex_);
    return onsets_;
}

NullSoundServer::~NullSoundServer() {
    stopCard_ = true;
    if (card_.joinable())
        card_.join();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string NullSoundServer::Address() const {
    return "unix:" + folder_ + "/native";
}

void NullSoundServer::UseInThisProcess() const {
    setenv("PULSE_SERVER", Address().c_str(), 1);
}

std::string NullSoundServer::Log() const {
    return FileText(folder_ + "/log");
}

std::string NullSoundServer::Pactl(const std::string& arguments) const {
    return CommandOutput("PULSE_SERVER='" + Address() + "' pactl " + arguments + " 2>/dev/null");
}

std::vector<long long> NullSoundServer::StreamLatenciesUs() const {
    std::vector<long long> out;
    std::istringstream list(Pactl("list sink-inputs"));
    for (std::string line; std::getline(list, line);) {
        const size_t at = line.find("Buffer Latency:");
        if (at != std::string::npos)
            out.push_back(std::atoll(line.c_str() + at + std::strlen("Buffer Latency:")));
    }
    return out;
}

}  // namespace tavimo::test
