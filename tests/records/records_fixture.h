// A seated table on the simulated platform with its program folder in a fresh temporary folder,
// and a builder of the server's round-end packet.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "records/boards.h"
#include "records/record.h"
#include "records/settle.h"
#include "records/state.h"
#include "round/table_fixture.h"

namespace zorvan::testing {

// One player block of command 9.
struct Block {
    int seat = 1;          // seat bit
    int face = 0, bottom = 0, multiplier = 0;
    int total = 0;         // 16-bit big-endian at +3
    int dealer = 0;        // status at +6
    int failed = 0;        // failed throws at +7
    std::uint64_t amount = 0, afterFee = 0;
    int result = 0;        // 1 won, 0 lost
    int level = 1;
    bool red = false;      // byte 252 + h
};

struct RoundEnd {
    std::int32_t stake = 100;
    int mode = 1;          // byte 13
    int goldCoins = 1;     // byte 15
    int counters = 0;      // byte 41
    int fee = 0;           // byte 156
    int capped = 0;        // byte 157
    int bottomKill = 0;    // byte 176
    std::array<Block, 4> blocks{};
    std::vector<std::pair<int, int>> bottomCards;  // face, suit mask

    Packet Build() const {
        Packet p = MakePacket(9);
        Put32BE(p, 8, static_cast<std::uint32_t>(stake));
        p[13] = static_cast<std::uint8_t>(mode);
        p[15] = static_cast<std::uint8_t>(goldCoins);
        p[16] = static_cast<std::uint8_t>(bottomCards.size());
        for (std::size_t j = 0; j < bottomCards.size(); ++j) {
            p[20 + 2 * j] = static_cast<std::uint8_t>(bottomCards[j].first);
            p[21 + 2 * j] = static_cast<std::uint8_t>(bottomCards[j].second);
        }
        p[41] = static_cast<std::uint8_t>(counters);
        p[156] = static_cast<std::uint8_t>(fee);
        p[157] = static_cast<std::uint8_t>(capped);
        p[176] = static_cast<std::uint8_t>(bottomKill);
        for (std::size_t h = 0; h < 4; ++h) {
            const Block& k = blocks[h];
            const std::size_t b = 36 + 30 * h;
            p[b] = static_cast<std::uint8_t>(k.face);
            p[b + 1] = static_cast<std::uint8_t>(k.bottom);
            p[b + 2] = static_cast<std::uint8_t>(k.multiplier);
            p[b + 3] = static_cast<std::uint8_t>(k.total >> 8);
            p[b + 4] = static_cast<std::uint8_t>(k.total & 255);
            p[b + 6] = static_cast<std::uint8_t>(k.dealer);
            p[b + 7] = static_cast<std::uint8_t>(k.failed);
            PutAmount(p, b + 8, k.amount);
            p[b + 16] = static_cast<std::uint8_t>(k.result);
            p[b + 17] = static_cast<std::uint8_t>(k.level);
            PutAmount(p, b + 18, k.afterFee);
            p[b + 27] = static_cast<std::uint8_t>(k.seat);
            p[252 + h] = k.red ? 1 : 0;
        }
        return p;
    }
};

// Seats 1 (own, position 0), 2, 4, 8 (positions 1, 2, 3) with 1000 coins each; blocks 0..3 in
// seat order; the own side (seats 1 and 4) wins 200 coins, the others lose 200.
struct RecordsFixture : TableFixture {
    std::filesystem::path dir;

    RecordsFixture() {
        dir = std::filesystem::temp_directory_path() /
              ("zorvan-records-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        sim.system.dir = dir.string();
        int i = 0;
        for (int seat : {1, 2, 4, 8})
            HandlePlayerInfo(c, PlayerInfo(1, seat, i++ == 0 ? "me" : "p" + std::to_string(seat), 1000,
                                           "m" + std::to_string(seat % 10 + 1)));
    }
    ~RecordsFixture() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    static RoundEnd Usual() {
        RoundEnd r;
        const int seats[] = {1, 2, 4, 8};
        for (std::size_t h = 0; h < 4; ++h) {
            Block& b = r.blocks[h];
            b.seat = seats[h];
            b.face = 10 * static_cast<int>(h);
            b.total = 85;
            b.amount = 200;
            b.result = (seats[h] == 1 || seats[h] == 4) ? 1 : 0;
            b.level = 3;
        }
        return r;
    }

    void Settle(const RoundEnd& r) { HandleSettlement(c, r.Build()); }
    ScoreForm& S() { return ScoreBoard(c); }
    HeroForm& H() { return HeroBoard(c); }
    const std::vector<std::string>& Col(int i) { return S().State[i].items; }
    std::filesystem::path RecordFile() const { return dir / "info.qn"; }
};

}  // namespace zorvan::testing
