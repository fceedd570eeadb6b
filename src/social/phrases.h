// The quick-phrase window as other subsystems need it.
#pragma once

namespace zorvan {
struct Client;
void HidePhraseWindow(Client& c);  // hides the quick-phrase window
}  // namespace zorvan
