// What the table's roster asks of the prop plug-in.
#pragma once
#include <string>

namespace zorvan {
struct Client;
// The plug-in object exists (it was created for this table).
bool PluginExists(const Client& c);
// Loads the plug-in when it has not been tried at this table yet (state 0).
void PluginTryLoad(Client& c);
// Disables the plug-in for this table (state -1).
void PluginDisable(Client& c);
void PluginClearUser(Client& c, int position);
// SetUserinfo; true on success.
bool PluginSetUserinfo(Client& c, const std::string& nickname, const std::string& account, int seatBit,
                       int position, bool creditNotZero, int sex, const std::string& title, const std::string& avatar);
// The prop side's step at a new full deal.
void PropsNewDeal(Client& c);
// The plug-in's end-of-round display is active / mark it to close.
bool PluginEndDisplayActive(const Client& c);
void PluginMarkEndDisplayClose(Client& c);
// Round end with the plug-in active: settlement state 1 (pending) and InitShowEnd.
void PluginStartEndDisplay(Client& c);
// Settlement done: InitExit(0) when a shutdown was asked for meanwhile, else settlement state 2.
void PluginFinishEndDisplay(Client& c);
}  // namespace zorvan
