// State of the table: seats, roster and the table's own flags.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "rules/hand.h"

namespace zorvan {

struct TableState {
    bool g_TableOpen = false;
    bool g_TableReset = false;
    bool g_FreshTable = false;
    // Incremented whenever the client leaves or closes the table; a handler that waits checks it
    // afterwards and returns when it changed, so nothing draws over an idle client.
    std::uint32_t g_TableGeneration = 0;

    // The coming game starts with a random change of seats.
    bool g_SeatShuffle = false;
    // The random-seat display is placed and waits for the player's ready action.
    bool g_ShufflePending = false;
    // The random-seat display runs.
    bool g_ShuffleShown = false;
    // Pressed marks of the main buttons AnNiu 0-8; index 2 is the ready button.
    std::array<bool, 9> g_ButtonPressed{};
    // Hover marks of AnNiu 0-8: the button shows its highlighted picture.
    std::array<bool, 9> g_ButtonHover{};
    // A key was pressed on the table (F1 among them) since the last play: the end of the play
    // countdown then does not count a time-out. Cleared by a play and when the window comes back.
    bool g_TimeoutMark = false;
    // The player hid the table during play: countdowns the round starts are then 1 second.
    bool g_Away = false;
    // The server closed the table (set by command 22, cleared when a player sits down).
    bool g_TableClosed = false;
    // The screen width in pixels, taken when the table is laid out (the hand is centred on it).
    int g_ScreenWidth = 1024;
    // Anchors of the round, set by ResetTable (16-bit, from scaled positions).
    std::int16_t g_HandTop = 565;     // top of an unselected card of the own hand
    std::int16_t g_DealLeft = 160;    // left of the first card during the deal
    std::int16_t g_CallGridLeft = 275, g_CallGridTop = 475;
};

// One screen position's record: who sits there and the cards it holds.
struct PlayerRecord {
    std::string name;           // account; empty = seat empty
    std::uint8_t seat = 0;      // seat bit 1, 2, 4, 8; 0 = not yet set
    rules::Hand hand;           // card(0..32) with imgIndex, and count
    std::int16_t anchorX = 0;   // reference left of the cards this position plays
    std::int16_t anchorY = 0;   // top of the cards this position plays
};

// A player's information from command 20.
struct UserInfo {
    std::string nickname, avatar, location, level, account, title, voiceGroup, voiceCode;
    bool male = false;
    std::uint8_t sex = 0;
    double score = 0, credit = 0, coins = 0, reserved1 = 0;
    std::array<double, 3> reserved2{};
    std::int32_t logins = 0, drops = 0, wins = 0, losses = 0;
};

struct Seats {
    int g_SeatedCount = 0;
    std::int16_t g_InfoCount = 0;
    std::int32_t g_WealthMultiplier = 0;
    std::array<std::int32_t, 4> g_PositionMultipliers{};
    std::array<PlayerRecord, 4> player;   // index = screen position
    std::array<UserInfo, 4> info;         // index = screen position
    // Per position: nickname and avatar index as text, kept for the records.
    std::array<std::pair<std::string, std::string>, 4> g_NameAvatar;
    std::array<int, 4> g_CoinTier{};      // 0, 1, 2 by coins; also the score board avatar tag
    std::array<int, 4> g_AvatarIndex{};   // 0..19
};

}  // namespace zorvan
