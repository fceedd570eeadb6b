// Sound effects the round plays (the one effect buffer).
#pragma once
#include <string>

namespace zorvan {
struct Client;
bool EffectsOn(const Client& c);  // the effects switch of the sound settings
void PlayEffect(Client& c, const std::string& path, bool loop);
void SetEffectVolume(Client& c, int volume);
}  // namespace zorvan
