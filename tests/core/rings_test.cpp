// The packet rings: what SendPacket queues, what leaves the socket, what the receive side keeps.
#include <gtest/gtest.h>

#include "core/dispatch.h"
#include "core/pump.h"
#include "fixture.h"

using namespace zorvan;
using zorvan::test::SimClient;

namespace {
Packet Numbered(std::uint8_t cmd, std::uint8_t n) {
    Packet p = MakePacket(cmd);
    p[260] = n;
    p[261] = 0xA0;
    return p;
}
}  // namespace

TEST(SendPacket, FreshBufferGoesOutWithZeroEchoBytesAndGetsThemAfterwards) {
    SimClient t;
    t.c->net.g_EchoBytes = {0x12, 0x34};
    Packet p = MakePacket(7);
    ASSERT_TRUE(SendPacket(*t.c, p));
    EXPECT_EQ(t.c->net.g_SendRing[260], 0);
    EXPECT_EQ(t.c->net.g_SendRing[261], 0);
    EXPECT_EQ(p[260], 0x12);
    EXPECT_EQ(p[261], 0x34);
    EXPECT_TRUE(t.c->net.g_SendPending);
    // Reusing the buffer sends the echo bytes its previous use received.
    ASSERT_TRUE(SendPacket(*t.c, p));
    EXPECT_EQ(t.c->net.g_SendRing[272 + 260], 0x12);
}

TEST(SendPacket, ChatTextIsEncodedInGbkAndCut) {
    struct Case { std::string text; std::vector<std::uint8_t> start; std::size_t length; };
    std::string long150(150, 'a');
    std::string wide110;
    for (int i = 0; i < 110; ++i) wide110 += "中";
    const Case cases[] = {
        {"hi 你好", {'h', 'i', ' ', 0xC4, 0xE3, 0xBA, 0xC3}, 7},
        {"x\u0105y\U0001F600", {'x', '?', 'y', '?'}, 4},  // characters GBK has no code for
        {long150, {'a', 'a'}, 100},
        {wide110, {0xD6, 0xD0}, 200},
    };
    for (const auto& k : cases) {
        SimClient t;
        t.c->net.g_ChatText = k.text;
        Packet p = MakePacket(19);
        p[100 + 16] = 0x55;                   // stale bytes behind the text are cleared
        p[236 + 3] = 5;                       // a marker that is neither 272 nor 260
        p[270] = 9;
        ASSERT_TRUE(SendPacket(*t.c, p)) << k.text;
        const auto* q = &t.c->net.g_SendRing[0];
        for (std::size_t i = 0; i < k.start.size(); ++i) EXPECT_EQ(q[16 + i], k.start[i]) << k.text << " byte " << i;
        EXPECT_NE(q[16 + k.length - 1], 0) << k.text;
        for (std::size_t i = 16 + k.length; i < 272; ++i) ASSERT_EQ(q[i], 0) << k.text << " byte " << i;
        EXPECT_TRUE(t.c->net.g_ChatText.empty());
    }
}

TEST(SendPacket, ChatWithoutTextIsNotQueuedAndMarkedChatIsQueuedUnchanged) {
    SimClient t;
    Packet empty = MakePacket(19);
    EXPECT_FALSE(SendPacket(*t.c, empty));
    EXPECT_EQ(QueuedSendPackets(*t.c), 0);
    EXPECT_FALSE(t.c->net.g_SendPending);

    t.c->net.g_ChatText = "ignored";
    Packet marked = MakePacket(19);
    Put32BE(marked, 236, 260);
    marked[16] = 'Z';
    ASSERT_TRUE(SendPacket(*t.c, marked));
    EXPECT_EQ(t.c->net.g_SendRing[16], 'Z');
    EXPECT_EQ(t.c->net.g_SendRing[239], 4);  // 260 big-endian: 00 00 01 04
    EXPECT_EQ(t.c->net.g_ChatText, "ignored");
}

