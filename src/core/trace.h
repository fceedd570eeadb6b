// The trace log (zorvan.log when ZORVAN_TRACE is on) and message boxes that are traced too.
#pragma once
#include <span>
#include <string>

#include "core/packet.h"

namespace zorvan {
struct Client;

// The 272 bytes as lowercase hex, two digits a byte, no separators.
std::string PacketHex(std::span<const std::uint8_t> bytes);
// One line per packet: "<direction> cmd=<byte 3> <hex>"; direction is "send" or "recv".
void TracePacket(Client& c, const char* direction, const Packet& p);
void Trace(Client& c, const std::string& line);
// A modal message box with one OK button; its title and text go to the trace first.
void ShowMessageBox(Client& c, const std::string& text, const std::string& title);
}  // namespace zorvan
