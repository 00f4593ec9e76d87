#include "x_session.h"

#include "platform/registry.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env) {
            putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

}  // namespace

std::string RunIn(const std::string& display, const std::string& command) {
    const std::string full = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(full.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        size_t n = 0;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            out.append(buffer.data(), n);
        }
        pclose(pipe);
    }
    return out;
}

// Xvfb picks a free display itself and writes its number once it accepts
// connections.
XServer::XServer(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-noreset",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return;
    }
    display_ = ":" + number;
}

XServer::~XServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

QImage XServer::Screenshot(const std::string& savePath) const {
    const std::string path =
        savePath.empty() ? "/tmp/tavimo-e2e-" + std::to_string(getpid()) + ".png" : savePath;
    RunIn(display_, "import -window root " + path);
    QImage image(QString::fromStdString(path));
    if (savePath.empty()) {
        std::filesystem::remove(path);
    }
    return image;
}

std::string PlayerBinary() {
    return std::string(TAVIMO_BUILD_DIR) + "/tavimo";
}

Player::Player(const XServer& server, const std::string& configHome, const std::string& runtimeDir,
               const std::vector<std::string>& args)
    : server_(server) {
    std::vector<std::string> argv{PlayerBinary()};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = Spawn(argv, {"DISPLAY=" + server.Display(), "XDG_CONFIG_HOME=" + configHome,
                        "XDG_RUNTIME_DIR=" + runtimeDir, "QT_QPA_PLATFORM=xcb"});
}

Player::~Player() {
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::optional<unsigned long> Player::WaitForWindow(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    const std::string query =
        "xdotool search --onlyvisible --pid " + std::to_string(pid_) + " --name '^Tavimo'";
    while (std::chrono::steady_clock::now() < end && Running()) {
        const std::string out = RunIn(server_.Display(), query);
        if (!out.empty()) {
            window_ = std::stoul(out);  // the first match
            return window_;
        }
        std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
}

bool Player::Running() {
    if (status_.has_value() || pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

std::optional<int> Player::WaitForExit(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (Running() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(20ms);
    }
    return status_;
}

void Player::Key(const std::string& keys) {
    WaitForWindow(std::chrono::seconds(5));  // the window as it is mapped now
    const std::string id = std::to_string(window_);
    RunIn(server_.Display(), "xdotool windowfocus --sync " + id + " key --clearmodifiers " + keys);
}

namespace {

// The bytes of one value, or nullopt when the key or the value is missing.
std::optional<std::string> QueryBytes(const std::string& file, const std::string& key,
                                      const std::string& name) {
    auto registry = platform::OpenRegistryFile(file);
    platform::RegKey handle = nullptr;
    if (registry->OpenKey(key, &handle) != platform::ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(4096, '\0');
    uint32_t size = static_cast<uint32_t>(bytes.size());
    const long rc = registry->QueryValue(handle, name, nullptr,
                                         reinterpret_cast<uint8_t*>(bytes.data()), &size);
    registry->CloseKey(handle);
    if (rc != platform::ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace

void UserFolders::StoreDword(const std::string& key, const std::string& name, uint32_t value) {
    auto registry = platform::OpenRegistryFile(ConfigHome() + "/tavimo/registry.reg");
    platform::RegKey handle = nullptr;
    if (registry->CreateKey(key, &handle) == platform::ERROR_SUCCESS) {
        registry->SetValue(handle, name, platform::REG_DWORD,
                           reinterpret_cast<const uint8_t*>(&value), sizeof value);
        registry->CloseKey(handle);
    }
}

std::optional<uint32_t> UserFolders::Dword(const std::string& key, const std::string& name) {
    auto bytes = QueryBytes(ConfigHome() + "/tavimo/registry.reg", key, name);
    if (!bytes || bytes->size() != 4) {
        return std::nullopt;
    }
    uint32_t value = 0;
    std::memcpy(&value, bytes->data(), 4);
    return value;
}

std::string UserFolders::Text(const std::string& key, const std::string& name) {
    auto bytes = QueryBytes(ConfigHome() + "/tavimo/registry.reg", key, name);
    return bytes ? std::string(bytes->c_str()) : std::string();
}

}  // namespace tavimo::e2e
