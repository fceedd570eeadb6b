#include "records/settle.h"

#include "core/client.h"

namespace zorvan {
void HandleSettlement(Client& c, const Packet& p) {}  // shows the score sheet (and arms the settlement pause)
void ClearHeroTotals(Client& c) {}  // clears the hero board's total-score labels
int SettledRounds(const Client& c) { return 0; }  // juNum: filled in with settlement
}  // namespace zorvan
