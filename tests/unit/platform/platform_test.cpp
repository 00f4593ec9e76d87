// The instance channel against raw sockets and a forked holder of the marker: the message as
// another instance sends and expects it, in both directions. Paths made absolute for existing
// files only, and a display mode's text for the widest numbers.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/display_modes.h"
#include "platform/instance_channel.h"
#include "platform/paths.h"
#include "test_dir.h"

namespace tavimo::platform {
namespace {

using testing::TestDir;
using Names = std::set<std::string>;

Names NamesIn(const std::string& dir) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}
// The socket this process listens on.
const std::string kOwnSocket = std::to_string(::getpid()) + ".sock";
// A non-blocking socket connected to, or bound at, `path`.
int Socket(const std::string& path, bool bind) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{AF_UNIX, {}};
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    const auto* any = reinterpret_cast<sockaddr*>(&addr);
    EXPECT_EQ(bind ? ::bind(fd, any, sizeof(addr)) : ::connect(fd, any, sizeof(addr)), 0) << path;
    return fd;
}
TEST(InstanceMarker, ExistsOnlyWhileAnotherProcessHoldsIt) {
    TestDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {  // takes the marker and waits to be killed: none of its clean-up runs
        const char existed = MakeInstanceChannel(dir.path).release()->CreateMarker() ? '1' : '0';
        if (::write(ready[1], &existed, 1) == 1)
            ::pause();
        ::_exit(1);
    }
    char existed = 0;
    ASSERT_EQ(::read(ready[0], &existed, 1), 1);
    EXPECT_EQ(existed, '0');
    auto second = MakeInstanceChannel(dir.path);
    EXPECT_TRUE(second->CreateMarker());
    EXPECT_TRUE(second->CreateMarker()) << "a second call answers the same";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(MakeInstanceChannel(dir.path)->CreateMarker()) << "the second one holds it too";
    second.reset();
    EXPECT_FALSE(MakeInstanceChannel(dir.path)->CreateMarker()) << "a crashed holder holds none";
}

// Our broadcast reaches every other listener, also past ones that never answer, but never
// ourselves; it removes only what crashed instances left.
TEST(InstanceBroadcast, ReachesOthersButNeverTheSender) {
    TestDir dir;
    enum Kind { kDeadSocket, kSilentListener, kPlainFile };
    // case, file name, what it is, whether it survives
    const std::tuple<const char*, const char*, Kind, bool> rows[] = {
        {"socket nobody listens on is removed", "4000001.sock", kDeadSocket, false},
        {"listener that never answers is kept", "4000002.sock", kSilentListener, true},
        {"one silent listener does not keep the next deaf", "4000003.sock", kSilentListener, true},
        {"socket still being set up is left alone", "4000004.sock.new", kDeadSocket, true},
        {"the marker is left alone", "TAVIMOINSTANCE", kPlainFile, true},
    };
    std::vector<int> listeners;
    Names survivors = {kOwnSocket};
    for (const auto& [name, file, kind, survives] : rows) {
        const int fd = kind == kPlainFile ? -1 : Socket(dir / file, true);
        if (kind == kPlainFile)
            dir.Write(file);
        else if (kind == kSilentListener && ::listen(fd, 4) == 0)
            listeners.push_back(fd);
        else
            ::close(fd);  // what a crashed instance leaves
        if (survives)
            survivors.insert(file);
    }
    int messages = 0;
    auto channel = MakeInstanceChannel(dir.path);
    channel->Listen([&] { ++messages; });
    channel->Broadcast();
    QTest::qWait(100);
    EXPECT_EQ(messages, 0) << "never to ourselves";
    for (const int fd : listeners) {
        const int peer = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        char request[32] = {};
        EXPECT_EQ(::recv(peer, request, sizeof request, 0), 15);
        EXPECT_STREQ(request, "TAVIMOINSTANCE\n");
        ::close(peer);
        ::close(fd);
    }
    EXPECT_EQ(NamesIn(dir.path), survivors);
}

