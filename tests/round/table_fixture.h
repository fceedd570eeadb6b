// A client on the simulated platform with its table built, and small builders of the server's
// packets, for the table and round tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/client.h"
#include "core/packets.h"
#include "core/pump.h"
#include "media/images.h"
#include "round/bottom.h"
#include "round/calling.h"
#include "round/deal.h"
#include "round/trump.h"
#include "round/view.h"
#include "rules/card.h"
#include "sim/sim_platform.h"
#include "table/seats.h"
#include "table/table.h"

namespace zorvan::testing {

using rules::CardValue;
using rules::MakeCard;

inline constexpr const char* kLobby = "Quenlo山庄";

struct TableFixture : ::testing::Test {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    Client c{sim.os};

    TableFixture() {
        desk.addRecorder(kLobby);
        c.login.g_LobbyTitle = kLobby;
        c.login.g_Account = "me";
        c.login.g_Online = true;
        CreateMainTimers(c);
        InitImageTables(c);
        // What start-up stores for the random-seat display.
        c.pump.g_ShuffleTexts = {"正在随机换座中..", "正在随机换座中...", "正在随机换座中....", "正在随机换座中....."};
        CreateTableControls(c);
        CreateTableControls2(c);
        ResetTable(c);
    }

    // Every packet queued for the server and not yet sent, oldest first.
    std::vector<Packet> Queued() const {
        std::vector<Packet> out;
        for (int at = c.net.g_SendRead; at != c.net.g_SendWrite; at = (at + 272) % kRingSize) {
            Packet p{};
            std::copy_n(c.net.g_SendRing.begin() + at, 272, p.begin());
            out.push_back(p);
        }
        return out;
    }
    std::vector<Packet> QueuedOf(int command) const {
        std::vector<Packet> out;
        for (auto& p : Queued())
            if (p[3] == command) out.push_back(p);
        return out;
    }
};

inline void PutText(Packet& p, std::size_t off, const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) p[off + i] = static_cast<std::uint8_t>(s[i]);
}
inline void PutAmount(Packet& p, std::size_t off, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[off + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutCard(Packet& p, std::size_t off, CardValue v) { Put32LE(p, off, static_cast<std::uint32_t>(v)); }

// Command 20: a player sits at `seat` (byte 226); byte 6 carries the receiver's own seat.
inline Packet PlayerInfo(int ownSeat, int seat, const std::string& account, std::uint64_t coins = 1000,
                         const std::string& avatar = "m1", int sex = 1) {
    Packet p = MakePacket(20);
    p[6] = static_cast<std::uint8_t>(ownSeat);
    PutText(p, 16, "nick-" + account);
    PutText(p, 48, avatar);
    p[64] = static_cast<std::uint8_t>(sex);
    PutAmount(p, 96, coins);
    PutText(p, 168, account);
    p[226] = static_cast<std::uint8_t>(seat);
    return p;
}

inline Packet PlayerLeft(const std::string& account, bool firstByteRaised = false) {
    Packet p = MakePacket(21);
    PutText(p, 16, account);
    if (firstByteRaised) {
        p[8] = 1;
        p[16] = static_cast<std::uint8_t>(p[16] + 1);
    }
    return p;
}

// Command 1 with the given cards.
inline Packet Deal(const std::vector<CardValue>& cards, int trumpRank, int dealer = 0, int seconds = 15) {
    Packet p = MakePacket(1);
    p[8] = static_cast<std::uint8_t>(cards.size());
    p[9] = static_cast<std::uint8_t>(seconds);
    p[10] = 2;
    p[11] = 2;
    p[12] = static_cast<std::uint8_t>(trumpRank);
    p[13] = static_cast<std::uint8_t>(dealer);
    for (std::size_t i = 0; i < cards.size(); ++i) PutCard(p, 16 + 4 * i, cards[i]);
    return p;
}

// Command 3: the bottom goes to `taker`.
inline Packet Bottom(int taker, const std::vector<CardValue>& cards, int seconds = 30) {
    Packet p = MakePacket(3);
    p[6] = static_cast<std::uint8_t>(taker);
    p[8] = static_cast<std::uint8_t>(cards.size());
    p[12] = static_cast<std::uint8_t>(seconds);
    for (std::size_t i = 0; i < cards.size(); ++i) PutCard(p, 16 + 4 * i, cards[i]);
    return p;
}

// Command 2: a call result (kind 1, 2, 9) or a call turn (kind 4, byte 9 = the seat).
inline Packet Decision(int kind, int face, int stage, int suit, int dealer, int caller) {
    Packet p = MakePacket(2);
    p[8] = static_cast<std::uint8_t>(kind);
    p[9] = static_cast<std::uint8_t>(face);
    p[10] = static_cast<std::uint8_t>(stage);
    p[12] = static_cast<std::uint8_t>(suit);
    p[13] = static_cast<std::uint8_t>(dealer);
    p[14] = static_cast<std::uint8_t>(caller);
    return p;
}

// 25 plain cards without trump-rank cards for a rank of 7 (identifiers 0..24).
inline std::vector<CardValue> PlainHand() {
    std::vector<CardValue> cards;
    const int faces[] = {3, 4, 6, 8, 9, 11, 12};
    int id = 0;
    for (int suit : {1, 2, 4, 8})
        for (int f : faces)
            if (cards.size() < 25) cards.push_back(MakeCard(suit, f, id++));
    return cards;
}

}  // namespace zorvan::testing