TEST(SendPacket, FullRingRefusesTheNewPacketAndKeepsTheQueuedOnes) {
    SimClient t;
    for (int i = 0; i < 127; ++i) {
        Packet p = MakePacket(7);
        p[16] = static_cast<std::uint8_t>(i);
        ASSERT_TRUE(SendPacket(*t.c, p)) << i;
    }
    Packet extra = MakePacket(2);
    EXPECT_FALSE(SendPacket(*t.c, extra));
    EXPECT_EQ(t.c->net.refusedPackets, 1);
    EXPECT_EQ(QueuedSendPackets(*t.c), 127);
    EXPECT_EQ(t.c->net.g_SendRing[16], 0);  // the oldest unsent packet was not overwritten
    bool traced = false;
    for (const auto& l : t.sim.system.traceLines) traced |= l.find("send ring full") != std::string::npos;
    EXPECT_TRUE(traced);

    // Once one has left there is room again; order is kept across the ring's end.
    t.sim.socket.connect("h", 1);
    t.loop.runFor(10);
    DequeueOutgoing(*t.c);
    ASSERT_TRUE(SendPacket(*t.c, extra));
    for (int i = 1; i < 128; ++i) DequeueOutgoing(*t.c);
    auto sent = t.sent();
    ASSERT_EQ(sent.size(), 128u);
    EXPECT_EQ(sent[126][16], 126);
    EXPECT_EQ(sent[127][3], 2);
}

TEST(SendPacket, OnlyOneUnsentKeepAliveWaits) {
    SimClient t;
    TimerKeepAliveTick(*t.c);
    TimerKeepAliveTick(*t.c);
    EXPECT_EQ(QueuedSendPackets(*t.c), 1);
    t.sim.socket.connect("h", 1);
    t.loop.runFor(10);
    DequeueOutgoing(*t.c);
    TimerKeepAliveTick(*t.c);
    EXPECT_EQ(QueuedSendPackets(*t.c), 1);
}

TEST(DequeueOutgoing, WaitsForTheConnectionAndParksHeldPluginPackets) {
    SimClient t;
    auto prop = [](int subType) {
        Packet p = MakePacket(45);
        Put16LE(p, 8, 0);
        p[8] = static_cast<std::uint8_t>((subType * 8) >> 8);
        p[9] = static_cast<std::uint8_t>((subType * 8) & 0xFF);
        return p;
    };
    ArmSettleHold(*t.c);
    for (int sub : {129, 386, 129, 7}) {
        Packet p = prop(sub);
        SendPacket(*t.c, p);
    }
    DequeueOutgoing(*t.c);
    EXPECT_EQ(QueuedSendPackets(*t.c), 4);  // not connected: stays queued
    t.sim.socket.connect("h", 1);
    t.loop.runFor(10);
    for (int i = 0; i < 5; ++i) DequeueOutgoing(*t.c);
    EXPECT_FALSE(t.c->net.g_SendPending);
    auto sent = t.sent();
    ASSERT_EQ(sent.size(), 2u);  // the first 129 and the first 386 were parked
    EXPECT_EQ(sent[0][9], (129 * 8) & 0xFF);
    EXPECT_EQ(sent[1][9], (7 * 8) & 0xFF);
    // The deal releases both and disarms both holds.
    ReleaseSettleHold(*t.c);
    EXPECT_FALSE(t.c->net.g_SettleHold);
    EXPECT_FALSE(t.c->net.g_HoldA.armed);
    for (int i = 0; i < 3; ++i) DequeueOutgoing(*t.c);
    EXPECT_EQ(t.sent().size(), 4u);
}

TEST(DequeueOutgoing, ReturnToLobbyPacketIsSentBeforeTheLobbyComesForward) {
    SimClient t;
    t.c->login.g_LobbyTitle = test::kLobby;
    t.sim.socket.connect("h", 1);
    t.loop.runFor(10);
    std::size_t writtenWhenRestored = 0;
    t.desk.windows[test::kLobby] = [&](int msg, long w, long) {
        if (msg == 274 && w == platform::WindowBus::kScRestore) writtenWhenRestored = t.sim.socket.written.size();
        return 0L;
    };
    Packet p = MakePacket(16);
    SendPacket(*t.c, p);
    DequeueOutgoing(*t.c);
    t.loop.runFor(1);
    EXPECT_EQ(writtenWhenRestored, 272u);
    EXPECT_EQ(t.c->main.windowState, ui::WindowState::Minimised);
}

