// The packet rings between the socket and the rest of the client. Producers queue with SendPacket;
// the pump moves one packet a tick each way (DequeueOutgoing, DequeueIncoming).
#pragma once
#include <cstdint>
#include <span>

#include "core/packet.h"

namespace zorvan {
struct Client;

// Queues a copy of the packet. A chat packet (command 19) without a length marker of 272 or 260 gets
// g_ChatText encoded into it first (and is not queued when that text is empty). Afterwards the echo
// bytes are written into bytes 260-261 of the caller's packet. Returns false when nothing was
// queued: no chat text, or the send ring already holds 127 unsent packets (the packet is refused
// and traced; unsent packets are never overwritten). A keep-alive (24) is not queued while an unsent
// keep-alive is still in the ring.
bool SendPacket(Client& c, Packet& packet);
// Empties both rings.
void ResetRings(Client& c);
// Whole packets waiting in the send ring / the receive ring.
int QueuedSendPackets(const Client& c);
int QueuedRecvBytes(const Client& c);

// The socket's receive event: stores the bytes in the receive ring (or the proxy buffer while a
// proxy handshake runs). A ring that overflows takes the fatal path.
void OnSocketData(Client& c, std::span<const std::uint8_t> bytes);
// The socket's close event: a trailing partial packet is dropped (whole packets stay queued) and
// the socket is closed on this side too; the watchdog notices the loss.
void OnSocketClosed(Client& c);

// Pump steps, once per tick in this order.
void DequeueOutgoing(Client& c);
void DequeueIncoming(Client& c);
// Whether DequeueIncoming would take a packet on this tick: data arrived and either a whole tick
// passed without a receive event, or 16 or more whole packets wait (a busy stream never starves
// dispatch).
bool IncomingDue(const Client& c);

// The settlement pause: the first round end arms both holds (zeroed); the deal releases what they
// parked and disarms both; the login result disarms and zeroes both.
void ArmSettleHold(Client& c);
void ReleaseSettleHold(Client& c);
void ClearSettleHold(Client& c);

// Writes a packet straight to the socket (login, reconnect, leave), traced like every sent packet.
void WriteDirect(Client& c, const Packet& p);

}  // namespace zorvan
