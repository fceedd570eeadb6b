#include "core/packets.h"

#include <algorithm>

#include "core/client.h"
#include "core/dispatch.h"
#include "core/lobby.h"
#include "core/proxy.h"
#include "core/trace.h"
#include "round/state.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

constexpr int kPacket = static_cast<int>(kPacketSize);
constexpr std::size_t kChatTextStart = 16;
constexpr std::size_t kChatTextEnd = 216;  // the text never reaches this offset
constexpr std::size_t kChatMaxChars = 100;

int Queued(std::int32_t write, std::int32_t read) { return (write - read + kRingSize) % kRingSize; }

// Encodes g_ChatText into the packet from offset 16: a character is a code point, GBK bytes, '?' for
// a character GBK cannot hold; the text stops before a character that would pass offset 215.
void EncodeChatText(Client& c, Packet& p) {
    auto cps = text::Utf8ToCodePoints(c.net.g_ChatText);
    if (cps.size() > kChatMaxChars) cps.resize(kChatMaxChars);
    std::size_t at = kChatTextStart;
    for (char32_t cp : cps) {
        auto bytes = text::EncodeCodePoint(cp);
        if (bytes.empty()) bytes = {'?'};
        if (at + bytes.size() > kChatTextEnd) break;
        for (auto b : bytes) p[at++] = b;
    }
    std::fill(p.begin() + static_cast<long>(at), p.end(), 0);
    c.net.g_ChatText.clear();
}

bool KeepAliveQueued(const Client& c) {
    for (int at = c.net.g_SendRead; at != c.net.g_SendWrite; at = (at + kPacket) % kRingSize)
        if (c.net.g_SendRing[static_cast<std::size_t>(at + 3)] == 24) return true;
    return false;
}

}  // namespace

int QueuedSendPackets(const Client& c) { return Queued(c.net.g_SendWrite, c.net.g_SendRead) / kPacket; }
int QueuedRecvBytes(const Client& c) { return Queued(c.net.g_RecvWrite, c.net.g_RecvRead); }

bool SendPacket(Client& c, Packet& packet) {
    if (packet[3] == 19) {
        auto marker = U32BE(packet, 236);
        if (marker != 272 && marker != 260) {
            if (c.net.g_ChatText.empty()) return false;
            EncodeChatText(c, packet);
        }
    }
    if (QueuedSendPackets(c) >= kSendRingCapacity) {
        ++c.net.refusedPackets;
        Trace(c, "send ring full: refused cmd=" + std::to_string(packet[3]));
        return false;
    }
    if (packet[3] == 24 && KeepAliveQueued(c)) return false;
    // Both indices move by whole packets, so a packet never straddles the end of the ring.
    std::copy(packet.begin(), packet.end(), c.net.g_SendRing.begin() + c.net.g_SendWrite);
    c.net.g_SendWrite = (c.net.g_SendWrite + kPacket) % kRingSize;
    packet[260] = c.net.g_EchoBytes[0];
    packet[261] = c.net.g_EchoBytes[1];
    c.net.g_SendPending = true;
    return true;
}

void ResetRings(Client& c) {
    c.net.g_SendRead = c.net.g_SendWrite = 0;
    c.net.g_RecvRead = c.net.g_RecvWrite = 0;
}

void OnSocketData(Client& c, std::span<const std::uint8_t> bytes) {
    auto& n = c.net;
    if (!n.g_DirectMode) {
        for (auto b : bytes) {
            n.g_ProxyBuf[static_cast<std::size_t>(n.g_ProxyWrite)] = b;
            n.g_ProxyWrite = (n.g_ProxyWrite + 1) % kProxyBufSize;
            if (n.g_ProxyWrite == n.g_ProxyRead) FatalError(c, "proxy buffer overflow");
        }
        ProxyDataArrived(c);
        return;
    }
    for (auto b : bytes) {
        n.g_RecvRing[static_cast<std::size_t>(n.g_RecvWrite)] = b;
        n.g_RecvWrite = (n.g_RecvWrite + 1) % kRingSize;
        if (n.g_RecvWrite == n.g_RecvRead) FatalError(c, "receive ring overflow");
    }
    n.g_DataArrived = true;
    n.g_QuietTicks = 0;
}

