#include "core/dispatch.h"

#include <exception>

#include "core/client.h"
#include "core/startup.h"
#include "core/trace.h"
#include "props/plugin.h"
#include "records/settle.h"
#include "round/bottom.h"
#include "round/deal.h"
#include "round/trick.h"
#include "round/trump.h"
#include "social/chat.h"
#include "table/leave.h"
#include "table/seats.h"
#include "table/table.h"

namespace zorvan {

void RoutePacket(Client& c, const Packet& p) {
    switch (p[3]) {
    case 1: HandleDeal(c, p); break;
    case 2: HandleTrumpDecision(c, p); break;
    case 3: HandleBottom(c, p); break;
    case 6: HandlePlay(c, p); break;
    case 9: HandleSettlement(c, p); break;
    case 16: HandleTableAnnounce(c, p); break;
    case 18: HandleLoginResult(c, p); break;
    case 19: {
        // A chat packet that already carries a length marker is a plug-in message.
        auto marker = U32BE(p, 236);
        if (marker == 272 || marker == 260) {
            if (PluginLoaded(c)) ForwardToPlugin(c, p);
        } else {
            HandleChat(c, p);
        }
        break;
    }
    case 20: HandlePlayerInfo(c, p); break;
    case 21: HandlePlayerLeft(c, p); break;
    case 22: HandleTableClosed(c, p); break;
    case 23: HandlePlayerReady(c, p); break;
    case 29: HandleReconnectResult(c, p); break;
    case 46:
        if (PluginLoaded(c)) {
            MarkScoreInfoReady(c);
            ForwardToPlugin(c, p);
        }
        break;
    default:  // 44, 45 and every command without a handler belong to the plug-in
        if (PluginLoaded(c)) ForwardToPlugin(c, p);
        break;
    }
}

void DispatchPacket(Client& c) {
    // The handlers get a copy: g_RxPacket may be reused while a handler waits.
    const Packet p = c.net.g_RxPacket;
    TracePacket(c, "recv", p);
    try {
        if (p[3] != 29) {
            c.net.g_EchoBytes[0] = p[260];
            c.net.g_EchoBytes[1] = p[261];
        }
        RoutePacket(c, p);
    } catch (const platform::ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        FatalError(c, std::string("while handling command ") + std::to_string(p[3]) + ": " + e.what());
    } catch (...) {
        FatalError(c, "while handling command " + std::to_string(p[3]));
    }
}

}  // namespace zorvan
