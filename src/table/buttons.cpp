#include "table/buttons.h"

#include "core/client.h"

namespace zorvan {
void ShowButtonPicture(Client& c, int button, int entry) {}  // filled in with the main buttons
void ClearTimeoutMark(Client& c) {}  // filled in with the main buttons
}  // namespace zorvan
