#include "social/bubbles.h"

#include "core/client.h"

namespace zorvan {
void HideSpeechBubbles(Client& c) {}   // filled in with the speech bubbles
void ResetSpeechBubbles(Client& c) {}  // filled in with the speech bubbles
}  // namespace zorvan
