// A client that sits idle through a whole round at the reference server: the server plays its
// turns, the round ends with the server's score sheet, the ready countdown readies the client for
// the next round and the next deal arrives.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/pump.h"
#include "e2e/local_table.h"
#include "records/boards.h"
#include "records/settle.h"
#include "records/state.h"
#include "table/seats.h"

namespace zorvan::test {
namespace {

double Amount(const Packet& p, std::size_t off) {
    double v = 0;
    for (int i = 7; i >= 0; --i) v = v * 256 + p[off + static_cast<std::size_t>(i)];
    return v;
}

TEST(LocalTableSettlement, IdleClientIsSettledAndReadiedForTheNextRound) {
    server::Options o;
    o.bots = 3;
    o.seed = 7;
    LocalTable t(o);
    LocalClient& me = t.AddClient("carol");
    Client& c = *me.c;
    const auto dir = std::filesystem::temp_directory_path() / ("zorvan-e2e-settle-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    me.sim.system.dir = dir.string();

    ASSERT_TRUE(t.RunUntil([&] { return c.seats.g_SeatedCount == 4; }, 20'000));
    c.pump.g_TimeoutLimit = 0;  // an idle player stays at the table: missed turns do not hide it
    c.main.AnNiu[2].events.Click(c.main.AnNiu[2]);
    ASSERT_TRUE(t.RunUntil([&] { return SettledRounds(c) == 1 && CountdownRunning(c, Countdown::Ready); }, 30 * 60'000));
    ASSERT_EQ(t.ended, 0);

    const Packet* end = nullptr;
    for (const auto& p : me.received)
        if (p[3] == 9) end = &p;
    ASSERT_NE(end, nullptr);
    const Packet& p = *end;
    auto& sheet = ScoreBoard(c);
    EXPECT_TRUE(sheet.Visible);
    const std::int32_t stake = static_cast<std::int32_t>(U32BE(p, 8));
    for (int h = 0; h < 4; ++h) {
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        const int pos = ScreenPosition(c, p[b + 27]);
        SCOPED_TRACE(pos);
        const auto& col = sheet.State[pos].items;
        ASSERT_GT(col.size(), 12u);
        EXPECT_EQ(col[3], "房间底金：" + std::to_string(stake) + "金币");
        const std::string total = "总 得 分：" + std::to_string(p[b + 3] * 256 + p[b + 4]);
        if (p[b + 6] == 0) {
            EXPECT_NE(std::find(col.begin(), col.end(), total), col.end()) << total;
        }
        const double v = Amount(p, b + 8);
        const bool won = p[b + 16] == 1;
        const std::string final = won ? "最终分：" + SheetNumber(v) + "金币"
                                      : std::string("最终分：") + (v != 0 ? "- " : " ") + SheetNumber(v) + "金币";
        EXPECT_EQ(sheet.State[pos + 4].items, std::vector<std::string>{final});
        EXPECT_EQ(HeroBoard(c).Grade[pos].items.size(), 1u);
        if (p[b + 17] >= 1 && p[b + 17] <= 40) {
            EXPECT_EQ(c.main.Level[pos].Caption, LevelName(p[b + 17]));
        }
        EXPECT_EQ(c.main.Cash[pos].Caption, SheetNumber(c.seats.info[static_cast<std::size_t>(pos)].coins) + "金币");
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "info.qn"));
    EXPECT_EQ(c.main.Sysmsg[0].items.back(), "请点击【继续】按钮继续游戏！");

    // Nobody presses anything: the countdown sends the ready packet and the server deals again.
    const int readies = Count(me.sent, 16);
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 1) >= 2 && c.round.g_GameInProgress; }, 60'000));
    EXPECT_EQ(Count(me.sent, 16), readies + 1);
    EXPECT_FALSE(CountdownRunning(c, Countdown::Ready));
    EXPECT_EQ(t.ended, 0);
    for (const auto& line : t.log) {
        EXPECT_EQ(line.find("refused"), std::string::npos) << line;
        EXPECT_EQ(line.find("malformed"), std::string::npos) << line;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zorvan::test
