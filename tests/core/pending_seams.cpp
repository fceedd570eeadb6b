// Weak stand-ins for procedures of subsystems that are being written at the same time as the core,
// so that the core's tests link on their own. Remove each once its subsystem defines it: a weak
// definition here would otherwise keep the real one out of the test binary.
#include "core/client.h"
#include "media/images.h"
#include "shell/skin.h"

#define ZORVAN_WEAK __attribute__((weak))

namespace zorvan {
ZORVAN_WEAK void InitImageTables(Client&) {}
ZORVAN_WEAK void PaintSkin(Client&) {}
}  // namespace zorvan
