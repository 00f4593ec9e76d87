#include "platform/instance_channel.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tavimo::platform {

namespace {

constexpr char kMarkerName[] = "TAVIMOINSTANCE";
constexpr char kRequest[] = "TAVIMOINSTANCE\n";
constexpr char kAnswer[] = "OK\n";
constexpr auto kPeerBudget = std::chrono::milliseconds(200);
constexpr int kMaxPendingPeers = 32;
constexpr int kPeerLifetimeMs = 1000;   // a sender that says nothing is dropped after this
constexpr size_t kMaxHeldSenders = 32;  // senders told of our end, beyond them they are not

// An owned file descriptor, closed on destruction.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~Fd() { Reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

int FlockRetry(int fd, int op) {
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Creates `dir` (0700) when missing and accepts it only when it is a real directory owned by
// this user; a wider mode is narrowed to 0700.
bool PrepareDir(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return false;
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof(*addr));
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr->sun_path))
        return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// "<digits>.sock" names an instance's socket.
bool IsSocketName(const char* name) {
    const char* p = name;
    while (*p >= '0' && *p <= '9')
        ++p;
    return p != name && std::strcmp(p, ".sock") == 0;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on `fd` until `deadline`. True when ready.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, RemainingMs(deadline));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

enum class PeerResult { Answered, Silent, Stale };

bool SendRequest(int fd, std::chrono::steady_clock::time_point deadline) {
    size_t sent = 0;
    while (sent < sizeof(kRequest) - 1) {
        const ssize_t n = ::send(fd, kRequest + sent, sizeof(kRequest) - 1 - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += static_cast<size_t>(n);
        else if (n == 0 || (errno == EAGAIN && !WaitFor(fd, POLLOUT, deadline)) ||
                 (errno != EAGAIN && errno != EINTR))
            return false;
    }
    return true;
}

bool AwaitAnswer(int fd, std::chrono::steady_clock::time_point deadline) {
    char answer[8];
    while (WaitFor(fd, POLLIN, deadline)) {
        const ssize_t n = ::recv(fd, answer, sizeof(answer), 0);
        if (n > 0)
            return true;
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
    return false;
}

// Sends the request to the socket at `path` and waits for the answer until `deadline`. A socket
// that refuses the connection has nobody listening behind it. An answered connection is handed
// back in `*answered`: the peer closes it when it ends.
PeerResult AskPeer(const std::string& path, std::chrono::steady_clock::time_point deadline,
                   Fd* answered) {
    sockaddr_un addr;
    if (!FillAddress(path, &addr))
        return PeerResult::Silent;
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        return PeerResult::Silent;
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        return errno == ECONNREFUSED ? PeerResult::Stale : PeerResult::Silent;
    if (!SendRequest(fd.get(), deadline) || !AwaitAnswer(fd.get(), deadline))
        return PeerResult::Silent;
    *answered = std::move(fd);
    return PeerResult::Answered;
}

// True once the peer behind `fd` has closed its end (or the connection broke).
bool PeerEnded(int fd) {
    char buf[16];
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof(buf), 0);
        if (n == 0)
            return true;
        if (n < 0)
            return errno != EAGAIN && errno != EINTR;
        // Anything more it says is ignored.
    }
}

// One accepted connection waiting for its request.
struct Peer {
    Fd fd;
    QSocketNotifier* notifier = nullptr;  // owned; released with deleteLater or delete
    std::string received;
    std::chrono::steady_clock::time_point accepted;
};

class UnixInstanceChannel final : public InstanceChannel {
  public:
    explicit UnixInstanceChannel(std::string dir) : dir_(std::move(dir)) {
        usable_ = PrepareDir(dir_);
        if (!usable_)
            std::fprintf(stderr, "tavimo: instance folder %s is not usable; running alone\n",
                         dir_.c_str());
    }
    ~UnixInstanceChannel() override {
        *alive_ = false;
        for (auto& [fd, peer] : peers_)
            delete peer.notifier;
        delete listenNotifier_;
        if (!socketPath_.empty())
            ::unlink(socketPath_.c_str());
    }

