// Linked into every test program that reaches GLib: a critical (a GLib or
// GStreamer function called against its contract, which GLib only prints
// and the program survives by luck) fails the test that caused it, as does
// a warning of GLib, GObject or GStreamer themselves. Those seen on the
// test's own thread fail at once, where they happen; those of a streaming
// thread when the test ends; any after the last test make the program exit
// with a failure.
#include <glib.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const std::thread::id gMainThread = std::this_thread::get_id();
std::mutex gMutex;
std::vector<std::string> gPending;  // from other threads, not yet reported

// Whether a message of `domain` at `level` is a fault of the program.
bool IsFault(const gchar* domain, GLogLevelFlags level) {
    if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL))
        return true;
    if (!(level & G_LOG_LEVEL_WARNING) || !domain)
        return false;
    for (const char* own : {"GLib", "GLib-GObject", "GStreamer"})
        if (std::strcmp(domain, own) == 0)
            return true;
    return false;
}

// Any thread: GLib's own output, then the failure.
void OnLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    g_log_default_handler(domain, level, message, nullptr);
    if (!IsFault(domain, level))
        return;
    std::string text = std::string(domain ? domain : "(no domain)") + ": " + message;
    if (std::this_thread::get_id() == gMainThread &&
        testing::UnitTest::GetInstance()->current_test_info()) {
        ADD_FAILURE() << "GLib message: " << text;
        return;
    }
    std::lock_guard lock(gMutex);
    gPending.push_back(std::move(text));
}

std::vector<std::string> TakePending() {
    std::lock_guard lock(gMutex);
    return std::exchange(gPending, {});
}

// Called before the result printer's OnTestEnd (listeners end in reverse).
class PendingReporter : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        for (const std::string& text : TakePending())
            ADD_FAILURE() << "GLib message on another thread: " << text;
    }
};

void FailOnLateMessages() {
    const std::vector<std::string> late = TakePending();
    for (const std::string& text : late)
        std::fprintf(stderr, "GLib message after the tests: %s\n", text.c_str());
    if (!late.empty())
        _exit(1);
}

const bool gInstalled = [] {
    g_log_set_default_handler(OnLog, nullptr);
    testing::UnitTest::GetInstance()->listeners().Append(new PendingReporter);
    std::atexit(FailOnLateMessages);
    return true;
}();

}  // namespace
