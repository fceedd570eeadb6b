#include "core/client.h"

#include <exception>

#include "core/lobby.h"
#include "core/startup.h"

namespace zorvan {

Client::Client(platform::Platform& o) : os(o) {
    forms.push_back(&main);
    BuildMainForm(*this);
    InstallCoreEvents(*this);
}

void FatalError(Client& c, const std::string& why) {
    c.os.system.trace("fatal: " + why);
    try {
        RestoreLobby(c);
    } catch (const platform::ProgramEnded&) {
        throw;
    } catch (...) {
    }
    c.os.EndProgram();
}

void RunGuarded(Client& c, const std::function<void()>& fn) {
    try {
        fn();
    } catch (const platform::ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        FatalError(c, e.what());
    } catch (...) {
        FatalError(c, "unknown error");
    }
}

std::function<void()> Guarded(Client& c, std::function<void()> fn) {
    return [&c, fn = std::move(fn)] { RunGuarded(c, fn); };
}

bool WaitMs(Client& c, int ms) {
    auto generation = c.table.g_TableGeneration;
    c.os.loop.waitMs(ms);
    return generation == c.table.g_TableGeneration;
}

}  // namespace zorvan
