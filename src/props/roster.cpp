#include "props/roster.h"

#include "core/client.h"

namespace zorvan {
bool PluginExists(const Client& c) { return false; }  // no plug-in host yet: never created
void PluginTryLoad(Client& c) {}                         // creates the plug-in object (state 1 or 2)
void PluginDisable(Client& c) {}                         // sets the plug-in state to -1
void PluginClearUser(Client& c, int position) {}         // calls ClearUser(position)
bool PluginSetUserinfo(Client& c, const std::string& nickname, const std::string& account, int seatBit, int position,
                       bool creditNotZero, int sex, const std::string& title, const std::string& avatar) {
    return true;  // calls SetUserinfo and returns its result
}
void PropsNewDeal(Client& c) {}                    // the prop side's new-deal step
bool PluginEndDisplayActive(const Client& c) { return false; }  // the end-of-round display is shown
void PluginMarkEndDisplayClose(Client& c) {}       // marks the end-of-round display to close
void PluginStartEndDisplay(Client& c) {}           // settlement state 1 and InitShowEnd
void PluginFinishEndDisplay(Client& c) {}          // a marked shutdown now (InitExit 0), else state 2
}  // namespace zorvan
