// One table client: the platform it runs on, its windows and all its state, grouped by subsystem.
// Subsystem code is free functions taking the Client& they work on.
#pragma once
#include <functional>
#include <string>

#include "core/state.h"
#include "media/images.h"
#include "platform/platform.h"
#include "records/state.h"
#include "round/state.h"
#include "shell/main_form.h"
#include "shell/state.h"
#include "table/state.h"
#include "table/leave.h"

namespace zorvan {

struct Client {
    explicit Client(platform::Platform& os);
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    platform::Platform& os;
    MainForm main;

    NetState net;
    LoginState login;
    PumpState pump;
    LayoutState layout;
    TableState table;
    LeaveState leave;
    Seats seats;
    RoundState round;
    SettleState settle;
    ImageTables images;
    ShellState shell;

    // Every form the client has created, for the front-end and the screen dump.
    std::vector<ui::Form*> forms;
};

// Wraps a callback from the outside world (timer, socket, window message, input) so that an error
// inside it takes the fatal path (restore the lobby, end) and never escapes into the toolkit.
std::function<void()> Guarded(Client& c, std::function<void()> fn);
// Runs fn under the same protection, now.
void RunGuarded(Client& c, const std::function<void()>& fn);
// The fatal path: trace the reason, restore the lobby, end the program.
[[noreturn]] void FatalError(Client& c, const std::string& why);

// Waits ms while other events keep coming (the client's WaitMs). Returns false when the table the
// caller started on is gone (left or closed meanwhile): the caller then returns at once.
bool WaitMs(Client& c, int ms);

}  // namespace zorvan
