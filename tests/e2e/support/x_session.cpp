#include "x_session.h"

#include "app/settings.h"
#include "platform/registry.h"

#include <fcntl.h>
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

using namespace std::chrono_literals;

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

QImage XServer::Screenshot(const std::string& name) const {
    const std::string path = name.empty() ? "/tmp/tavimo-e2e-" + std::to_string(getpid()) + ".png"
                                          : std::string(TAVIMO_BUILD_DIR) + "/e2e-" + name + ".png";
    RunIn(display_, "import -window root " + path);
    QImage image(QString::fromStdString(path));
    if (name.empty()) {
        std::filesystem::remove(path);
    }
    return image;
}

std::string PlayerBinary() {
    return std::string(TAVIMO_BUILD_DIR) + "/tavimo";
}

Player::Player(const XServer& server, const UserFolders& user, const std::vector<std::string>& args,
               const std::vector<std::string>& env, const std::string& errors)
    : server_(server) {
    std::vector<std::string> vars{"DISPLAY=" + server.Display(),
                                  "XDG_CONFIG_HOME=" + user.ConfigHome(),
                                  "XDG_RUNTIME_DIR=" + user.RuntimeDir(), "QT_QPA_PLATFORM=xcb"};
    vars.insert(vars.end(), env.begin(), env.end());
    std::vector<std::string> argv{PlayerBinary()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv) {
        cargs.push_back(a.data());
    }
    cargs.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        for (std::string& v : vars) {
            putenv(v.data());
        }
        if (!errors.empty()) {
            dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        }
        execv(cargs[0], cargs.data());
        _exit(127);
    }
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
    WaitForWindow(5s);  // the window as it is mapped now
    const std::string id = std::to_string(window_);
    RunIn(server_.Display(), "xdotool windowfocus --sync " + id + " key --clearmodifiers " + keys);
}

namespace {

std::unique_ptr<platform::Registry> Settings(const UserFolders& user) {
    return platform::OpenRegistryFile(user.ConfigHome() + "/tavimo/registry.reg");
}

void StoreValue(const UserFolders& user, const std::string& name, uint32_t type, const void* data,
                size_t size) {
    auto registry = Settings(user);
    platform::RegKey key = nullptr;
    if (registry->CreateKey(kSettingsKey, &key) == platform::ERROR_SUCCESS) {
        registry->SetValue(key, name, type, static_cast<const uint8_t*>(data),
                           static_cast<uint32_t>(size));
        registry->CloseKey(key);
    }
}

// The bytes of one value, or nullopt when the key or the value is missing.
std::optional<std::string> QueryBytes(const UserFolders& user, const std::string& key,
                                      const std::string& name) {
    auto registry = Settings(user);
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

void UserFolders::Store(const std::string& name, uint32_t value) {
    StoreValue(*this, name, platform::REG_DWORD, &value, sizeof value);
}

void UserFolders::Store(const std::string& name, const std::string& text) {
    StoreValue(*this, name, platform::REG_SZ, text.c_str(), text.size() + 1);
}

std::optional<uint32_t> UserFolders::Dword(const std::string& name) {
    auto bytes = QueryBytes(*this, kSettingsKey, name);
    if (!bytes || bytes->size() != 4) {
        return std::nullopt;
    }
    uint32_t value = 0;
    std::memcpy(&value, bytes->data(), 4);
    return value;
}

std::string UserFolders::Text(const std::string& key, const std::string& name) {
    auto bytes = QueryBytes(*this, key, name);
    return bytes ? std::string(bytes->c_str()) : std::string();
}

}  // namespace tavimo::e2e
