// The idle hold against a stand-in org.freedesktop.ScreenSaver on a private
// session bus: holders are counted apart, and a hold released or ended before
// its cookie came is still given back.
#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <tuple>

#include "platform/idle_inhibit.h"
#include "private_bus.h"

namespace tavimo {
namespace {

using platform::IdleInhibit;
using testing::ScreenSaverStandIn;

TEST(IdleInhibit, HoldsAndReleasesThroughTheService) {
    using Steps = void (*)(std::unique_ptr<IdleInhibit>&, std::unique_ptr<IdleInhibit>&);
    // case, what the two holders do, then the service's inhibits, un-inhibits, holds outstanding
    const std::tuple<const char*, Steps, int, int, int> cases[] = {
        {"hold twice is one hold", [](auto& a, auto&) { a->Hold(), a->Hold(); }, 1, 0, 1},
        {"two holders: releasing one keeps the other",
         [](auto& a, auto& b) { a->Hold(), b->Hold(), QTest::qWait(300), a->Release(); }, 2, 1, 1},
        {"released before the cookie came: given back when it comes",
         [](auto& a, auto&) { a->Hold(), a->Release(); }, 1, 1, 0},
        {"ended before the cookie came: still given back",
         [](auto& a, auto&) { a->Hold(), a.reset(); }, 1, 1, 0},
    };
    for (const auto& [name, steps, inhibits, unInhibits, outstanding] : cases) {
        SCOPED_TRACE(name);
        ScreenSaverStandIn service;
        ASSERT_TRUE(service.Registered());
        service.SetReplyDelay(100);
        auto a = std::make_unique<IdleInhibit>("Playing video");
        auto b = std::make_unique<IdleInhibit>("Full screen");
        steps(a, b);
        QTest::qWait(500);  // every answer has come
        EXPECT_EQ(service.Inhibits(), inhibits);
        EXPECT_EQ(service.UnInhibits(), unInhibits);
        EXPECT_EQ(service.Outstanding(), outstanding);
    }
}

}  // namespace
}  // namespace tavimo
