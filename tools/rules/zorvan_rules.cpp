// zorvan-rules: sort, analyse, check, hint and encode plays from the command line.
// One JSON object on stdout per call; errors are {"error": "..."} with exit status 2.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "rules/analysis.h"
#include "rules/hand.h"
#include "rules/notation.h"
#include "rules/play.h"
#include "rules/prompt.h"

using namespace zorvan::rules;

namespace {

struct Failure {
    std::string message;
};

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string Hex(const std::uint8_t* begin, const std::uint8_t* end) {
    std::string s;
    char buf[3];
    for (const std::uint8_t* p = begin; p < end; ++p) {
        std::snprintf(buf, sizeof buf, "%02x", *p);
        s += buf;
    }
    return s;
}

// Cards as written on the command line, with the value each stands for.
struct Written {
    std::vector<std::string> text;
    std::vector<CardValue> value;
};

void AddCards(Written& w, const std::string& arg) {
    std::string cur;
    auto flush = [&] {
        if (cur.empty()) return;
        const auto c = ParseCard(cur);
        if (!c) throw Failure{"not a card: " + cur};
        w.text.push_back(cur);
        w.value.push_back(*c);
        cur.clear();
    };
    for (char ch : arg) {
        if (ch == ',' || ch == ' ') flush();
        else cur += ch;
    }
    flush();
}

std::string CardArray(const std::vector<std::string>& text, const std::vector<int>& order) {
    std::string s = "[";
    for (std::size_t i = 0; i < order.size(); ++i) s += (i ? ", " : "") + Quote(text[static_cast<std::size_t>(order[i])]);
    return s + "]";
}

int ParseInt(const std::string& s, const std::string& what) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(s, &used);
        if (used == s.size()) return v;
    } catch (...) {
    }
    throw Failure{"bad " + what + ": " + s};
}

int SuitMask(const std::string& s, const std::string& what) {
    if (s == "none" || s.empty()) return 0;
    int mask = 0;
    for (char c : s) {
        const int bit = SuitOfLetter(c);
        if (!bit) throw Failure{"bad " + what + ": " + s};
        mask |= bit;
    }
    return mask;
}

struct Options {
    TrumpSettings t;
    std::string command;
    Written positional, hand, raise, raised;
    std::optional<LeadRecord> lead;
    LeadStructure structure;
    std::optional<std::string> as;
    bool detailPlain = false;
};

Options Parse(int argc, char** argv) {
    Options o;
    if (argc < 2) throw Failure{"usage: zorvan-rules sort|analyze|check|hint|encode [options] CARDS..."};
    o.command = argv[1];
    Written* cards = &o.positional;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw Failure{"missing value for " + a};
            return argv[++i];
        };
        if (a == "--rank") {
            const std::string v = value();
            const int f = v.size() == 1 ? FaceOfLetter(v[0]) : (v == "10" ? 10 : 0);
            if (!f) throw Failure{"bad rank: " + v};
            o.t.g_ZhuPaiMian = static_cast<std::int16_t>(f);
        } else if (a == "--suit") {
            const std::string v = value();
            const int s = SuitMask(v, "suit");
            if (v != "none" && (v.size() != 1)) throw Failure{"bad suit: " + v};
            o.t.g_zhuhuase = static_cast<std::int16_t>(s);
        } else if (a == "--threes-a") {
            o.t.g_TrumpThreeMaskA = static_cast<std::int16_t>(SuitMask(value(), "threes"));
        } else if (a == "--threes-b") {
            o.t.g_TrumpThreeMaskB = static_cast<std::int16_t>(SuitMask(value(), "threes"));
        } else if (a == "--lead") {
            const std::string v = value();
            std::vector<int> f;
            std::stringstream ss(v);
            std::string part;
            while (std::getline(ss, part, ',')) f.push_back(ParseInt(part, "lead"));
            if (f.size() != 5) throw Failure{"--lead wants NUM,TYPE,HS,ZHU,KIND"};
            LeadRecord l;
            l.formerNum = static_cast<std::int16_t>(f[0]);
            l.formerType = static_cast<std::int16_t>(f[1]);
            l.formerHS = static_cast<std::int16_t>(f[2]);
            l.formerZhu = f[3] != 0;
            l.formerKind = static_cast<std::int16_t>(f[4]);
            o.lead = l;
        } else if (a == "--lead-singles") {
            o.structure.g_LeadSingles = static_cast<std::int16_t>(ParseInt(value(), "lead singles"));
        } else if (a == "--lead-runs") {
            std::stringstream ss(value());
            std::string part;
            while (std::getline(ss, part, ',')) {
                if (o.structure.g_LeadRuns >= 12) throw Failure{"at most 12 lead runs"};
                o.structure.g_LeadRunLengths[static_cast<std::size_t>(o.structure.g_LeadRuns++)] =
                    static_cast<std::int16_t>(ParseInt(part, "lead run"));
            }
        } else if (a == "--as") {
            o.as = value();
        } else if (a == "--detail") {
            const std::string v = value();
            if (v != "plain") throw Failure{"bad detail: " + v};
            o.detailPlain = true;
        } else if (a == "--hand") {
            cards = &o.hand;
        } else if (a == "--raise") {
            cards = &o.raise;
        } else if (a == "--raised") {
            cards = &o.raised;
        } else if (a.rfind("--", 0) == 0) {
            throw Failure{"unknown option: " + a};
        } else {
            AddCards(*cards, a);
        }
    }
    if (o.lead && o.lead->formerHS > 8) o.lead->formerHS = o.t.g_zhuhuase;
    return o;
}

