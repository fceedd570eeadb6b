#include "table/seats.h"

#include "rules/card.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>
#include <sstream>

#include "core/client.h"
#include "core/lobby.h"
#include "core/pump.h"
#include "core/trace.h"
#include "props/plugin.h"
#include "props/roster.h"
#include "records/boards.h"
#include "records/settle.h"
#include "round/view.h"
#include "social/memory.h"
#include "table/table.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

// A 64-bit amount: eight bytes as an unsigned little-endian integer, converted to floating point.
double ReadAmount(const Packet& p, std::size_t off) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | U8(p, off + static_cast<std::size_t>(i));
    return static_cast<double>(v);
}

// A number as the client prints it: integers without a decimal point.
std::string NumberText(double v) {
    std::ostringstream os;
    os.precision(15);
    os << v;
    return os.str();
}

ui::Label& Lbl(ui::ControlArray<ui::Label>& a, int i) { return a[i]; }

bool ReadyMarksOfOthersShown(Client& c) {
    return c.main.OK[1].Visible && c.main.OK[2].Visible && c.main.OK[3].Visible;
}

void ResetForRoster(Client& c) {
    ResetTable(c);
    ResetPlayers(c);
    c.table.g_TableReset = true;
}

std::string ClockText() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return std::to_string(tm.tm_hour) + ":" + std::to_string(tm.tm_min) + ":" + std::to_string(tm.tm_sec);
}

}  // namespace

void ClearPositionControls(Client& c, int pos) {
    auto& f = c.main;
    f.OK[pos].Visible = false;
    f.Tou[pos].picture = {};
    f.Nid[pos].Caption.clear();
    f.Cash[pos].Caption.clear();
    f.Level[pos].Caption.clear();
}

// A seat bit becomes its index the way a suit bit does.
std::int16_t SeatIndex(int bit) { return rules::BitIndex(bit); }

std::int16_t ScreenPosition(const Client& c, int bit) {
    return static_cast<std::int16_t>((SeatIndex(bit) - SeatIndex(OwnSeatBit(c))) & 3);
}

int OwnSeatBit(const Client& c) { return c.seats.player[0].seat; }

std::string PositionName(const Client& c, int position) {
    if (position < 0 || position > 3) return {};
    return c.seats.info[static_cast<std::size_t>(position)].nickname;
}

void ReadUserInfo(UserInfo& u, const Packet& p) {
    u.nickname = text::ReadCodePage(p, 16, 32);
    u.avatar = text::ReadBytewise(p, 48, 16);
    if (u.avatar.empty()) u.avatar = "m1";
    u.sex = U8(p, 64);
    u.male = u.sex != 0;
    u.location = text::ReadCodePage(p, 72, 8);
    u.score = ReadAmount(p, 80);
    u.credit = ReadAmount(p, 88);
    u.coins = ReadAmount(p, 96);
    u.reserved1 = ReadAmount(p, 104);
    u.level = text::ReadCodePage(p, 112, 16);
    for (int i = 0; i < 3; ++i) u.reserved2[static_cast<std::size_t>(i)] = ReadAmount(p, 128 + 8 * static_cast<std::size_t>(i));
    u.logins = I32LE(p, 152);
    u.drops = I32LE(p, 156);
    u.wins = I32LE(p, 160);
    u.losses = I32LE(p, 164);
    u.account = text::RawField(p, 168, 16);
    u.title = text::ReadCodePage(p, 184, 24);
    u.voiceGroup = text::ReadBytewise(p, 210, 8);
    u.voiceCode = text::ReadBytewise(p, 218, 8);
}

int CoinTier(double coins) {
    if (coins >= 60000) return 2;
    if (coins >= 20000) return 1;
    return 0;
}

int AvatarIndex(const std::string& code) {
    auto digit = [](char ch) { return ch >= '0' && ch <= '9' ? ch - '0' : -1; };
    int index = -1;
    if (code.size() == 2 && digit(code[1]) >= 0) {
        index = digit(code[1]) - 1;
    } else if (code.size() == 3 && digit(code[1]) >= 0 && digit(code[2]) >= 0) {
        index = digit(code[1]) * 10 + digit(code[2]) - 1;
    }
    // Codes come from other players' profiles: anything that does not name 1..10 shows avatar 0.
    if (index < 0 || index >= 10) index = 0;
    if (!code.empty() && code[0] == 'w') index += 10;
    return index;
}

