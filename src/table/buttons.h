// The main buttons (AnNiu 0-8) at the bottom right of the table, their pictures and hover, the
// function keys of the main window and the table, and the hide action.
//   0 send chat  1 chat history  2 ready / start  3 sound settings  4 hide
//   5 score board  6 hero board  7 help  8 exit
#pragma once
#include <string>

namespace zorvan {
struct Client;

inline constexpr int kMainButtons = 9;
// The help page, after the operator's site.
inline constexpr const char* kHelpPath = "gameinfo/qelt/index.php";

// Loads AnNiu 1-8, places all nine (table pixels times the layout factors), gives them their normal
// pictures, wires their events and the key and mouse-move events of the main window and the table,
// and sets the ready button's pressed mark (the player is not ready for a table not yet joined).
void CreateMainButtons(Client& c);

// Gives AnNiu(button) the picture of entry `entry` of the button picture table.
void ShowButtonPicture(Client& c, int button, int entry);
// The entries of a button's normal and highlighted pictures. The ready button shows its start pair
// (4, 5) on a fresh table where no round was settled yet, else its ready pair (6, 7).
int NormalButtonEntry(const Client& c, int button);
inline int HighlightedButtonEntry(const Client& c, int button) { return NormalButtonEntry(c, button) + 1; }

// Mouse over AnNiu(button): its highlighted picture, once until the mouse crosses the table.
void ButtonMouseMove(Client& c, int button);
// Mouse over the table: every highlighted button shows its normal picture again.
void RestoreButtonPictures(Client& c);

// A click on AnNiu(button).
void ClickMainButton(Client& c, int button);
void ClickSendChat(Client& c);         // 0
void ClickChatHistory(Client& c);      // 1
void ClickReady(Client& c);            // 2
void ClickSoundSettings(Client& c);    // 3
void ClickHide(Client& c);             // 4
void ClickScoreBoard(Client& c);       // 5
void ClickHeroBoard(Client& c);        // 6
void ClickHelp(Client& c);             // 7
void ClickExit(Client& c);             // 8
std::string HelpAddress();

// The hide action: hidden mode with the short turn time 0, the table's windows hidden, the main
// window and the lobby minimised. It does not set the away flag.
void HideTable(Client& c);
// Key down on the main window: F1..F6 to the plug-in, F1 hides the table.
void OnMainKeyDown(Client& c, int keyCode, int shift);
// Key down on the table (Pic1, Pic2): every key marks the turn as attended; F1 during a game also
// sets the away flag; Alt+C hides the chat history; then as on the main window. The play countdown
// acts as this with F1 when the player let too many turns run out.
void OnTableKeyDown(Client& c, int keyCode, int shift);
// Whether a key goes to the plug-in's SetKeyDown (when one is loaded): F1 always, F2..F6 unless
// the chat box has the focus.
bool KeyGoesToPlugin(int keyCode, bool chatFocused);
// Clears the mark that stops the pump from counting time-outs.
void ClearTimeoutMark(Client& c);

// Where the chat history window Talk and the sound settings window VosSet are shown, in twips, from
// the main window, the table and the window's own size.
struct FormPlace {
    int left = 0, top = 0;
    friend bool operator==(const FormPlace&, const FormPlace&) = default;
};
FormPlace ChatHistoryPlace(const Client& c);
FormPlace SoundSettingsPlace(const Client& c, int width, int height);

}  // namespace zorvan