TEST(ReceiveRing, HoldsOneByteLessThanItsSizeThenEnds) {
    SimClient t;
    t.c->login.g_LobbyTitle = test::kLobby;
    std::vector<std::uint8_t> bytes(kRingSize - 1, 1);
    t.guard([&] { OnSocketData(*t.c, bytes); });
    ASSERT_FALSE(t.ended);
    EXPECT_EQ(QueuedRecvBytes(*t.c), kRingSize - 1);
    std::uint8_t one = 1;
    t.guard([&] { OnSocketData(*t.c, std::span(&one, 1)); });
    EXPECT_TRUE(t.ended);
    auto posted = t.desk.to(test::kLobby);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().w, platform::WindowBus::kScRestore);
}

TEST(ReceiveRing, ClosedConnectionDropsTheTrailingPartialPacket) {
    SimClient t;
    t.login();
    int before = QueuedRecvBytes(*t.c);
    std::vector<std::uint8_t> bytes(272 + 100, 0);
    bytes[3] = 99;
    t.c->net.g_SettleHold = false;
    OnSocketData(*t.c, bytes);
    EXPECT_EQ(QueuedRecvBytes(*t.c), before + 372);
    t.sim.socket.farClose();
    t.loop.runFor(0);
    EXPECT_EQ(QueuedRecvBytes(*t.c), before + 272);
    EXPECT_EQ(t.sim.socket.state(), platform::Socket::kClosed);
}

// Dispatch order and pace, observed through the echo bytes of packets no handler claims.
struct Paced : ::testing::Test {
    SimClient t;
    void SetUp() override { t.login(); }
    int echo() const { return t.c->net.g_EchoBytes[0]; }
    // Runs tick by tick until the echo byte shows n; returns the ticks it took (or -1).
    int ticksUntil(int n, int max = 200) {
        for (int i = 1; i <= max; ++i) {
            t.run(50);
            if (echo() == n) return i;
        }
        return -1;
    }
};

TEST_F(Paced, TwoPacketsInOneWriteAreDispatchedOnConsecutiveTicksNotBeforeTheSecond) {
    t.deliver({Numbered(99, 1), Numbered(99, 2)});
    t.run(0);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        t.run(50);
        seen.push_back(echo());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 2, 2}));
}

TEST_F(Paced, SplitPacketWaitsForItsLastByte) {
    Packet p = Numbered(99, 3);
    t.sim.socket.deliver(std::vector<std::uint8_t>(p.begin(), p.begin() + 100));
    t.run(500);
    EXPECT_EQ(echo(), 0);
    t.sim.socket.deliver(std::vector<std::uint8_t>(p.begin() + 100, p.end()));
    EXPECT_EQ(ticksUntil(3), 2);
}

TEST_F(Paced, BusyStreamStillGetsDispatched) {
    // A packet every 60 ms: never two ticks without a receive event, yet dispatch keeps up.
    int n = 0;
    std::function<void()> feed = [&] {
        if (++n > 600) return;
        t.deliver({Numbered(99, static_cast<std::uint8_t>(n % 200 + 1))});
        t.loop.at(t.loop.nowMs() + 60, feed);
    };
    feed();
    t.run(36000);
    EXPECT_FALSE(t.ended);
    EXPECT_LT(QueuedRecvBytes(*t.c), 17 * 272);
    t.run(3000);
    EXPECT_EQ(QueuedRecvBytes(*t.c), 0);
    EXPECT_EQ(echo(), 600 % 200 + 1);
}

TEST_F(Paced, PlayerLeftDuringSettlementBlocksEverythingBehindIt) {
    t.c->net.g_SettleHold = true;
    Packet left = Numbered(21, 5);
    t.deliver({left, Numbered(99, 6)});
    t.run(2000);
    EXPECT_EQ(echo(), 0);
    EXPECT_EQ(QueuedRecvBytes(*t.c), 2 * 272);
    t.c->net.g_SettleHold = false;
    EXPECT_EQ(ticksUntil(6, 10), 2);
}

TEST_F(Paced, EchoBytesComeFromEveryCommandButReconnectResults) {
    t.deliver({Numbered(99, 7)});
    ASSERT_GT(ticksUntil(7), 0);
    Packet r = Numbered(29, 8);
    r[15] = 1;
    t.deliver({r});
    t.run(500);
    EXPECT_EQ(echo(), 7);
    EXPECT_EQ(t.c->net.g_EchoBytes[1], 0xA0);
}