    bool CreateMarker() override;
    void Broadcast() override;
    int AwaitAnswered(std::chrono::milliseconds budget) override;
    void Listen(std::function<void()> onMessage) override;

  private:
    // Notifiers may be dropped from inside their own signal, hence the deferred delete.
    static void DropNotifier(QSocketNotifier*& notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
    static void DropNotifier(Peer& peer) { DropNotifier(peer.notifier); }
    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
    void AcceptPending();
    void ReadPeer(int fd);
    void ClosePeer(int fd);
    void ReapSilentPeers();

    std::string dir_;
    bool usable_ = false;
    Fd marker_;
    bool markerExisted_ = false;
    Fd listener_;
    std::string socketPath_;
    QSocketNotifier* listenNotifier_ = nullptr;
    std::map<int, Peer> peers_;
    std::vector<Fd> answered_;  // instances that answered our broadcast, until they end
    std::vector<Fd> senders_;   // instances we answered: they learn of our end when these close
    QObject context_;           // owns the notifier connections; they die with the channel
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    QTimer reaper_;
    std::function<void()> onMessage_;
};

// The directory itself, locked exclusively, serialises the test-and-take below, so two
// instances starting together never both miss each other.
bool UnixInstanceChannel::CreateMarker() {
    if (!usable_)
        return false;
    if (marker_.valid())
        return markerExisted_;
    Fd guard(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!guard.valid() || FlockRetry(guard.get(), LOCK_EX) != 0)
        return false;
    Fd fd(::open(PathOf(kMarkerName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid())
        return false;
    bool existed = false;
    if (FlockRetry(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return false;
        existed = true;
    }
    if (FlockRetry(fd.get(), LOCK_SH | LOCK_NB) != 0)
        return false;
    marker_ = std::move(fd);
    markerExisted_ = existed;
    return existed;
}

void UnixInstanceChannel::Broadcast() {
    if (!usable_)
        return;
    DIR* dir = ::opendir(dir_.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    const std::string own = std::to_string(::getpid()) + ".sock";
    while (const dirent* entry = ::readdir(dir)) {
        if (IsSocketName(entry->d_name) && own != entry->d_name)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = PathOf(name);
        const auto deadline = std::chrono::steady_clock::now() + kPeerBudget;
        Fd answered;
        const PeerResult result = AskPeer(path, deadline, &answered);
        if (result == PeerResult::Stale)
            ::unlink(path.c_str());
        else if (result == PeerResult::Answered)
            answered_.push_back(std::move(answered));
    }
}

int UnixInstanceChannel::AwaitAnswered(std::chrono::milliseconds budget) {
    const auto deadline = std::chrono::steady_clock::now() + budget;
    while (!answered_.empty()) {
        std::vector<pollfd> waits;
        for (const Fd& fd : answered_)
            waits.push_back({fd.get(), POLLIN, 0});
        const int rc = ::poll(waits.data(), waits.size(), RemainingMs(deadline));
        if (rc < 0 && errno != EINTR)
            break;
        if (rc == 0)
            break;  // the budget is spent
        for (size_t i = waits.size(); i-- > 0;) {
            if (waits[i].revents != 0 && PeerEnded(waits[i].fd))
                answered_.erase(answered_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    const int running = static_cast<int>(answered_.size());
    answered_.clear();
    return running;
}

// The socket is bound under a temporary name and renamed once it listens, so a broadcast never
// sees it in the moment when connections are still refused (and would remove it as stale).
void UnixInstanceChannel::Listen(std::function<void()> onMessage) {
    if (!usable_ || listener_.valid())
        return;
    onMessage_ = std::move(onMessage);
    const std::string name = std::to_string(::getpid()) + ".sock";
    const std::string temp = PathOf(name + ".new");
    sockaddr_un addr;
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    ::unlink(temp.c_str());
    if (!fd.valid() || !FillAddress(temp, &addr) ||
        ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(fd.get(), 16) != 0 || ::rename(temp.c_str(), PathOf(name).c_str()) != 0) {
        std::fprintf(stderr, "tavimo: cannot listen in %s: %s\n", dir_.c_str(),
                     std::strerror(errno));
        ::unlink(temp.c_str());
        return;
    }
    listener_ = std::move(fd);
    socketPath_ = PathOf(name);
    listenNotifier_ = new QSocketNotifier(listener_.get(), QSocketNotifier::Read);
    QObject::connect(listenNotifier_, &QSocketNotifier::activated, &context_,
                     [this] { AcceptPending(); });
    reaper_.setInterval(kPeerLifetimeMs / 2);
    QObject::connect(&reaper_, &QTimer::timeout, &context_, [this] { ReapSilentPeers(); });
}

void UnixInstanceChannel::AcceptPending() {
    for (;;) {
        Fd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.valid())
            return;  // EAGAIN: nothing more waiting
        if (static_cast<int>(peers_.size()) >= kMaxPendingPeers)
            continue;
        const int key = fd.get();
        Peer& peer = peers_[key];
        peer.fd = std::move(fd);
        peer.accepted = std::chrono::steady_clock::now();
        peer.notifier = new QSocketNotifier(key, QSocketNotifier::Read);
        QObject::connect(peer.notifier, &QSocketNotifier::activated, &context_,
                         [this, key] { ReadPeer(key); });
        if (!reaper_.isActive())
            reaper_.start();
    }
}

void UnixInstanceChannel::ReadPeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end())
        return;
    Peer& peer = it->second;
    char buf[64];
    const ssize_t n = ::recv(fd, buf, sizeof(buf), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0)
        return ClosePeer(fd);
    peer.received.append(buf, static_cast<size_t>(n));
    const size_t end = peer.received.find('\n');
    if (end == std::string::npos) {
        if (peer.received.size() > sizeof(kRequest))
            ClosePeer(fd);
        return;
    }
    const bool isRequest = peer.received.compare(0, end + 1, kRequest) == 0;
    if (isRequest) {
        ::send(fd, kAnswer, sizeof(kAnswer) - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (senders_.size() < kMaxHeldSenders)
            senders_.push_back(std::move(peer.fd));  // closed when the channel ends
    }
    ClosePeer(fd);
    // Queued on the application, with its own copy of the callback, so the receiver may tear
    // the channel down from inside it.
    if (isRequest && onMessage_) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [alive = alive_, callback = onMessage_] {
                if (*alive)
                    callback();
            },
            Qt::QueuedConnection);
    }
}

void UnixInstanceChannel::ClosePeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end())
        return;
    DropNotifier(it->second);
    peers_.erase(it);  // closes the descriptor after its notifier is off
    if (peers_.empty())
        reaper_.stop();
}

void UnixInstanceChannel::ReapSilentPeers() {
    const auto limit =
        std::chrono::steady_clock::now() - std::chrono::milliseconds(kPeerLifetimeMs);
    std::vector<int> old;
    for (const auto& [fd, peer] : peers_)
        if (peer.accepted < limit)
            old.push_back(fd);
    for (int fd : old)
        ClosePeer(fd);
}

std::string DefaultDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && *runtime == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/tavimo";
    return "/tmp/tavimo-" + std::to_string(::getuid());
}

}  // namespace

std::unique_ptr<InstanceChannel> MakeInstanceChannel() {
    return MakeInstanceChannel(DefaultDir());
}

std::unique_ptr<InstanceChannel> MakeInstanceChannel(const std::string& dir) {
    return std::make_unique<UnixInstanceChannel>(dir);
}

}  // namespace tavimo::platform
