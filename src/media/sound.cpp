#include "media/sound.h"

#include "core/client.h"

namespace zorvan {
void InitSound(Client& c) {}      // opens the sound device and starts the background loop
void StopSound(Client& c) {}      // stops music and effects
void PlayMusicOnce(Client& c) {}  // plays the selected music once
bool SoundSettingsVisible(const Client& c) { return false; }  // whether VosSet is shown: filled in with sound
void ShowSoundSettings(Client& c) {}  // shows VosSet at SoundSettingsPlace
void HideSoundSettings(Client& c) {}  // hides VosSet
}  // namespace zorvan
