#include "records/boards.h"

#include <functional>
#include <initializer_list>
#include <string>

#include "core/client.h"
#include "records/record.h"
#include "records/settle.h"
#include "records/state.h"
#include "round/view.h"
#include "shell/shell.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

constexpr int kTw = 15;  // twips a pixel

void Px(ui::Control& ctl, int left, int top, int width, int height) {
    ctl.Move(left * kTw, top * kTw, width * kTw, height * kTw);
}

void CloseButtons(ui::Form& f, ui::ControlArray<ui::Image>& img, int formWidthPx) {
    for (int i = 0; i < 2; ++i) {
        auto& b = f.addArrayElement(img, "Image1", i);
        Px(b, formWidthPx - 30, 6, 24, 24);
        b.picture = ui::Picture::Named(i == 0 ? "Image1_close" : "Image1_close_hover");
        b.Visible = i == 0;
        b.events.Click = [&f](ui::Control&) { f.Hide(); };
    }
}

// The left button on the window drags it.
void Draggable(ui::Form& f) {
    f.events.MouseDown = [&f](const ui::MouseEvent& e) {
        if (e.button == 1) {
            f.moveRequested = true;
            ++f.revision;
        }
    };
}

void Centre(const Client& c, ui::Form& f) {
    f.Top = (c.main.Height - f.Height) / 2 + c.main.Top;
    f.Left = (c.main.Width - f.Width) / 2 + c.main.Left;
}

void BuildScore(Client& c) {
    auto& s = *c.settle.Score;
    s.Caption = "战绩板";
    s.picture = ui::Picture::Named("Score");
    s.Width = 500 * kTw;
    s.Height = 330 * kTw;
    const int colw = 119;
    for (int p = 0; p < 4; ++p) {
        const int x = 12 + p * colw;
        auto& tou = s.addArrayElement(s.Tou, "Tou", p);
        Px(tou, x + colw / 2 - 26, 48, 52, 56);
        tou.Stretch = true;
        auto& id = s.addArrayElement(s.ID, "ID", p);
        Px(id, x + 6, 106, colw - 12, 16);
        id.alignment = ui::Alignment::Center;
        id.ForeColor = kYellow;
        auto& col = s.addArrayElement(s.State, "State", p);
        Px(col, x + 6, 124, colw - 12, 114);
        col.BackColor = {250, 245, 230};
    }
    for (int p = 0; p < 4; ++p) {
        auto& sum = s.addArrayElement(s.State, "State", p + 4);
        Px(sum, 20 + p * 116, 256, 112, 56);
        sum.BackColor = {250, 245, 230};
    }
    CloseButtons(s, s.Image1, 500);
    Draggable(s);
    MakeTranslucent(c, s);
    Centre(c, s);
}

void BuildHero(Client& c) {
    auto& h = *c.settle.Hero;
    h.Caption = "英雄榜";
    h.picture = ui::Picture::Named("Hero");
    h.Width = 500 * kTw;
    h.Height = 360 * kTw;
    h.add(h.Num, "Num");
    Px(h.Num, 14, 112, 64, 186);
    h.Num.BackColor = {250, 245, 230};
    h.Num.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { ClickHeroRow(c, -1); }); };
    h.Num.events.DblClick = [&c](ui::Control&) { RunGuarded(c, [&] { DblClickHeroRow(c, -1); }); };
    const int colw = 100;
    for (int p = 0; p < 4; ++p) {
        const int x = 84 + p * colw;
        auto& tou = h.addArrayElement(h.Tou, "Tou", p);
        Px(tou, x + colw / 2 - 22, 40, 44, 48);
        tou.Stretch = true;
        auto& id = h.addArrayElement(h.ID, "ID", p);
        Px(id, x + 4, 90, colw - 8, 16);
        id.alignment = ui::Alignment::Center;
        auto& g = h.addArrayElement(h.Grade, "Grade", p);
        Px(g, x + 6, 112, colw - 12, 186);
        g.BackColor = {250, 245, 230};
        g.events.Click = [&c](ui::Control& ctl) { RunGuarded(c, [&] { ClickHeroRow(c, ctl.Index()); }); };
        g.events.DblClick = [&c](ui::Control& ctl) { RunGuarded(c, [&] { DblClickHeroRow(c, ctl.Index()); }); };
        auto& sum = h.addArrayElement(h.sunScore, "sunScore", p);
        Px(sum, x + 6, 324, colw - 12, 18);
        sum.alignment = ui::Alignment::Center;
        sum.ForeColor = kYellow;
    }
    h.add(h.Label2, "Label2");
    Px(h.Label2, 12, 324, 72, 18);
    h.Label2.Caption = "输赢总分：";
    h.Label2.ForeColor = kYellow;
    CloseButtons(h, h.Image1, 500);
    Draggable(h);
    MakeTranslucent(c, h);
    h.windowState = ui::WindowState::Normal;
    Centre(c, h);
}

