// Start-up from the lobby's command line, the connection on the fourth tick, and the login result.
#include <gtest/gtest.h>

#include "core/pump.h"
#include "fixture.h"
#include "table/seats.h"
#include "text/gbk.h"

using namespace zorvan;
using zorvan::test::kLobby;
using zorvan::test::SimClient;

TEST(CommandLine, FieldsAndFailures) {
    auto ok = ParseCommandLine(test::kGoodLine);
    EXPECT_EQ(ok.account, "alice");
    EXPECT_EQ(ok.loginKey, "key1");
    EXPECT_EQ(ok.serverHost, "127.0.0.1");
    EXPECT_EQ(ok.serverPort, 5000);
    EXPECT_EQ(ok.room, "一号房");
    EXPECT_EQ(ok.connectMode, 0);
    EXPECT_EQ(ok.ownCaptionFlag, 0);
    EXPECT_EQ(ok.propsAllowed, 1);
    EXPECT_EQ(ok.pluginParam, 0);
    EXPECT_FALSE(ok.spectator);

    auto spectator = ParseCommandLine(std::string(test::kGoodLine) + "$");
    EXPECT_TRUE(spectator.spectator);
    EXPECT_EQ(spectator.pluginParam, 0);

    auto own = ParseCommandLine("bob$k$10.0.0.1$65535$r$5$1.2.3.4$1080$u$p$1x$大厅$桌子$0$7");
    EXPECT_EQ(own.serverPort, 65535);
    EXPECT_EQ(own.connectMode, 5);
    EXPECT_EQ(own.proxyPort, 1080);
    EXPECT_EQ(own.ownCaptionFlag, 1);  // read leniently
    EXPECT_EQ(own.lobbyTitle, "大厅");
    EXPECT_EQ(own.ownCaption, "桌子");
    EXPECT_EQ(own.pluginParam, 7);

    const char* bad[] = {
        "alice$key1$127.0.0.1",                                 // missing fields: port empty
        "alice$key1$127.0.0.1$5000$r$0$$0$$$0$$$1",             // field 15 missing
        "alice$key1$127.0.0.1$65536$r$0$$0$$$0$$$1$0",          // port out of range
        "alice$key1$127.0.0.1$-1$r$0$$0$$$0$$$1$0",
        "alice$key1$127.0.0.1$50x$r$0$$0$$$0$$$1$0",            // not a number
        "alice$key1$127.0.0.1$5000$r$0$$$$$0$$$1$0",            // proxy port empty
        "alice$key1$127.0.0.1$5000$r$0$$0$$$0$$$1$0$extra",     // the last field runs to the end
        "张三$key1$127.0.0.1$5000$r$0$$0$$$0$$$1$0",             // account not single-byte
    };
    for (const char* line : bad) EXPECT_THROW(ParseCommandLine(line), StartupError) << line;
}

TEST(LoginPacket, AccountFrom16KeyFrom32AllElseZero) {
    Packet p = BuildLoginPacket("alice", "key1");
    Packet want{};
    want[3] = 18;
    want[14] = 1;
    std::string a = "alice", k = "key1";
    std::copy(a.begin(), a.end(), want.begin() + 16);
    std::copy(k.begin(), k.end(), want.begin() + 32);
    EXPECT_EQ(p, want);

    Packet full = BuildLoginPacket("abcdefghijklmnop", "K");
    EXPECT_EQ(full[31], 'p');
    EXPECT_EQ(full[32], 'K');
    Packet longer = BuildLoginPacket("abcdefghijklmnopqrs", "K");  // the key overwrites the tail
    EXPECT_EQ(longer[32], 'K');
    EXPECT_EQ(longer[33], 'r');
    EXPECT_NO_THROW(BuildLoginPacket("a", std::string(240, 'k')));
    EXPECT_THROW(BuildLoginPacket("a", std::string(241, 'k')), StartupError);
}