void ChooseVoices(Client& c) {
    std::mt19937 gen(static_cast<std::uint32_t>(c.os.loop.nowMs()) ^
                     static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_real_distribution<double> rnd(0.0, 1.0);
    std::array<std::array<bool, 4>, 2> taken{};  // [male][slot]
    for (int pos = 0; pos < 4; ++pos) {
        auto& u = c.seats.info[static_cast<std::size_t>(pos)];
        auto& pool = taken[u.male ? 1 : 0];
        int r = static_cast<int>(rnd(gen) * 4);
        if (r >= 4 || r < 0) r = 0;
        if (pool[static_cast<std::size_t>(r)]) {
            auto free = std::find(pool.begin(), pool.end(), false);
            r = free == pool.end() ? 0 : static_cast<int>(free - pool.begin());
        }
        pool[static_cast<std::size_t>(r)] = true;
        u.voiceGroup = "27";
        u.voiceCode = std::to_string((r + 1) * 10);
    }
}

void ShowPositionMultipliers(Client& c) {
    std::int32_t least = 0;
    for (auto m : c.seats.g_PositionMultipliers)
        if (m > 0 && (least == 0 || m < least)) least = m;
    c.main.lbwealth.Caption = std::to_string(least);
    c.main.lbwealth.FontSize = least < 100 ? 18 : 13;
    c.main.Imgwealth.Visible = true;
    c.main.lbwealth.Visible = true;
}

void HandlePlayerInfo(Client& c, const Packet& p) {
    auto& f = c.main;
    auto& s = c.seats;
    // 1. A player sitting down ends the random-seat display.
    if ((f.TimerShuffle && f.TimerShuffle->enabled()) || f.LblShuffle.Visible || c.table.g_ShufflePending)
        StopRandomSeatDisplay(c);
    c.login.WebBrowser2.Visible = false;
    c.table.g_TableClosed = false;
    c.round.g_RoundCount = 0;
    // 2-4.
    std::string account = text::RawField(p, 168, 16);
    ++s.g_InfoCount;
    if (OwnSeatBit(c) == 0) s.player[0].seat = U8(p, 6) & 15;
    // 5.
    int bit = U8(p, 226) & 15;
    int pos = ScreenPosition(c, bit);
    auto& rec = s.player[static_cast<std::size_t>(pos)];
    if (pos == 0) c.table.g_ButtonPressed[2] = false;
    // 6. Counted once per position that becomes occupied.
    if (rec.name.empty()) ++s.g_SeatedCount;
    if (s.g_SeatedCount == 4 && c.round.g_RoundDealt == 0) {
        f.windowState = ui::WindowState::Normal;
        MinimizeLobby(c);
        ++f.revision;
    }
    // 7-9.
    if (pos != 0 && PluginLoaded(c)) PluginClearUser(c, pos);
    rec.name = account;
    if (pos != 0) rec.seat = static_cast<std::uint8_t>(bit);
    auto& u = s.info[static_cast<std::size_t>(pos)];
    ReadUserInfo(u, p);
    // 10-12.
    int tier = CoinTier(u.coins);
    s.g_CoinTier[static_cast<std::size_t>(pos)] = tier;
    if (U8(p, 255) != 0 || c.login.g_PropsAllowed != 1) {
        PluginDisable(c);
    } else {
        PluginTryLoad(c);
    }
    if (PluginExists(c) && u.coins > 0) {
        if (!PluginSetUserinfo(c, u.nickname, u.account, bit, pos, u.credit != 0, u.sex, u.title, u.avatar)) {
            PluginShutdown(c, 0);
            PluginDisable(c);
        }
    }
    f.Tou[pos].Visible = true;
    // 13-14. Ready marks by coin tier.
    SetGif(c, f.OK[pos], 280 + tier);
    if (U8(p, 208) == 1) {
        f.OK[pos].Visible = true;
        f.OK[pos].ZOrder(0);
    }
    SetBoardAvatarTag(c, pos, tier);
    // 15-16.
    if (s.g_InfoCount == 4) ChooseVoices(c);
    if (ReadyMarksOfOthersShown(c) && c.round.g_RoundDealt == 0) ResetForRoster(c);
    // 17-18.
    int avatar = AvatarIndex(u.avatar);
    s.g_AvatarIndex[static_cast<std::size_t>(pos)] = avatar;
    SetGif(c, f.Tou[pos], 240 + avatar);
    SetBoardPlayer(c, pos, avatar, u.nickname);
    Lbl(f.Nid, pos).Caption = "[" + u.title + "] " + u.nickname;
    Lbl(f.Cash, pos).Caption = "金币" + NumberText(u.coins);
    Lbl(f.Level, pos).Caption = u.level;
    f.Nid[pos].ZOrder(0);
    f.Cash[pos].ZOrder(0);
    f.Level[pos].ZOrder(0);
    s.g_NameAvatar[static_cast<std::size_t>(pos)] = {u.nickname, std::to_string(avatar)};
    // 19.
    if (s.g_SeatedCount == 4 && !c.table.g_TableReset) {
        ResetForRoster(c);
        f.Sysmsg[0].Clear();
        f.Sysmsg[0].AddItem("游戏将在15秒内开始");
    }
    // 20-21. Table rules and the multiplier.
    f.lbfont[0].Visible = false;
    if (U8(p, 240) == 1) f.lbfont[2].Visible = true;
    s.g_WealthMultiplier = I32LE(p, 234);
    if (s.g_WealthMultiplier != 0) {
        f.lbfont[1].Visible = true;
        s.g_PositionMultipliers[static_cast<std::size_t>(pos)] = s.g_WealthMultiplier;
        ShowPositionMultipliers(c);
    } else {
        f.Imgwealth.Visible = false;
        f.lbwealth.Visible = false;
    }
}

void HandlePlayerLeft(Client& c, const Packet& p) {
    auto& f = c.main;
    auto& s = c.seats;
    StopRandomSeatDisplay(c);
    c.login.WebBrowser2.Visible = false;
    // The first name byte comes increased by one when byte 8 is 1.
    std::string name;
    int first = U8(p, 16);
    if (U8(p, 8) == 1) first -= 1;
    if (first != 0) {
        name.push_back(static_cast<char>(first & 0xFF));
        name += text::RawField(p, 17, 15);
    }
    if (!name.empty() && name == c.login.g_Account) {
        RestoreLobby(c);
        c.os.EndProgram();
    }
    ClearHeroTotals(c);
    for (int pos = 1; pos <= 3 && !name.empty(); ++pos) {
        auto& rec = s.player[static_cast<std::size_t>(pos)];
        if (rec.name != name) continue;
        c.table.g_TableReset = false;
        --s.g_SeatedCount;
        if (s.g_InfoCount > 0) --s.g_InfoCount;
        ClearPositionControls(c, pos);
        f.Sysmsg[0].Clear();
        f.Sysmsg[0].AddItem(s.info[static_cast<std::size_t>(pos)].nickname + "退出了游戏 " + ClockText());
        f.Sysmsg[1].Clear();
        ClearChatMemory(c, pos);
        rec.name.clear();
        s.info[static_cast<std::size_t>(pos)] = UserInfo{};
        if (PluginLoaded(c)) PluginClearUser(c, pos);
        if (s.g_WealthMultiplier != 0) {
            s.g_PositionMultipliers[static_cast<std::size_t>(pos)] = 0;
            ShowPositionMultipliers(c);
        } else {
            f.Imgwealth.Visible = false;
            f.lbwealth.Visible = false;
        }
    }
    c.round.g_RoundCountB = 0;
    if (c.table.g_TableOpen) {
        c.table.g_TableOpen = false;
        c.table.g_ButtonPressed[2] = false;
        c.round.g_GameInProgress = false;
        c.table.g_TableReset = false;
        if (!c.login.g_Spectator) {
            int seconds = c.table.g_Away ? 1 : (U8(p, 11) == 1 ? 10 : 12);
            StartCountdown(c, Countdown::Ready, seconds);
            f.Number.ForeColor = ui::kBlack;
        }
    }
    StartKeepAlive(c);
    c.table.g_TableOpen = true;
    if (c.login.g_Spectator) {
        ShowMessageBox(c, "有用户退出，旁观结束！", "提示");
        c.os.EndProgram();
    }
}

void HandlePlayerReady(Client& c, const Packet& p) {
    std::string name = text::RawField(p, 16, 16);
    if (U8(p, 15) == 1) {
        for (int pos = 0; pos < 4; ++pos) {
            if (c.main.Nid[pos].Caption.empty()) continue;
            if (c.seats.player[static_cast<std::size_t>(pos)].name != name) continue;
            c.main.OK[pos].Visible = true;
            c.main.OK[pos].ZOrder(0);
        }
    }
    if (ReadyMarksOfOthersShown(c) && c.round.g_RoundDealt == 0) ResetForRoster(c);
}

namespace {
void ClearRoundPositions(Client& c) {
    auto& r = c.round;
    for (int pos = 1; pos <= 3; ++pos) {
        auto& h = c.seats.player[static_cast<std::size_t>(pos)].hand;
        for (int i = 0; i < 25; ++i) {
            h.card[static_cast<std::size_t>(i)].imgIndex = -1;
            h.card[static_cast<std::size_t>(i)].value = 0;
        }
        h.count = 0;
        auto p = static_cast<std::size_t>(pos);
        r.g_PlayedPm[p].fill(0);
        r.g_PlayedHs[p].fill(0);
        r.g_TablePics[p].fill(-1);
        r.g_OppPlayedCount[p - 1] = 0;
    }
    // The round's markers back to idle.
    r.g_MyTurn = false;
    r.g_PlayEnabled = false;
    r.g_SelectEnabled = false;
    r.g_PlayLocked = false;
    r.g_HandRunOut = false;
    r.g_ChuPaiQuan = false;
    r.g_GameInProgress = false;
}
}  // namespace

void ResetPlayers(Client& c) {
    ClearRoundPositions(c);
    c.round.g_DealStep = 0;
}

void ResetForNextRound(Client& c) { ClearRoundPositions(c); }

}  // namespace zorvan
