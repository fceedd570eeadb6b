// Start-up (the main window's load event), the command line, the connection and the login.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/packet.h"

namespace zorvan {
struct Client;

// The operator's site, shown after a successful login and used for the help page.
inline constexpr const char* kOperatorSite = "http://www.quenlo.com/";
inline constexpr const char* kDefaultLobbyTitle = "Quenlo山庄";
inline constexpr int kConnectTimeoutMs = 15000;

struct StartupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The 15 "$"-separated fields the lobby passes.
struct CommandLine {
    bool spectator = false;  // the line ended with "$"
    std::string account, loginKey, serverHost;
    int serverPort = 0;
    std::string room;
    int connectMode = 0;
    std::string proxyHost;
    int proxyPort = 0;
    std::string proxyUser, proxyPassword;
    int ownCaptionFlag = 0;  // field 11, read leniently
    std::string lobbyTitle, ownCaption;
    int propsAllowed = 0, pluginParam = 0;
};

// Parses a trimmed command line. Throws StartupError for a missing or malformed number field
// (ports 0..65535, other numbers -32768..32767) or an account or key with a character that is not
// single-byte.
CommandLine ParseCommandLine(std::string_view line);
// The login packet: command 18, byte 14 = 1, the account from 16 and the key from 32 (an account
// longer than 16 characters is overwritten by the key). Throws StartupError when the key does not
// fit the packet or a character is not single-byte.
Packet BuildLoginPacket(const std::string& account, const std::string& key);

// The main window's load event: the whole start-up. Any error restores the lobby and ends.
void StartUp(Client& c);
// Wires the core's callbacks (timers, socket events, load and unload) into the platform; called
// once by the Client constructor.
void InstallCoreEvents(Client& c);

// Starts a direct connection to g_ServerHost:g_ServerPort; the pump completes it.
void StartDirectConnection(Client& c);
// The pump's fourth tick after a direct connection was started: 22 to the lobby, the wait for the
// connection (at most 15 s), 771 to the lobby, the login packet written directly, the watchdog on.
void CompleteDirectConnection(Client& c);
enum class ConnectWait { Connected, Failed, Superseded };
// Waits, other events continuing, until the socket is connected, reports an error or timeoutMs
// passed. Superseded: the table or the connection attempt changed meanwhile.
ConnectWait WaitForConnection(Client& c, int timeoutMs);
// A connection that did not come up: the socket is closed, the client goes idle, "连接服务器失败！"
// is shown, 22 goes to the lobby and the lobby is brought forward.
void ConnectFailed(Client& c);

// Command 18, the login result.
void HandleLoginResult(Client& c, const Packet& p);
// The main window's unload event: ends the program.
void OnUnload(Client& c);

}  // namespace zorvan
