// State of the round in progress.
#pragma once

namespace zorvan {

struct RoundState {
    bool g_GameInProgress = false;
    int g_RoundDealt = 0;
};

}  // namespace zorvan
