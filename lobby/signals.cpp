#include "signals.h"

#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <unistd.h>

namespace zorvan::lobby {
namespace {
int g_pipe[2] = {-1, -1};

void OnSignal(int sig) {
    unsigned char b = static_cast<unsigned char>(sig);
    [[maybe_unused]] auto n = ::write(g_pipe[1], &b, 1);
}
}  // namespace

int SignalPipe() {
    if (g_pipe[0] >= 0) return g_pipe[0];
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return g_pipe[0];
}
}  // namespace zorvan::lobby
