#include "media/effects.h"

#include "core/client.h"

namespace zorvan {
bool EffectsOn(const Client& c) { return false; }                       // the effects switch
void PlayEffect(Client& c, const std::string& path, bool loop) {}       // plays a WAV effect
void SetEffectVolume(Client& c, int volume) {}                          // the effect's volume
}  // namespace zorvan
