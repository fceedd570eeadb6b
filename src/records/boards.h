// The score board and the hero board (the parts the roster writes).
#pragma once
#include <string>

namespace zorvan {
struct Client;
// Stores the coin tier as the tag of the position's avatar on the score board.
void SetBoardAvatarTag(Client& c, int position, int tier);
// Shows the avatar picture and the nickname of a position on the score and hero boards.
void SetBoardPlayer(Client& c, int position, int avatarIndex, const std::string& nickname);
// Clears the avatar and the name of a position on both boards.
void ClearBoardPlayer(Client& c, int position);
// Centres the score board over the main window, shows it and brings it to the front.
void ShowScoreBoardCentred(Client& c);
bool ScoreBoardVisible(const Client& c);
void HideScoreBoard(Client& c);
// The four names of the score board: all yellow while no round was settled at the table, else
// the record of round juNum is loaded and each winner of that round (total above 0) is red.
void ColourScoreBoardNames(Client& c);
bool HeroBoardVisible(const Client& c);
void HideHeroBoard(Client& c);
// Centres the hero board over the main window and shows it.
void ShowHeroBoardCentred(Client& c);
// Hides the player card (Information).
void HidePlayerCard(Client& c);
}  // namespace zorvan
