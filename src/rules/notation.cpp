#include "rules/notation.h"

#include <cctype>

namespace zorvan::rules {

int SuitOfLetter(char c) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'S': return kSpades;
        case 'H': return kHearts;
        case 'C': return kClubs;
        case 'D': return kDiamonds;
        default: return 0;
    }
}

int FaceOfLetter(char c) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= '2' && c <= '9') return c - '0';
    switch (c) {
        case 'T': return 10;
        case 'J': return 11;
        case 'Q': return 12;
        case 'K': return 13;
        case 'A': return 14;
        default: return 0;
    }
}

std::optional<CardValue> ParseCard(const std::string& text) {
    std::string body = text;
    int id = 0;
    const auto hash = text.find('#');
    if (hash != std::string::npos) {
        body = text.substr(0, hash);
        const std::string num = text.substr(hash + 1);
        if (num.empty() || num.size() > 3) return std::nullopt;
        for (char c : num)
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        id = std::stoi(num);
        if (id > 127) return std::nullopt;
    }
    if (body.size() != 2) return std::nullopt;
    const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(body[0])));
    const char b = static_cast<char>(std::toupper(static_cast<unsigned char>(body[1])));
    if (b == 'J' && (a == 'S' || a == 'B')) return MakeCard(0, a == 'S' ? kSmallJoker : kBigJoker, id);
    const int face = FaceOfLetter(a);
    const int suit = SuitOfLetter(b);
    if (face == 0 || suit == 0) return std::nullopt;
    return MakeCard(suit, face, id);
}

std::optional<std::vector<CardValue>> ParseCards(const std::string& text) {
    std::vector<CardValue> out;
    std::string cur;
    auto flush = [&]() -> bool {
        if (cur.empty()) return true;
        const auto c = ParseCard(cur);
        cur.clear();
        if (!c) return false;
        out.push_back(*c);
        return true;
    };
    for (char ch : text) {
        if (ch == ' ' || ch == ',' || ch == '\t') {
            if (!flush()) return std::nullopt;
        } else {
            cur += ch;
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

std::string CardName(CardValue v) {
    if (pm(v) == kSmallJoker) return "SJ";
    if (pm(v) == kBigJoker) return "BJ";
    static const char* faces = "??23456789TJQKA";
    std::string s;
    s += pm(v) >= 2 && pm(v) <= 14 ? faces[pm(v)] : '?';
    switch (hs(v)) {
        case kSpades: s += 'S'; break;
        case kHearts: s += 'H'; break;
        case kClubs: s += 'C'; break;
        case kDiamonds: s += 'D'; break;
        default: s += '?'; break;
    }
    return s;
}

}  // namespace zorvan::rules
