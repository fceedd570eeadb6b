#include "table/buttons.h"

#include <cmath>

#include "core/client.h"
#include "core/lobby.h"
#include "core/packets.h"
#include "core/startup.h"
#include "media/images.h"
#include "media/sound.h"
#include "round/trick.h"
#include "props/plugin.h"
#include "records/boards.h"
#include "records/settle.h"
#include "round/view.h"
#include "shell/shell.h"
#include "social/chat.h"
#include "social/memory.h"
#include "social/phrases.h"
#include "table/leave.h"
#include "table/seats.h"
#include "table/table.h"

namespace zorvan {
namespace {

constexpr int kF1 = 112, kF6 = 117;
constexpr int kKeyC = 67;
constexpr int kAltMask = 4;

bool IsButton(int button) { return button >= 0 && button < kMainButtons; }
std::size_t At(int button) { return static_cast<std::size_t>(button); }

int Twips(double v) { return static_cast<int>(std::nearbyint(v)); }

std::string TrimSpaces(const std::string& s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

void TellPluginWindowChanged(Client& c) {
    if (PluginLoaded(c)) PluginSetBankState(c, 2);
}

}  // namespace

void CreateMainButtons(Client& c) {
    MainForm& f = c.main;
    for (int i = 1; i < kMainButtons; ++i) f.AnNiu.Load(i);
    // 0 beside the chat box; 1-4 and 5-8 in two rows 70 pixels apart, the second row 32 lower.
    f.AnNiu[0].Move(SX(c, 573), SY(c, 731), SX(c, 50), SY(c, 30));
    for (int i = 1; i < kMainButtons; ++i) {
        int col = (i - 1) % 4, row = (i - 1) / 4;
        f.AnNiu[i].Move(SX(c, 648 + 70 * col), SY(c, 699 + 32 * row), SX(c, 60), SY(c, 30));
        f.AnNiu[i].Visible = true;
    }
    c.table.g_ButtonHover.fill(false);
    for (int i = 0; i < kMainButtons; ++i) {
        auto& b = f.AnNiu[i];
        b.Stretch = true;
        ShowButtonPicture(c, i, NormalButtonEntry(c, i));
        b.events.Click = [&c](ui::Control& ctl) { RunGuarded(c, [&] { ClickMainButton(c, ctl.Index()); }); };
        b.events.MouseMove = [&c](ui::Control& ctl, const ui::MouseEvent&) {
            RunGuarded(c, [&] { ButtonMouseMove(c, ctl.Index()); });
        };
    }
    c.table.g_ButtonPressed[2] = true;

    f.events.KeyDown = [&c](int key, int shift) { RunGuarded(c, [&] { OnMainKeyDown(c, key, shift); }); };
    for (ui::PictureBox* table : {&f.Pic1, &f.Pic2})
        table->events.KeyDown = [&c](ui::Control&, int key, int shift) {
            RunGuarded(c, [&] { OnTableKeyDown(c, key, shift); });
        };
    f.Pic1.events.MouseMove = [&c](ui::Control&, const ui::MouseEvent&) {
        RunGuarded(c, [&] {
            RestoreButtonPictures(c);
            RestoreOperationPictures(c);
        });
    };
}

void ShowButtonPicture(Client& c, int button, int entry) {
    if (!IsButton(button) || entry < 0 || entry >= static_cast<int>(c.images.buttons.size())) return;
    if (!c.main.AnNiu.exists(button)) return;
    LoadGifResource(c, c.images.buttons[At(entry)], "GIF", c.main.AnNiu[button]);
}

int NormalButtonEntry(const Client& c, int button) {
    if (button < 2) return 2 * button;
    if (button == 2) return SettledRounds(c) <= 0 && c.table.g_FreshTable ? 4 : 6;
    return 2 * button + 2;
}

void ButtonMouseMove(Client& c, int button) {
    if (!IsButton(button) || c.table.g_ButtonHover[At(button)]) return;
    c.table.g_ButtonHover[At(button)] = true;
    ShowButtonPicture(c, button, HighlightedButtonEntry(c, button));
}

void RestoreButtonPictures(Client& c) {
    for (int i = 0; i < kMainButtons; ++i) {
        if (!c.table.g_ButtonHover[At(i)]) continue;
        c.table.g_ButtonHover[At(i)] = false;
        ShowButtonPicture(c, i, NormalButtonEntry(c, i));
    }
}

void ClickMainButton(Client& c, int button) {
    switch (button) {
    case 0: ClickSendChat(c); break;
    case 1: ClickChatHistory(c); break;
    case 2: ClickReady(c); break;
    case 3: ClickSoundSettings(c); break;
    case 4: ClickHide(c); break;
    case 5: ClickScoreBoard(c); break;
    case 6: ClickHeroBoard(c); break;
    case 7: ClickHelp(c); break;
    case 8: ClickExit(c); break;
    default: break;
    }
}

void ClickSendChat(Client& c) {
    // As Enter in the chat box, but neither the sending pace nor the spectator rule applies.
    Packet p = MakePacket(19);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    std::string text = c.main.Chat.Text;
    c.main.Chat.Text.clear();
    c.main.Chat.SelStart = 0;
    if (text.empty()) return;
    std::string prefix = ReplyPrefix(c);
    if (!prefix.empty() && TrimSpaces(text) == prefix) return;
    c.net.g_ChatText = ComposeChatMessage(c, p, text);
    SendPacket(c, p);
}

void ClickChatHistory(Client& c) {
    if (ChatHistoryVisible(c)) HideChatHistory(c);
    else ShowChatHistory(c);
}

void ClickReady(Client& c) {
    auto& t = c.table;
    ++c.round.g_RoundCount;
    HideHeroBoard(c);
    HideScoreBoard(c);
    t.g_FreshTable = false;
    if (t.g_ButtonPressed[2]) return;  // already ready for the coming round
    ShowButtonPicture(c, 2, 6);
    c.main.OK[0].Visible = true;
    c.main.OK[0].ZOrder(0);
    c.pump.g_ReadyTimer = false;
    HideClock(c);
    t.g_ButtonPressed[2] = true;
    // During a game the server takes no ready packet; the table is still made ready for the next.
    PlayerGetsReady(c, !c.round.g_GameInProgress);
}

void ClickSoundSettings(Client& c) {
    TellPluginWindowChanged(c);
    if (SoundSettingsVisible(c)) HideSoundSettings(c);
    else ShowSoundSettings(c);
}

void ClickHide(Client& c) {
    // The hide action hides and minimises everything else the button hides.
    HideTable(c);
    HideTishi(c);
}

void ClickScoreBoard(Client& c) {
    if (ScoreBoardVisible(c)) {
        HideScoreBoard(c);
    } else {
        ColourScoreBoardNames(c);
        ShowScoreBoardCentred(c);
    }
    TellPluginWindowChanged(c);
}

void ClickHeroBoard(Client& c) {
    HideScoreBoard(c);
    if (HeroBoardVisible(c)) HideHeroBoard(c);
    else ShowHeroBoardCentred(c);
    TellPluginWindowChanged(c);
}

std::string HelpAddress() { return std::string(kOperatorSite) + kHelpPath; }

void ClickHelp(Client& c) { c.os.system.openUrl(HelpAddress()); }

void ClickExit(Client& c) {
    TellPluginWindowChanged(c);
    ShowExitConfirm(c);
}

void HideTable(Client& c) {
    c.login.g_HiddenMode = true;
    c.login.g_ShortTurnTime = 0;
    HidePlayerCard(c);
    HideChatHistory(c);
    HideSoundSettings(c);
    UnloadExitConfirm(c);
    HideHeroBoard(c);
    HideScoreBoard(c);
    HidePhraseWindow(c);
    MinimizeMainWindow(c);
    MinimizeLobby(c);
}

bool KeyGoesToPlugin(int keyCode, bool chatFocused) {
    return keyCode >= kF1 && keyCode <= kF6 && (keyCode == kF1 || !chatFocused);
}

void OnMainKeyDown(Client& c, int keyCode, int shift) {
    bool chatFocused = c.main.focused == &c.main.Chat;
    if (PluginLoaded(c) && KeyGoesToPlugin(keyCode, chatFocused)) PluginSetKeyDown(c, keyCode);
    if (keyCode == kF1) HideTable(c);
}

void OnTableKeyDown(Client& c, int keyCode, int shift) {
    c.table.g_TimeoutMark = true;
    if (keyCode == kKeyC && (shift & kAltMask)) {
        HideChatHistory(c);
        return;
    }
    // Hiding during a game makes the player away: the round's countdowns shrink to 1 second until
    // the window is shown again.
    if (keyCode == kF1 && c.round.g_GameInProgress) c.table.g_Away = true;
    OnMainKeyDown(c, keyCode, shift);
}

void ClearTimeoutMark(Client& c) { c.table.g_TimeoutMark = false; }

FormPlace ChatHistoryPlace(const Client& c) {
    const MainForm& f = c.main;
    if (c.layout.g_ScaleY < 1)
        return {Twips(f.Left + f.Pic1.Left + 0.22 * f.Width), Twips(f.Top + f.Pic1.Top + 0.6 * f.Height)};
    return {Twips(f.Left + f.Pic1.Left + 0.3 * f.Pic1.Width), Twips(f.Top + f.Pic1.Top + 0.66 * f.Pic1.Height)};
}

FormPlace SoundSettingsPlace(const Client& c, int width, int height) {
    const MainForm& f = c.main;
    if (!FullLayout(c))
        return {Twips(f.Pic1.Left + f.Left + f.Width - 1.1 * width), Twips(f.Height - 1.35 * height)};
    if (c.os.screen.widthPx() > 1024)
        // imgLocation's top is in table pixels and is added as it stands.
        return {Twips(f.Pic1.Left + f.Left + f.Width - 1.1 * width),
                Twips(f.Top + f.Pic1.Top + f.imgLocation.Top + 0.85 * height)};
    return {Twips(f.Width - 1.1 * width), Twips(f.Height - 1.355 * height)};
}

}  // namespace zorvan
