#include "records/settle.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/client.h"
#include "core/packets.h"
#include "core/pump.h"
#include "core/trace.h"
#include "media/effects.h"
#include "props/plugin.h"
#include "props/roster.h"
#include "records/boards.h"
#include "records/record.h"
#include "records/state.h"
#include "round/view.h"
#include "rules/card.h"
#include "table/leave.h"
#include "table/seats.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

// A fault inside settlement: the sheet is abandoned with the message box of SuanFen.
struct SettleFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char* const kDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

std::string Dashes(int n) { return std::string(static_cast<std::size_t>(n), '-'); }

// The 64-bit amount at off (little-endian), accumulated from the most significant byte down.
double Amount(const Packet& p, std::size_t off) {
    double v = 0;
    for (int i = 7; i >= 0; --i) v = v * 256 + U8(p, off + static_cast<std::size_t>(i));
    return v;
}

// The wealth-multiple text read as a number (leading number, else 0).
double LeadingNumber(const std::string& t) {
    double v = 0;
    if (std::sscanf(t.c_str(), "%lf", &v) != 1 || !std::isfinite(v)) return 0;
    return v;
}

// The last 8 characters of a prop item as a colour number 0..16777215.
bool ItemColour(const std::string& item, long& colour) {
    auto cps = text::Utf8ToCodePoints(item);
    std::size_t from = cps.size() > 8 ? cps.size() - 8 : 0;
    std::string tail = text::CodePointsToUtf8(std::u32string_view(cps).substr(from));
    std::size_t b = tail.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    std::size_t e = tail.find_last_not_of(' ');
    tail = tail.substr(b, e - b + 1);
    if (tail.empty() || tail.size() > 8) return false;
    long v = 0;
    for (char ch : tail) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
    }
    colour = v;
    return true;
}

std::string DropLast8(const std::string& item) {
    auto cps = text::Utf8ToCodePoints(item);
    if (cps.size() <= 7) return item;
    return text::CodePointsToUtf8(std::u32string_view(cps).substr(0, cps.size() - 8));
}

struct Sheet {
    Client& c;
    const Packet& p;
    ScoreForm& s;
    std::vector<int> badLevels;  // level bytes outside 1..40 of the blocks passed so far

    ui::ListBox& col(int pos) { return s.State[pos]; }
    void add(int pos, std::string line) { col(pos).AddItem(std::move(line)); }
    void blank(int pos, int n = 1) {
        for (int i = 0; i < n; ++i) add(pos, "");
    }
    void header(int pos, double stake) {
        add(pos, "   初始：" + SheetNumber(c.seats.info[static_cast<std::size_t>(pos)].coins));
        add(pos, " -------------------  ");
        blank(pos);
        add(pos, "房间底金：" + SheetNumber(stake) + "金币");
        add(pos, Dashes(24));
    }
    int position(int h) {
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        return ScreenPosition(c, U8(p, b + 27));
    }
};

void ShowSettlementFault(Client& c, const std::vector<int>& badLevels) {
    std::string text = "算分错误";
    for (int l : badLevels) text += "显示级别" + std::to_string(l);
    ShowMessageBox(c, text, "qelt");
}

