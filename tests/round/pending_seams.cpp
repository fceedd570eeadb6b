// Weak stand-ins for the picture tables and the skin, written at the same time by the window
// subsystem, so that these tests link on their own. Remove once those procedures exist.
#include "core/client.h"
#include "media/images.h"
#include "shell/skin.h"

#define ZORVAN_WEAK __attribute__((weak))

namespace zorvan {
ZORVAN_WEAK void InitImageTables(Client&) {}
ZORVAN_WEAK void PaintSkin(Client&) {}
}  // namespace zorvan
