// The main buttons (AnNiu) and their picture table.
#pragma once

namespace zorvan {
struct Client;
// Gives AnNiu(button) the picture of entry `entry` of the button picture table.
void ShowButtonPicture(Client& c, int button, int entry);
// Clears the F1 mark that stops the pump from counting time-outs.
void ClearTimeoutMark(Client& c);
}  // namespace zorvan