void Settle(Sheet& sh) {
    Client& c = sh.c;
    const Packet& p = sh.p;
    auto& f = c.main;
    auto& s = sh.s;
    auto& st = c.settle;
    // 1. Prepare.
    const bool bottomKill = U8(p, 176) != 0;
    const int feePercent = U8(p, 156);
    for (int i = 0; i < 4; ++i) s.ID[i].ForeColor = ui::kBlack;
    for (int i = 0; i < 8; ++i) s.State[i].ForeColor = ui::kBlack;
    c.round.g_DealStep = 0;
    for (int i = 0; i < 3; ++i) f.shanImage[i].Visible = false;
    f.imgKanDiPai.Visible = false;
    f.imgKanDiPai.Enabled = false;
    const double stake = static_cast<std::int32_t>(U32BE(p, 8));
    // 2. Header.
    for (int pos = 0; pos < 4; ++pos) sh.header(pos, stake);
    // 3. Prop lines.
    std::array<double, 4> propCoins{};
    std::array<int, 4> propLines{};
    for (int pos = 0; pos < 4; ++pos) {
        auto& col = sh.col(pos);
        col.ForeColor = ui::kBlack;
        auto& txt = st.g_PropText[static_cast<std::size_t>(pos)];
        if (txt.empty()) continue;
        int items = 0;
        std::size_t at = 0;
        while (true) {
            std::size_t bar = txt.find('|', at);
            std::string item = txt.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
            long colour = 0;
            if (!ItemColour(item, colour) || colour > 16777215) throw SettleFault("prop item without a colour");
            col.ForeColor = ColourFromNumber(colour);
            sh.add(pos, DropLast8(item));
            ++items;
            if (bar == std::string::npos) break;
            at = bar + 1;
        }
        sh.blank(pos);
        propLines[static_cast<std::size_t>(pos)] = items + 1;
        propCoins[static_cast<std::size_t>(pos)] = st.g_PropCoins[static_cast<std::size_t>(pos)];
        st.g_PropCoins[static_cast<std::size_t>(pos)] = 0;
        txt.clear();
    }
    const int most = *std::max_element(propLines.begin(), propLines.end());
    for (int pos = 0; pos < 4; ++pos) sh.blank(pos, most - propLines[static_cast<std::size_t>(pos)]);
    // 4. Score blocks.
    std::vector<int> highlighted;
    for (int h = 0; h < 4; ++h) {
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        const int pos = sh.position(h);
        if (U8(p, b + 3) >= 128) throw SettleFault("total out of range");
        sh.add(pos, "面 上 分：" + std::to_string(U8(p, b)));
        sh.blank(pos);
        sh.add(pos, "底 牌 分：" + std::to_string(U8(p, b + 1)));
        sh.blank(pos);
        if (bottomKill) sh.blank(pos);
        else sh.add(pos, "扣底倍数：" + std::to_string(U8(p, b + 2)));
        sh.blank(pos);
        sh.add(pos, "总 得 分：" + std::to_string(U8(p, b + 3) * 256 + U8(p, b + 4)));
        sh.blank(pos);
        if (U8(p, 252 + static_cast<std::size_t>(h)) == 1) highlighted.push_back(pos);
        const int k = U8(p, b + 6);
        if (k == 1 || k == 2 || k == 3 || (k == 4 && U8(p, b) == 0)) {
            sh.col(pos).Clear();
            sh.header(pos, stake);
            if (k == 1) {
                sh.add(pos, "本局庄家");
                sh.blank(pos);
            } else if (k == 2) {
                sh.add(pos, "本局庄家");
                sh.add(pos, " ");
                sh.add(pos, "下庄");
                sh.blank(pos);
            }
            if (U8(p, b + 2) == 2 && bottomKill) {
                sh.add(pos, "庄家扣底");
                sh.add(pos, "扣底倍数：" + std::to_string(U8(p, b + 2)));
            } else {
                sh.blank(pos, 2);
            }
            sh.blank(pos, k == 1 ? 4 : k == 2 ? 2 : 6);
        }
        sh.add(pos, Dashes(22));
    }
    // 5. Penalty lines.
    for (int h = 0; h < 4; ++h) {
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        const int pos = sh.position(h);
        const std::size_t q = 160 + 4 * static_cast<std::size_t>(SeatIndex(U8(p, b + 27)) & 3);
        auto line = [&](int value, const std::string& text) {
            if (value == 0) return;
            sh.add(pos, text);
            sh.blank(pos);
        };
        line(U8(p, b + 7), "甩牌失败：" + std::to_string(U8(p, b + 7)) + "次");
        line(U8(p, q), "甩牌失败张数：" + std::to_string(U8(p, q)) + "张");
        line(U8(p, q + 1), "红五被吃：" + std::to_string(U8(p, q + 1)) + "张");
        line(U8(p, q + 2), "是否红五扣底：是");
        line(U8(p, q + 3), "红五埋在底下：" + std::to_string(U8(p, q + 3)) + "张");
    }
    // 6. Align.
    int largest = 0;
    for (int pos = 0; pos < 4; ++pos) largest = std::max(largest, sh.col(pos).ListCount());
    for (int pos = 0; pos < 4; ++pos) {
        for (int n = largest - sh.col(pos).ListCount() + 1; n > 0; --n) sh.add(pos, " ");
        sh.add(pos, Dashes(22));
    }
    // 7-8. Coin block, result block and the records of each player.
    bool ownSideWon = false;
    const bool wealthActive = c.seats.g_WealthMultiplier != 0;
    const double multiple = LeadingNumber(c.round.g_WealthText);
    const bool plainMode = U8(p, 13) != 0;
    auto& hero = HeroBoard(c);
    for (int h = 0; h < 4; ++h) {
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        const int pos = sh.position(h);
        const auto ps = static_cast<std::size_t>(pos);
        const double v = Amount(p, b + 8);
        const int result = U8(p, b + 16);
        const int level = U8(p, b + 17);
        const bool won = result == 1;
        if (level < 1 || level > 40) sh.badLevels.push_back(level);
        auto wealthLines = [&](const char* subtotal) {
            if (multiple != 0 && wealthActive) {
                std::fesetround(FE_TONEAREST);
                sh.add(pos, subtotal + SheetNumber(std::nearbyint(v / multiple)) + "金币");
            }
            if (wealthActive) sh.add(pos, "财富加倍 ×" + c.round.g_WealthText);
        };
        // 7.
        sh.add(pos, "反底次数：" + std::to_string(U8(p, 41)));
        if (won) {
            if (pos == 0) ownSideWon = true;
            sh.blank(pos);
            sh.add(pos, "本局升" + std::to_string(level) + "级");
            sh.blank(pos);
            wealthLines("小计:");
            sh.blank(pos);
            sh.add(pos, "总分：" + SheetNumber(v) + "金币");
            sh.add(pos, Dashes(23));
        } else {
            sh.blank(pos, 3);
            wealthLines(v != 0 ? "小计: - " : "小计:");
            sh.blank(pos);
            sh.add(pos, (v != 0 ? "总分：- " : "总分： ") + SheetNumber(v) + "金币");
            sh.add(pos, Dashes(24));
        }
        // 8.
        auto& summary = sh.col(pos + 4);
        double r = v;
        if (won) {
            sh.blank(pos);
            if (U8(p, 157) == 1) sh.add(pos, "金币封顶");
            else sh.blank(pos);
            if (plainMode) {
                sh.add(pos, "总分：" + SheetNumber(v) + "金币");
                summary.AddItem("最终分：" + SheetNumber(v) + "金币");
            } else {
                const double v2 = Amount(p, b + 18);
                if (c.round.g_FeeCaptionOnly) sh.add(pos, c.round.g_FeeCaption);
                else sh.add(pos, c.round.g_FeeCaption + std::to_string(feePercent) + "%");
                sh.blank(pos);
                sh.add(pos, "总分：" + SheetNumber(v2) + "金币");
                const double cig = propCoins[ps];
                if (cig > 0) sh.add(pos, "香烟得分：" + SheetNumber(cig) + "金币");
                r = v2 + cig;
                summary.AddItem("最终分：" + SheetNumber(r) + "金币");
            }
            hero.Grade[pos].AddItem(SheetNumber(r));
            st.g_SunScore[ps] += r;
        } else {
            sh.blank(pos, plainMode ? 1 : 3);
            const char* minus = v != 0 ? "- " : " ";
            sh.add(pos, std::string("总分：") + minus + SheetNumber(v) + "金币");
            summary.AddItem(std::string("最终分：") + minus + SheetNumber(v) + "金币");
            hero.Grade[pos].AddItem((v != 0 ? "-" : "") + SheetNumber(v));
            st.g_SunScore[ps] -= v;
        }
        hero.sunScore[pos].Caption = SheetNumber(st.g_SunScore[ps]);
        auto& info = c.seats.info[ps];
        if (won) {
            ++info.wins;
            info.coins += r;
        } else if (result == 0) {
            ++info.losses;
            info.coins -= v;
        }
        if (info.coins < 0) info.coins = 0;
        if (level >= 1 && level <= 40 && f.Level.exists(pos)) {
            f.Level[pos].Caption = LevelName(level);
            f.Level[pos].ZOrder(0);
        }
        if (f.Cash.exists(pos)) f.Cash[pos].Caption = SheetNumber(info.coins) + (U8(p, 15) == 1 ? "金币" : "金条");
    }
    // 9. Highlight: only a pair of positions is coloured.
    if (highlighted.size() >= 2) {
        for (int k = 0; k < 2; ++k) {
            const int pos = highlighted[static_cast<std::size_t>(k)];
            s.State[pos].ForeColor = ui::kRed;
            s.ID[pos].ForeColor = ui::kRed;
            s.State[pos + 4].ForeColor = ui::kRed;
        }
    }
    // 10. Hero board row.
    ++st.juNum;
    hero.Num.AddItem(std::string(static_cast<std::size_t>(std::max(0, 12 - static_cast<int>(std::to_string(st.juNum).size()))), ' ') +
                     std::to_string(st.juNum));
    // 11. The last trick goes.
    const auto generation = c.table.g_TableGeneration;
    if (!WaitMs(c, 1500) || generation != c.table.g_TableGeneration) return;
    f.Img_fan.Visible = false;
    const std::array cardArrays{&f.cardImage0, &f.cardImage1, &f.cardImage2, &f.cardImage3};
    for (int pos = 0; pos < 4; ++pos) {
        const auto& pics = c.round.g_TablePics[static_cast<std::size_t>(pos)];
        for (int k = 0; k < 27; ++k) {
            const int img = pics[static_cast<std::size_t>(k)];
            if (img >= 0 && img < 25 && cardArrays[static_cast<std::size_t>(pos)]->exists(img)) (*cardArrays[static_cast<std::size_t>(pos)])[img].Visible = false;
        }
    }
    // 12. The bottom is revealed.
    const bool full = FullLayout(c);
    if (f.imgDiPai.exists(0)) {
        auto& d0 = f.imgDiPai[0];
        d0.Left = full ? SX(c, 402) : SX(c, 390);
        d0.Top = full ? SY(c, 310) : SY(c, 300);
        const int n = std::min<int>(U8(p, 16), 8);
        for (int j = 0; j < 8; ++j) {
            if (!f.imgDiPai.exists(j)) continue;
            auto& d = f.imgDiPai[j];
            if (j > 0) {
                d.Top = d0.Top;
                d.Left = d0.Left + j * (full ? 0.25 : 0.18) * d0.Width;
            }
            if (j < n) {
                const int face = U8(p, 20 + 2 * static_cast<std::size_t>(j));
                const int suit = rules::BitIndex(U8(p, 21 + 2 * static_cast<std::size_t>(j)));
                const int slot = face == 2 ? 15 : face == 15 ? 16 : face == 16 ? 17 : face;
                const int code = 16 * suit + slot;
                if (code >= 0 && code < static_cast<int>(c.images.cards.size()))
                    LoadGifResource(c, c.images.cards[static_cast<std::size_t>(code)], "GIF", d);
            }
            d.Visible = true;
            d.ZOrder(0);
        }
    }
    // 13. Names and avatars.
    if (!WaitMs(c, 1000) || generation != c.table.g_TableGeneration) return;
    for (int pos = 0; pos < 4; ++pos) {
        s.ID[pos].Caption = PositionName(c, pos);
        const std::string& a = c.seats.g_NameAvatar[static_cast<std::size_t>(pos)].second;
        if (a.empty()) continue;
        long long idx = -1;
        try {
            idx = std::stoll(a);
        } catch (...) {
            idx = -1;
        }
        if (idx < 0 || idx > 19) throw SettleFault("avatar index out of range");
        ShowAvatar(c, s.Tou[pos], static_cast<int>(idx));
    }
    // 14. The sheet.
    if (!c.login.g_HiddenMode) ShowScoreBoardCentred(c);
    // 15. Sound of the result.
    PlayEffect(c, ownSideWon ? "\\..\\common\\pk\\sys121.wav" : "\\..\\common\\pk\\sys150.wav", false);
    SetEffectVolume(c, 3000);
    // 16. Messages, and the round is over.
    f.Sysmsg[0].Clear();
    f.Sysmsg[0].AddItem("请点击【继续】按钮继续游戏！");
    f.Sysmsg[1].Clear();
    f.Sysmsg[1].AddItem("游戏将在15秒内开始");
    c.round.g_GameInProgress = false;
    // The next ready action resets the table for the coming round (the revealed bottom goes).
    c.table.g_TableReset = false;
    // Only the pause ends here: a plug-in packet parked meanwhile stays parked until the deal sends it
    // (clearing the holds as the login result does would lose it).
    c.net.g_SettleHold = false;
    // 17. Countdown to the next round.
    if (!c.login.g_Spectator) {
        c.table.g_ButtonPressed[2] = false;
        StartCountdown(c, Countdown::Ready, c.login.g_HiddenMode ? 1 : 12);
        f.Time_Img.ZOrder(0);
        f.Number.ZOrder(0);
    }
    // 18. The record of the round.
    WriteJuInfo(c, st.juNum);
    // 19. The plug-in's side of the round end.
    PluginFinishEndDisplay(c);
}

}  // namespace