void BuildInformation(Client& c) {
    auto& f = *c.settle.Information;
    f.Caption = "玩家信息";
    f.picture = ui::Picture::Named("Information");
    f.Width = 210 * kTw;
    f.Height = 300 * kTw;
    for (int i = 0; i < 9; ++i) {
        auto& l = f.addArrayElement(f.Inf, "Inf", i);
        Px(l, 100, 42 + 28 * i, 100, 18);
        l.FontSize = 12;
        l.BackTransparent = true;
    }
    MakeTranslucent(c, f);
}

// Chains a mouse-move handler after the one a control already has.
void OnMouseMove(ui::Control& ctl, std::function<void(ui::Control&)> fn) {
    auto before = ctl.events.MouseMove;
    ctl.events.MouseMove = [before, fn](ui::Control& self, const ui::MouseEvent& e) {
        if (before) before(self, e);
        fn(self);
    };
}

// Mouse over a player shows the card; the details plaque shows the round details; the bars and the
// table take both away.
void InstallHovers(Client& c) {
    auto& f = c.main;
    if (!f.find("imgJishu")) {
        f.add(f.imgJishu, "imgJishu", &f.Pic1);
        f.imgJishu.picture = ui::Picture::Named("imgJishu");
        f.imgJishu.Move(SX(c, 960), SY(c, 90), SX(c, 56), SY(c, 24));
        f.imgJishu.Stretch = true;
    }
    OnMouseMove(f.imgJishu, [&c](ui::Control&) { RunGuarded(c, [&] { ShowRoundDetails(c); }); });
    for (auto* arr : {&f.Nid, &f.Cash, &f.Level})
        for (int p = 0; p < 4; ++p)
            if (arr->exists(p))
                OnMouseMove((*arr)[p], [&c](ui::Control& ctl) { RunGuarded(c, [&] { ShowPlayerCard(c, ctl.Index()); }); });
    for (int p = 0; p < 4; ++p)
        if (f.Tou.exists(p))
            OnMouseMove(f.Tou[p], [&c](ui::Control& ctl) { RunGuarded(c, [&] { ShowPlayerCard(c, ctl.Index()); }); });
    for (ui::Control* ctl : std::initializer_list<ui::Control*>{&f.Imgwealth, &f.lbwealth})
        OnMouseMove(*ctl, [&c](ui::Control&) {
            if (c.seats.g_WealthMultiplier == 0) return;
            c.main.Imgwealth.ToolTipText = c.main.lbwealth.ToolTipText = "财富加倍 ×" + c.main.lbwealth.Caption;
        });
    for (ui::Control* ctl : std::initializer_list<ui::Control*>{&f.imgDinglan, &f.imgDilan, &f.Pic1})
        OnMouseMove(*ctl, [&c](ui::Control&) { RunGuarded(c, [&] { HideHoverWindows(c); }); });
}

void EnsureBuilt(Client& c) {
    auto& st = c.settle;
    if (st.formsBuilt) return;
    st.formsBuilt = true;
    BuildScore(c);
    BuildHero(c);
    BuildInformation(c);
    c.forms.push_back(st.Score.get());
    c.forms.push_back(st.Hero.get());
    c.forms.push_back(st.Information.get());
    InstallHovers(c);
}