// After the broadcast the sender waits for every instance that answered to end (its settings
// saved), but no longer than it was given.
TEST(InstanceBroadcast, WaitsForTheAnsweredToEnd) {
    // case, how long the answering peer lives on (ms), the budget (ms), still running after it
    const std::tuple<const char*, int, int, int> rows[] = {
        {"ends within the budget", 300, 5000, 0},
        {"outlives the budget", 1000, 100, 1},
    };
    for (const auto& [name, lives, budget, running] : rows) {
        SCOPED_TRACE(name);
        TestDir dir;
        const int listener = Socket(dir / "4000001.sock", true);
        ASSERT_EQ(::listen(listener, 4), 0);
        std::atomic<bool> ended{false};
        std::thread peer([&, lives = lives] {
            pollfd wait{listener, POLLIN, 0};
            ::poll(&wait, 1, 5000);
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            char request[32];
            if (::recv(fd, request, sizeof request, 0) > 0)
                ::send(fd, "OK\n", 3, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(lives));
            ended = true;
            ::close(fd);
        });
        auto channel = MakeInstanceChannel(dir.path);
        channel->Broadcast();
        EXPECT_EQ(channel->AwaitAnswered(std::chrono::milliseconds(budget)), running);
        EXPECT_EQ(ended.load(), running == 0) << "waited for the end, and only within the budget";
        peer.join();
        ::close(listener);
    }
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
        channel->Listen([&] { ++messages, channel.reset(); });  // a callback may end its channel
        const int fd = Socket(dir / kOwnSocket, false);
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (shut)
            ::shutdown(fd, SHUT_WR);
        std::string reply;
        ssize_t n = -1;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                char buf[16];
                if ((n = ::recv(fd, buf, sizeof(buf), 0)) > 0)
                    reply.append(buf, static_cast<size_t>(n));
                return n == 0;
            },
            10000))
            << "the listener closes every connection (an answered one with the channel)";
        ::close(fd);
        EXPECT_EQ(reply, answered ? "OK\n" : "");
        QTest::qWait(30);
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
            EXPECT_EQ(NamesIn(folder), (Names{kOwnSocket, "TAVIMOINSTANCE"}));
        }
    }
}

namespace fs = std::filesystem;

TEST(LongPathName, AbsoluteForExistingPathsOnly) {
    testing::TestDir dir;
    fs::create_directories(dir / "sub/deeper");
    for (const char* file : {"clip.mp4", "sub/x.mp4"})
        dir.Write(file);
    fs::create_symlink(dir / "clip.mp4", dir / "link.mp4");
    fs::create_directory_symlink(dir / "sub/deeper", dir / "deep");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path);
    // case, input, expected; "@" stands for the test folder, the current one
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"relative name becomes absolute", "clip.mp4", "@/clip.mp4"},
        {"dot segments and doubled separators go", "@/./sub/..//clip.mp4", "@/clip.mp4"},
        {"a linked file keeps its own name", "link.mp4", "@/link.mp4"},
        {"parent of a linked folder is the real parent", "@/deep/../x.mp4", "@/sub/x.mp4"},
        {"a missing file is unchanged", "@/./missing.mp4", "@/./missing.mp4"},
        {"a URL is unchanged", "http://example.com/a.mp4", "http://example.com/a.mp4"},
        {"empty text is unchanged", "", ""},
    };
    const auto expand = [&](std::string s) { return s[0] == '@' ? dir.path + s.substr(1) : s; };
    for (const auto& [name, input, expected] : rows)
        EXPECT_EQ(LongPathName(expand(input)), expand(expected)) << name;
    fs::current_path(before);
}

TEST(FormatDisplayMode, WidestNumbersFit) {
    EXPECT_EQ(FormatDisplayMode({INT_MIN, INT_MIN, INT_MIN, INT_MIN}),
              "-2147483648x-2147483648x-2147483648 -2147483648Hz");
}

}  // namespace
}  // namespace tavimo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the event loop the listeners need
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
