// Sound effects and music.
#pragma once

namespace zorvan {
struct Client;
void InitSound(Client& c);       // the sound device and the looping background sound
void StopSound(Client& c);       // stops music and effects
void PlayMusicOnce(Client& c);   // the selected music, once, at full volume
// The sound settings window VosSet.
bool SoundSettingsVisible(const Client& c);
void ShowSoundSettings(Client& c);  // shows VosSet at SoundSettingsPlace (table/buttons.h)
void HideSoundSettings(Client& c);
}  // namespace zorvan