// The number a Grade entry holds ("-" followed by digits for a loss); 0 for anything else.
double GradeValue(const std::string& t) {
    try {
        std::size_t used = 0;
        double v = std::stod(t, &used);
        return used == t.size() ? v : 0;
    } catch (...) {
        return 0;
    }
}

// Names red for a winner of round `row` (0-based row of the hero board), yellow otherwise.
void ColourNamesByRow(Client& c, int row) {
    auto& s = ScoreBoard(c);
    auto& h = HeroBoard(c);
    for (int p = 0; p < 4; ++p) {
        const auto& items = h.Grade[p].items;
        bool won = row >= 0 && row < static_cast<int>(items.size()) && GradeValue(items[static_cast<std::size_t>(row)]) > 0;
        s.ID[p].ForeColor = won ? ui::kRed : kYellow;
    }
}

void SelectRow(ui::ListBox& l, int row, int top) {
    if (row < 0 || row >= l.ListCount()) return;
    l.ListIndex = row;
    l.TopIndex = top;
}

}  // namespace

ScoreForm& ScoreBoard(Client& c) {
    EnsureBuilt(c);
    return *c.settle.Score;
}
HeroForm& HeroBoard(Client& c) {
    EnsureBuilt(c);
    return *c.settle.Hero;
}
InformationForm& PlayerCard(Client& c) {
    EnsureBuilt(c);
    return *c.settle.Information;
}

long ColourNumber(ui::Rgb colour) { return colour.r + 256L * colour.g + 65536L * colour.b; }
ui::Rgb ColourFromNumber(long n) {
    return {static_cast<std::uint8_t>(n & 255), static_cast<std::uint8_t>((n >> 8) & 255),
            static_cast<std::uint8_t>((n >> 16) & 255)};
}

void ShowAvatar(Client& c, ui::Image& img, int index) {
    if (index < 0 || index >= static_cast<int>(c.images.avatars.size())) return;
    LoadGifResource(c, c.images.avatars[static_cast<std::size_t>(index)], "GIF", img);
}

void SetBoardAvatarTag(Client& c, int position, int tier) {
    if (position < 0 || position > 3) return;
    ScoreBoard(c).tag[static_cast<std::size_t>(position)] = tier;
}

void SetBoardPlayer(Client& c, int position, int avatarIndex, const std::string& nickname) {
    if (position < 0 || position > 3) return;
    auto& s = ScoreBoard(c);
    auto& h = HeroBoard(c);
    ShowAvatar(c, s.Tou[position], avatarIndex);
    ShowAvatar(c, h.Tou[position], avatarIndex);
    s.ID[position].Caption = nickname;
    h.ID[position].Caption = nickname;
}

void ClearBoardPlayer(Client& c, int position) {
    if (position < 0 || position > 3) return;
    auto& s = ScoreBoard(c);
    auto& h = HeroBoard(c);
    s.Tou[position].picture = {};
    h.Tou[position].picture = {};
    s.ID[position].Caption.clear();
    h.ID[position].Caption.clear();
}

void ShowScoreBoardCentred(Client& c) {
    auto& s = ScoreBoard(c);
    Centre(c, s);
    s.Show();
    s.raiseRequested = true;
    ++s.revision;
}

bool ScoreBoardVisible(const Client& c) { return c.settle.formsBuilt && c.settle.Score->Visible; }
void HideScoreBoard(Client& c) { ScoreBoard(c).Hide(); }

void ColourScoreBoardNames(Client& c) {
    const int n = c.settle.juNum;
    if (n < 1) {
        for (int p = 0; p < 4; ++p) ScoreBoard(c).ID[p].ForeColor = kYellow;
        return;
    }
    ReadJuInfo(c, n);
    ColourNamesByRow(c, n - 1);
}