std::string LevelName(int level) {
    if (level < 1 || level > 40) return {};
    std::string n;
    if (level < 10) n = kDigits[level];
    else {
        if (level >= 20) n = kDigits[level / 10];
        n += "十";
        n += kDigits[level % 10];
    }
    return "第" + n + "级";
}

std::string SheetNumber(double v) {
    if (v == 0) return "0";
    if (std::fabs(v) < 1e15 && v == std::floor(v)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

void HandleSettlement(Client& c, const Packet& p) {
    auto& net = c.net;
    // 1. The settlement pause.
    if (!net.g_SettleHold) ArmSettleHold(c);
    // 2. The turn countdown stops; the sheet starts empty.
    StopCountdowns(c);
    auto& s = ScoreBoard(c);
    for (int i = 0; i < 8; ++i) s.State[i].Clear();
    // 3-4.
    if (!PluginLoaded(c)) {
        SuanFen(c, p);
        return;
    }
    auto& st = c.settle;
    st.g_SettlePending = true;
    for (int pos = 0; pos < 4; ++pos) {
        st.g_PropText[static_cast<std::size_t>(pos)].clear();
        st.g_PropCoins[static_cast<std::size_t>(pos)] = 0;
        st.g_PropExtra[static_cast<std::size_t>(pos)].clear();
    }
    st.g_SettlePacket = p;
    PluginStartEndDisplay(c);
}

void SuanFen(Client& c, const Packet& p) {
    c.settle.g_SettlePending = false;
    Sheet sh{c, p, ScoreBoard(c), {}};
    try {
        Settle(sh);
    } catch (const SettleFault& e) {
        Trace(c, std::string("settlement: ") + e.what());
        ShowSettlementFault(c, sh.badLevels);
        LeaveTable(c);
        FatalError(c, "settlement fault");
    }
}

void ClearHeroTotals(Client& c) {
    auto& h = HeroBoard(c);
    for (int p = 0; p < 4; ++p) {
        h.sunScore[p].Caption.clear();
        c.settle.g_SunScore[static_cast<std::size_t>(p)] = 0;
    }
}

int SettledRounds(const Client& c) { return c.settle.juNum; }

}  // namespace zorvan
