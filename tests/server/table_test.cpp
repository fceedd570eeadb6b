// The server core driven through scripted connections in virtual time: login and seating,
// calls, the bottom, malformed input, dropped connections, reconnects and leaving.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <map>

#include "packet_check.h"
#include "server/server.h"
#include "server/wire.h"
#include "text/gbk.h"

namespace zorvan::server::test {
namespace {

Packet Make(int cmd) {
    Packet p{};
    p[3] = static_cast<std::uint8_t>(cmd);
    return p;
}

// A server, a virtual clock and an inbox per connection.
struct Net {
    Server server;
    std::int64_t now = 0;
    std::map<int, std::deque<Packet>> inbox;
    std::vector<std::string> log;
    explicit Net(Options o) : server((o.fast = true, o), [this](const std::string& l) { log.push_back(l); }) {}

    void Drain() {
        for (auto& o : server.TakeOutput()) {
            EXPECT_EQ(CheckPacket(o.packet, -1), "") << "to connection " << o.conn;
            inbox[o.conn].push_back(o.packet);
        }
    }
    void Send(int conn, const Packet& p) {
        server.Received(conn, p);
        Drain();
    }
    void Login(int conn, const std::string& account) {
        server.Connected(conn);
        Packet p = Make(18);
        p[14] = 1;
        wire::PutRaw(p, 16, 16, account);
        wire::PutRaw(p, 32, 16, "key");
        Send(conn, p);
    }
    void Ready(int conn) {
        Packet p = Make(16);
        p[15] = 1;
        Send(conn, p);
    }
    // Advances virtual time until `conn` receives a packet matching `want` (it is consumed with
    // everything before it); fails after `limitMs` of virtual time.
    Packet Await(int conn, const std::function<bool(const Packet&)>& want, std::int64_t limitMs = 600000) {
        const std::int64_t end = now + limitMs;
        for (;;) {
            auto& q = inbox[conn];
            while (!q.empty()) {
                Packet p = q.front();
                q.pop_front();
                if (want(p)) return p;
            }
            const std::int64_t w = server.NextWake();
            if (w == INT64_MAX || w > end) {
                ADD_FAILURE() << "connection " << conn << " did not get the packet it waited for";
                return Packet{};
            }
            now = std::max(now, w);
            server.Advance(now);
            Drain();
        }
    }
    Packet AwaitCmd(int conn, int cmd) { return Await(conn, [cmd](const Packet& p) { return p[3] == cmd; }); }
};

TEST(ServerTable, LoginSeatsThePlayerWithBotsAndFillsEveryRosterField) {
    Options o;
    o.bots = 3;
    Net net(o);
    net.Login(1, "alice");
    const Packet login = net.AwaitCmd(1, 18);
    EXPECT_EQ(login[15], 1);
    EXPECT_EQ(login[11], 15);
    std::map<int, Packet> roster;
    for (int i = 0; i < 4; ++i) {
        const Packet p = net.AwaitCmd(1, 20);
        EXPECT_EQ(p[6], 1) << "the newcomer's own seat bit";
        roster[p[226]] = p;
    }
    ASSERT_EQ(roster.size(), 4u);
    EXPECT_EQ(wire::GetRaw(roster[1], 168, 16), "alice");
    EXPECT_EQ(text::ReadCodePage(roster[1], 16, 32), "alice");
    EXPECT_EQ(text::ReadCodePage(roster[1], 112, 16), "第一级");
    EXPECT_EQ(wire::GetRaw(roster[2], 168, 16).rfind("bot", 0), 0u);
    // The bots are ready at once and say so.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(net.AwaitCmd(1, 23)[15], 1);
    // A second login of a seated account is refused.
    net.Login(2, "alice");
    EXPECT_EQ(net.AwaitCmd(2, 18)[15], 3);
    // Ready starts the round: the start notice, then the deal.
    net.Ready(1);
    EXPECT_EQ(net.AwaitCmd(1, 23)[15], 1);
    EXPECT_EQ(net.AwaitCmd(1, 16)[15], 0);
    const Packet deal = net.AwaitCmd(1, 1);
    EXPECT_EQ(deal[12], 2);
    EXPECT_EQ(deal[13], 0) << "no dealer before the first call";
}

// Four players who never call: the bottom decides, the first to sit down deals, and the
// defenders start with 20.
TEST(ServerTable, NobodyCallsAndMalformedInputIsPlayedFor) {
    Net net(Options{});
    for (int c = 1; c <= 4; ++c) net.Login(c, "p" + std::to_string(c));
    for (int c = 1; c <= 4; ++c) net.Ready(c);
    std::map<int, Packet> deals;
    for (int c = 1; c <= 4; ++c) deals[c] = net.AwaitCmd(c, 1);
    const Packet decision = net.Await(1, [](const Packet& p) { return p[3] == 2 && p[8] == 9; });
    EXPECT_EQ(decision[14], 1) << "the dealer's seat bit, never 0";
    EXPECT_EQ(decision[13], 1);
    EXPECT_EQ(decision[15], 9);
    EXPECT_EQ(decision[18], 1);
    EXPECT_EQ(decision[10], 2);
    const Packet bottom = net.AwaitCmd(1, 3);
    EXPECT_EQ(bottom[6], 1);
    EXPECT_NE(bottom[19], 0) << "the taker's copy carries the cards";
    EXPECT_EQ(net.AwaitCmd(2, 3)[16], 0) << "the others' copies do not";
    // A bury of cards the taker does not hold (another seat's) is replaced by the server's own.
    Packet bury = Make(4);
    for (int i = 0; i < 8; ++i) bury[16 + static_cast<std::size_t>(i)] = deals[2][19 + 4 * static_cast<std::size_t>(i)];
    net.Send(1, bury);
    // Then each other seat gets its counter-bottom turn; nobody counters.
    const Packet turn = net.Await(1, [](const Packet& p) { return p[3] == 2 && p[8] == 4; });
    EXPECT_EQ(turn[9], 2);
    const Packet open = net.Await(1, [](const Packet& p) { return p[3] == 6; });
    EXPECT_EQ(open[15], 1);
    EXPECT_EQ(open[8], 1) << "the taker leads";
    // Out of turn: ignored. A card the leader does not hold: the server plays for it.
    Packet play = Make(7);
    play[15] = 2;
    play[17] = 1;
    play[18] = 1;
    play[22] = deals[3][19];
    net.Send(3, play);
    EXPECT_TRUE(net.inbox[1].empty());
    net.Send(1, play);
    const Packet shown = net.AwaitCmd(1, 6);
    EXPECT_EQ(shown[6], 1);
    EXPECT_EQ(shown[8], 2);
    // Short of a full round, garbage of every command from a seat never stops the table.
    for (int i = 0; i < 2000; ++i) {
        Packet g{};
        for (auto& b : g) b = static_cast<std::uint8_t>((i * 131 + (&b - g.data()) * 17) & 0xFF);
        g[0] = g[1] = g[2] = 0;
        g[14] = 0;  // not a leave
        net.Send(2, g);
    }
    const Packet settle = net.AwaitCmd(4, 9);
    EXPECT_EQ(CheckPacket(settle, 3), "");
}

TEST(ServerTable, DroppedSeatIsPlayedForAndResumesWithItsQueue) {
    Options o;
    o.bots = 3;
    Net net(o);
    net.Login(1, "carol");
    net.Ready(1);
    const Packet deal = net.AwaitCmd(1, 1);
    const std::uint32_t key = wire::Get32LE(deal, 268);
    net.inbox[1].clear();
    net.server.Closed(1);
    // Let the table play on for a while, within the seat's hold (70 s, a twentieth with --fast).
    net.now += 2000;
    net.server.Advance(net.now);
    net.Drain();
    net.server.Connected(2);
    Packet re = Make(28);
    wire::PutRaw(re, 16, 16, "carol");
    wire::Put32LE(re, 268, key + 1);
    net.Send(2, re);
    EXPECT_EQ(net.AwaitCmd(2, 29)[15], 0);
    net.server.Connected(3);
    wire::Put32LE(re, 268, key);
    net.Send(3, re);
    ASSERT_FALSE(net.inbox[3].empty());
    EXPECT_EQ(net.inbox[3].front()[3], 29);
    EXPECT_EQ(net.inbox[3].front()[15], 1);
    // The queue starts where the connection dropped: the call decision, then the bottom.
    std::vector<int> cmds;
    for (const Packet& p : net.inbox[3]) cmds.push_back(p[3]);
    ASSERT_GE(cmds.size(), 3u);
    EXPECT_EQ(cmds[1], 2);
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), 3), 1);
    // The round goes on and reaches its end for the resumed seat.
    EXPECT_EQ(net.AwaitCmd(3, 9)[3], 9);
}

