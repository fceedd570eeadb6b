// Signals turned into a readable descriptor, so that both event loops see them as input.
#pragma once

namespace zorvan::lobby {
// Installs handlers for SIGINT, SIGTERM, SIGHUP (stop) and SIGCHLD (a child ended); returns the
// read end of the pipe. Each byte read is the signal number.
int SignalPipe();
}  // namespace zorvan::lobby
