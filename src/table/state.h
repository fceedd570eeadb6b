// State of the table: seats, roster and the table's own flags.
#pragma once
#include <cstdint>

namespace zorvan {

struct TableState {
    bool g_TableOpen = false;
    bool g_TableReset = false;
    bool g_FreshTable = false;
    bool g_RandomSeat = false;
    // Incremented whenever the client leaves or closes the table; a handler that waits checks it
    // afterwards and returns when it changed, so nothing draws over an idle client.
    std::uint32_t g_TableGeneration = 0;
};

struct Seats {
    int g_SeatedCount = 0;
};

}  // namespace zorvan
