#include "platform/instance_channel.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <set>

#include "test_dir.h"

namespace tavimo::platform {
namespace {

using testing::TestDir;
using Names = std::set<std::string>;
constexpr int kWaitMs = 10000;  // hang guard for child processes, never a speed limit

// One tavimo_instance_peer process; killed at the end if still running.
struct Peer {
    QProcess process;
    Peer(const char* mode, const std::string& dir, const QStringList& extra = {}) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TAVIMO_INSTANCE_PEER, QStringList{mode, QString::fromStdString(dir)} + extra);
    }
    ~Peer() {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
    // The next line the peer prints; empty on time-out or exit.
    std::string ReadLine() {
        while (!process.canReadLine() && process.waitForReadyRead(kWaitMs)) {
        }
        return process.readLine().trimmed().toStdString();
    }
    // Waits for the peer to end and returns what it printed since the last ReadLine.
    std::string Exit() {
        process.waitForFinished(kWaitMs);  // false also when it had already ended
        EXPECT_EQ(process.state(), QProcess::NotRunning);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return process.readAllStandardOutput().toStdString();
    }
};

Names NamesIn(const std::string& dir) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}
sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{AF_UNIX, {}};
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    return addr;
}
void PumpEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(InstanceMarker, ExistsOnlyWhileAnotherProcessHoldsIt) {
    TestDir dir;
    auto channel = MakeInstanceChannel(dir.path);
    Peer holder("hold", dir.path);
    ASSERT_EQ(holder.ReadLine(), "existed=0");
    EXPECT_TRUE(channel->CreateMarker());
    EXPECT_TRUE(channel->CreateMarker()) << "a second call answers the same";
    channel.reset();
    ::kill(static_cast<pid_t>(holder.process.processId()), SIGKILL);
    holder.process.waitForFinished(kWaitMs);
    EXPECT_FALSE(MakeInstanceChannel(dir.path)->CreateMarker()) << "a crashed holder holds none";
}

// A socket file named `name` in `dir`: with `listening` something accepts connections but never
// answers; without, it is what a crashed instance leaves behind. Returns the listening socket.
int MakeSocket(const std::string& dir, const std::string& name, bool listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr = Address(dir + "/" + name);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0) << name;
    if (listening)
        EXPECT_EQ(::listen(fd, 4), 0);
    else
        ::close(fd);
    return listening ? fd : -1;
}

// Our broadcast reaches a listening peer but never ourselves, passes over a peer that never
// answers and removes only what crashed instances left; a peer's broadcast reaches us.
TEST(InstanceBroadcast, ReachesOthersButNeverTheSender) {
    TestDir dir;
    enum Kind { kDeadSocket, kSilentSocket, kPlainFile };
    // case, file name, what it is, whether it survives
    const std::tuple<const char*, const char*, Kind, bool> rows[] = {
        {"socket nobody listens on is removed", "4000001.sock", kDeadSocket, false},
        {"listener that never answers is kept", "4000002.sock", kSilentSocket, true},
        {"socket still being set up is left alone", "4000003.sock.new", kDeadSocket, true},
        {"the marker is left alone", "TAVIMOINSTANCE", kPlainFile, true},
    };
    std::vector<int> silent;
    Names survivors;
    for (const auto& [name, file, kind, survives] : rows) {
        if (kind == kPlainFile)
            std::ofstream(dir / file) << "x";
        else if (const int fd = MakeSocket(dir.path, file, kind == kSilentSocket); fd >= 0)
            silent.push_back(fd);
        if (survives)
            survivors.insert(file);
    }
    int messages = 0;
    auto channel = MakeInstanceChannel(dir.path);
    channel->Listen([&] { ++messages, channel.reset(); });  // a callback may end its channel
    Peer listener("listen", dir.path, {"quit"});
    ASSERT_EQ(listener.ReadLine(), "ready");
    QElapsedTimer timer;
    timer.start();
    channel->Broadcast();
    EXPECT_LT(timer.elapsed(), 3000) << "a silent peer must not hold the sender for long";
    EXPECT_EQ(listener.Exit(), "message\n") << "a silent peer must not keep others deaf";
    PumpEventsUntil([] { return false; }, 100);
    EXPECT_EQ(messages, 0);

    Peer sender("broadcast", dir.path);  // it waits for our answer: the loop must run meanwhile
    PumpEventsUntil([&] { return !channel; }, kWaitMs);
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(sender.Exit(), "done\n");
    EXPECT_EQ(NamesIn(dir.path), survivors) << "sockets go with their owners";
    for (int fd : silent)
        ::close(fd);
}

