// Round settlement (command 9) and the boards.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleSettlement(Client& c, const Packet& p);
void ClearHeroTotals(Client& c);  // clears the four total-score labels of the hero board
int SettledRounds(const Client& c);  // juNum: rounds settled at the current table
}  // namespace zorvan