TEST(StartUp, ConnectsOnTheFourthTickAnnouncingItToTheLobby) {
    SimClient t;
    t.startUp();
    ASSERT_FALSE(t.ended);
    auto& l = t.c->login;
    EXPECT_EQ(l.g_LobbyTitle, kLobby);
    EXPECT_EQ(l.g_PropsAllowed, 1);
    EXPECT_EQ(t.sim.socket.host, "127.0.0.1");
    EXPECT_EQ(t.sim.socket.port, 5000);
    EXPECT_EQ(t.c->main.Location.Caption, "一号房");
    EXPECT_EQ(t.c->main.Sysmsg[0].items, std::vector<std::string>{"正在连接服务器..."});
    EXPECT_EQ(t.sim.windows.ownCaption(), "qelt");
    EXPECT_TRUE(t.c->main.Visible);
    EXPECT_EQ(t.c->main.windowState, ui::WindowState::Minimised);

    t.run(190);  // three ticks: nothing yet
    EXPECT_TRUE(t.lobbyMessages().empty());
    EXPECT_TRUE(t.sim.socket.written.empty());
    t.run(200);
    EXPECT_EQ(t.lobbyMessages(), (std::vector<int>{22, 771}));
    ASSERT_EQ(t.sent().size(), 1u);
    EXPECT_EQ(t.sent()[0], BuildLoginPacket("alice", "key1"));
    EXPECT_TRUE(l.g_LoginPending);
    EXPECT_TRUE(t.c->pump.g_WatchLink);
    EXPECT_FALSE(l.g_Connecting);
    bool traced = false;
    for (const auto& line : t.sim.system.traceLines) traced |= line.rfind("send cmd=18 000000120000", 0) == 0;
    EXPECT_TRUE(traced);
}

TEST(StartUp, AcceptedLoginAnnouncesItAndKeepsAlive) {
    SimClient t;
    t.login();
    EXPECT_EQ(t.lobbyMessages(), (std::vector<int>{22, 771, 771}));
    EXPECT_EQ(t.c->main.Sysmsg[0].items, std::vector<std::string>{"连接服务器成功！"});
    EXPECT_FALSE(t.c->login.g_LoginPending);
    std::size_t before = t.sent().size();
    t.run(15000);
    auto sent = t.sent();
    ASSERT_EQ(sent.size(), before + 3);
    for (std::size_t i = before; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i][3], 24);
        EXPECT_EQ(sent[i][6], OwnSeatBit(*t.c));
    }
}

TEST(StartUp, LoginResultDetails) {
    SimClient t;
    t.connect();
    Packet r = MakePacket(18);
    r[15] = 1;
    r[11] = 3;
    std::string ad = "http://ads.example/x";
    std::copy(ad.begin(), ad.end(), r.begin() + 16);
    t.deliver({r});
    t.run(200);
    EXPECT_EQ(t.c->login.g_ShortTurnTime, 3);
    EXPECT_TRUE(t.c->login.WebBrowser1.Visible);
    EXPECT_EQ(t.c->login.g_AdPage, ad + ".gamead");

    SimClient bad;
    bad.connect();
    Packet r2 = MakePacket(18);
    r2[15] = 1;
    std::string js = "javascript:alert(1)";
    std::copy(js.begin(), js.end(), r2.begin() + 16);
    bad.deliver({r2});
    bad.run(200);
    EXPECT_FALSE(bad.c->login.WebBrowser1.Visible);
    EXPECT_TRUE(bad.c->login.WebBrowser1.failed);
    EXPECT_TRUE(bad.c->login.g_AdPage.empty());
}

TEST(StartUp, RejectedLoginPosts22AndEnds) {
    struct Case { int result; const char* message; };
    for (Case k : {Case{0, "验证错误，请重新在大厅就座后进入游戏！"}, Case{2, "启动游戏失败，请重新在大厅就座后进入游戏！"},
                   Case{7, "验证错误，请重新在大厅就座后进入游戏！"}}) {
        SimClient t;
        t.connect();
        Packet r = MakePacket(18);
        r[15] = static_cast<std::uint8_t>(k.result);
        t.deliver({r});
        t.run(200);
        EXPECT_TRUE(t.ended) << k.result;
        EXPECT_EQ(t.lobbyMessages(), (std::vector<int>{22, 771, 22})) << k.result;
        EXPECT_EQ(t.c->main.Sysmsg[0].items, std::vector<std::string>{k.message});
        EXPECT_EQ(t.desk.to(kLobby).back().w, platform::WindowBus::kScRestore);
    }
}

