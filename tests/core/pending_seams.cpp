// Weak stand-ins for procedures of subsystems that are being written at the same time as the core,
// so that the core's tests link on their own. A real definition in zorvan_core replaces each.
#include "core/client.h"
#include "core/packets.h"
#include "media/images.h"
#include "round/bottom.h"
#include "round/deal.h"
#include "round/trump.h"
#include "shell/dump.h"
#include "shell/skin.h"
#include "table/seats.h"
#include "table/table.h"

#define ZORVAN_WEAK __attribute__((weak))

namespace zorvan {
ZORVAN_WEAK void BuildTableControls(Client&) {}
ZORVAN_WEAK void HandlePlayerInfo(Client&, const Packet&) {}
ZORVAN_WEAK void HandlePlayerLeft(Client&, const Packet&) {}
ZORVAN_WEAK void HandlePlayerReady(Client&, const Packet&) {}
ZORVAN_WEAK void ResetPlayers(Client&) {}
ZORVAN_WEAK int OwnSeatBit(const Client&) { return 4; }
ZORVAN_WEAK void CreateTableControls(Client&) {}
ZORVAN_WEAK void CreateTableControls2(Client&) {}
ZORVAN_WEAK void ResetTable(Client&) {}
ZORVAN_WEAK void ResetForNextRound(Client&) {}
ZORVAN_WEAK void SendReady(Client& c) {
    Packet p = MakePacket(16);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    p[15] = 1;
    SendPacket(c, p);
}
ZORVAN_WEAK void PlayerGetsReady(Client& c) {
    c.table.g_TableReset = true;
    SendReady(c);
}
ZORVAN_WEAK void HandleTableAnnounce(Client&, const Packet&) {}
ZORVAN_WEAK void StartRandomSeatDisplay(Client&) {}
ZORVAN_WEAK void TimerShuffleTick(Client&) {}
ZORVAN_WEAK void HandleDeal(Client&, const Packet&) {}
ZORVAN_WEAK void HandleTrumpDecision(Client&, const Packet&) {}
ZORVAN_WEAK void ClickPass(Client&) {}
ZORVAN_WEAK void OnCallCountdownEnd(Client&) {}
ZORVAN_WEAK void HandleBottom(Client&, const Packet&) {}
ZORVAN_WEAK void OnBuryCountdownEnd(Client&) {}
ZORVAN_WEAK void WriteScreenDump(Client&, long) {}
ZORVAN_WEAK void InitImageTables(Client&) {}
ZORVAN_WEAK void PaintSkin(Client&) {}
}  // namespace zorvan
