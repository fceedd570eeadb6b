// zorvan-lobby: see lobby.h. Without a window it runs a terminal loop over the lobby's socket,
// standard input and signals.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "lobby.h"
#include "signals.h"
#include "window.h"

using namespace zorvan;

namespace {

int PostMode(const std::vector<std::string>& args) {
    // post CAPTION MSG [W [L]]: a missing W or L is 0.
    if (args.size() < 3 || args.size() > 5) {
        std::fprintf(stderr, "%s", lobby::Usage().c_str());
        return 2;
    }
    std::string line = args[2];
    for (std::size_t i = 3; i < args.size(); ++i) line += " " + args[i];
    for (std::size_t i = args.size(); i < 5; ++i) line += " 0";
    auto m = winmsg::ParseMessage(line);
    if (!m) {
        std::fprintf(stderr, "zorvan-lobby: MSG, W and L must be decimal numbers\n");
        return 2;
    }
    std::string error;
    if (!winmsg::Post(args[1], *m, &error)) {
        std::fprintf(stderr, "zorvan-lobby: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int ExistsMode(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "%s", lobby::Usage().c_str());
        return 2;
    }
    return winmsg::Exists(args[1]) ? 0 : 1;
}

int TerminalLoop(lobby::Lobby& l, int signals) {
    bool stdinOpen = true;
    std::string pending;
    while (true) {
        std::vector<pollfd> fds{{l.listener().fd(), POLLIN, 0}, {signals, POLLIN, 0}};
        if (stdinOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
        int rc = ::poll(fds.data(), fds.size(), 500);
        if (rc < 0 && errno != EINTR) return 1;
        if (fds[0].revents & POLLIN) l.serve();
        if (fds[1].revents & POLLIN) {
            unsigned char sig;
            while (::read(signals, &sig, 1) == 1)
                if (sig != SIGCHLD) return 0;
        }
        if (stdinOpen && (fds[2].revents & (POLLIN | POLLHUP))) {
            char buf[512];
            ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                stdinOpen = false;  // no more commands; keep serving until a signal
            } else {
                pending.append(buf, static_cast<std::size_t>(n));
                for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
                    std::string line = pending.substr(0, nl);
                    pending.erase(0, nl + 1);
                    if (!l.command(line)) return 0;
                }
            }
        }
        l.reap();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "post") return PostMode(args);
    if (!args.empty() && args[0] == "exists") return ExistsMode(args);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::printf("%s", lobby::Usage().c_str());
        return 0;
    }
    lobby::Options o;
    try {
        o = lobby::ParseOptions(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvan-lobby: %s\n%s", e.what(), lobby::Usage().c_str());
        return 2;
    }
    int signals = lobby::SignalPipe();
    try {
        lobby::Lobby l(o);
        std::string error;
        if (!l.open(&error)) {
            std::fprintf(stderr, "zorvan-lobby: %s\n", error.c_str());
            return 1;
        }
        if (o.startClient) l.startClient();
        bool window = o.window.value_or(lobby::WindowAvailable());
        int rc = window ? lobby::RunWindow(l, signals, argc, argv) : TerminalLoop(l, signals);
        l.stopClient();
        return rc;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "zorvan-lobby: %s\n", e.what());
        return 2;
    }
}
