// Checks every packet the server sends against the ranges the client reads, and follows the
// play stream of one table to recompute what the server decided.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "server/table.h"

namespace zorvan::server::test {

inline bool OneHot(int b) { return b == 1 || b == 2 || b == 4 || b == 8; }
inline bool Suit(int s) { return OneHot(s); }
inline bool FaceSuit(int face, int suit) {
    if (face == 15 || face == 16) return true;  // jokers: the suit field is not read
    return face >= 2 && face <= 14 && Suit(suit);
}
inline std::uint32_t Le32(const Packet& p, std::size_t o) {
    return p[o] | (p[o + 1] << 8) | (p[o + 2] << 16) | (std::uint32_t{p[o + 3]} << 24);
}
inline bool CardCode(const Packet& p, std::size_t o) {
    return p[o + 3] < 108 && FaceSuit(p[o + 1], p[o] & 15);
}

// The face-suit cards of a play message (plain list or groups), or of a failed throw's forced play.
inline std::vector<std::pair<int, int>> PlayedCards(const Packet& p) {
    std::vector<std::pair<int, int>> out;
    if (p[15] == 2) {
        for (int k = 0; k < p[144]; ++k) out.push_back({p[148 + 2 * k], p[149 + 2 * k]});
        return out;
    }
    const int n = p[17];
    if (p[18] != 3 || p[19] == 9) {
        for (int k = 0; k < n; ++k) out.push_back({p[22 + 2 * k], p[23 + 2 * k]});
        return out;
    }
    std::size_t i = 22;
    while (static_cast<int>(out.size()) < n && i < 215) {
        const int g = p[i];
        int cards = g == 1 ? 1 : g == 2 ? 2 : g == 4 ? 2 * p[i + 1] : 0;
        if (!cards) break;
        const std::size_t first = g == 4 ? i + 2 : i + 1;
        for (int k = 0; k < cards; ++k) out.push_back({p[first + 2 * k], p[first + 2 * k + 1]});
        i = first + 2 * static_cast<std::size_t>(cards) + 1;
    }
    return out;
}

inline int Points(const std::vector<std::pair<int, int>>& cards) {
    int s = 0;
    for (auto [f, suit] : cards) s += f == 5 ? 5 : (f == 10 || f == 13) ? 10 : 0;
    return s;
}

// Field ranges of one packet as the client reads them; returns a description of the first fault.
inline std::string CheckPacket(const Packet& p, int seat) {
    const int cmd = p[3];
    auto fail = [&](const std::string& what) { return "command " + std::to_string(cmd) + ": " + what; };
    if (p[0] || p[1] || p[2]) return fail("bytes 0-2 not zero");
    switch (cmd) {
        case 1: {
            if (p[8] != 25) return fail("not 25 cards");
            for (int o : {10, 11, 12})
                if (p[o] < 2 || p[o] > 14) return fail("level byte " + std::to_string(o));
            if (p[13] && !OneHot(p[13])) return fail("dealer byte");
            for (int i = 0; i < 25; ++i)
                if (!CardCode(p, 16 + 4 * i)) return fail("card " + std::to_string(i));
            if (p[271] >= 128) return fail("resume key");
            return {};
        }
        case 2: {
            const int kind = p[8];
            if (kind == 4) return OneHot(p[9]) ? std::string{} : fail("turn seat");
            if (kind != 1 && kind != 2 && kind != 9) return fail("kind");
            if (p[10] < 1 || p[10] > 3) return fail("stage");
            if (!(Suit(p[12]) || p[12] == 9 || p[12] == 10)) return fail("suit");
            if (!OneHot(p[13]) || !OneHot(p[14])) return fail("dealer or caller seat");
            if (kind == 9 && (p[15] != 9 || p[18] != 1)) return fail("no-call marks");
            return {};
        }
        case 3: {
            if (!OneHot(p[6]) || p[8] != 8 || p[12] < 1) return fail("header");
            if (seat >= 0 && p[6] == (1 << seat))
                for (int i = 0; i < 8; ++i)
                    if (!CardCode(p, 16 + 4 * i)) return fail("bottom card");
            return {};
        }
        case 6: {
            if (p[17] == 0) return OneHot(p[8]) && p[15] == 1 ? std::string{} : fail("trick opening");
            if (!OneHot(p[6]) || !OneHot(p[8])) return fail("seats");
            if (p[17] > 25 || p[215] < 2) return fail("count or countdown");
            if (p[15] != 0 && p[15] != 1 && p[15] != 2 && p[15] != 10) return fail("byte 15");
            if (p[18] < 1 || p[18] > 4) return fail("type");
            const auto cards = PlayedCards(p);
            const std::size_t expect = p[15] == 2 ? p[144] : p[17];
            if (cards.size() != expect) return fail("card list does not decode to its count");
            for (auto [f, s] : cards)
                if (!FaceSuit(f, s)) return fail("card");
            if (p[216] != 0 && p[216] != 78) return fail("byte 216");
            return {};
        }
        case 9: {
            if (p[16] != 8) return fail("bottom count");
            for (int j = 0; j < 8; ++j)
                if (!FaceSuit(p[20 + 2 * j], p[21 + 2 * j])) return fail("bottom card");
            int winners = 0;
            for (int h = 0; h < 4; ++h) {
                const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
                if (p[b + 3] >= 128) return fail("total");
                if (p[b + 17] < 1 || p[b + 17] > 40) return fail("level");
                if (p[b + 16] > 1 || p[b + 6] > 2) return fail("result or dealer status");
                if (!OneHot(p[b + 27])) return fail("seat");
                winners += p[252 + static_cast<std::size_t>(h)];
            }
            return winners == 2 ? std::string{} : fail("highlights");
        }
        case 16: case 18: case 19: case 21: case 22: case 29:
            return {};
        case 20: {
            if (!OneHot(p[6]) || !OneHot(p[226])) return fail("seats");
            const std::string avatar(reinterpret_cast<const char*>(&p[48]));
            if (avatar.size() < 2 || avatar.size() > 3 || (avatar[0] != 'm' && avatar[0] != 'w')) return fail("avatar");
            const int n = std::stoi(avatar.substr(1));
            if (n < 1 || n > 10) return fail("avatar number");
            if (p[168] == 0 || p[16] == 0) return fail("account or nickname empty");
            if (p[208] > 1 || p[255] != 0) return fail("flags");
            return {};
        }
        case 23:
            return p[15] == 1 && p[16] ? std::string{} : fail("ready");
        default:
            return fail("unexpected command");
    }
}

}  // namespace zorvan::server::test
