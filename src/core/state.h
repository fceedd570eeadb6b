// State of the client core: packet rings, pump counters, login and connection, layout factors.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/packet.h"

namespace zorvan {

constexpr int kRingSize = 34816;          // 128 packets of 272 bytes
constexpr int kSendRingCapacity = 127;    // write may never catch up with read: one slot stays free
constexpr int kProxyBufSize = 1024;

struct HeldPacket {
    Packet bytes{};
    bool armed = false;
};

struct NetState {
    std::array<std::uint8_t, kRingSize> g_SendRing{};
    std::int32_t g_SendRead = 0, g_SendWrite = 0;
    std::array<std::uint8_t, kRingSize> g_RecvRing{};
    std::int32_t g_RecvRead = 0, g_RecvWrite = 0;
    Packet g_RxPacket{};
    std::array<std::uint8_t, 2> g_EchoBytes{};
    std::string g_ChatText;
    bool g_SendPending = false;
    bool g_DataArrived = false;
    std::int32_t g_QuietTicks = 0;
    bool g_DirectMode = true;
    std::array<std::uint8_t, kProxyBufSize> g_ProxyBuf{};
    std::int32_t g_ProxyWrite = 0, g_ProxyRead = 0;
    HeldPacket g_HoldA, g_HoldB;
    bool g_SettleHold = false;
    // Packets refused because the send ring was full (for the trace and for tests).
    std::int32_t refusedPackets = 0;
};

// One embedded advertising view (WebBrowser1, WebBrowser2).
struct AdView {
    std::string url;        // the page it was last sent to
    bool Visible = false;
    bool failed = false;    // a navigation error happened; stays set until the program ends
    double Left = 0, Top = 0;
};

struct LoginState {
    std::string g_Account, g_LoginKey, g_ServerHost;
    int g_ServerPort = 0;
    int g_ConnectMode = 0;
    std::string g_ProxyHost;
    int g_ProxyPort = 0;
    std::string g_ProxyUser, g_ProxyPassword;
    std::string g_LobbyTitle, g_OwnCaption;
    int g_PropsAllowed = 0, g_PluginParam = 0;
    bool g_Spectator = false;
    bool g_HiddenMode = false;
    int g_ShortTurnTime = 1;
    Packet g_LoginPacket{};
    bool g_Connecting = false;
    bool g_LoginPending = false;
    bool g_Online = false;
    std::string g_AdPage;
    AdView WebBrowser1, WebBrowser2;
    // Every connection attempt gets a new number; a wait that finds another number afterwards
    // belongs to an attempt that was replaced meanwhile and does nothing more.
    std::uint32_t g_ConnectAttempt = 0;
    bool startedUp = false;
};

// Which of the six countdowns runs (only one at a time).
enum class Countdown { Call, Counter, CounterPass, Bury, Play, Ready };

struct PumpState {
    std::int32_t g_ConnectTicks = 0, g_BlinkTicks = 0, g_WatchTicks = 0, g_PlayTicks = 0, g_ReadyTicks = 0;
    std::int16_t g_SecondTicks = 0;
    std::int32_t g_StallTicks = 0;
    bool g_WatchLink = false;
    bool g_CallTimer = false, g_CounterTimer = false, g_CounterPassTimer = false, g_BuryTimer = false,
         g_PlayTimer = false, g_ReadyTimer = false;
    std::int16_t g_Countdown = 0;
    bool g_Blink = false;
    int g_BlinkCount = 0;
    int g_TimeoutLimit = 0, g_TimeoutCount = 0;
    int g_ShuffleIndex = 0;
    std::array<std::string, 4> g_ShuffleTexts;
    bool tickActive = false;    // a tick is running (possibly inside a nested wait)
    bool pumpWanted = false;    // whether the tick switches TimerBong on again at its end
    bool linkLossReported = false;  // the watchdog told the plug-in about this loss already
};

// Layout factors: 1.0, or 0.78125 on screens below 1024 x 768 pixels.
struct LayoutState {
    double g_ScaleX = 1.0, g_ScaleY = 1.0;
};

}  // namespace zorvan
