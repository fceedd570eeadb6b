// The deal (command 1).
#pragma once
#include <string>

#include "core/packet.h"
#include "rules/card.h"

namespace zorvan {
struct Client;
void HandleDeal(Client& c, const Packet& p);
// Stores the dealt cards in the hand and starts the deal animation (a new deal generation).
void StoreDealtCards(Client& c, const Packet& p);
// 11 -> "J", 12 -> "Q", 13 -> "K", 14 -> "A", other values as decimal digits.
std::string LevelText(int level);
// The fee caption of bytes 117-136 (double-byte characters taken whole).
std::string ReadFeeCaption(const Packet& p);
// A card value of four packet bytes; an identifier of 128 or more is a protocol error.
rules::CardValue ReadCard(const Packet& p, std::size_t offset);
// ImageZhuangJia beside the position of the dealer's seat bit (0: left where it is).
void PlaceDealerMarker(Client& c, int dealerBit);
}  // namespace zorvan
