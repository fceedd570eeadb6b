#include "rules/play.h"

#include "support.h"

namespace zorvan::rules::test {
namespace {

using Bytes = std::vector<int>;

Bytes Body(const JudgeResult& r) {  // packet bytes 15 .. the last byte written for the cards
    return Bytes(r.packet.begin() + 15, r.packet.begin() + r.end);
}

std::array<bool, kHandSlots> Raise(const Hand& h, std::initializer_list<int> slots) {
    std::array<bool, kHandSlots> raised{};
    for (int s : slots) raised[static_cast<std::size_t>(s)] = true;
    (void)h;
    return raised;
}

LeadRecord Lead(int num, int type, int suit, bool zhu, int kind = 0) {
    return LeadRecord{static_cast<std::int16_t>(num), static_cast<std::int16_t>(type), static_cast<std::int16_t>(suit),
                      zhu, static_cast<std::int16_t>(kind)};
}

using Outcome = JudgeResult::Outcome;

TEST(Judgechupai, Follows) {
    const TrumpSettings t = Trump(9, kHearts);
    const LeadRecord spadePair = Lead(2, kPair, kSpades, false);
    struct Case { const char* name; const char* hand; std::initializer_list<int> raised; LeadRecord lead; Outcome out; };
    const Case cases[] = {
        {"two of five spades", "AS KS QS JS TS 4D", {1, 2}, spadePair, Outcome::Send},
        {"the only spade and a heart", "AS 4H 4D", {0, 1}, spadePair, Outcome::Send},
        {"one of three spades and a heart", "AS KS QS 4H", {0, 3}, spadePair, Outcome::Refuse},
        {"three cards to a pair", "AS KS QS", {0, 1, 2}, spadePair, Outcome::Refuse},
        {"the trump-rank spade does not follow spades", "AS 9S 4D", {0, 2}, spadePair, Outcome::Send},
        {"a joker never counts as a spade", "AS KS SJ", {0, 2}, spadePair, Outcome::Refuse},
        {"a joker may go with the last spade", "AS SJ 4D", {0, 1}, spadePair, Outcome::Send},
        {"red five, joker, trump rank and trump suit follow trumps", "5H BJ 9C 3S 2H AD", {0, 1, 2, 4},
         Lead(4, kThrow, kHearts, true, 1), Outcome::Send},
        {"a plain card while trumps are left", "5H BJ 9C 3S 2H AD", {0, 1, 2, 5},
         Lead(4, kThrow, kHearts, true, 1), Outcome::Refuse},
        {"nothing raised", "AS KS", {}, spadePair, Outcome::Nothing},
    };
    for (const Case& c : cases) {
        const Hand h = HandOf(c.hand);
        EXPECT_EQ(judgechupai(h, Raise(h, c.raised), false, c.lead, t).outcome, c.out) << c.name;
    }
    // With mask A of spades the 3 of spades is trump too: four trumps raised of four held.
    const Hand h = HandOf("5H BJ 9C 3S 2H AD");
    const TrumpSettings threes = Trump(9, kClubs, kSpades);
    EXPECT_EQ(judgechupai(h, Raise(h, {0, 1, 2, 3}), false, Lead(4, kThrow, kClubs, true, 1), threes).outcome,
              Outcome::Send);
}

TEST(Judgechupai, FollowPackets) {
    const TrumpSettings t = Trump(9, kHearts);
    {
        // Mixed follow: type 3, suit 9, the identifiers in list order.
        const Hand h = HandOf("AS#7 4H#8 4D#9");
        const auto r = judgechupai(h, Raise(h, {0, 1}), false, Lead(2, kPair, kSpades, false), t);
        EXPECT_EQ(Body(r), (Bytes{1, 0, 2, 3, 9, 0, 0, 7, 8}));
    }
    {
        // A followed throw is grouped up to rank 23, with the kind mask.
        const Hand h = HandOf("KS#1 KS#2 AS#3 4D#4");
        const auto r = judgechupai(h, Raise(h, {0, 1, 2}), false, Lead(3, kThrow, kSpades, false, 3), t);
        EXPECT_EQ(Body(r), (Bytes{1, 0, 3, 3, 8, 0, 3, 2, 1, 2, 0, 1, 3, 0}));
    }
    {
        // A trump pair follows flat; byte 20 marks trump.
        const Hand h = HandOf("BJ#5 BJ#6 AS");
        const auto r = judgechupai(h, Raise(h, {0, 1}), false, Lead(2, kPair, kHearts, true), t);
        EXPECT_EQ(Body(r), (Bytes{1, 0, 2, 2, 4, 1, 0, 5, 6}));
    }
}

TEST(Judgechupai, Leads) {
    const TrumpSettings t7 = Trump(7, kHearts);
    struct Case { const char* name; const char* hand; std::initializer_list<int> raised; Outcome out; Bytes body; };
    const Case cases[] = {
        {"single", "AS#3", {0}, Outcome::Send, {2, 0, 1, 1, 8, 0, 0, 3}},
        {"trump single", "7C#3", {0}, Outcome::Send, {2, 0, 1, 1, 4, 1, 0, 3}},
        {"pair", "QD#4 QD#5", {0, 1}, Outcome::Send, {2, 0, 2, 2, 1, 0, 0, 4, 5}},
        {"plain throw", "4S#1 4S#2 KS#3", {0, 1, 2}, Outcome::Send, {2, 0, 3, 3, 8, 0, 3, 2, 1, 2, 0, 1, 3, 0}},
        {"heart and club", "AH AC", {0, 1}, Outcome::Refuse, {}},
        {"run over the trump rank", "6C#1 6C#2 8C#3 8C#4", {0, 1, 2, 3}, Outcome::Send,
         {2, 0, 4, 4, 2, 0, 4, 1, 2, 3, 4}},
        {"trump run", "AH#1 AH#2 7S#3 7S#4", {0, 1, 2, 3}, Outcome::Send, {2, 0, 4, 4, 4, 1, 4, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        const Hand h = HandOf(c.hand);
        const auto r = judgechupai(h, Raise(h, c.raised), true, LeadRecord{}, t7);
        EXPECT_EQ(r.outcome, c.out) << c.name;
        if (c.out == Outcome::Send) {
            EXPECT_EQ(Body(r), c.body) << c.name;
        }
    }
}

TEST(Judgechupai, RunOfMixedSuitsIsRefused) {
    // 5 5 6 6 of two suits analyse as a run when mixed; a lead must be one suit.
    const Hand h = HandOf("5S 5C 6S 6C");
    EXPECT_EQ(judgechupai(h, Raise(h, {0, 1, 2, 3}), true, LeadRecord{}, Trump(9, kHearts)).outcome,
              Outcome::Refuse);
}

struct EncodeCase {
    const char* name;
    const char* cards;
    TrumpSettings t;
    Bytes bytes;
};

TEST(FormatSend, GroupsLowToHigh) {
    const EncodeCase cases[] = {
        {"pair and single", "KH#1 KH#2 AH#3", Trump(5), {2, 1, 2, 0, 1, 3, 0}},
        {"run and a single", "6C#1 6C#2 8C#3 8C#4 TC#5", Trump(7), {4, 2, 1, 2, 3, 4, 0, 1, 5, 0}},
        {"trump run with a mask-B 3 inside it", "7S#1 7S#2 SJ#3 SJ#4 BJ#5 BJ#6 3H#7", Trump(7, kSpades, 0, kHearts),
         {4, 3, 1, 2, 3, 4, 5, 6, 0, 1, 7, 0}},
        {"run alone", "3D#1 3D#2 4D#3 4D#4", Trump(9), {4, 2, 1, 2, 3, 4, 0}},
        {"broken run writes lone pairs", "2S#1 2S#2 3S#3 3S#4 4S#5 4S#6", Trump(7, kSpades, kSpades),
         {2, 1, 2, 0, 2, 5, 6, 0, 2, 3, 4, 0}},
        {"red fives, jokers and a lower pair", "5H#1 5H#2 SJ#3 AS#4 AS#5", Trump(7, kSpades),
         {2, 4, 5, 0, 1, 3, 0, 2, 1, 2, 0}},
    };
    for (const EncodeCase& c : cases) {
        const auto bytes = EncodeThrow(Cards(c.cards), c.t);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), c.bytes) << c.name;
    }
}

TEST(FormatSend, WritesTheNumberOfPairsCollected) {
    // A table whose run rows do not add up (kind 6, two pairs present) gets a header of 2.
    const auto list = Cards("3D#1 3D#2 4D#3 4D#4");
    Analysis a = newchupaidetail(list, kDiamonds, Trump(9));
    a.row(3).kind = 6;
    a.row(4).kind = 6;
    Packet p{};
    const int end = FormatSend(p, list, a, 14, 22, Trump(9));
    EXPECT_EQ(Bytes(p.begin() + 22, p.begin() + end), (Bytes{4, 2, 1, 2, 3, 4, 0}));
}

TEST(FormatSend, EveryCardIsWrittenOnce) {
    // Mask A of two suits puts three 3s on one row; none of them is lost.
    const TrumpSettings t = Trump(9, kClubs, kSpades | kHearts);
    const auto list = Cards("3S#1 3S#2 3H#3 AC#4");
    Packet p{};
    const Analysis a = AnalyzePlay(list, kClubs, t);
    const int end = FormatSend(p, list, a, 23, 22, t);
    std::vector<int> ids;  // the identifiers of the groups
    for (int k = 22; k < end;) {
        const int type = p[k];
        const int cards = type == 4 ? 2 * p[k + 1] : type;
        const int first = type == 4 ? k + 2 : k + 1;
        for (int i = 0; i < cards; ++i) ids.push_back(p[first + i]);
        ASSERT_EQ(p[first + cards], 0);
        k = first + cards + 1;
    }
    for (int id : {1, 2, 3, 4}) EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << id;
}

TEST(FormatSend, StopsAtThePacketEnd) {
    const auto list = Cards("2D 3D 4D 5D 6D 7D 8D");
    const Analysis a = newchupaidetail(list, kDiamonds, Trump(9));
    Packet p{};
    EXPECT_EQ(FormatSend(p, list, a, 14, 262, Trump(9)), -1);
}

}  // namespace
}  // namespace zorvan::rules::test
