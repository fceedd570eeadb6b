// Writing and reading packet fields on the server side: numbers in both byte orders, GBK text,
// raw account bytes, and cards as face-suit pairs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/gbk.h"

namespace zorvan::server::wire {

using Packet = std::array<std::uint8_t, 272>;

// A fresh packet with its command byte set.
inline Packet Make(int command) {
    Packet p{};
    p[3] = static_cast<std::uint8_t>(command);
    return p;
}

inline void Put32LE(Packet& p, std::size_t off, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) p[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Put64LE(Packet& p, std::size_t off, std::uint64_t v) {
    for (std::size_t i = 0; i < 8; ++i) p[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Put32BE(Packet& p, std::size_t off, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) p[off + i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}
inline void Put16BE(Packet& p, std::size_t off, std::uint16_t v) {
    p[off] = static_cast<std::uint8_t>(v >> 8);
    p[off + 1] = static_cast<std::uint8_t>(v);
}
inline std::uint32_t Get32LE(const Packet& p, std::size_t off) {
    return p[off] | (p[off + 1] << 8) | (p[off + 2] << 16) | (std::uint32_t{p[off + 3]} << 24);
}

// UTF-8 text as GBK into [off, off + max), never splitting a two-byte character; the rest stays 0.
inline void PutText(Packet& p, std::size_t off, std::size_t max, std::string_view utf8) {
    const auto g = text::Utf8ToGbk(utf8);
    std::size_t i = 0;
    while (i < g.size()) {
        const std::size_t w = g[i] >= 0x80 ? 2 : 1;
        if (i + w > max || i + w > g.size()) break;
        for (std::size_t k = 0; k < w; ++k) p[off + i + k] = g[i + k];
        i += w;
    }
}
// Raw bytes (an account name as the login carried it) into [off, off + max).
inline void PutRaw(Packet& p, std::size_t off, std::size_t max, std::string_view raw) {
    for (std::size_t i = 0; i < raw.size() && i < max; ++i) p[off + i] = static_cast<std::uint8_t>(raw[i]);
}
// Raw bytes of [off, off + max) up to the first zero byte.
inline std::string GetRaw(const Packet& p, std::size_t off, std::size_t max) {
    std::string s;
    for (std::size_t i = off; i < off + max && i < p.size() && p[i] != 0; ++i) s.push_back(static_cast<char>(p[i]));
    return s;
}

}  // namespace zorvan::server::wire