// Matches written cards to hand slots: by identifier when one was given, else the first
// unmatched copy of the card.
std::vector<int> MatchSlots(const Written& hand, const Written& pick, const char* what) {
    std::vector<bool> used(hand.value.size(), false);
    std::vector<int> slots;
    for (std::size_t k = 0; k < pick.value.size(); ++k) {
        const CardValue v = pick.value[k];
        const bool byId = pick.text[k].find('#') != std::string::npos;
        int found = -1;
        for (std::size_t i = 0; i < hand.value.size() && found < 0; ++i) {
            if (used[i] || !SameCard(hand.value[i], v)) continue;
            if (byId && ind(hand.value[i]) != ind(v)) continue;
            found = static_cast<int>(i);
        }
        if (found < 0) throw Failure{std::string(what) + " card not in the hand: " + pick.text[k]};
        used[static_cast<std::size_t>(found)] = true;
        slots.push_back(found);
    }
    return slots;
}

Hand HandFrom(const Written& w) {
    if (w.value.size() > static_cast<std::size_t>(kHandSlots)) throw Failure{"a hand holds at most 33 cards"};
    return Hand::Dealt(w.value);
}

std::string Sort(const Options& o) {
    Hand h = HandFrom(o.positional);
    // The spare byte of each value carries the card's written position through the sorts,
    // which never read it.
    for (int i = 0; i < h.count; ++i) {
        auto b = CardToBytes(h.card[i].value);
        h.card[i].value = CardFromBytes(b[0], b[1], static_cast<std::uint8_t>(i), b[3]);
    }
    sortbyhs(h, h.count, o.t);
    sortbyval(h, h.count, o.t);
    std::vector<int> order;
    for (int s = 0; s < h.count; ++s) order.push_back(CardToBytes(h.card[s].value)[2]);
    return "{\"sorted\": " + CardArray(o.positional.text, order) + "}";
}

std::string Analyze(const Options& o) {
    const auto& list = o.positional.value;
    if (list.empty()) throw Failure{"no cards"};
    if (list.size() > 25) throw Failure{"a play holds at most 25 cards"};
    const int suit = PlaySuit(list, o.t);
    int chuPaiHS = suit;
    if (o.as) {
        if (*o.as == "trump") chuPaiHS = o.t.g_zhuhuase;
        else if (o.as->size() == 1 && SuitOfLetter((*o.as)[0])) chuPaiHS = SuitOfLetter((*o.as)[0]);
        else throw Failure{"bad --as: " + *o.as};
    }
    const Analysis a = o.detailPlain ? newchupaidetail(list, chuPaiHS, o.t) : AnalyzePlay(list, chuPaiHS, o.t);
    std::string rows;
    for (int r = kFirstRow; r <= kLastRow; ++r) {
        const PaiRow& x = a.row(r);
        if (x.count == 0) continue;
        rows += (rows.empty() ? "" : ", ") + Quote(std::to_string(r)) + ": {\"count\": " + std::to_string(x.count) +
                ", \"kind\": " + std::to_string(x.kind) + "}";
    }
    return "{\"suit\": " + std::to_string(suit) + ", \"type\": " + std::to_string(PlayType(list, o.t)) +
           ", \"kindMask\": " + std::to_string(a.m_KindMask) + ", \"ldLength\": " + std::to_string(a.m_LDlength) +
           ", \"rows\": {" + rows + "}}";
}

std::string Check(const Options& o) {
    const Hand h = HandFrom(o.hand);
    const auto slots = MatchSlots(o.hand, o.raise, "raised");
    std::array<bool, kHandSlots> raised{};
    for (int s : slots) raised[static_cast<std::size_t>(s)] = true;
    const auto r = judgechupai(h, raised, !o.lead.has_value(), o.lead.value_or(LeadRecord{}), o.t);
    if (r.outcome != JudgeResult::Outcome::Send) return "{\"accepted\": false}";
    return "{\"accepted\": true, \"bytes\": " + Quote(Hex(r.packet.data() + 15, r.packet.data() + r.end)) + "}";
}

std::string HintCmd(const Options& o) {
    const Hand h = HandFrom(o.hand);
    Baseline base = AllAtBaseline();
    for (int s : MatchSlots(o.hand, o.raised, "raised")) base[static_cast<std::size_t>(s)] = false;
    auto slots = o.lead ? FollowHint(h, base, *o.lead, o.structure, o.t) : LeadHint(h, base);
    std::sort(slots.begin(), slots.end());
    return "{\"raise\": " + CardArray(o.hand.text, slots) + "}";
}

std::string Encode(const Options& o) {
    const auto& list = o.positional.value;
    if (list.empty()) throw Failure{"no cards"};
    if (list.size() > 25) throw Failure{"a play holds at most 25 cards"};
    if (PlaySuit(list, o.t) == kMixedSuit) throw Failure{"cards of several suits cannot be led as a throw"};
    const auto bytes = EncodeThrow(list, o.t);
    return "{\"bytes\": " + Quote(Hex(bytes.data(), bytes.data() + bytes.size())) + "}";
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options o = Parse(argc, argv);
        std::string out;
        if (o.command == "sort") out = Sort(o);
        else if (o.command == "analyze") out = Analyze(o);
        else if (o.command == "check") out = Check(o);
        else if (o.command == "hint") out = HintCmd(o);
        else if (o.command == "encode") out = Encode(o);
        else throw Failure{"unknown command: " + o.command};
        std::cout << out << "\n";
        return 0;
    } catch (const Failure& f) {
        std::cout << "{\"error\": " << Quote(f.message) << "}\n";
        return 2;
    } catch (const std::exception& e) {
        std::cout << "{\"error\": " << Quote(e.what()) << "}\n";
        return 2;
    }
}
