// Trump calling during the deal: the deal animation, the call options and the call and pass
// clicks (command 2 sent).
#pragma once

namespace zorvan {
struct Client;

// The first tick of tmrJiePai: runs the deal animation of the last deal.
void OnDealTimer(Client& c);
// The deal animation of n cards (reveals the hand card by card and offers calls meanwhile).
void firstfapai(Client& c, int n);
// Evaluates slots 0..n-1 of the hand and shows the call options it allows.
void jiaopai(Client& c, int n);
// The face-down fans of positions 1 to 3, placed and shown.
void PlaceFans(Client& c);
void ShowFans(Client& c);
// Click on imgJiaoZhu(index): sends the call of that option.
void ClickCall(Client& c, int index);
// Hides and disables the 16 call options and clears their marks.
void ClearCallOptions(Client& c);
}  // namespace zorvan
