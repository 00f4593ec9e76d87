// The idle hold against a stand-in org.freedesktop.ScreenSaver on a private
// session bus: each hold is one Inhibit, each release gives that cookie back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>

#include "platform/idle_inhibit.h"
#include "private_bus.h"

namespace tavimo {
namespace {

using platform::IdleInhibit;
using testing::ScreenSaverStandIn;

// Runs the event loop until `done` or two seconds have passed.
bool Eventually(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// Runs the event loop for `ms` milliseconds.
void Spin(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

TEST(IdleInhibit, HoldsAndReleasesThroughTheService) {
    struct Case {
        const char* name;
        std::function<void(std::unique_ptr<IdleInhibit>&, std::unique_ptr<IdleInhibit>&)> steps;
        int inhibits, unInhibits, outstanding;
    };
    const Case cases[] = {
        {"one hold", [](auto& a, auto&) { a->Hold(); }, 1, 0, 1},
        {"hold twice is one hold", [](auto& a, auto&) { a->Hold(), a->Hold(); }, 1, 0, 1},
        {"hold then release",
         [](auto& a, auto&) {
             a->Hold();
             Spin(300);  // the cookie comes
             a->Release();
         },
         1, 1, 0},
        {"release without hold sends nothing", [](auto& a, auto&) { a->Release(); }, 0, 0, 0},
        {"two holders: releasing one keeps the other",
         [](auto& a, auto& b) {
             a->Hold();
             b->Hold();
             Spin(300);
             a->Release();
         },
         2, 1, 1},
        {"ending the program while held gives the hold back",
         [](auto& a, auto&) {
             a->Hold();
             Spin(300);
             a.reset();
         },
         1, 1, 0},
        {"released before the cookie came: given back when it comes",
         [](auto& a, auto&) {
             a->Hold();
             a->Release();
         },
         1, 1, 0},
        {"ended before the cookie came: still given back",
         [](auto& a, auto&) {
             a->Hold();
             a.reset();
         },
         1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenSaverStandIn service;
        ASSERT_TRUE(service.Registered());
        service.SetReplyDelay(100);
        auto a = std::make_unique<IdleInhibit>("Playing video");
        auto b = std::make_unique<IdleInhibit>("Full screen");
        c.steps(a, b);
        Eventually([&] {
            return service.Inhibits() == c.inhibits && service.UnInhibits() == c.unInhibits;
        });
        Spin(200);  // nothing more comes
        EXPECT_EQ(service.Inhibits(), c.inhibits);
        EXPECT_EQ(service.UnInhibits(), c.unInhibits);
        EXPECT_EQ(service.Outstanding(), c.outstanding);
    }
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    tavimo::testing::RunUnderPrivateBus(argc, argv);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
