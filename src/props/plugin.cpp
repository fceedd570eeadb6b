#include "props/plugin.h"

#include "core/client.h"

namespace zorvan {
bool PluginLoaded(const Client& c) { return false; }  // no plug-in host yet: never loaded
void ForwardToPlugin(Client& c, const Packet& p) {}   // passes the packet to Rec_MSG
void MarkScoreInfoReady(Client& c) {}                 // marks the score information for the pump
void PluginRecState(Client& c, int code, bool on) {}  // calls rec_state
void PollPlugin(Client& c) {}                         // fetches and acts on the plug-in's items
void PluginShutdown(Client& c, int how) {}            // shuts the plug-in down
void PluginFixBuffPos(Client& c) {}                   // FixBuffPos: filled in with the plug-in bridge
void PluginSetBankState(Client& c, int state) {}      // setbankstate: filled in with the plug-in bridge
void PluginUpdateMyProp(Client& c, bool on) {}       // UpdataMyProp: filled in with the plug-in bridge
void PluginSetKeyDown(Client& c, int keyCode) {}      // SetKeyDown: filled in with the plug-in bridge
}  // namespace zorvan
