#include "core/trace.h"

#include "core/client.h"

namespace zorvan {

std::string PacketHex(std::span<const std::uint8_t> bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (auto b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

void Trace(Client& c, const std::string& line) {
    if (c.os.system.tracing()) c.os.system.trace(line);
}

void TracePacket(Client& c, const char* direction, const Packet& p) {
    if (!c.os.system.tracing()) return;
    c.os.system.trace(std::string(direction) + " cmd=" + std::to_string(p[3]) + " " + PacketHex(p));
}

void ShowMessageBox(Client& c, const std::string& text, const std::string& title) {
    Trace(c, "message box [" + title + "] " + text);
    c.os.dialogs.messageBox(text, title);
}

}  // namespace zorvan
