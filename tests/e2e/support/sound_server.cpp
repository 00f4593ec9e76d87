#include "sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace tavimo::e2e {

using namespace std::chrono_literals;

SoundServer::SoundServer() {
    const std::string home = home_.path().toStdString();
    socket_ = home + "/native";
    std::vector<std::string> argv{
        "pulseaudio",
        "-n",
        "--daemonize=no",
        "--exit-idle-time=-1",
        "--disable-shm=yes",
        "--use-pid-file=no",
        "--log-target=stderr",
        "--load=module-null-sink sink_name=null",
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_};
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        // Its own home and runtime folder: nothing of the user's is read.
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("DISPLAY");
        dup2(open("/dev/null", O_WRONLY), 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    const std::string probe = "PULSE_SERVER=unix:" + socket_ + " pactl info >/dev/null 2>&1";
    for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(100ms)) {
        if (std::system(probe.c_str()) == 0)
            return;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_)
            break;
    }
    pid_ = -1;
}

SoundServer::~SoundServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

}  // namespace tavimo::e2e