// Sends `bytes` (and ends the sending side when asked) while the event loop runs; returns the
// reply once the listener closes the connection.
std::string Exchange(const std::string& path, const std::string& bytes, bool shut) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr = Address(path);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (shut)
        ::shutdown(fd, SHUT_WR);
    std::string reply;
    ssize_t n = -1;
    PumpEventsUntil(
        [&] {
            char buf[16];
            if ((n = ::recv(fd, buf, sizeof(buf), 0)) > 0)
                reply.append(buf, static_cast<size_t>(n));
            return n == 0;
        },
        kWaitMs);
    ::close(fd);
    EXPECT_EQ(n, 0) << "the listener closes every connection";
    return reply;
}

TEST(InstanceListener, AnswersOnlyTheInstanceMessage) {
    // case, bytes sent, sending side ended, answered
    const std::tuple<const char*, std::string, bool, bool> rows[] = {
        {"the instance message", "TAVIMOINSTANCE\n", false, true},
        {"another text", "HELLO\n", false, false},
        {"the message without its line end", "TAVIMOINSTANCE", true, false},
        {"an endless line", std::string(300, 'A'), false, false},
    };
    for (const auto& [name, bytes, shut, answered] : rows) {
        SCOPED_TRACE(name);
        TestDir dir;
        int messages = 0;
        auto channel = MakeInstanceChannel(dir.path);
        channel->Listen([&messages] { ++messages; });
        EXPECT_EQ(Exchange(dir / (std::to_string(::getpid()) + ".sock"), bytes, shut),
                  answered ? "OK\n" : "");
        PumpEventsUntil([] { return false; }, 30);
        EXPECT_EQ(messages, answered ? 1 : 0);
    }
}

TEST(InstanceFolder, OnlyAPrivateFolderOfOursIsUsed) {
    enum Setup { kMissing, kOpenToOthers, kSymlink };
    const std::pair<const char*, Setup> rows[] = {
        {"a missing folder is made private", kMissing},
        {"a folder open to others is made private", kOpenToOthers},
        {"a symbolic link is refused", kSymlink},
    };
    for (const auto& [name, setup] : rows) {
        SCOPED_TRACE(name);
        TestDir root;
        const std::string folder = root / "chan", elsewhere = root / "elsewhere";
        std::filesystem::create_directory(elsewhere);
        if (setup == kOpenToOthers)
            ::mkdir(folder.c_str(), 0777), ::chmod(folder.c_str(), 0777);
        if (setup == kSymlink)
            std::filesystem::create_directory_symlink(elsewhere, folder);
        auto channel = MakeInstanceChannel(folder);
        channel->Listen([] {});
        EXPECT_FALSE(channel->CreateMarker());
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_EQ(NamesIn(elsewhere), Names{}) << "nothing is made through a link";
        if (setup != kSymlink) {
            EXPECT_EQ(st.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);
            EXPECT_TRUE(NamesIn(folder).count(std::to_string(::getpid()) + ".sock"));
            EXPECT_TRUE(NamesIn(folder).count("TAVIMOINSTANCE"));
        }
    }
}

}  // namespace
}  // namespace tavimo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the event loop the listeners need
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
