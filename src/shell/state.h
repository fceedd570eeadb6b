// State of the window shell.
#pragma once

namespace zorvan {

struct ShellState {
    // Both caption buttons show their normal picture.
    bool CaptionNormal = true;
};

}  // namespace zorvan
