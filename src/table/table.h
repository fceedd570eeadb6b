// The table's controls, their reset between rounds, the ready packet and the random-seat display.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void CreateTableControls(Client& c);   // first group of table controls (start-up)
void CreateTableControls2(Client& c);  // second group of table controls (end of start-up)
void ResetTable(Client& c);
// The round data of positions 1 to 3 cleared, as ResetPlayers, keeping the deal-animation counter.
void ResetForNextRound(Client& c);
void SendReady(Client& c);             // queues the ready packet (16, byte 15 = 1)
// The player gets ready (ready button, ready countdown): resets the table when not done yet for
// this round, queues the ready packet and starts a pending random-seat display.
// The ready button queues the packet only while no game is in progress (queueReady false otherwise).
void PlayerGetsReady(Client& c, bool queueReady = true);
void HandleTableAnnounce(Client& c, const Packet& p);  // command 16
void StartRandomSeatDisplay(Client& c);
void StopRandomSeatDisplay(Client& c);
void TimerShuffleTick(Client& c);      // cycles the random-seat caption
}  // namespace zorvan
