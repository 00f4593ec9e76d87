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
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "test_dir.h"

namespace tavimo::platform {
namespace {

using testing::TestDir;
namespace fs = std::filesystem;

constexpr int kWaitMs = 10000;  // hang guard for child processes, never a speed limit

// The event loop the listeners need, for the whole test program.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "platform_instance_channel_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QCoreApplication> app_;
};
const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// One tavimo_instance_peer process.
class Peer {
  public:
    Peer(const std::string& mode, const std::string& dir, const QStringList& extra = {}) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(
            TAVIMO_INSTANCE_PEER,
            QStringList{QString::fromStdString(mode), QString::fromStdString(dir)} + extra);
    }
    ~Peer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kWaitMs);
        }
    }
    // The next line the peer prints, without its newline; empty on time-out or exit.
    std::string ReadLine() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(kWaitMs))
                return {};
        }
        return process_.readLine().trimmed().toStdString();
    }
    // Closes the peer's stdin, waits for it to end and returns what it printed since.
    std::vector<std::string> Finish() {
        process_.closeWriteChannel();
        return WaitForExit();
    }
    std::vector<std::string> WaitForExit() {
        process_.waitForFinished(kWaitMs);
        std::vector<std::string> lines;
        for (const QByteArray& line : process_.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                lines.push_back(line.toStdString());
        return lines;
    }
    void Crash() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
        process_.waitForFinished(kWaitMs);
    }
    bool Exited() const { return process_.state() == QProcess::NotRunning; }
    int ExitCode() const { return process_.exitCode(); }
    qint64 Pid() const { return process_.processId(); }

  private:
    QProcess process_;
};

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// --- the marker ------------------------------------------------------------------------------

struct MarkerCase {
    const char* name;
    int holders;                               // other processes that take the marker first
    enum End { Running, Closed, Killed } end;  // what becomes of them before we look
    bool expectExists;
};

const MarkerCase kMarkerCases[] = {
    {"no other instance", 0, MarkerCase::Running, false},
    {"one running instance", 1, MarkerCase::Running, true},
    {"two running instances", 2, MarkerCase::Running, true},
    {"the other instance ended", 1, MarkerCase::Closed, false},
    {"the other instance crashed", 1, MarkerCase::Killed, false},
};

TEST(InstanceMarker, ExistsOnlyWhileAnotherProcessHoldsIt) {
    for (const MarkerCase& c : kMarkerCases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        std::vector<std::unique_ptr<Peer>> holders;
        for (int i = 0; i < c.holders; ++i) {
            holders.push_back(std::make_unique<Peer>("hold", dir.path()));
            EXPECT_EQ(holders.back()->ReadLine(), i == 0 ? "existed=0" : "existed=1");
        }
        for (auto& h : holders) {
            if (c.end == MarkerCase::Closed)
                h->Finish();
            if (c.end == MarkerCase::Killed)
                h->Crash();
        }
        auto channel = MakeInstanceChannel(dir.path());
        EXPECT_EQ(channel->CreateMarker(), c.expectExists);
        EXPECT_EQ(channel->CreateMarker(), c.expectExists) << "a second call answers the same";
    }
}

// --- the broadcast ---------------------------------------------------------------------------

TEST(InstanceBroadcast, ReachesEveryListenerOnce) {
    TestDir dir;
    std::vector<std::unique_ptr<Peer>> listeners;
    for (int i = 0; i < 3; ++i) {
        listeners.push_back(std::make_unique<Peer>("listen", dir.path(), QStringList{"quit"}));
        ASSERT_EQ(listeners.back()->ReadLine(), "ready");
    }
    MakeInstanceChannel(dir.path())->Broadcast();
    for (auto& l : listeners) {
        EXPECT_EQ(l->WaitForExit(), std::vector<std::string>{"message"});
        EXPECT_TRUE(l->Exited());
        EXPECT_EQ(l->ExitCode(), 0);
    }
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{}) << "sockets go with their owners";
}

void PumpEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(InstanceBroadcast, NeverReachesTheSenderButReachesItFromAnother) {
    TestDir dir;
    int messages = 0;
    auto channel = MakeInstanceChannel(dir.path());
    channel->Listen([&messages] { ++messages; });
    channel->Broadcast();
    PumpEventsUntil([] { return false; }, 200);
    EXPECT_EQ(messages, 0);

    Peer sender("broadcast", dir.path());
    // The sender blocks on our answer, so the loop must run while it waits.
    PumpEventsUntil([&messages] { return messages > 0; }, kWaitMs);
    EXPECT_EQ(sender.WaitForExit(), std::vector<std::string>{"done"});
    PumpEventsUntil([] { return false; }, 50);
    EXPECT_EQ(messages, 1);
}

// Makes a socket file named `name` in `dir`; with `listening` something accepts connections
// (but never answers), without it the file is what a crashed instance leaves behind.
int MakeSocket(const std::string& dir, const std::string& name, bool listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = dir + "/" + name;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0) << path;
    if (listening) {
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    }
    ::close(fd);
    return -1;
}

struct EntryCase {
    const char* name;
    const char* file;
    enum Kind { DeadSocket, SilentSocket, PlainFile } kind;
    bool survives;
};

const EntryCase kEntryCases[] = {
    {"socket nobody listens on is removed", "4000001.sock", EntryCase::DeadSocket, false},
    {"listener that never answers is kept", "4000002.sock", EntryCase::SilentSocket, true},
    {"socket still being set up is left alone", "4000003.sock.new", EntryCase::DeadSocket, true},
    {"other names are left alone", "notes.txt", EntryCase::PlainFile, true},
    {"the marker is left alone", "TAVIMOINSTANCE", EntryCase::PlainFile, true},
};