TEST(StartUp, OwnCaptionAndLobbyTitleFromTheCommandLine) {
    SimClient t("bob$k$127.0.0.1$5000$房间名字很长很长的一个房间$0$$0$$$1$大厅$桌子$0$0", false);
    t.desk.addRecorder("大厅");
    t.startUp();
    ASSERT_FALSE(t.ended);
    EXPECT_EQ(t.c->login.g_LobbyTitle, "大厅");
    EXPECT_EQ(t.c->main.Caption, "桌子");
    EXPECT_EQ(t.sim.windows.ownCaption(), "桌子");
    EXPECT_TRUE(t.c->login.g_HiddenMode);
    EXPECT_EQ(t.c->main.Location.FontSize, 10);  // a room name of more than 10 characters
    t.run(400);
    Packet r = MakePacket(18);
    r[15] = 1;
    r[11] = 3;
    t.deliver({r});
    t.run(200);
    EXPECT_EQ(t.c->login.g_ShortTurnTime, 1);
}

TEST(StartUp, EndsWithoutConnectingOrWithAMessage) {
    struct Case {
        const char* name;
        std::string cmdline;
        bool lobby, secondCopy;
        std::string box;       // the message box shown, empty for none
        int connects;          // connections started before the end
    };
    const Case cases[] = {
        {"no lobby", test::kGoodLine, false, false, "", 1},
        {"second copy", test::kGoodLine, true, true, "Zorvan已经运行！", 0},
        {"empty command line", "   ", true, false, "本游戏需从游戏大厅中启动！", 0},
        {"bad port", "alice$key1$127.0.0.1$99999$r$0$$0$$$0$$$1$0", true, false, "", 0},
        {"too few fields", "alice$key1", true, false, "", 0},
    };
    for (const auto& k : cases) {
        SimClient t(k.cmdline, k.lobby);
        t.sim.system.secondCopy = k.secondCopy;
        t.startUp();
        EXPECT_TRUE(t.ended) << k.name;
        EXPECT_EQ(t.sim.socket.connectCount, k.connects) << k.name;
        if (k.box.empty()) {
            EXPECT_TRUE(t.sim.dialogs.shown.empty()) << k.name;
        } else {
            ASSERT_EQ(t.sim.dialogs.shown.size(), 1u) << k.name;
            EXPECT_EQ(t.sim.dialogs.shown[0].text, k.box);
            EXPECT_EQ(t.sim.dialogs.shown[0].title, "警告");
        }
    }
}

TEST(StartUp, ConnectionThatNeverComesUpGivesUpAfter15Seconds) {
    SimClient t;
    t.sim.socket.connectDelayMs = 60000;
    t.startUp();
    t.run(15100);
    EXPECT_FALSE(t.c->login.g_Connecting);
    EXPECT_TRUE(t.sim.socket.written.empty());
    t.run(200);
    EXPECT_FALSE(t.ended);
    EXPECT_EQ(t.lobbyMessages(), (std::vector<int>{22, 22}));
    EXPECT_EQ(t.c->main.Sysmsg[0].items.back(), "连接服务器失败！");
    EXPECT_FALSE(t.c->main.TimerBong->enabled());
    EXPECT_EQ(t.desk.to(kLobby).back().w, platform::WindowBus::kScRestore);

    SimClient refused;
    refused.sim.socket.acceptConnect = [](const std::string&, int) { return false; };
    refused.startUp();
    refused.run(500);
    EXPECT_EQ(refused.c->main.Sysmsg[0].items.back(), "连接服务器失败！");
}

TEST(StartUp, ScreenFitting) {
    struct Case { int w, h; double scale; int formW, formH; double pic1Left, pic1Top; };
    const Case cases[] = {
        {1280, 1024, 1.0, 15600, 11940, 120, 300},
        {1024, 768, 1.0, 1024 * 15, 768 * 15, 0, 0},
        {800, 600, 0.78125, 800 * 15, 600 * 15, 0, 0},
        {1280, 720, 0.78125, 15600, 720 * 15, 120, 0},
    };
    for (const auto& k : cases) {
        SimClient t;
        t.sim.screen.width = k.w;
        t.sim.screen.height = k.h;
        t.startUp();
        ASSERT_FALSE(t.ended);
        auto& f = t.c->main;
        EXPECT_EQ(t.c->layout.g_ScaleX, k.scale) << k.w << "x" << k.h;
        EXPECT_EQ(f.Width, k.formW);
        EXPECT_EQ(f.Height, k.formH);
        EXPECT_EQ(f.Pic1.Left, k.pic1Left);
        EXPECT_EQ(f.Pic1.Top, k.pic1Top);
        EXPECT_EQ(f.imgDilan.Top + f.imgDilan.Height, f.Pic1.Height / 15);
    }
}
