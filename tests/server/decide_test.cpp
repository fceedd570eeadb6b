// What only the server decides: call strength, failed throws and their forced play, trick winners.
#include <gtest/gtest.h>

#include "rules/notation.h"
#include "server/bot.h"
#include "server/decide.h"

namespace zorvan::server::test {
namespace {

using rules::MakeCard;

Cards C(const std::string& text, int firstId) {
    Cards out = *rules::ParseCards(text);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = MakeCard(rules::hs(out[i]), rules::pm(out[i]), firstId + static_cast<int>(i));
    return out;
}

TrumpSettings Trump(int rank, int suit) {
    TrumpSettings t;
    t.g_ZhuPaiMian = static_cast<std::int16_t>(rank);
    t.g_zhuhuase = static_cast<std::int16_t>(suit);
    return t;
}

std::string Names(const Cards& cards) {
    std::string s;
    for (CardValue v : cards) s += (s.empty() ? "" : " ") + rules::CardName(v);
    return s;
}

TEST(ServerDecide, PackHoldsTwoOfEveryCardAndTwoHundredPoints) {
    int points = 0;
    for (int id = 0; id < kPackSize; ++id) {
        EXPECT_EQ(rules::ind(CardOfId(id)), id);
        points += CardPoints(CardOfId(id));
        int copies = 0;
        for (int o = 0; o < kPackSize; ++o) copies += rules::SameCard(CardOfId(id), CardOfId(o));
        EXPECT_EQ(copies, 2) << id;
    }
    EXPECT_EQ(points, 200);
}

TEST(ServerDecide, CallStrength) {
    struct Case { Call a; std::optional<Call> standing; bool beats; };
    const Case cases[] = {
        {{1, 1}, std::nullopt, true},  {{1, 8}, Call{1, 1}, false}, {{2, 1}, Call{1, 8}, true},
        {{2, 2}, Call{2, 1}, true},    {{2, 1}, Call{2, 2}, false}, {{2, 9}, Call{2, 8}, true},
        {{2, 10}, Call{2, 9}, true},   {{2, 9}, Call{2, 10}, false}, {{2, 4}, Call{2, 4}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CallBeats(c.a, c.standing), c.beats) << c.a.kind << "/" << c.a.suit;
    const Cards hand = C("7H 7H 7S SJ SJ 3C", 0);
    EXPECT_EQ(CallCards(hand, {2, 4}, 7).size(), 2u);
    EXPECT_TRUE(CallCards(hand, {2, 8}, 7).empty());
    EXPECT_EQ(CallCards(hand, {1, 8}, 7).size(), 1u);
    EXPECT_EQ(CallCards(hand, {2, 9}, 7).size(), 2u);
    EXPECT_TRUE(CallCards(hand, {2, 10}, 7).empty());
    EXPECT_TRUE(CallCards(hand, {1, 9}, 7).empty()) << "jokers are called as pairs only";
}

TEST(ServerDecide, ThrowHoldsOrFailsWithTheWeakestBeatablePart) {
    const TrumpSettings t = Trump(2, 4);  // trump hearts, rank 2
    struct Case { std::string thrown, other, forced; };
    const Case cases[] = {
        {"AS KS", "QS 3C", ""},                 // nothing higher out there: holds
        {"AS KS", "AS 3C", "KS"},               // the other ace beats the king
        {"AS AS QS", "KS KS", "QS"},            // the single falls before the pair
        {"KS KS AS", "AS AS", "KS KS"},         // a higher pair beats the pair
        {"9S 9S TS TS AS", "JS JS QS QS", "9S 9S TS TS"},  // a higher run of two pairs
        {"9S 9S TS TS AS", "JS JS KS KS", ""},  // two pairs that are not a run do not beat a run
        {"AS KS", "3H", ""},                    // trumps do not beat a throw's parts
    };
    for (const Case& c : cases) {
        const auto f = FailedThrow(C(c.thrown, 0), {C(c.other, 50)}, t);
        EXPECT_EQ(f ? Names(f->cards) : "", c.forced) << c.thrown << " against " << c.other;
    }
}

TEST(ServerDecide, TrickWinner) {
    const TrumpSettings t = Trump(2, 4);  // trump hearts
    struct Case { std::string lead, best, follow; bool beats; };
    const Case cases[] = {
        {"9S", "9S", "TS", true},      {"9S", "9S", "9S", false},  // equal cards: the earlier wins
        {"9S", "9S", "3H", true},      {"9S", "4H", "3H", false},  // a trump beats, a lower trump not
        {"9S", "9S", "AC", false},     {"9S 9S", "9S 9S", "TS JS", false},  // shape must match
        {"9S 9S", "9S 9S", "3H 3H", true}, {"5S 5S 6S 6S", "5S 5S 6S 6S", "JS JS QS QS", true},
        {"5S 5S 6S 6S", "5S 5S 6S 6S", "JS JS KS KS", false},
        {"AS KS", "AS KS", "3H 4H", true},  // a throw is beaten only by trumps of its shape
    };
    for (const Case& c : cases)
        EXPECT_EQ(FollowBeats(C(c.follow, 60), C(c.best, 30), C(c.lead, 0), t), c.beats)
            << c.lead << " / " << c.best << " / " << c.follow;
    EXPECT_EQ(LargestPart(C("9S 9S TS TS", 0), t), 4);
    EXPECT_EQ(LargestPart(C("AS KS", 0), t), 1);
}

TEST(ServerDecide, BotPlaysAreLegal) {
    const TrumpSettings t = Trump(2, 4);
    const Cards hand = C("AS KS 9S 9S 3H 4C 5D", 0);
    const Cards bury = bot::ChooseBury(C("AS KS 9S 9S 3H 4C 5D 6D 7D 8D JC QC KC", 0), t);
    EXPECT_EQ(Names(bury), "4C 6D 7D 8D 9S 9S JC QC") << "the weakest plain cards without points";
    const Cards lead = C("TS", 40);
    const rules::LeadRecord rec = LeadRecordOf(lead, t);
    const Cards follow = bot::ChooseFollow(hand, lead, rec, lead, false, 10, t);
    EXPECT_EQ(Names(follow), "AS") << "takes the ten points with the cheapest winner that is no point card";
    EXPECT_TRUE(JudgePlay(hand, follow, false, rec, t));
    EXPECT_EQ(Names(bot::ChooseFollow(hand, lead, rec, lead, true, 10, t)), "9S");
}

}  // namespace
}  // namespace zorvan::server::test
