#include "core/startup.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/client.h"
#include "core/lobby.h"
#include "core/packets.h"
#include "core/proxy.h"
#include "core/pump.h"
#include "core/trace.h"
#include "core/window_proc.h"
#include "media/images.h"
#include "media/sound.h"
#include "props/plugin.h"
#include "records/settle.h"
#include "round/state.h"
#include "shell/skin.h"
#include "social/chat.h"
#include "table/leave.h"
#include "table/state.h"
#include "table/table.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A whole number field: optional blanks and sign, digits, nothing else, within [lo, hi].
int ParseNumber(std::string_view field, int index, long lo, long hi) {
    auto t = TrimBlanks(field);
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < lo || v > hi)
        throw StartupError("command line field " + std::to_string(index) + " is not a valid number: \"" +
                           std::string(field) + "\"");
    return static_cast<int>(v);
}

// The lenient reading of field 11: a leading number, else 0.
int LeadingNumber(std::string_view field) {
    auto t = TrimBlanks(field);
    int v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

void RequireSingleByte(const std::string& s, const char* what) {
    for (unsigned char ch : s)
        if (ch >= 0x80) throw StartupError(std::string(what) + " has a character that is not single-byte");
}

void FitToScreen(Client& c) {
    MainForm& f = c.main;
    int sw = c.os.screen.widthPx(), sh = c.os.screen.heightPx();
    bool skin = false;
    if (sh <= 768) {
        f.Height = sh * 15;
        f.Top = 0;
        f.Pic1.Height = f.Height;
        f.Pic1.Top = 0;
    } else {
        f.Height = 11940;
        f.Top = 0;
        skin = true;
        f.Pic1.Height = f.Height - 420;
        f.Pic1.Top = 300;
    }
    if (sw <= 1024) {
        f.Width = sw * 15;
        f.Left = 0;
        f.Pic1.Width = f.Width;
        f.Pic1.Left = 0;
    } else {
        f.Width = 15600;
        f.Left = 0;
        skin = true;
        f.Pic1.Width = f.Width - 240;
        f.Pic1.Left = 120;
    }
    // The frame is painted once both dimensions are known.
    if (skin) PaintSkin(c);
    if (sh < 768 || sw < 1024) {
        c.layout.g_ScaleX = c.layout.g_ScaleY = 0.78125;
        f.Pic1.picture = {};
        f.Pic1.painted.push_back({f.Pic2.picture, 0, 0, f.Pic2.Width / 15, f.Pic2.Height / 15});
        f.Pic1.ZOrder(1);
        for (int i = 0; i < 2; ++i) f.Sysmsg[i].FontSize = 8;
        f.imgDilan.Width = 800;
        f.imgDilan.Height = 0.78125 * 117;
        f.imgDilan.Stretch = true;
        f.imgDinglan.Width = 800;
        f.imgDinglan.Height = 0.78125 * 96;
        f.imgDinglan.Stretch = true;
    } else {
        c.layout.g_ScaleX = c.layout.g_ScaleY = 1.0;
    }
    f.imgDilan.Move(0, f.Pic1.Height / 15 - f.imgDilan.Height);
    f.imgDinglan.Move(0, 0);
}

void ApplyCommandLine(Client& c, const CommandLine& cl) {
    auto& l = c.login;
    l.g_Spectator = cl.spectator;
    l.g_Account = cl.account;
    l.g_LoginKey = cl.loginKey;
    l.g_ServerHost = cl.serverHost;
    l.g_ServerPort = cl.serverPort;
    auto& loc = c.main.Location;
    if (c.layout.g_ScaleX < 1) loc.FontSize = 10;
    if (text::CharCount(cl.room) > 10) loc.FontSize -= 2;
    loc.Caption = cl.room;
    l.g_ConnectMode = cl.connectMode;
    l.g_ProxyHost = cl.proxyHost;
    l.g_ProxyPort = cl.proxyPort;
    l.g_ProxyUser = cl.proxyUser;
    l.g_ProxyPassword = cl.proxyPassword;
    l.g_LobbyTitle = cl.lobbyTitle;
    l.g_OwnCaption = cl.ownCaption;
    l.g_PropsAllowed = cl.propsAllowed;
    l.g_PluginParam = cl.pluginParam;
}

void InitTableState(Client& c) {
    // The pump's counters and flags; the round and the seats start from their defaults (start-up
    // runs once, right after the client was made).
    auto shuffle = c.pump.g_ShuffleTexts;
    c.pump = PumpState{};
    c.pump.g_ShuffleTexts = shuffle;
    c.seats.g_SeatedCount = 0;
    AllowChat(c);
    c.table.g_FreshTable = true;
}

void PrepareRandomSeatDisplay(Client& c) {
    c.main.TimerShuffle->setEnabled(false);
    for (const char* name : {"LblShuffle", "ImgShuffle"})
        if (auto* ctl = c.main.find(name)) ctl->Visible = false;
    c.pump.g_ShuffleTexts = {"正在随机换座中..", "正在随机换座中...", "正在随机换座中....", "正在随机换座中....."};
}

void StartUpSteps(Client& c) {
    auto& l = c.login;
    auto& f = c.main;
    // 1-2
    if (c.os.system.anotherCopyRunning()) {
        ShowMessageBox(c, "Zorvan已经运行！", "警告");
        RestoreLobby(c);
        c.os.EndProgram();
    }
    RestoreLobby(c);
    // 3
    ResetRings(c);
    l.g_HiddenMode = false;
    l.g_ShortTurnTime = 1;
    c.table.g_Away = false;
    c.net.g_SettleHold = false;
    c.table.g_SeatShuffle = false;
    l.WebBrowser2.Visible = false;
    l.WebBrowser1.failed = l.WebBrowser2.failed = false;
    // 4-7
    FitToScreen(c);
    InitTableState(c);
    InitSound(c);
    InitImageTables(c);
    CreateTableControls(c);
    PrepareRandomSeatDisplay(c);
    // 8
    std::string line(TrimBlanks(c.os.system.commandLine()));
    if (line.empty()) {
        ShowMessageBox(c, "本游戏需从游戏大厅中启动！", "警告");
        c.os.EndProgram();
    }
    const CommandLine cl = ParseCommandLine(line);
    ApplyCommandLine(c, cl);
    // 9
    f.Sysmsg[0].Clear();
    f.Sysmsg[0].AddItem("正在连接服务器...");
    StopPump(c);
    c.net.g_DirectMode = true;
    // 10
    if (cl.ownCaptionFlag == 1) {
        f.Caption = l.g_OwnCaption;
        l.g_ShortTurnTime = 1;
        l.g_HiddenMode = true;
    } else {
        l.g_LobbyTitle = kDefaultLobbyTitle;
    }
    // 11
    l.g_LoginPacket = BuildLoginPacket(l.g_Account, l.g_LoginKey);
    // 12
    if (l.g_ConnectMode == 0) {
        StartDirectConnection(c);
    } else if (l.g_ConnectMode == 5) {
        l.g_Connecting = false;
        ConnectThroughProxy(c);
    }
    // 13: from here on the lobby must exist
    RestoreLobby(c);
    if (TrimBlanks(l.g_LobbyTitle).empty() || !c.os.windows.exists(l.g_LobbyTitle)) c.os.EndProgram();
    // 14-16
    f.Show();
    f.AnNiu[0].Visible = true;
    f.AnNiu[0].ZOrder(0);
    CreateTableControls2(c);
    c.table.g_TableClosed = false;  // the own seat stays 0 (unknown) until the first command 20
    // 17
    std::string why;
    if (!c.os.windows.listen(f.Caption, [&c](int msg, long w, long lp) {
            long result = 0;
            RunGuarded(c, [&] { result = MainWindowProc(c, msg, w, lp); });
            return result;
        }, &why))
        throw StartupError("cannot receive the lobby's messages under \"" + f.Caption + "\": " + why);
    l.startedUp = true;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view line) {
    CommandLine cl;
    line = TrimBlanks(line);
    if (!line.empty() && line.back() == '$') {
        cl.spectator = true;
        line.remove_suffix(1);
    }
    std::vector<std::string_view> f;
    for (int i = 0; i < 15; ++i) {
        if (i == 14) { f.push_back(line); break; }
        auto cut = line.find('$');
        if (cut == std::string_view::npos) {
            f.push_back(line);
            line = {};
        } else {
            f.push_back(line.substr(0, cut));
            line.remove_prefix(cut + 1);
        }
    }
    cl.account = std::string(f[0]);
    cl.loginKey = std::string(f[1]);
    RequireSingleByte(cl.account, "the account");
    RequireSingleByte(cl.loginKey, "the login key");
    cl.serverHost = std::string(f[2]);
    cl.serverPort = ParseNumber(f[3], 4, 0, 65535);
    cl.room = std::string(f[4]);
    cl.connectMode = ParseNumber(f[5], 6, -32768, 32767);
    cl.proxyHost = std::string(f[6]);
    cl.proxyPort = ParseNumber(f[7], 8, 0, 65535);
    cl.proxyUser = std::string(f[8]);
    cl.proxyPassword = std::string(f[9]);
    cl.ownCaptionFlag = LeadingNumber(f[10]);
    cl.lobbyTitle = std::string(f[11]);
    cl.ownCaption = std::string(f[12]);
    cl.propsAllowed = ParseNumber(f[13], 14, -32768, 32767);
    cl.pluginParam = ParseNumber(f[14], 15, -32768, 32767);
    return cl;
}

Packet BuildLoginPacket(const std::string& account, const std::string& key) {
    RequireSingleByte(account, "the account");
    RequireSingleByte(key, "the login key");
    if (16 + account.size() > kPacketSize) throw StartupError("the account does not fit the login packet");
    if (32 + key.size() > kPacketSize) throw StartupError("the login key does not fit the login packet");
    Packet p = MakePacket(18);
    p[14] = 1;
    std::copy(account.begin(), account.end(), p.begin() + 16);
    std::copy(key.begin(), key.end(), p.begin() + 32);
    return p;
}

void InstallCoreEvents(Client& c) {
    CreateMainTimers(c);
    auto& s = c.os.socket;
    s.onData = [&c](std::span<const std::uint8_t> b) { RunGuarded(c, [&] { OnSocketData(c, b); }); };
    s.onClose = Guarded(c, [&c] { OnSocketClosed(c); });
    s.onConnected = Guarded(c, [&c] { Trace(c, "connected to " + c.login.g_ServerHost); });
    s.onError = Guarded(c, [&c] { Trace(c, "connection error"); });
    c.main.events.Load = [&c] { StartUp(c); };
    c.main.events.Unload = Guarded(c, [&c] { OnUnload(c); });
}

void StartUp(Client& c) { RunGuarded(c, [&c] { StartUpSteps(c); }); }

void StartDirectConnection(Client& c) {
    auto& l = c.login;
    ++l.g_ConnectAttempt;
    Trace(c, "connecting to " + l.g_ServerHost + ":" + std::to_string(l.g_ServerPort));
    c.os.socket.connect(l.g_ServerHost, l.g_ServerPort);
    StartPump(c);
    l.g_Connecting = true;
    c.pump.g_ConnectTicks = 0;
}

ConnectWait WaitForConnection(Client& c, int timeoutMs) {
    auto attempt = c.login.g_ConnectAttempt;
    auto start = c.os.loop.nowMs();
    for (;;) {
        int st = c.os.socket.state();
        if (st == platform::Socket::kConnected) return ConnectWait::Connected;
        if (st == platform::Socket::kError || st == platform::Socket::kClosed) return ConnectWait::Failed;
        if (c.os.loop.nowMs() - start >= timeoutMs) return ConnectWait::Failed;
        if (!WaitMs(c, 20) || attempt != c.login.g_ConnectAttempt) return ConnectWait::Superseded;
    }
}

void ConnectFailed(Client& c) {
    Trace(c, "connection to " + c.login.g_ServerHost + ":" + std::to_string(c.login.g_ServerPort) + " failed");
    c.os.socket.abort();
    c.login.g_Connecting = false;
    c.pump.g_ConnectTicks = 0;
    // While the silent reconnect runs, a failed attempt is only retried by its driver (every 3 s,
    // then it gives up itself): the table stays.
    if (c.leave.reconnectLoaded) return;
    LeaveTable(c);
    StopPump(c);
    StopKeepAlive(c);
    c.main.Sysmsg[0].AddItem("连接服务器失败！");
    PostToLobby(c, 22);
    RestoreLobby(c);
}

void CompleteDirectConnection(Client& c) {
    auto& l = c.login;
    PostToLobby(c, 22);
    switch (WaitForConnection(c, kConnectTimeoutMs)) {
    case ConnectWait::Superseded: return;
    case ConnectWait::Failed: ConnectFailed(c); return;
    case ConnectWait::Connected: break;
    }
    l.g_LoginPending = true;
    PostToLobby(c, 771);
    WriteDirect(c, l.g_LoginPacket);
    c.pump.g_WatchLink = true;
    c.pump.g_WatchTicks = 0;
    c.pump.linkLossReported = false;
    l.g_Connecting = false;
    c.pump.g_ConnectTicks = 0;
    if (PluginLoaded(c)) PluginRecState(c, 3, true);
}

namespace {
// The advertising address is used only when it is a plain http(s) address of printable ASCII.
bool UsableAdAddress(const std::string& a) {
    if (a.rfind("http://", 0) != 0 && a.rfind("https://", 0) != 0) return false;
    return std::all_of(a.begin(), a.end(), [](unsigned char ch) { return ch > 0x20 && ch < 0x7f; });
}

[[noreturn]] void LoginRefused(Client& c, const char* message) {
    Trace(c, std::string("login refused: ") + message);
    PostToLobby(c, 22);
    c.main.Sysmsg[0].Clear();
    c.main.Sysmsg[0].AddItem(message);
    ClearHeroTotals(c);
    RestoreLobby(c);
    c.os.EndProgram();
}
}  // namespace

void HandleLoginResult(Client& c, const Packet& p) {
    auto& l = c.login;
    auto& f = c.main;
    StartKeepAlive(c);
    ClearSettleHold(c);
    c.round.g_RoundDealt = 0;
    c.table.g_TableOpen = true;
    c.table.g_Away = false;
    l.g_LoginPending = false;
    switch (U8(p, 15)) {
    case 1: {
        l.g_Online = true;
        PostToLobby(c, 771);
        c.pump.g_TimeoutLimit = 2;
        ResetTable(c);
        f.Sysmsg[0].Clear();
        f.Sysmsg[1].Clear();
        f.Sysmsg[0].AddItem("连接服务器成功！");
        f.Sysmsg[1].AddItem(std::string("欢迎进入") + kOperatorSite);
        l.g_ShortTurnTime = l.g_HiddenMode ? 1 : U8(p, 11);
        std::string ad = text::RawField(p, 16, 100);
        if (!ad.empty()) {
            if (UsableAdAddress(ad)) {
                l.WebBrowser1.url = ad;
                l.WebBrowser1.Visible = true;
                l.g_AdPage = ad + ".gamead";
            } else {
                // Treated as a navigation error of the view.
                l.WebBrowser1.Visible = false;
                l.WebBrowser1.failed = true;
            }
        }
        break;
    }
    case 2: LoginRefused(c, "启动游戏失败，请重新在大厅就座后进入游戏！");
    default: LoginRefused(c, "验证错误，请重新在大厅就座后进入游戏！");
    }
}

void OnUnload(Client& c) {
    c.os.windows.stopListening();
    StopSound(c);
    if (PluginLoaded(c)) PluginShutdown(c, 1);
    c.os.EndProgram();
}

}  // namespace zorvan
