#include "social/phrases.h"

#include "core/client.h"

namespace zorvan {
void HidePhraseWindow(Client& c) {}  // filled in with the quick phrases
}  // namespace zorvan
