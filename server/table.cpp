#include "server/table.h"

#include <algorithm>
#include <climits>
#include <sstream>

#include "rules/notation.h"
#include "server/wire.h"

namespace zorvan::server {

using namespace zorvan::rules;
using namespace zorvan::server::wire;

namespace {

std::string CardsText(const Cards& cards) {
    std::string s;
    for (CardValue v : cards) s += (s.empty() ? "" : " ") + CardName(v);
    return s;
}

const char* SuitName(int suit) {
    switch (suit) {
        case 1: return "diamonds";
        case 2: return "clubs";
        case 4: return "hearts";
        case 8: return "spades";
        case 9: return "small jokers";
        case 10: return "big jokers";
        default: return "?";
    }
}

// The colour partner of a suit: hearts and diamonds, spades and clubs.
int ColourPartner(int suit) {
    switch (suit) {
        case 1: return 4;
        case 4: return 1;
        case 2: return 8;
        case 8: return 2;
        default: return 0;
    }
}

bool Holds(const Cards& hand, CardValue v) { return std::find(hand.begin(), hand.end(), v) != hand.end(); }

void RemoveCards(Cards& hand, const Cards& cards) {
    for (CardValue v : cards) {
        auto it = std::find(hand.begin(), hand.end(), v);
        if (it != hand.end()) hand.erase(it);
    }
}

// The cards of a list of identifiers, all distinct and all in `hand`; nullopt otherwise.
std::optional<Cards> HeldCards(const Cards& hand, const std::vector<int>& ids) {
    Cards out;
    for (int id : ids) {
        if (id < 0 || id >= kPackSize) return std::nullopt;
        const CardValue v = CardOfId(id);
        if (!Holds(hand, v) || Holds(out, v)) return std::nullopt;
        out.push_back(v);
    }
    return out;
}

void PutCard(Packet& p, std::size_t off, CardValue v) {
    p[off] = static_cast<std::uint8_t>(pm(v));
    p[off + 1] = static_cast<std::uint8_t>(hs(v));
}

// Writes the cards of a play as the play message carries them: the client's own grouping
// (identifier groups from judgechupai) turned into face-suit groups, or a flat list.
void PutPlayCards(Packet& p, std::size_t off, const JudgeResult& j) {
    const int type = j.packet[18], suit = j.packet[19];
    if (type != kThrow || suit == kMixedSuit) {
        for (std::size_t k = 0; k < j.cards.size(); ++k) PutCard(p, off + 2 * k, j.cards[k]);
        return;
    }
    auto card = [&](int id) {
        for (CardValue v : j.cards)
            if (ind(v) == id) return v;
        return CardValue{0};
    };
    std::size_t i = 22, w = off;
    const std::size_t end = static_cast<std::size_t>(std::max(22, j.end));
    while (i < end && j.packet[i] != 0 && w + 7 < 215) {
        const int g = j.packet[i];
        if (g == 1) {
            p[w] = 1;
            PutCard(p, w + 1, card(j.packet[i + 1]));
            w += 4;
            i += 3;
        } else if (g == 2) {
            p[w] = 2;
            PutCard(p, w + 1, card(j.packet[i + 1]));
            PutCard(p, w + 3, card(j.packet[i + 2]));
            w += 6;
            i += 4;
        } else if (g == 4) {
            const int pairs = j.packet[i + 1];
            p[w] = 4;
            p[w + 1] = static_cast<std::uint8_t>(pairs);
            for (int k = 0; k < 2 * pairs; ++k)
                PutCard(p, w + 2 + 2 * static_cast<std::size_t>(k), card(j.packet[i + 2 + static_cast<std::size_t>(k)]));
            w += 3 + 4 * static_cast<std::size_t>(pairs);
            i += 3 + 2 * static_cast<std::size_t>(pairs);
        } else {
            break;
        }
    }
}

// Writes face-suit groups of parts (a failed throw's attempt).
std::size_t PutParts(Packet& p, std::size_t off, const std::vector<Part>& parts) {
    std::size_t w = off;
    for (const Part& part : parts) {
        if (part.size <= 2) {
            p[w] = static_cast<std::uint8_t>(part.size);
            for (std::size_t k = 0; k < part.cards.size(); ++k) PutCard(p, w + 1 + 2 * k, part.cards[k]);
            w += 2 + 2 * part.cards.size();
        } else {
            p[w] = 4;
            p[w + 1] = static_cast<std::uint8_t>(part.size / 2);
            for (std::size_t k = 0; k < part.cards.size(); ++k) PutCard(p, w + 2 + 2 * k, part.cards[k]);
            w += 3 + 2 * part.cards.size();
        }
    }
    return w;
}

std::vector<int> Ids(const Cards& cards) {
    std::vector<int> ids;
    for (CardValue v : cards) ids.push_back(ind(v));
    return ids;
}

}  // namespace

std::string LevelName(int level) {
    static const char* digits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    level = std::clamp(level, 1, 40);
    std::string n;
    if (level < 10) n = digits[level];
    else if (level == 10) n = "十";
    else if (level < 20) n = std::string("十") + digits[level % 10];
    else n = std::string(digits[level / 10]) + "十" + digits[level % 10];
    return "第" + n + "级";
}

int PersonalLevel(const Profile& p) { return std::clamp(1 + p.wins / 3, 1, 40); }

Table::Table(int id, const Options& options, Sink sink, std::uint64_t seed)
    : id_(id), opt_(options), sink_(std::move(sink)), rng_(seed) {}

// ---- output ----

void Table::Send(int seat, Packet p) {
    SeatState& s = seats_[seat];
    if (!s.occupied()) return;
    if (sink_.observe) sink_.observe(id_, seat, p);
    if (s.bot()) return;
    if (s.dropped) {
        if (s.queue.size() < 4096) s.queue.push_back(p);
        return;
    }
    if (s.conn >= 0) sink_.send(s.conn, p);
}

void Table::SendAll(const Packet& p) {
    for (int s = 0; s < 4; ++s) Send(s, p);
}

void Table::Log(const std::string& line) {
    if (sink_.log) sink_.log("table " + std::to_string(id_) + ": " + line);
}

std::string Table::Name(int seat) const {
    const Profile* p = seats_[seat].profile;
    return "seat " + std::to_string(seat) + " (" + (p ? p->nickname : std::string("-")) + ")";
}

std::int64_t Table::Wait(int ms) const { return opt_.fast ? std::max(1, ms / 20) : ms; }

std::int64_t Table::BotPause() { return opt_.fast ? 0 : 500 + static_cast<std::int64_t>(rng_() % 1001); }

Packet Table::PlayerInfo(int described, int receiver) const {
    const SeatState& s = seats_[described];
    const Profile& pr = *s.profile;
    Packet p = Make(20);
    p[6] = static_cast<std::uint8_t>(seatBit(receiver));
    p[226] = static_cast<std::uint8_t>(seatBit(described));
    PutText(p, 16, 32, pr.nickname);
    PutRaw(p, 48, 16, pr.avatar);
    p[64] = static_cast<std::uint8_t>(pr.sex ? 1 : 0);
    PutText(p, 72, 8, pr.bot ? "电脑" : "本地");
    Put64LE(p, 80, static_cast<std::uint64_t>(std::max<std::int64_t>(0, pr.score)));
    Put64LE(p, 88, 100);
    Put64LE(p, 96, static_cast<std::uint64_t>(std::max(0.0, pr.coins)));
    PutText(p, 112, 16, LevelName(PersonalLevel(pr)));
    Put32LE(p, 152, static_cast<std::uint32_t>(pr.logins));
    Put32LE(p, 156, static_cast<std::uint32_t>(pr.drops));
    Put32LE(p, 160, static_cast<std::uint32_t>(pr.wins));
    Put32LE(p, 164, static_cast<std::uint32_t>(pr.losses));
    PutRaw(p, 168, 16, pr.account);
    PutText(p, 184, 24, pr.bot ? "机器人" : "玩家");
    p[208] = s.ready ? 1 : 0;
    return p;
}

// ---- seats ----

int Table::Seat(Profile* profile, int conn) {
    if (dissolved_ || phase_ != Phase::Waiting) return -1;
    int seat = -1;
    for (int s = 0; s < 4 && seat < 0; ++s)
        if (!seats_[s].occupied()) seat = s;
    if (seat < 0) return -1;
    SeatState& st = seats_[seat];
    st = SeatState{};
    st.profile = profile;
    st.conn = profile->bot ? -1 : conn;
    st.order = sitCounter_++;
    for (int s = 0; s < 4; ++s)
        if (seats_[s].occupied()) Send(seat, PlayerInfo(s, seat));
    for (int s = 0; s < 4; ++s)
        if (s != seat && seats_[s].occupied()) Send(s, PlayerInfo(seat, s));
    Log(Name(seat) + " sits down" + (profile->bot ? " (bot)" : ""));
    ScheduleBots();
    return seat;
}

int Table::FreeSeats() const {
    int n = 0;
    for (const auto& s : seats_) n += s.occupied() ? 0 : 1;
    return n;
}

int Table::Humans() const {
    int n = 0;
    for (const auto& s : seats_) n += s.occupied() && !s.bot() ? 1 : 0;
    return n;
}

int Table::SeatOfConn(int conn) const {
    for (int s = 0; s < 4; ++s)
        if (seats_[s].occupied() && !seats_[s].bot() && seats_[s].conn == conn && !seats_[s].dropped) return s;
    return -1;
}

int Table::SeatOfAccount(const std::string& account) const {
    for (int s = 0; s < 4; ++s)
        if (seats_[s].occupied() && seats_[s].profile->account == account) return s;
    return -1;
}

// ---- input ----

void Table::Receive(int seat, const Packet& p) {
    if (dissolved_ || seat < 0 || seat > 3 || !seats_[seat].occupied()) return;
    const int cmd = p[3];
    switch (cmd) {
        case 16:
            if (p[14] == 1) Leave(seat, true);
            else if (p[15] == 1) OnReady(seat);
            return;
        case 2:
            if (phase_ == Phase::Calling) OnCall(seat, p);
            else if (phase_ == Phase::Countering) OnCounter(seat, p);
            else Log(Name(seat) + " sent a call outside the calling phase (ignored)");
            return;
        case 4: {
            if (phase_ != Phase::Burying || seat != taker_) {
                Log(Name(seat) + " sent a bury out of turn (ignored)");
                return;
            }
            std::vector<int> ids(p.begin() + 16, p.begin() + 24);
            const auto cards = HeldCards(seats_[seat].hand, ids);
            if (!cards) {
                Log(Name(seat) + " buried cards it does not hold; burying for it");
                PlayFor(seat);
                return;
            }
            OnBury(seat, *cards);
            return;
        }
        case 7: {
            if (phase_ != Phase::Playing || seat != turn_) {
                Log(Name(seat) + " played out of turn (ignored)");
                return;
            }
            const int n = p[17];
            std::vector<int> ids;
            bool ok = n >= 1 && n <= 25;
            if (ok && p[18] == kThrow && p[19] != kMixedSuit) {
                std::size_t i = 22;
                while (ok && static_cast<int>(ids.size()) < n) {
                    if (i + 2 >= p.size()) { ok = false; break; }
                    const int g = p[i];
                    if (g == 1) { ids.push_back(p[i + 1]); i += 3; }
                    else if (g == 2) { ids.push_back(p[i + 1]); ids.push_back(p[i + 2]); i += 4; }
                    else if (g == 4) {
                        const std::size_t pairs = p[i + 1];
                        if (pairs < 2 || i + 3 + 2 * pairs > p.size()) { ok = false; break; }
                        for (std::size_t k = 0; k < 2 * pairs; ++k) ids.push_back(p[i + 2 + k]);
                        i += 3 + 2 * pairs;
                    } else ok = false;
                }
                ok = ok && static_cast<int>(ids.size()) == n;
            } else if (ok) {
                ids.assign(p.begin() + 22, p.begin() + 22 + n);
            }
            const auto cards = ok ? HeldCards(seats_[seat].hand, ids) : std::nullopt;
            if (!cards) {
                Log(Name(seat) + " played cards it does not hold or a malformed play; playing for it");
                PlayFor(seat);
                return;
            }
            OnPlay(seat, *cards);
            return;
        }
        case 19: {
            SeatState& s = seats_[seat];
            s.chatTokens = std::min(5.0, s.chatTokens + static_cast<double>(now_ - s.chatAt) / 1000.0);
            s.chatAt = now_;
            if (s.chatTokens < 1) return;  // faster than anyone types: dropped
            s.chatTokens -= 1;
            Packet c = p;
            c[6] = static_cast<std::uint8_t>(seatBit(seat));
            SendAll(c);
            return;
        }
        case 24:
            return;
        default:
            Log(Name(seat) + " sent unknown command " + std::to_string(cmd) + " (ignored)");
            return;
    }
}

void Table::OnReady(int seat) {
    if (phase_ != Phase::Waiting || seats_[seat].ready) return;
    seats_[seat].ready = true;
    Packet p = Make(23);
    p[6] = static_cast<std::uint8_t>(seatBit(seat));
    p[15] = 1;
    PutRaw(p, 16, 16, seats_[seat].profile->account);
    SendAll(p);
    Log(Name(seat) + " is ready");
    for (const auto& s : seats_)
        if (!s.occupied() || !s.ready || s.dropped) return;
    Packet start = Make(16);
    start[15] = 0;
    SendAll(start);
    StartRound();
}

// ---- the deal and the calls ----

void Table::StartRound() {
    phase_ = Phase::Calling;
    record_ = RoundRecord{};
    std::vector<int> ids(kPackSize);
    for (int i = 0; i < kPackSize; ++i) ids[static_cast<std::size_t>(i)] = i;
    for (int i = kPackSize - 1; i > 0; --i)
        std::swap(ids[static_cast<std::size_t>(i)], ids[static_cast<std::size_t>(rng_() % static_cast<std::uint64_t>(i + 1))]);
    record_.dealt = ids;
    const int rank = dealer_ >= 0 ? levels_[Side(dealer_)] : 2;
    trump_ = TrumpSettings{};
    trump_.g_ZhuPaiMian = static_cast<std::int16_t>(rank);
    record_.trumpRank = rank;
    record_.dealer = dealer_;
    record_.levelsBefore = levels_;
    bottom_.clear();
    for (int i = 100; i < kPackSize; ++i) bottom_.push_back(CardOfId(ids[static_cast<std::size_t>(i)]));
    call_.reset();
    caller_ = firstCaller_ = taker_ = burier_ = turn_ = leader_ = best_ = -1;
    counters_ = plays_ = 0;
    tricksLeft_ = 25;
    for (int s = 0; s < 4; ++s) {
        SeatState& st = seats_[s];
        st.hand.clear();
        for (int i = 0; i < 25; ++i) st.hand.push_back(CardOfId(ids[static_cast<std::size_t>(25 * s + i)]));
        st.answered = false;
        st.facePoints = st.failedThrows = st.failedCards = st.redFivesEaten = st.redFivesBuried = 0;
        st.resumeKey = static_cast<std::uint32_t>(rng_() & 0x7FFFFFFF);
        Packet p = Make(1);
        p[6] = static_cast<std::uint8_t>(seatBit(s));
        p[8] = 25;
        p[9] = static_cast<std::uint8_t>(opt_.callSeconds);
        p[10] = static_cast<std::uint8_t>(levels_[Side(s)]);
        p[11] = static_cast<std::uint8_t>(levels_[1 - Side(s)]);
        p[12] = static_cast<std::uint8_t>(rank);
        p[13] = static_cast<std::uint8_t>(dealer_ >= 0 ? seatBit(dealer_) : 0);
        for (int i = 0; i < 25; ++i) {
            const auto b = CardToBytes(st.hand[static_cast<std::size_t>(i)]);
            for (int k = 0; k < 4; ++k) p[static_cast<std::size_t>(16 + 4 * i + k)] = b[static_cast<std::size_t>(k)];
        }
        Put32LE(p, 268, st.resumeKey);
        Send(s, p);
    }
    // Every seat's deal animation (350 ms start, 25 cards of 400 ms) and a margin, then the
    // call countdown the client starts when its animation ends.
    animEnd_ = now_ + Wait(350 + 25 * 400 + 1000);
    callClose_ = animEnd_ + Wait(opt_.callSeconds * 1000);
    deadline_ = callClose_;
    Log("deal: trump rank " + std::to_string(rank) + ", dealer " + (dealer_ >= 0 ? Name(dealer_) : "to be called") +
        ", levels " + std::to_string(levels_[0]) + "/" + std::to_string(levels_[1]));
    ScheduleBots();
}

void Table::SetTrump() {
    const int suit = call_ ? call_->suit : 0;
    trump_.g_zhuhuase = static_cast<std::int16_t>(suit >= 1 && suit <= 8 ? suit : 0);
    trump_.g_TrumpThreeMaskA = trump_.g_TrumpThreeMaskB = 0;
    if (opt_.threes && trump_.g_zhuhuase) {
        // The 3 of the trump suit's colour partner is the higher trump three (mask A), the 3 of
        // the trump suit itself the lower one (mask B).
        trump_.g_TrumpThreeMaskA = static_cast<std::int16_t>(ColourPartner(trump_.g_zhuhuase));
        trump_.g_TrumpThreeMaskB = trump_.g_zhuhuase;
    }
}

Packet Table::CallPacket(int kind, int stage) const {
    Packet p = Make(2);
    const int suit = call_ ? call_->suit : 0;
    p[8] = static_cast<std::uint8_t>(kind);
    p[9] = static_cast<std::uint8_t>(call_ ? CallFace(*call_, trump_.g_ZhuPaiMian) : trump_.g_ZhuPaiMian);
    p[10] = static_cast<std::uint8_t>(stage);
    p[12] = static_cast<std::uint8_t>(suit);
    const int shownDealer = dealer_ >= 0 ? dealer_ : firstCaller_;
    p[13] = static_cast<std::uint8_t>(shownDealer >= 0 ? seatBit(shownDealer) : 0);
    p[14] = static_cast<std::uint8_t>(caller_ >= 0 ? seatBit(caller_) : 0);
    p[16] = static_cast<std::uint8_t>(trump_.g_TrumpThreeMaskA);
    p[17] = static_cast<std::uint8_t>(trump_.g_TrumpThreeMaskB);
    p[18] = 0;
    p[26] = static_cast<std::uint8_t>(counters_);
    return p;
}

void Table::OnCall(int seat, const Packet& p) {
    SeatState& s = seats_[seat];
    const int kind = p[8];
    if (kind != 1 && kind != 2) {
        s.answered = true;
        return;
    }
    const Call c{kind, p[12]};
    if (CallCards(s.hand, c, trump_.g_ZhuPaiMian).empty()) {
        Log(Name(seat) + " called " + SuitName(c.suit) + " without holding the cards (ignored)");
        return;
    }
    if (caller_ == seat) {
        s.answered = true;
        Log(Name(seat) + " tried to counter its own call (ignored)");
        return;
    }
    if (!CallBeats(c, call_)) {
        s.answered = true;
        Log(Name(seat) + "'s call of " + SuitName(c.suit) + " does not beat the standing call (ignored)");
        return;
    }
    AcceptCall(seat, c);
}

void Table::AcceptCall(int seat, const Call& c) {
    call_ = c;
    caller_ = seat;
    if (firstCaller_ < 0) firstCaller_ = seat;
    SetTrump();
    for (int s = 0; s < 4; ++s) seats_[s].answered = s == seat;
    // The others get a counter offer with the client's 10-second countdown.
    callClose_ = std::max(callClose_, now_ + Wait((opt_.counterSeconds + 1) * 1000));
    deadline_ = callClose_;
    SendAll(CallPacket(c.kind, now_ < animEnd_ ? 1 : 2));
    Log(Name(seat) + " calls " + (c.kind == 1 ? "a single " : "a pair ") + SuitName(c.suit));
    for (auto& st : seats_) st.botDue = -1;
    ScheduleBots();
}

void Table::CloseCalling() {
    if (!call_) {
        if (dealer_ < 0) {
            int first = 0;
            for (int s = 1; s < 4; ++s)
                if (seats_[s].order < seats_[first].order) first = s;
            dealer_ = first;
        }
        int suit = 8;
        for (CardValue v : bottom_)
            if (!IsJoker(v)) {
                suit = hs(v);
                break;
            }
        call_ = Call{2, suit};
        caller_ = dealer_;
        SetTrump();
        record_.noCall = true;
        Packet p = CallPacket(9, 2);
        p[9] = static_cast<std::uint8_t>(trump_.g_ZhuPaiMian);
        p[13] = p[14] = static_cast<std::uint8_t>(seatBit(dealer_));
        p[15] = 9;
        p[18] = 1;
        SendAll(p);
        Log(std::string("nobody called: trump ") + SuitName(suit) + " from the bottom, defenders start with 20");
    } else {
        if (dealer_ < 0) dealer_ = firstCaller_;
        SendAll(CallPacket(call_->kind, 3));
        Log(std::string("trump ") + SuitName(call_->suit) + " called by " + Name(caller_) + ", dealer " + Name(dealer_));
    }
    record_.dealer = dealer_;
    firstRound_ = false;
    GiveBottom(dealer_);
}

void Table::GiveBottom(int seat) {
    phase_ = Phase::Burying;
    taker_ = seat;
    for (int s = 0; s < 4; ++s) {
        Packet p = Make(3);
        p[6] = static_cast<std::uint8_t>(seatBit(seat));
        p[8] = 8;
        p[12] = static_cast<std::uint8_t>(opt_.burySeconds);
        if (s == seat)
            for (std::size_t i = 0; i < bottom_.size(); ++i) {
                const auto b = CardToBytes(bottom_[i]);
                for (std::size_t k = 0; k < 4; ++k) p[16 + 4 * i + k] = b[k];
            }
        Send(s, p);
    }
    auto& hand = seats_[seat].hand;
    hand.insert(hand.end(), bottom_.begin(), bottom_.end());
    bottom_.clear();
    deadline_ = now_ + Wait((opt_.burySeconds + 3) * 1000);
    Log(Name(seat) + " takes the bottom");
    ScheduleBots();
}

void Table::OnBury(int seat, const Cards& cards) {
    if (cards.size() != 8) {
        PlayFor(seat);
        return;
    }
    RemoveCards(seats_[seat].hand, cards);
    bottom_ = cards;
    burier_ = seat;
    Log(Name(seat) + " buries " + CardsText(cards) + " (" + std::to_string(PointsOf(cards)) + " points)");
    counterQueue_.clear();
    if (opt_.counterBottom && counters_ < opt_.maxCounters)
        for (int k = 1; k < 4; ++k) counterQueue_.push_back((seat + k) % 4);
    NextCounterTurn();
}

void Table::NextCounterTurn() {
    if (counterQueue_.empty() || counters_ >= opt_.maxCounters) {
        StartPlay();
        return;
    }
    phase_ = Phase::Countering;
    turn_ = counterQueue_.front();
    counterQueue_.erase(counterQueue_.begin());
    Packet p = Make(2);
    p[8] = 4;
    p[9] = static_cast<std::uint8_t>(seatBit(turn_));
    p[10] = 2;
    p[12] = static_cast<std::uint8_t>(call_ ? call_->suit : 0);
    p[14] = static_cast<std::uint8_t>(caller_ >= 0 ? seatBit(caller_) : 0);
    p[26] = static_cast<std::uint8_t>(counters_);
    SendAll(p);
    // The client's countdown passes for the player one second after it showed 0, and the pass
    // travels through its send queue: leave room for it, so that a pass is never late.
    deadline_ = now_ + Wait((opt_.counterSeconds + 3) * 1000);
    ScheduleBots();
}

void Table::OnCounter(int seat, const Packet& p) {
    if (seat != turn_) {
        Log(Name(seat) + " countered out of turn (ignored)");
        return;
    }
    const Call c{p[8], p[12]};
    const bool valid = c.kind == 2 && seat != caller_ && CallBeats(c, call_) &&
                       !CallCards(seats_[seat].hand, c, trump_.g_ZhuPaiMian).empty();
    if (!valid) {
        if (p[8] != 0) Log(Name(seat) + " sent a counter that does not stand (taken as a pass)");
        NextCounterTurn();
        return;
    }
    ++counters_;
    call_ = c;
    caller_ = seat;
    SetTrump();
    SendAll(CallPacket(2, 3));
    Log(Name(seat) + " counters the bottom with a pair of " + SuitName(c.suit));
    GiveBottom(seat);
}

// ---- tricks ----

void Table::StartPlay() {
    phase_ = Phase::Playing;
    record_.buried = Ids(bottom_);
    leader_ = turn_ = taker_;
    plays_ = 0;
    for (auto& t : trick_) t.clear();
    Packet p = Make(6);
    p[8] = static_cast<std::uint8_t>(seatBit(leader_));
    p[15] = 1;
    p[215] = static_cast<std::uint8_t>(opt_.turnSeconds);
    SendAll(p);
    deadline_ = now_ + Wait((opt_.turnSeconds + 3) * 1000);
    Log(Name(leader_) + " leads the first trick");
    ScheduleBots();
}

void Table::PlayFor(int seat) {
    SeatState& s = seats_[seat];
    if (phase_ == Phase::Burying && seat == taker_) {
        OnBury(seat, bot::ChooseBury(s.hand, trump_));
        return;
    }
    if (phase_ != Phase::Playing || seat != turn_) return;
    const bool leading = plays_ == 0;
    std::vector<Cards> others;
    for (int o = 0; o < 4; ++o)
        if (o != seat) others.push_back(seats_[o].hand);
    Cards choice = leading ? bot::ChooseLead(s.hand, others, trump_)
                           : bot::ChooseFollow(s.hand, leadCards_, lead_, trick_[best_], Side(best_) == Side(seat),
                                               [&] {
                                                   int pts = 0;
                                                   for (const auto& t : trick_) pts += PointsOf(t);
                                                   return pts;
                                               }(),
                                               trump_);
    if (!JudgePlay(s.hand, choice, leading, lead_, trump_)) {
        // Never expected: fall back to the plainest legal play (a single to lead; the led
        // class first, then the weakest others, to follow).
        Log("bot choice " + CardsText(choice) + " refused by the client's rules; using the plain fallback");
        Cards hand = s.hand;
        std::sort(hand.begin(), hand.end(), [&](CardValue a, CardValue b) { return CardRank(a, trump_) < CardRank(b, trump_); });
        choice.clear();
        if (leading) {
            choice.push_back(hand.front());
        } else {
            for (CardValue v : hand)
                if (FollowsLead(v, lead_, trump_) && choice.size() < leadCards_.size()) choice.push_back(v);
            for (CardValue v : hand)
                if (!FollowsLead(v, lead_, trump_) && choice.size() < leadCards_.size()) choice.push_back(v);
        }
    }
    OnPlay(seat, choice);
}

void Table::OnPlay(int seat, const Cards& cards) {
    SeatState& s = seats_[seat];
    const bool leading = plays_ == 0;
    const auto j = JudgePlay(s.hand, cards, leading, lead_, trump_);
    if (!j) {
        Log(Name(seat) + " played " + CardsText(cards) + ", which the client's rules refuse; playing for it");
        if (s.bot()) return;  // a bot never gets here (PlayFor checks), guard against a loop
        PlayFor(seat);
        return;
    }
    Packet msg = Make(6);
    msg[6] = static_cast<std::uint8_t>(seatBit(seat));
    msg[215] = static_cast<std::uint8_t>(opt_.turnSeconds);
    Cards played = cards;
    if (leading && j->packet[18] == kThrow) {
        std::vector<Cards> others;
        for (int o = 0; o < 4; ++o)
            if (o != seat) others.push_back(seats_[o].hand);
        if (const auto forced = FailedThrow(cards, others, trump_)) {
            msg[15] = 2;
            msg[17] = static_cast<std::uint8_t>(cards.size());
            msg[18] = kThrow;
            msg[19] = j->packet[19];
            msg[20] = j->packet[20];
            msg[21] = j->packet[21];
            PutParts(msg, 22, PartsOf(cards, trump_));
            const LeadRecord fr = LeadRecordOf(forced->cards, trump_);
            msg[144] = static_cast<std::uint8_t>(forced->cards.size());
            msg[145] = static_cast<std::uint8_t>(fr.formerType);
            msg[146] = static_cast<std::uint8_t>(fr.formerZhu ? 10 : fr.formerHS);
            msg[147] = fr.formerZhu ? 1 : 0;
            for (std::size_t k = 0; k < forced->cards.size(); ++k) PutCard(msg, 148 + 2 * k, forced->cards[k]);
            std::size_t w = 149 + 2 * forced->cards.size();
            for (CardValue v : cards) {
                if (Holds(forced->cards, v)) continue;
                msg[w] = static_cast<std::uint8_t>(ind(v));
                msg[w + 1] = 0;
                msg[w + 2] = static_cast<std::uint8_t>(pm(v));
                msg[w + 3] = static_cast<std::uint8_t>(hs(v));
                w += 4;
            }
            ++s.failedThrows;
            s.failedCards += static_cast<int>(cards.size());
            played = forced->cards;
            lead_ = fr;
            lead_.formerKind = static_cast<std::int16_t>(j->packet[21]);
            Log(Name(seat) + " throws " + CardsText(cards) + " and fails: plays " + CardsText(played));
        }
    }
    if (msg[15] != 2) {
        msg[17] = static_cast<std::uint8_t>(cards.size());
        for (int k = 18; k <= 21; ++k) msg[static_cast<std::size_t>(k)] = j->packet[static_cast<std::size_t>(k)];
        PutPlayCards(msg, 22, *j);
        if (leading) {
            lead_.formerNum = msg[17];
            lead_.formerType = msg[18];
            lead_.formerHS = static_cast<std::int16_t>(msg[19] >= 9 ? trump_.g_zhuhuase : msg[19]);
            lead_.formerZhu = msg[20] == 1;
            lead_.formerKind = msg[21];
        }
    }
    RemoveCards(s.hand, played);
    trick_[seat] = played;
    for (int id : Ids(played)) record_.played.push_back(id);
    if (leading) {
        leadCards_ = played;
        best_ = seat;
    } else if (FollowBeats(played, trick_[best_], leadCards_, trump_)) {
        best_ = seat;
    }
    ++plays_;
    if (plays_ == 4) {
        FinishTrick(msg);
        return;
    }
    turn_ = (seat + 1) % 4;
    msg[8] = static_cast<std::uint8_t>(seatBit(turn_));
    SendAll(msg);
    deadline_ = now_ + Wait((opt_.turnSeconds + 3) * 1000);
    ScheduleBots();
}

void Table::FinishTrick(Packet& msg) {
    const int winner = best_;
    int points = 0;
    bool redFiveLost = false;
    for (int s = 0; s < 4; ++s) {
        points += PointsOf(trick_[s]);
        for (CardValue v : trick_[s])
            if (IsRedFive(v) && Side(s) != Side(winner)) {
                ++seats_[s].redFivesEaten;
                redFiveLost = true;
            }
    }
    seats_[winner].facePoints += points;
    if (Defender(winner)) {
        record_.defenderTrickPoints += points;
        if (points > 0) msg[10] = 1;
    }
    if (redFiveLost) msg[216] = 78;
    msg[8] = static_cast<std::uint8_t>(seatBit(winner));
    const bool last = seats_[0].hand.empty();
    if (last) {
        record_.bottomPoints = PointsOf(bottom_);
        if (Defender(winner)) {
            const int largest = LargestPart(trick_[winner], trump_);
            record_.multiplier = 2 * largest;
            if (largest >= 2) msg[11] = 1;
        }
        msg[15] = 10;
        SendAll(msg);
        Settle();
        return;
    }
    msg[15] = 1;
    SendAll(msg);
    plays_ = 0;
    for (auto& t : trick_) t.clear();
    leader_ = turn_ = winner;
    lead_ = LeadRecord{};
    leadCards_.clear();
    best_ = -1;
    deadline_ = now_ + Wait((opt_.turnSeconds + 3) * 1000);
    ScheduleBots();
}

// ---- settlement ----

void Table::Settle() {
    RoundRecord& r = record_;
    int penalty = 0;
    for (int s = 0; s < 4; ++s) penalty += (Defender(s) ? -10 : 10) * seats_[s].failedThrows;
    r.penalty = penalty;
    int total = r.defenderTrickPoints + r.bottomPoints * r.multiplier + (r.noCall ? 20 : 0) + penalty;
    total = std::clamp(total, 0, 32767);
    r.total = total;
    const int dealerSide = Side(dealer_);
    int winners, gain;
    if (total == 0) { winners = dealerSide; gain = 3; }
    else if (total < 40) { winners = dealerSide; gain = 2; }
    else if (total < 80) { winners = dealerSide; gain = 1; }
    else { winners = 1 - dealerSide; gain = (total - 80) / 40; }
    levels_[winners] += gain;
    const int nextDealer = winners == dealerSide ? (dealer_ + 2) % 4 : (dealer_ + 1) % 4;
    const bool tableWon = levels_[winners] > 14;
    if (tableWon) levels_ = {2, 2};
    r.levelsAfter = levels_;
    r.nextDealer = nextDealer;

    const double amount = static_cast<double>(opt_.stake) * std::max(gain, 1);
    std::array<std::uint64_t, 4> paid{};
    for (int s = 0; s < 4; ++s) {
        Profile& pr = *seats_[s].profile;
        if (Side(s) == winners) {
            pr.coins += amount;
            paid[s] = static_cast<std::uint64_t>(amount);
            ++pr.wins;
            pr.score += std::max(gain, 1);
        } else {
            const double take = std::min(pr.coins, amount);
            pr.coins -= take;
            paid[s] = static_cast<std::uint64_t>(take);
            ++pr.losses;
        }
    }

    Packet p = Make(9);
    Put32BE(p, 8, static_cast<std::uint32_t>(opt_.stake));
    p[13] = 1;
    p[15] = 1;
    p[16] = static_cast<std::uint8_t>(bottom_.size());
    for (std::size_t j = 0; j < bottom_.size() && j < 8; ++j) PutCard(p, 20 + 2 * j, bottom_[j]);
    const bool bottomKilled = r.multiplier > 0;
    int bottomRedFives = 0;
    for (CardValue v : bottom_) bottomRedFives += IsRedFive(v) ? 1 : 0;
    int lastWinner = best_;
    for (int h = 0; h < 4; ++h) {
        const SeatState& s = seats_[h];
        const std::size_t b = 36 + 30 * static_cast<std::size_t>(h);
        p[b + 0] = static_cast<std::uint8_t>(std::min(255, s.facePoints));
        const bool tookBottom = bottomKilled && h == lastWinner;
        p[b + 1] = static_cast<std::uint8_t>(tookBottom ? r.bottomPoints : 0);
        p[b + 2] = static_cast<std::uint8_t>(tookBottom ? r.multiplier : 0);
        int sideTotal = 0;
        if (Defender(h)) sideTotal = total;
        else
            for (int o = 0; o < 4; ++o)
                if (Side(o) == Side(h)) sideTotal += seats_[o].facePoints;
        Put16BE(p, b + 3, static_cast<std::uint16_t>(std::min(sideTotal, 32767)));
        p[b + 6] = static_cast<std::uint8_t>(h == dealer_ ? (winners == dealerSide ? 1 : 2) : 0);
        p[b + 7] = static_cast<std::uint8_t>(s.failedThrows);
        Put64LE(p, b + 8, paid[h]);
        p[b + 16] = Side(h) == winners ? 1 : 0;
        p[b + 17] = static_cast<std::uint8_t>(PersonalLevel(*s.profile));
        Put64LE(p, b + 18, paid[h]);
        p[b + 27] = static_cast<std::uint8_t>(seatBit(h));
        const std::size_t q = 160 + 4 * static_cast<std::size_t>(h);
        p[q + 0] = static_cast<std::uint8_t>(std::min(255, s.failedCards));
        p[q + 1] = static_cast<std::uint8_t>(s.redFivesEaten);
        p[q + 2] = bottomKilled && bottomRedFives > 0 && h == burier_ ? 1 : 0;
        p[q + 3] = static_cast<std::uint8_t>(h == burier_ ? bottomRedFives : 0);
        p[252 + static_cast<std::size_t>(h)] = Side(h) == winners ? 1 : 0;
    }
    p[41] = static_cast<std::uint8_t>(counters_);
    p[156] = 0;
    p[157] = 0;
    p[176] = 0;
    SendAll(p);

    std::ostringstream line;
    line << "round over: defenders " << total << " (tricks " << r.defenderTrickPoints << ", bottom " << r.bottomPoints
         << " x" << r.multiplier << (r.noCall ? ", +20 no call" : "") << ", throws " << penalty << "); side "
         << winners << " +" << gain << ", levels " << levels_[0] << "/" << levels_[1] << (tableWon ? " (table won, back to 2)" : "")
         << ", next dealer " << Name(nextDealer);
    Log(line.str());
    dealer_ = nextDealer;
    phase_ = Phase::Waiting;
    deadline_ = -1;
    turn_ = -1;
    for (auto& s : seats_) s.ready = false;
    if (sink_.roundDone) sink_.roundDone(r);
    ScheduleBots();
}

// ---- leaving, dropping, reconnecting ----

void Table::Leave(int seat, bool announce) {
    if (!seats_[seat].occupied()) return;
    if (phase_ != Phase::Waiting) {
        AbortRound(seat);
        return;
    }
    const std::string account = seats_[seat].profile->account;
    Log(Name(seat) + " leaves");
    seats_[seat] = SeatState{};
    if (announce) {
        Packet p = Make(21);
        PutRaw(p, 16, 16, account);
        SendAll(p);
    }
    for (auto& s : seats_) s.ready = s.ready && s.occupied();
    if (Humans() == 0) Dissolve();
}

void Table::AbortRound(int leaver) {
    Packet p = Make(22);
    PutText(p, 16, 200, "玩家" + seats_[leaver].profile->nickname + "离开，本局结束");
    seats_[leaver] = SeatState{};
    SendAll(p);
    Log("the round ends: a player left");
    Dissolve();
}

void Table::Dissolve() {
    dissolved_ = true;
    for (auto& s : seats_) s = SeatState{};
    phase_ = Phase::Waiting;
    deadline_ = -1;
    Log("closed");
}

void Table::Dropped(int seat) {
    SeatState& s = seats_[seat];
    if (!s.occupied() || s.bot()) return;
    ++s.profile->drops;
    if (phase_ == Phase::Waiting) {
        Leave(seat, true);
        return;
    }
    s.dropped = true;
    s.conn = -1;
    s.dropDeadline = now_ + Wait(opt_.dropSeconds * 1000);
    Log(Name(seat) + " lost its connection; seat held");
}

bool Table::Reconnect(int seat, int conn, std::uint32_t key) {
    SeatState& s = seats_[seat];
    if (!s.occupied() || s.bot() || key != s.resumeKey) return false;
    s.conn = conn;
    s.dropped = false;
    Packet ok = Make(29);
    ok[6] = static_cast<std::uint8_t>(seatBit(seat));
    ok[15] = 1;
    sink_.send(conn, ok);
    while (!s.queue.empty()) {
        sink_.send(conn, s.queue.front());
        s.queue.pop_front();
    }
    Log(Name(seat) + " reconnected");
    return true;
}

// ---- time ----

void Table::ScheduleBots() {
    for (int s = 0; s < 4; ++s) {
        SeatState& st = seats_[s];
        if (!st.bot()) continue;
        bool acts = false;
        std::int64_t earliest = now_;
        switch (phase_) {
            case Phase::Waiting: acts = !st.ready; break;
            case Phase::Calling: acts = !st.answered; earliest = std::max(now_, animEnd_); break;
            case Phase::Burying: acts = s == taker_; break;
            case Phase::Countering:
            case Phase::Playing: acts = s == turn_; break;
        }
        if (!acts) st.botDue = -1;
        else if (st.botDue < 0) st.botDue = earliest + BotPause();
    }
}

std::int64_t Table::NextWake() const {
    if (dissolved_) return INT64_MAX;
    std::int64_t t = deadline_ >= 0 ? deadline_ : INT64_MAX;
    for (const auto& s : seats_) {
        if (s.botDue >= 0) t = std::min(t, s.botDue);
        if (s.occupied() && s.dropped) t = std::min(t, s.dropDeadline);
    }
    if (phase_ == Phase::Calling) {
        bool all = true;
        for (const auto& s : seats_) all = all && s.answered;
        if (all) t = std::min(t, animEnd_);
    }
    return t;
}

void Table::Advance(std::int64_t now) {
    for (int guard = 0; guard < 100000 && !dissolved_; ++guard) {
        const std::int64_t due = NextWake();
        if (due > now) break;
        now_ = std::max(now_, due);
        // Dropped seats whose time ran out.
        bool handled = false;
        for (int s = 0; s < 4 && !handled; ++s)
            if (seats_[s].occupied() && seats_[s].dropped && seats_[s].dropDeadline <= now_) {
                Log(Name(s) + " did not come back");
                Leave(s, true);
                handled = true;
            }
        if (handled) continue;
        for (int s = 0; s < 4 && !handled; ++s) {
            SeatState& st = seats_[s];
            if (st.botDue < 0 || st.botDue > now_) continue;
            st.botDue = -1;
            handled = true;
            switch (phase_) {
                case Phase::Waiting: OnReady(s); break;
                case Phase::Calling: {
                    const auto c = caller_ == s ? std::nullopt
                                                : bot::ChooseCall(st.hand, trump_.g_ZhuPaiMian, call_, false);
                    if (c && CallBeats(*c, call_)) AcceptCall(s, *c);
                    else st.answered = true;
                    break;
                }
                case Phase::Burying: PlayFor(s); break;
                case Phase::Countering: {
                    const auto c = caller_ == s ? std::nullopt
                                                : bot::ChooseCall(st.hand, trump_.g_ZhuPaiMian, call_, true);
                    Packet p = Make(2);
                    if (c) {
                        p[8] = 2;
                        p[12] = static_cast<std::uint8_t>(c->suit);
                    }
                    OnCounter(s, p);
                    break;
                }
                case Phase::Playing: PlayFor(s); break;
            }
        }
        if (handled) continue;
        if (phase_ == Phase::Calling) {
            bool all = true;
            for (const auto& s : seats_) all = all && s.answered;
            if ((all && now_ >= animEnd_) || now_ >= callClose_) {
                CloseCalling();
                continue;
            }
        }
        if (deadline_ >= 0 && deadline_ <= now_) {
            deadline_ = -1;
            switch (phase_) {
                case Phase::Waiting: break;
                case Phase::Calling: CloseCalling(); break;
                case Phase::Burying:
                    Log(Name(taker_) + " did not bury in time; burying for it");
                    PlayFor(taker_);
                    break;
                case Phase::Countering: NextCounterTurn(); break;
                case Phase::Playing:
                    Log(Name(turn_) + " did not play in time; playing for it");
                    PlayFor(turn_);
                    break;
            }
            continue;
        }
        break;
    }
    now_ = std::max(now_, now);
}

}  // namespace zorvan::server
