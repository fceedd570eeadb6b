#include "core/window_proc.h"

#include <string>

#include "core/client.h"
#include "core/trace.h"
#include "shell/dump.h"
#include "table/leave.h"

namespace zorvan {

long MainWindowProc(Client& c, int msg, long wParam, long lParam) {
    Trace(c, "window message " + std::to_string(msg) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    switch (msg) {
    case kMsgQuery: HandleLobbyQuery(c); return 0;
    case kMsgLoginSent: HandleLobbyLeaveRequest(c); return 0;
    case kMsgLeaveNow: HandleLobbyLeaveNow(c); return 0;
    case kMsgLobbyConnect: HandleLobbyConnect(c); return 0;
    case kMsgScreenDump: WriteScreenDump(c, wParam); return 0;
    case platform::WindowBus::kSysCommand:
        if (wParam == platform::WindowBus::kScRestore || wParam == platform::WindowBus::kScMinimize) {
            c.main.windowState = wParam == platform::WindowBus::kScRestore ? ui::WindowState::Normal
                                                                           : ui::WindowState::Minimised;
            ++c.main.revision;
            if (c.main.events.Resize) c.main.events.Resize();
        } else if (wParam == platform::WindowBus::kScMove) {
            // The front-end lets the user move the window with the mouse, as from the drag strip.
            c.main.moveRequested = true;
            ++c.main.revision;
        }
        return 0;
    default:
        // Nothing else is ours; there is no earlier procedure to pass it to.
        return 0;
    }
}

}  // namespace zorvan
