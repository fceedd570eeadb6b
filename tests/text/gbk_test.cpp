// GBK at the edges: round trips, unencodable and undecodable input, and the two packet readers.
#include <gtest/gtest.h>

#include <random>

#include "text/gbk.h"

using namespace zorvan::text;

TEST(Gbk, RoundTripsChineseAndAscii) {
    const std::string s = "连接服务器成功！abc 123";
    auto bytes = Utf8ToGbk(s);
    EXPECT_EQ(GbkToUtf8(bytes), s);
    // 连 is C1 AC in GBK; ASCII stays one byte.
    EXPECT_EQ(bytes[0], 0xC1);
    EXPECT_EQ(bytes[1], 0xAC);
    EXPECT_EQ(Utf8ToGbk("A"), std::vector<std::uint8_t>{'A'});
}

TEST(Gbk, UnencodableBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), (std::vector<std::uint8_t>{'a', '?', 'b'}));
    EXPECT_TRUE(EncodeCodePoint(0x1F600).empty());
}

TEST(Gbk, InvalidBytesDecodeToReplacement) {
    const std::vector<std::uint8_t> cases[] = {{0x81}, {0xFF, 'a'}, {0xC1, 0x20}, {0x81, 0x7F}};
    for (const auto& c : cases) {
        std::string out = GbkToUtf8(c);
        EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos) << out;
    }
}

TEST(Gbk, RandomBytesNeverBreakDecoding) {
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> b(rng() % 40);
        for (auto& x : b) x = static_cast<std::uint8_t>(rng());
        std::string out = GbkToUtf8(b);
        // The result is valid UTF-8: re-encoding code points gives the same text.
        EXPECT_EQ(CodePointsToUtf8(Utf8ToCodePoints(out)), out);
    }
}

TEST(Text, CountsAndWidths) {
    EXPECT_EQ(CharCount("一号房ab"), 5u);
    EXPECT_EQ(DisplayWidth("一号房ab"), 8u);
    EXPECT_EQ(LeftChars("一号房ab", 2), "一号");
    EXPECT_EQ(CharCount("\xFF\xFE"), 2u);  // invalid UTF-8 counts one character a byte
}

TEST(PacketText, ReadersStopAtZeroOrFieldEnd) {
    std::vector<std::uint8_t> p(272, 0);
    auto name = Utf8ToGbk("玩家");
    std::copy(name.begin(), name.end(), p.begin() + 16);
    p[32] = 'x';
    EXPECT_EQ(ReadCodePage(p, 16, 16), "玩家");
    EXPECT_EQ(ReadCodePage(p, 16, 2), "玩");
    EXPECT_EQ(ReadBytewise(p, 32, 16), "x");
    for (int i = 0; i < 20; ++i) p[100 + i] = 'a';
    EXPECT_EQ(ReadBytewise(p, 100, 16), std::string(16, 'a'));
    EXPECT_EQ(RawField(p, 16, 16), std::string(name.begin(), name.end()));
    EXPECT_EQ(ReadBytewise(p, 270, 16), "");  // a field past the packet end reads nothing
    EXPECT_EQ(ReadCodePage(p, 500, 4), "");
}
