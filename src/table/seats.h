// Seats and the player roster: seat bits, screen positions, the players' records.
#pragma once
#include <cstdint>
#include <string>

#include "core/packet.h"

namespace zorvan {
struct Client;
struct UserInfo;

// Times the bit can be halved while above 1: 1 -> 0, 2 -> 1, 4 -> 2, 8 -> 3.
std::int16_t SeatIndex(int bit);
// Hides the ready mark and clears the avatar, name, coins and level of a screen position.
void ClearPositionControls(Client& c, int pos);
// (SeatIndex(bit) - SeatIndex(own bit)) mod 4: 0 the player, 1 left, 2 top, 3 right.
std::int16_t ScreenPosition(const Client& c, int bit);
// The own seat bit (PlayerRecord(0).seat), 0 while not yet known.
int OwnSeatBit(const Client& c);

// Fills one record from a command-20 packet.
void ReadUserInfo(UserInfo& info, const Packet& p);
// 0 below 20000 coins, 1 from 20000, 2 from 60000.
int CoinTier(double coins);
// The avatar index 0..19 of an avatar code ("m1".."m10", "w1".."w10"); a code whose digits do
// not give 1..10 uses index 0 (+10 for "w").
int AvatarIndex(const std::string& code);
// The nickname of a screen position (empty for a position out of range).
std::string PositionName(const Client& c, int position);

void HandlePlayerInfo(Client& c, const Packet& p);   // command 20: a player sits down
void HandlePlayerLeft(Client& c, const Packet& p);   // command 21: a player left the table
void HandlePlayerReady(Client& c, const Packet& p);  // command 23: a player is ready
// Clears positions 1 to 3 of the round data and the round's idle markers.
void ResetPlayers(Client& c);
// Picks the voice slots of the four players (done at the fourth player's information).
void ChooseVoices(Client& c);
// lbwealth shows the smallest positive multiplier of the positions.
void ShowPositionMultipliers(Client& c);
}  // namespace zorvan
