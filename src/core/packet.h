// The 272-byte packet and checked field access. Every offset or index taken from a packet goes
// through these helpers; a violation throws ProtocolError, which the dispatcher turns into the
// fatal path (restore the lobby, end) instead of undefined behaviour.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace zorvan {

constexpr std::size_t kPacketSize = 272;
using Packet = std::array<std::uint8_t, kPacketSize>;

struct ProtocolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline void CheckRange(std::size_t offset, std::size_t width) {
    if (offset + width > kPacketSize) throw ProtocolError("packet field " + std::to_string(offset) + " out of range");
}
inline std::uint8_t U8(const Packet& p, std::size_t off) { CheckRange(off, 1); return p[off]; }
inline std::uint16_t U16LE(const Packet& p, std::size_t off) { CheckRange(off, 2); return p[off] | (p[off + 1] << 8); }
inline std::uint32_t U32LE(const Packet& p, std::size_t off) {
    CheckRange(off, 4);
    return p[off] | (p[off + 1] << 8) | (p[off + 2] << 16) | (std::uint32_t(p[off + 3]) << 24);
}
inline std::int32_t I32LE(const Packet& p, std::size_t off) { return static_cast<std::int32_t>(U32LE(p, off)); }
inline std::uint32_t U32BE(const Packet& p, std::size_t off) {
    CheckRange(off, 4);
    return (std::uint32_t(p[off]) << 24) | (p[off + 1] << 16) | (p[off + 2] << 8) | p[off + 3];
}
inline void Put8(Packet& p, std::size_t off, std::uint8_t v) { CheckRange(off, 1); p[off] = v; }
inline void Put16LE(Packet& p, std::size_t off, std::uint16_t v) { CheckRange(off, 2); p[off] = v & 0xFF; p[off + 1] = v >> 8; }
inline void Put32LE(Packet& p, std::size_t off, std::uint32_t v) {
    CheckRange(off, 4);
    for (int i = 0; i < 4; ++i) p[off + i] = (v >> (8 * i)) & 0xFF;
}
inline void Put32BE(Packet& p, std::size_t off, std::uint32_t v) {
    CheckRange(off, 4);
    for (int i = 0; i < 4; ++i) p[off + i] = (v >> (8 * (3 - i))) & 0xFF;
}
// A fresh packet with its command byte set.
inline Packet MakePacket(std::uint8_t command) { Packet p{}; p[3] = command; return p; }
// Bounds-checked index for arrays indexed by packet values.
template <class Array>
auto& At(Array& a, long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= std::size(a))
        throw ProtocolError("index " + std::to_string(index) + " out of range");
    return a[static_cast<std::size_t>(index)];
}

}  // namespace zorvan
