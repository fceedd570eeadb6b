// Waits keep the world running: timers and received data are handled while a handler waits,
// and a self-disabling tick is never entered twice.
#include <gtest/gtest.h>

#include "sim/sim_platform.h"

using zorvan::sim::SimLoop;

TEST(SimLoop, WaitDeliversOtherTimersAndSocketData) {
    SimLoop loop;
    zorvan::sim::SimSocket sock(loop);
    int ticks = 0, received = 0, reentered = 0;
    bool inTick = false;
    auto other = loop.makeTimer([&] { ++ticks; });
    other->setInterval(10);
    other->setEnabled(true);
    sock.onData = [&](std::span<const std::uint8_t> b) { received += static_cast<int>(b.size()); };
    sock.connect("127.0.0.1", 1);
    loop.runFor(10);
    ASSERT_EQ(sock.state(), zorvan::platform::Socket::kConnected);

    std::unique_ptr<zorvan::platform::Timer> bong;
    bong = loop.makeTimer([&] {
        if (inTick) ++reentered;
        inTick = true;
        bong->setEnabled(false);       // the tick switches itself off for its whole length
        sock.deliver({1, 2, 3}, 5);
        loop.waitMs(100);              // a handler waiting inside the tick
        inTick = false;
        bong->setEnabled(true);
    });
    bong->setInterval(50);
    bong->setEnabled(true);
    int before = ticks;
    loop.runFor(200);
    EXPECT_EQ(reentered, 0);
    EXPECT_GE(received, 3);
    EXPECT_GE(ticks - before, 15);
}

TEST(SimLoop, TimerRestartsItsIntervalWhenEnabled) {
    SimLoop loop;
    std::vector<std::int64_t> at;
    auto t = loop.makeTimer([&] { at.push_back(loop.nowMs()); });
    t->setInterval(1000);
    t->setEnabled(true);
    loop.runFor(500);
    t->setEnabled(false);
    t->setEnabled(true);
    loop.runFor(1000);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0], 1500);
}
