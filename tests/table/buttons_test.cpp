// The main buttons: ready, pictures and hover, places at both scales, the function keys and the
// hide action, the chat and help buttons.
#include "core/startup.h"
#include "media/images.h"
#include "round/table_fixture.h"
#include "shell/shell.h"
#include "table/buttons.h"
#include "text/gbk.h"

namespace zorvan::testing {
namespace {

constexpr int kOwnSeat = 2;
constexpr double kReduced = 0.78125;

struct ButtonsTest : TableFixture {
    explicit ButtonsTest(double scale = 1.0) {
        c.layout.g_ScaleX = c.layout.g_ScaleY = scale;
        c.table.g_FreshTable = true;  // as start-up leaves it
        InitImageTables(c);
        CreateTableControls(c);
        SetMainWindowState(c, ui::WindowState::Normal);
    }
    ui::Image& Button(int i) { return c.main.AnNiu[i]; }
    void Click(int i) { Button(i).events.Click(Button(i)); }
    void Hover(int i) { Button(i).events.MouseMove(Button(i), {}); }
    void OverTable() { c.main.Pic1.events.MouseMove(c.main.Pic1, {}); }
    void MainKey(int key, int shift = 0) { c.main.events.KeyDown(key, shift); }
    void TableKey(int key, int shift = 0) { c.main.Pic1.events.KeyDown(c.main.Pic1, key, shift); }
    void SeatMe() { HandlePlayerInfo(c, PlayerInfo(kOwnSeat, kOwnSeat, "me")); }
    int Gif(int i) { return Button(i).picture.gifId; }
    // Minimise commands the lobby received so far.
    int LobbyMinimises() {
        int n = 0;
        for (auto& m : desk.to(kLobby)) n += m.msg == 274 && m.w == 61472;
        return n;
    }
};

// A client of its own, for tables of cases.
struct ScaledButtons : ButtonsTest {
    explicit ScaledButtons(double scale = 1.0) : ButtonsTest(scale) {}
    void TestBody() override {}
};

TEST_F(ButtonsTest, ReadyClickSendsOneReadyPacketAndShowsTheReadyState) {
    SeatMe();
    ASSERT_FALSE(c.table.g_ButtonPressed[2]) << "the own command 20 makes the button live";
    StartCountdown(c, Countdown::Ready, 12);
    c.table.g_TableReset = false;
    std::size_t before = Queued().size();

    Click(2);
    auto sent = Queued();
    ASSERT_EQ(sent.size(), before + 1);
    const Packet& p = sent.back();
    EXPECT_EQ(p[3], 16);
    EXPECT_EQ(p[6], kOwnSeat);
    EXPECT_EQ(p[15], 1);
    EXPECT_EQ(Gif(2), 156) << "the ready picture";
    EXPECT_TRUE(c.main.OK[0].Visible);
    EXPECT_TRUE(c.table.g_ButtonPressed[2]);
    EXPECT_FALSE(c.table.g_FreshTable);
    EXPECT_FALSE(c.pump.g_ReadyTimer);
    EXPECT_FALSE(c.main.Number.Visible);
    EXPECT_FALSE(c.main.Time_Img.Visible);
    EXPECT_TRUE(c.table.g_TableReset);

    Click(2);
    EXPECT_EQ(QueuedOf(16).size(), 1u) << "a second click before the next round sends nothing";
    EXPECT_EQ(c.round.g_RoundCount, 2) << "every click counts";
}

TEST(MainButtons, ReadyClickSendsOnlyWhenLiveAndNoGameRuns) {
    struct Case { const char* name; bool seated, inGame; std::size_t packets; bool okShown; };
    for (auto k : {Case{"before the own command 20", false, false, 0, false},
                   Case{"during a game", true, true, 0, true}, Case{"between rounds", true, false, 1, true}}) {
        ScaledButtons t;
        if (k.seated) t.SeatMe();
        t.c.round.g_GameInProgress = k.inGame;
        t.c.main.OK[0].Visible = false;
        t.Click(2);
        EXPECT_EQ(t.QueuedOf(16).size(), k.packets) << k.name;
        EXPECT_EQ(t.c.main.OK[0].Visible, k.okShown) << k.name;
        EXPECT_FALSE(t.c.table.g_FreshTable) << k.name;
        EXPECT_TRUE(t.c.table.g_ButtonPressed[2]) << k.name;
    }
}

TEST_F(ButtonsTest, HoverLightsButtonsUntilTheMouseCrossesTheTable) {
    EXPECT_EQ(Gif(2), 154) << "a fresh table shows the start pictures";
    Hover(2);
    EXPECT_EQ(Gif(2), 155);
    Hover(3);
    Hover(4);
    EXPECT_EQ(Gif(3), 159);
    EXPECT_EQ(Gif(4), 161);
    EXPECT_EQ(Gif(2), 155) << "moving between buttons keeps every lit one lit";
    OverTable();
    EXPECT_EQ(Gif(2), 154);
    EXPECT_EQ(Gif(3), 158);
    EXPECT_EQ(Gif(4), 160);
    for (bool lit : c.table.g_ButtonHover) EXPECT_FALSE(lit);

    SeatMe();
    Click(2);
    Hover(2);
    EXPECT_EQ(Gif(2), 157) << "after the first ready click the ready pair";
    OverTable();
    EXPECT_EQ(Gif(2), 156);
}

TEST(MainButtons, PlacesAndPicturesAtBothScales) {
    struct Case { double scale; int button; double left, top, width, height; int normal, highlighted; };
    const double r = kReduced;
    for (auto k : {Case{1, 0, 573, 731, 50, 30, 150, 151}, Case{1, 1, 648, 699, 60, 30, 152, 153},
                   Case{1, 2, 718, 699, 60, 30, 154, 155}, Case{1, 3, 788, 699, 60, 30, 158, 159},
                   Case{1, 4, 858, 699, 60, 30, 160, 161}, Case{1, 5, 648, 731, 60, 30, 162, 163},
                   Case{1, 6, 718, 731, 60, 30, 164, 165}, Case{1, 7, 788, 731, 60, 30, 166, 167},
                   Case{1, 8, 858, 731, 60, 30, 168, 169},
                   Case{r, 0, 573 * r, 731 * r, 50 * r, 30 * r, 150, 151},
                   Case{r, 1, 648 * r, 699 * r, 60 * r, 30 * r, 283, 284},
                   Case{r, 2, 718 * r, 699 * r, 60 * r, 30 * r, 285, 286},
                   Case{r, 4, 858 * r, 699 * r, 60 * r, 30 * r, 291, 292},
                   Case{r, 5, 648 * r, 731 * r, 60 * r, 30 * r, 293, 294},
                   Case{r, 8, 858 * r, 731 * r, 60 * r, 30 * r, 299, 300}}) {
        ScaledButtons t(k.scale);
        auto& b = t.Button(k.button);
        std::string what = "scale " + std::to_string(k.scale) + " button " + std::to_string(k.button);
        EXPECT_DOUBLE_EQ(b.Left, k.left) << what;
        EXPECT_DOUBLE_EQ(b.Top, k.top) << what;
        EXPECT_DOUBLE_EQ(b.Width, k.width) << what;
        EXPECT_DOUBLE_EQ(b.Height, k.height) << what;
        EXPECT_TRUE(b.Visible || k.button == 0) << what;
        EXPECT_EQ(b.picture.gifId, k.normal) << what;
        t.Hover(k.button);
        EXPECT_EQ(b.picture.gifId, k.highlighted) << what;
    }
}

TEST(MainButtons, F1HidesTheTableAndOnlyTheTableKeyDuringAGameMakesThePlayerAway) {
    struct Case { const char* name; bool onTable, inGame, away, hiddenAfterRestore; };
    for (auto k : {Case{"main window, game", false, true, false, true},
                   Case{"table, idle", true, false, false, true},
                   Case{"table, game", true, true, true, false}}) {
        ScaledButtons t;
        t.c.round.g_GameInProgress = k.inGame;
        t.c.login.g_ShortTurnTime = 3;
        int minimises = t.LobbyMinimises();
        k.onTable ? t.TableKey(112) : t.MainKey(112);
        EXPECT_TRUE(t.c.login.g_HiddenMode) << k.name;
        EXPECT_EQ(t.c.login.g_ShortTurnTime, 0) << k.name;
        EXPECT_EQ(t.c.main.windowState, ui::WindowState::Minimised) << k.name;
        EXPECT_EQ(t.LobbyMinimises(), minimises + 1) << k.name;
        EXPECT_EQ(t.c.table.g_Away, k.away) << k.name;
        EXPECT_EQ(t.c.table.g_TimeoutMark, k.onTable) << k.name;

        SetMainWindowState(t.c, ui::WindowState::Normal);
        EXPECT_EQ(t.c.login.g_HiddenMode, k.hiddenAfterRestore) << k.name;
        EXPECT_FALSE(t.c.table.g_Away) << k.name;
        EXPECT_EQ(t.c.table.g_TimeoutMark, k.onTable && !k.away) << k.name << ": coming back from away clears the mark";
    }
}

TEST_F(ButtonsTest, OtherKeysDoNotHide) {
    TableKey(113);
    MainKey(27);
    TableKey(67);
    EXPECT_EQ(c.main.windowState, ui::WindowState::Normal);
    EXPECT_FALSE(c.login.g_HiddenMode);
    EXPECT_TRUE(c.table.g_TimeoutMark) << "a key on the table marks the turn as attended";
    ClearTimeoutMark(c);
    EXPECT_FALSE(c.table.g_TimeoutMark);
}

TEST_F(ButtonsTest, HideButtonActsAsF1) {
    c.round.g_GameInProgress = true;
    int minimises = LobbyMinimises();
    Click(4);
    EXPECT_TRUE(c.login.g_HiddenMode);
    EXPECT_EQ(c.login.g_ShortTurnTime, 0);
    EXPECT_EQ(c.main.windowState, ui::WindowState::Minimised);
    EXPECT_EQ(LobbyMinimises(), minimises + 1);
    EXPECT_FALSE(c.table.g_Away) << "the hide action does not make the player away";
}

TEST(MainButtons, FunctionKeysGoingToThePlugin) {
    struct Case { int key; bool chatFocused, passed; };
    for (auto k : {Case{112, false, true}, Case{112, true, true}, Case{113, false, true}, Case{113, true, false},
                   Case{117, false, true}, Case{117, true, false}, Case{111, false, false},
                   Case{118, false, false}, Case{13, false, false}})
        EXPECT_EQ(KeyGoesToPlugin(k.key, k.chatFocused), k.passed) << k.key << " focused " << k.chatFocused;
}

TEST_F(ButtonsTest, ChatButtonSendsTheBoxTextEvenInQuickSuccession) {
    SeatMe();
    Click(0);
    EXPECT_TRUE(QueuedOf(19).empty()) << "an empty box sends nothing";
    for (const char* line : {"你好", "hi"}) {
        c.main.Chat.Text = line;
        Click(0);
        EXPECT_TRUE(c.main.Chat.Text.empty());
    }
    auto chats = QueuedOf(19);
    ASSERT_EQ(chats.size(), 2u) << "no sending pace for the button";
    EXPECT_EQ(chats[0][6], kOwnSeat);
    EXPECT_EQ(chats[0][11], 0) << "to everybody";
    EXPECT_EQ(text::ReadCodePage(chats[0], 16, 200), "nick-me说道： 你好");
    EXPECT_EQ(text::ReadCodePage(chats[1], 16, 200), "nick-me说道： hi");
    EXPECT_TRUE(c.net.g_ChatText.empty());
}

TEST_F(ButtonsTest, HelpOpensTheOperatorsPageWithoutLeavingTheTable) {
    SeatMe();
    std::size_t before = Queued().size();
    Click(7);
    EXPECT_EQ(sim.system.openedUrls, std::vector<std::string>{std::string(kOperatorSite) + "gameinfo/qelt/index.php"});
    EXPECT_EQ(Queued().size(), before);
    EXPECT_EQ(c.main.windowState, ui::WindowState::Normal);
    EXPECT_EQ(c.seats.player[0].seat, kOwnSeat);
}

TEST(MainButtons, ChatHistoryAndSoundSettingsPlaces) {
    struct Case {
        const char* name; double scale; int screenWidth;
        int mainLeft, mainTop, mainWidth, mainHeight; double picLeft, picTop, picWidth, picHeight;
        FormPlace talk, vosSet;  // VosSet 3000 x 2000 twips
    };
    for (auto k : {Case{"1024 screen", 1, 1024, 0, 0, 15360, 11520, 0, 0, 15360, 11520, {4608, 7603}, {12060, 8810}},
                   Case{"wide screen", 1, 1280, 300, 150, 15600, 11940, 120, 300, 15360, 11520, {5028, 8053}, {12720, 2804}},
                   Case{"reduced", kReduced, 800, 0, 0, 12000, 9000, 0, 0, 12000, 9000, {2640, 5400}, {8700, 6300}}}) {
        ScaledButtons t(k.scale);
        t.sim.screen.width = k.screenWidth;
        auto& f = t.c.main;
        f.Move(k.mainLeft, k.mainTop, k.mainWidth, k.mainHeight);
        f.Pic1.Move(k.picLeft, k.picTop, k.picWidth, k.picHeight);
        f.imgLocation.Top = 654;
        EXPECT_EQ(ChatHistoryPlace(t.c), k.talk) << k.name;
        EXPECT_EQ(SoundSettingsPlace(t.c, 3000, 2000), k.vosSet) << k.name;
    }
}

}  // namespace
}  // namespace zorvan::testing
