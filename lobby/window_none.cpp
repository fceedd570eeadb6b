// Builds without Qt have no lobby window.
#include <cstdio>

#include "window.h"

namespace zorvan::lobby {
bool WindowAvailable() { return false; }
int RunWindow(Lobby&, int, int, char**) {
    std::fprintf(stderr, "zorvan-lobby: this build has no window (built without Qt)\n");
    return 2;
}
}  // namespace zorvan::lobby
