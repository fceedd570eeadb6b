#include "records/boards.h"

#include "core/client.h"

namespace zorvan {
void SetBoardAvatarTag(Client& c, int position, int tier) {}  // the score board's avatar tag
void SetBoardPlayer(Client& c, int position, int avatarIndex, const std::string& nickname) {}  // boards' avatar and name
void ClearBoardPlayer(Client& c, int position) {}  // clears the boards' avatar and name
void ShowScoreBoardCentred(Client& c) {}           // centres and shows the score board
bool ScoreBoardVisible(const Client& c) { return false; }  // whether Score is shown: filled in with the boards
void HideScoreBoard(Client& c) {}                  // hides Score
void ColourScoreBoardNames(Client& c) {}           // colours the names by the record of round juNum
bool HeroBoardVisible(const Client& c) { return false; }  // whether Hero is shown: filled in with the boards
void HideHeroBoard(Client& c) {}                   // hides Hero
void ShowHeroBoardCentred(Client& c) {}            // centres and shows Hero
void HidePlayerCard(Client& c) {}                  // hides Information
}  // namespace zorvan