void OnSocketClosed(Client& c) {
    auto& n = c.net;
    int whole = QueuedRecvBytes(c) / kPacket * kPacket;
    int kept = (n.g_RecvRead + whole) % kRingSize;
    if (kept != n.g_RecvWrite) Trace(c, "connection closed: dropped " + std::to_string(QueuedRecvBytes(c) - whole) +
                                            " bytes of a partial packet");
    n.g_RecvWrite = kept;
    Trace(c, "connection closed by the server");
    c.os.socket.close();
}

void WriteDirect(Client& c, const Packet& p) {
    TracePacket(c, "send", p);
    c.os.socket.send(p);
}

void DequeueOutgoing(Client& c) {
    auto& n = c.net;
    if (!n.g_SendPending) return;
    if (QueuedSendPackets(c) < 1) {
        n.g_SendPending = false;
        return;
    }
    if (c.os.socket.state() != platform::Socket::kConnected) return;
    Packet p;
    std::copy_n(n.g_SendRing.begin() + n.g_SendRead, kPacketSize, p.begin());
    n.g_SendRead = (n.g_SendRead + kPacket) % kRingSize;
    int subType = static_cast<std::int16_t>(p[8] * 256 + p[9]) / 8;
    if (p[3] == 45 && n.g_HoldA.armed && subType == 129) {
        n.g_HoldA.armed = false;
        n.g_HoldA.bytes = p;
        Trace(c, "held cmd=45 sub-type 129 for the settlement pause");
        return;
    }
    if (p[3] == 45 && n.g_HoldB.armed && subType == 386) {
        n.g_HoldB.armed = false;
        n.g_HoldB.bytes = p;
        Trace(c, "held cmd=45 sub-type 386 for the settlement pause");
        return;
    }
    WriteDirect(c, p);
    if (p[3] == 16 && p[15] == 0) {
        // A plug-in packet that returns the player to the lobby.
        if (!c.os.windows.exists(c.login.g_LobbyTitle)) c.os.EndProgram();
        c.main.windowState = ui::WindowState::Minimised;
        RestoreLobby(c);
    }
}

bool IncomingDue(const Client& c) {
    if (!c.net.g_DataArrived) return false;
    return c.net.g_QuietTicks >= 2 || QueuedRecvBytes(c) >= 16 * kPacket;
}

void DequeueIncoming(Client& c) {
    auto& n = c.net;
    if (!IncomingDue(c)) return;
    if (QueuedRecvBytes(c) >= kPacket) {
        std::int32_t before = n.g_RecvRead;
        std::copy_n(n.g_RecvRing.begin() + n.g_RecvRead, kPacketSize, n.g_RxPacket.begin());
        n.g_RecvRead = (n.g_RecvRead + kPacket) % kRingSize;
        if (n.g_RxPacket[3] == 21 && n.g_SettleHold) {
            // A player who left during the settlement pause: it waits at the head of the ring, and
            // everything behind it, until the pause ends.
            n.g_RecvRead = before;
        } else {
            DispatchPacket(c);
        }
        if (c.round.g_GameInProgress) c.pump.g_StallTicks = 0;
    }
    n.g_QuietTicks = QueuedRecvBytes(c) >= kPacket ? 1 : 0;
}

void ArmSettleHold(Client& c) {
    if (c.net.g_SettleHold) return;
    c.net.g_HoldA = HeldPacket{Packet{}, true};
    c.net.g_HoldB = HeldPacket{Packet{}, true};
    c.net.g_SettleHold = true;
}

void ReleaseSettleHold(Client& c) {
    for (HeldPacket* h : {&c.net.g_HoldA, &c.net.g_HoldB}) {
        if (h->bytes[3] != 0 && !h->armed) {
            Packet parked = h->bytes;
            SendPacket(c, parked);
            h->bytes[3] = 0;
        }
    }
    c.net.g_SettleHold = false;
    // Both holds end with the pause: a hold left armed would park the first such packet of the next
    // round for good.
    c.net.g_HoldA.armed = false;
    c.net.g_HoldB.armed = false;
}

void ClearSettleHold(Client& c) {
    c.net.g_HoldA = HeldPacket{};
    c.net.g_HoldB = HeldPacket{};
    c.net.g_SettleHold = false;
}

}  // namespace zorvan