TEST(InstanceBroadcast, HandlesWhatTheFolderHolds) {
    TestDir dir;
    std::vector<int> open;
    for (const EntryCase& c : kEntryCases) {
        if (c.kind == EntryCase::PlainFile)
            std::ofstream(dir / c.file) << "x";
        const int fd = c.kind == EntryCase::PlainFile
                           ? -1
                           : MakeSocket(dir.path(), c.file, c.kind == EntryCase::SilentSocket);
        if (fd >= 0)
            open.push_back(fd);
    }
    Peer listener("listen", dir.path(), {"quit"});
    ASSERT_EQ(listener.ReadLine(), "ready");

    QElapsedTimer timer;
    timer.start();
    MakeInstanceChannel(dir.path())->Broadcast();
    EXPECT_LT(timer.elapsed(), 3000) << "a silent peer must not hold the sender for long";

    EXPECT_EQ(listener.WaitForExit(), std::vector<std::string>{"message"})
        << "a silent peer must not keep the others from hearing";
    const std::vector<std::string> left = Names(dir.path());
    for (const EntryCase& c : kEntryCases)
        EXPECT_EQ(Contains(left, c.file), c.survives) << c.name;
    for (int fd : open)
        ::close(fd);
}

// --- what a listener accepts -----------------------------------------------------------------

struct RequestCase {
    const char* name;
    std::string bytes;
    bool closeAfter;  // the client ends its side after sending
    bool answered;
};

const RequestCase kRequestCases[] = {
    {"the instance message", "TAVIMOINSTANCE\n", false, true},
    {"another text", "HELLO\n", false, false},
    {"the message without its line end", "TAVIMOINSTANCE", true, false},
    {"an endless line", std::string(300, 'A'), false, false},
    {"nothing at all", "", true, false},
};

// Sends `bytes` to the listener at `path` while the event loop runs; returns what came back.
std::string Exchange(const std::string& path, const RequestCase& c) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    if (!c.bytes.empty())
        ::send(fd, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL);
    if (c.closeAfter)
        ::shutdown(fd, SHUT_WR);
    std::string reply;
    bool ended = false;
    PumpEventsUntil(
        [&] {
            char buf[16];
            const ssize_t n = ::recv(fd, buf, sizeof(buf), 0);
            if (n > 0)
                reply.append(buf, static_cast<size_t>(n));
            ended = n == 0;
            return ended;
        },
        kWaitMs);
    ::close(fd);
    EXPECT_TRUE(ended) << "the listener closes every connection";
    return reply;
}

TEST(InstanceListener, AnswersOnlyTheInstanceMessage) {
    for (const RequestCase& c : kRequestCases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        int messages = 0;
        auto channel = MakeInstanceChannel(dir.path());
        channel->Listen([&messages] { ++messages; });
        const std::string socket = dir / (std::to_string(::getpid()) + ".sock");
        EXPECT_EQ(Exchange(socket, c), c.answered ? "OK\n" : "");
        PumpEventsUntil([] { return false; }, 30);
        EXPECT_EQ(messages, c.answered ? 1 : 0);
    }
}

TEST(InstanceListener, ACallbackMayEndTheChannel) {
    TestDir dir;
    auto channel = MakeInstanceChannel(dir.path());
    bool called = false;
    channel->Listen([&] {
        called = true;
        channel.reset();
    });
    Peer sender("broadcast", dir.path());
    PumpEventsUntil([&] { return called; }, kWaitMs);
    EXPECT_TRUE(called);
    EXPECT_EQ(sender.WaitForExit(), std::vector<std::string>{"done"});
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{});
}

// --- the folder ------------------------------------------------------------------------------

struct FolderCase {
    const char* name;
    enum Setup { Missing, OpenToOthers, Symlink, PlainFile } setup;
    bool usable;
};

const FolderCase kFolderCases[] = {
    {"a missing folder is made private", FolderCase::Missing, true},
    {"a folder open to others is made private", FolderCase::OpenToOthers, true},
    {"a symbolic link is refused", FolderCase::Symlink, false},
    {"a plain file is refused", FolderCase::PlainFile, false},
};

TEST(InstanceFolder, OnlyAPrivateFolderOfOursIsUsed) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(c.name);
        TestDir root;
        const std::string folder = root / "chan";
        const std::string elsewhere = root / "elsewhere";
        fs::create_directory(elsewhere);
        if (c.setup == FolderCase::OpenToOthers)
            ::mkdir(folder.c_str(), 0777), ::chmod(folder.c_str(), 0777);
        if (c.setup == FolderCase::Symlink)
            fs::create_directory_symlink(elsewhere, folder);
        if (c.setup == FolderCase::PlainFile)
            std::ofstream(folder) << "x";

        auto channel = MakeInstanceChannel(folder);
        channel->Listen([] {});
        EXPECT_FALSE(channel->CreateMarker());
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        if (c.usable) {
            EXPECT_TRUE(S_ISDIR(st.st_mode));
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_TRUE(Contains(Names(folder), std::to_string(::getpid()) + ".sock"));
            EXPECT_TRUE(Contains(Names(folder), "TAVIMOINSTANCE"));
        } else {
            EXPECT_EQ(Names(elsewhere), std::vector<std::string>{}) << "nothing made through it";
        }
    }
}

TEST(InstanceFolder, DefaultsToTheRuntimeFolder) {
    TestDir runtime;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    auto channel = MakeInstanceChannel();
    channel->CreateMarker();
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(fs::exists(runtime / "tavimo/TAVIMOINSTANCE"));
}

}  // namespace
}  // namespace tavimo::platform
