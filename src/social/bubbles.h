// Speech bubbles ("speakbox" windows) as the window shell needs them.
#pragma once

namespace zorvan {
struct Client;
void HideSpeechBubbles(Client& c);   // hides every "speakbox" window
void ResetSpeechBubbles(Client& c);  // every "speakbox": fade-in timer off, opacity 0, hidden, topmost
}  // namespace zorvan