TEST(ServerTable, LeavingBetweenRoundsAndDuringARound) {
    Options o;
    o.bots = 2;
    Net net(o);
    net.Login(1, "dave");
    net.Login(2, "erin");
    // Erin joined Dave's table: Dave hears of her.
    EXPECT_EQ(wire::GetRaw(net.Await(1, [](const Packet& p) { return p[3] == 20 && p[226] == 8; }), 168, 16), "erin");
    // Erin leaves before the round: Dave gets 21 and the seat waits for the next login.
    Packet leave = Make(16);
    leave[14] = 1;
    net.Send(2, leave);
    EXPECT_EQ(wire::GetRaw(net.AwaitCmd(1, 21), 16, 16), "erin");
    net.Login(3, "frank");
    EXPECT_EQ(wire::GetRaw(net.Await(1, [](const Packet& p) { return p[3] == 20 && p[226] == 8; }), 168, 16), "frank");
    net.Ready(1);
    net.Ready(3);
    net.AwaitCmd(1, 1);
    // A login while that table plays opens another one.
    net.Login(4, "gina");
    EXPECT_EQ(net.Await(4, [](const Packet& p) { return p[3] == 20 && p[226] == 1; })[6], 1);
    // Frank leaves during the round: Dave's round ends with the closing message.
    net.Send(3, leave);
    const Packet closed = net.AwaitCmd(1, 22);
    EXPECT_NE(text::ReadCodePage(closed, 16, 200).find("frank离开"), std::string::npos);
    // Gina's table is untouched: a second player joins and they play a round to its end.
    net.Login(5, "hank");
    net.Ready(4);
    net.Ready(5);
    EXPECT_EQ(net.AwaitCmd(5, 9)[3], 9);
}

}  // namespace
}  // namespace zorvan::server::test