bool HeroBoardVisible(const Client& c) { return c.settle.formsBuilt && c.settle.Hero->Visible; }
void HideHeroBoard(Client& c) { HeroBoard(c).Hide(); }

void ShowHeroBoardCentred(Client& c) {
    auto& h = HeroBoard(c);
    h.windowState = ui::WindowState::Normal;
    Centre(c, h);
    // Every list that holds entries shows its last one.
    for (int p = 0; p < 4; ++p) {
        auto& g = h.Grade[p];
        if (g.ListCount() > 0) g.TopIndex = g.ListCount() - 1;
    }
    h.Show();
    h.raiseRequested = true;
    ++h.revision;
}

void HidePlayerCard(Client& c) { PlayerCard(c).Hide(); }

void ShowPlayerCard(Client& c, int p) {
    if (p < 0 || p > 3) return;
    auto& card = PlayerCard(c);
    const auto& info = c.seats.info[static_cast<std::size_t>(p)];
    if (card.Visible || c.seats.player[static_cast<std::size_t>(p)].name.empty()) return;
    const auto& m = c.main;
    const double picLeft = m.Pic1.Left, picTop = m.Pic1.Top;
    if (p == 0) {
        card.Left = static_cast<int>(picLeft + m.Left);
        card.Top = static_cast<int>(picTop + m.Top + (c.layout.g_ScaleX < 1 ? 0.3 : 0.42) * m.Height);
    } else {
        card.Left = static_cast<int>(picLeft + m.Left + (p - 1) * m.Width / 3.0);
        card.Top = static_cast<int>(picTop + m.Top + 0.11 * m.Height);
    }
    auto num = [](double v) { return SheetNumber(v); };
    const std::string values[9] = {info.nickname,           info.sex != 0 ? "男" : "女", info.location,
                                   num(info.score),         num(info.credit),            std::to_string(info.logins),
                                   std::to_string(info.drops), std::to_string(info.wins), std::to_string(info.losses)};
    for (int i = 0; i < 9; ++i) {
        auto& l = card.Inf[i];
        l.Caption = values[i];
        l.FontSize = 12;
        l.BackTransparent = true;
        // Sized to its text: 12 points are 16 pixels; a wide character takes a full em.
        l.Width = static_cast<double>(text::DisplayWidth(values[i])) * 8 * kTw;
        l.Height = 16 * kTw;
    }
    card.Show();
    ++card.revision;
}

void ShowRoundDetails(Client& c) {
    auto& m = *c.round.frmMingXi;
    Centre(c, m);
    m.Show();
    ++m.revision;
}

void HideRoundDetails(Client& c) { c.round.frmMingXi->Hide(); }

void HideHoverWindows(Client& c) {
    HidePlayerCard(c);
    HideRoundDetails(c);
}

void ClickHeroRow(Client& c, int list) {
    auto& h = HeroBoard(c);
    ui::ListBox& from = list < 0 ? h.Num : h.Grade[list];
    const int row = from.ListIndex, top = from.TopIndex;
    SelectRow(h.Num, row, top);
    for (int p = 0; p < 4; ++p) SelectRow(h.Grade[p], row, top);
}

void DblClickHeroRow(Client& c, int list) {
    auto& h = HeroBoard(c);
    ui::ListBox& from = list < 0 ? h.Num : h.Grade[list];
    const int row = from.ListIndex;
    ReadJuInfo(c, row + 1);
    ColourNamesByRow(c, row);
    ShowScoreBoardCentred(c);
}

void ClearTableRecords(Client& c) {
    auto& s = ScoreBoard(c);
    auto& h = HeroBoard(c);
    for (int p = 0; p < 4; ++p) {
        ClearBoardPlayer(c, p);
        h.Grade[p].Clear();
    }
    for (int i = 0; i < 8; ++i) s.State[i].Clear();
    h.Num.Clear();
    s.Hide();
    h.Hide();
    ClearHeroTotals(c);
    c.settle.juNum = 0;
    DeleteRecordFile(c);
}

}  // namespace zorvan
