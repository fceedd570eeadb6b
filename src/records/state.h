// State of settlement and the boards: the round counter, the running totals, the prop results the
// plug-in leaves for the next sheet, and the windows Score, Hero and Information.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/packet.h"
#include "ui/controls.h"

namespace zorvan {

// The score sheet of one round ("战绩板"): names, avatars, four columns and four summaries.
struct ScoreForm : ui::Form {
    ScoreForm() : ui::Form("Score") {}
    ui::ControlArray<ui::Label> ID;      // 0..3 names
    ui::ControlArray<ui::Image> Tou;     // 0..3 avatars (Tag: the coin tier)
    ui::ControlArray<ui::ListBox> State; // 0..3 columns, 4..7 summaries
    ui::ControlArray<ui::Image> Image1;  // 0..1 close
    std::array<int, 4> tag{};            // the avatar tags
};

// The hero board ("英雄榜"): one row a round and the running totals.
struct HeroForm : ui::Form {
    HeroForm() : ui::Form("Hero") {}
    ui::ListBox Num;
    ui::ControlArray<ui::ListBox> Grade;  // 0..3
    ui::ControlArray<ui::Label> sunScore; // 0..3
    ui::ControlArray<ui::Label> ID;       // 0..3
    ui::ControlArray<ui::Image> Tou;      // 0..3
    ui::Label Label2;
    ui::ControlArray<ui::Image> Image1;   // 0..1 close
};

// The player card shown while the mouse rests on a player.
struct InformationForm : ui::Form {
    InformationForm() : ui::Form("Information") {}
    ui::ControlArray<ui::Label> Inf;  // 0..8
};

struct SettleState {
    // Rounds settled at the current table; names the record-file sections.
    std::int16_t juNum = 0;
    // Running totals by screen position, shown in sunScore.
    std::array<double, 4> g_SunScore{};
    // Prop results by position, left by the plug-in before the sheet; consumed by settlement.
    std::array<std::string, 4> g_PropText;
    std::array<double, 4> g_PropCoins{};
    // A third array the plug-in fills with its score information (kept, not shown).
    std::array<std::string, 4> g_PropExtra;
    // With a plug-in the sheet waits for its score information: the kept round-end packet.
    bool g_SettlePending = false;
    Packet g_SettlePacket{};

    std::unique_ptr<ScoreForm> Score = std::make_unique<ScoreForm>();
    std::unique_ptr<HeroForm> Hero = std::make_unique<HeroForm>();
    std::unique_ptr<InformationForm> Information = std::make_unique<InformationForm>();
    bool formsBuilt = false;
};

}  // namespace zorvan
