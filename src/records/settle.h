// Round settlement (command 9): the score sheet, coins and levels, the hero board, the revealed
// bottom, the sound of the result, the record of the round and the countdown to the next round.
#pragma once
#include <string>

#include "core/packet.h"

namespace zorvan {
struct Client;
// Command 9: stops the turn countdown and settles at once, or, with the prop plug-in active,
// keeps the packet until the plug-in has delivered its score information.
void HandleSettlement(Client& c, const Packet& p);
// Settles one round-end packet (SuanFen). With the plug-in active, its polling fills
// c.settle.g_PropText / g_PropCoins / g_PropExtra from GetScoreInfo while c.settle.g_SettlePending is
// set and then settles the kept packet: SuanFen(c, c.settle.g_SettlePacket).
void SuanFen(Client& c, const Packet& p);
void ClearHeroTotals(Client& c);  // clears the four total-score labels of the hero board
int SettledRounds(const Client& c);  // juNum: rounds settled at the current table

// The level names "第一级" .. "第四十级" (level 1..40); empty for another level.
std::string LevelName(int level);
// A number as the score sheet prints it: the shortest decimal form.
std::string SheetNumber(double v);
}  // namespace zorvan
