#include "core/lobby.h"

#include "core/client.h"

namespace zorvan {
namespace {
std::string Trimmed(const std::string& s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

void LobbyCommand(Client& c, long command) {
    if (Trimmed(c.login.g_LobbyTitle).empty()) return;
    if (!c.os.windows.exists(c.login.g_LobbyTitle)) c.os.EndProgram();
    c.os.windows.post(c.login.g_LobbyTitle, platform::WindowBus::kSysCommand, command, 0);
}
}  // namespace

void RestoreLobby(Client& c) { LobbyCommand(c, platform::WindowBus::kScRestore); }
void MinimizeLobby(Client& c) { LobbyCommand(c, platform::WindowBus::kScMinimize); }

void PostToLobby(Client& c, int msg) {
    if (c.login.g_LobbyTitle.empty() || !c.os.windows.exists(c.login.g_LobbyTitle)) return;
    c.os.windows.post(c.login.g_LobbyTitle, msg, 0, 0);
    if (c.os.system.tracing()) c.os.system.trace("lobby <- " + std::to_string(msg));
}
}  // namespace zorvan
