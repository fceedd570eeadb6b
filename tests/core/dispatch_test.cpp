// Whatever the server sends, a packet is either handled or ends the program on the fatal path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/dispatch.h"
#include "fixture.h"

using namespace zorvan;
using zorvan::test::SimClient;

namespace {
// Random packets, half of them with a command the client handles, some with small field values so
// that handlers get past their first checks.
Packet RandomPacket(std::mt19937& rng) {
    static const std::uint8_t known[] = {1, 2, 3, 6, 9, 16, 18, 19, 20, 21, 22, 23, 29, 44, 45, 46};
    Packet p;
    std::uniform_int_distribution<int> byte(0, 255), pick(0, 15), coin(0, 3);
    bool small = coin(rng) == 0;
    for (auto& b : p) b = static_cast<std::uint8_t>(small ? byte(rng) % 16 : byte(rng));
    if (coin(rng) < 2) p[3] = known[pick(rng)];
    if (p[3] == 18 && coin(rng) != 0) p[15] = 1;  // mostly accepted logins, so runs last longer
    return p;
}
}  // namespace

TEST(Dispatch, RandomPacketsAreHandledOrEndTheProgramNeverCrash) {
    const bool soak = !std::getenv("ZORVAN_SOAK") ? false : std::string(std::getenv("ZORVAN_SOAK")) == "1";
    const int total = soak ? 1000000 : 10000;
    std::mt19937 rng(20240611);
    int ends = 0, handled = 0;
    auto t = std::make_unique<SimClient>();
    t->login();
    for (int i = 0; i < total; ++i) {
        t->c->net.g_RxPacket = RandomPacket(rng);
        bool ended = false;
        try {
            DispatchPacket(*t->c);
            // Let waits, timers and posted messages of the handler run too.
            if (i % 50 == 0) t->loop.runFor(60);
        } catch (const platform::ProgramEnded&) {
            ended = true;
        }
        if (ended || t->sim.ended) {
            ++ends;
            // The fatal path brings the lobby forward before the end.
            t = std::make_unique<SimClient>();
            t->login();
        } else {
            ++handled;
        }
    }
    EXPECT_EQ(ends + handled, total);
    EXPECT_GT(handled, total / 2);
}

TEST(Dispatch, RandomBytesThroughTheSocketNeverCrash) {
    std::mt19937 rng(7);
    SimClient t;
    t.login();
    std::uniform_int_distribution<int> len(1, 600), byte(0, 255);
    for (int i = 0; i < 300 && !t.ended; ++i) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(len(rng)));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(rng));
        t.sim.socket.deliver(bytes);
        t.run(120);
    }
    SUCCEED();
}

TEST(Dispatch, UnknownCommandWithoutPluginChangesOnlyTheEchoBytes) {
    SimClient t;
    t.login();
    Packet p = MakePacket(99);
    p[260] = 3;
    p[261] = 4;
    t.c->net.g_RxPacket = p;
    auto queued = QueuedSendPackets(*t.c);
    DispatchPacket(*t.c);
    EXPECT_EQ(t.c->net.g_EchoBytes, (std::array<std::uint8_t, 2>{3, 4}));
    EXPECT_EQ(QueuedSendPackets(*t.c), queued);
    bool traced = false;
    for (const auto& l : t.sim.system.traceLines) traced |= l.rfind("recv cmd=99 ", 0) == 0 && l.size() == 12 + 544;
    EXPECT_TRUE(traced);
}
