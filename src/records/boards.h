// The score board (Score), the hero board (Hero), the player card (Information) and the round
// details window (frmMingXi): created on first use, then only shown and hidden.
#pragma once
#include <string>

#include "ui/controls.h"

namespace zorvan {
struct Client;
struct ScoreForm;
struct HeroForm;
struct InformationForm;

// The windows, built and registered with the client's forms on first use.
ScoreForm& ScoreBoard(Client& c);
HeroForm& HeroBoard(Client& c);
InformationForm& PlayerCard(Client& c);

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
// The player card of a screen position (mouse over its avatar, name, coins or level): only while
// the card is hidden and somebody sits there.
void ShowPlayerCard(Client& c, int position);
// The round details (mouse over imgJishu): centred over the main window and shown.
void ShowRoundDetails(Client& c);
void HideRoundDetails(Client& c);
// Mouse over the top bar, the bottom bar or the table: the card and the details go away.
void HideHoverWindows(Client& c);
// Hero board: a click on a row of Num (-1) or Grade(list) selects that row everywhere; a
// double-click loads that round into the score board and shows it.
void ClickHeroRow(Client& c, int list);
void DblClickHeroRow(Client& c, int list);
// Leaving the table: names, avatars and lists of both boards cleared, both hidden, the running
// totals 0, the round counter 0 and the record file deleted.
void ClearTableRecords(Client& c);

// The avatar picture of index 0..19 into an image (nothing for another index).
void ShowAvatar(Client& c, ui::Image& img, int index);
// Colours as numbers (red + 256 x green + 65536 x blue), as the record file and the plug-in give them.
long ColourNumber(ui::Rgb colour);
ui::Rgb ColourFromNumber(long number);
inline constexpr ui::Rgb kYellow{255, 255, 0};
}  // namespace zorvan
