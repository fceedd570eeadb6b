// The prop plug-in bridge.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
bool PluginLoaded(const Client& c);
void ForwardToPlugin(Client& c, const Packet& p);  // Rec_MSG with the whole packet
void MarkScoreInfoReady(Client& c);                // command 46: the score information is coming
void PluginRecState(Client& c, int code, bool on);  // rec_state
void PollPlugin(Client& c);                         // the pump's plug-in polling
void PluginShutdown(Client& c, int how);
void PluginFixBuffPos(Client& c);                   // FixBuffPos: the props follow the window
void PluginSetBankState(Client& c, int state);      // setbankstate (2: a table window opened or closed)
void PluginSetKeyDown(Client& c, int keyCode);      // SetKeyDown with a function key F1..F6
void PluginUpdateMyProp(Client& c, bool on);        // UpdataMyProp: the props are stored before leaving
}  // namespace zorvan
