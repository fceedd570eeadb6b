// The dump's JSON writer and reader: escaping, invalid input, and that what is written reads back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "shell/dump_json.h"

namespace zorvan::json {
namespace {

std::string Quoted(std::string_view s) {
    std::string out;
    AppendString(out, s);
    return out;
}

TEST(DumpJson, StringsAreEscapedAndAlwaysValidUtf8) {
    struct Case { std::string in, out; };
    const Case cases[] = {
        {"plain", R"("plain")"},
        {"say \"hi\"\\", R"("say \"hi\"\\")"},
        {"a\nb\tc\rd", R"("a\nb\tc\rd")"},
        {std::string("nul\0x", 5), R"("nul\u0000x")"},
        {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
        {"连接服务器成功！", "\"连接服务器成功！\""},
        {"😀", "\"😀\""},
        // Bytes that are not UTF-8 (a stray GBK byte, a truncated sequence, an overlong form,
        // an encoded surrogate) become U+FFFD so that the document stays readable.
        {"a\xB0z", "\"a\xEF\xBF\xBDz\""},
        {"\xE8\xBF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Quoted(c.in), c.out) << c.in;
        EXPECT_NO_THROW(Parse(Quoted(c.in))) << c.in;
    }
}

TEST(DumpJson, ValidTextRoundTrips) {
    for (std::string s : {"", "x", "\"\\/", "行\n列\t", "\x01\x7f", "emoji 😀 end", "</script>"})
        EXPECT_EQ(Parse(Quoted(s)).str, s);
}

TEST(DumpJson, Numbers) {
    struct Case { double v; const char* out; };
    const Case cases[] = {{0, "0"}, {-0.0, "0"}, {42, "42"}, {-7, "-7"}, {12.5, "12.5"}, {0.1, "0.1"},
                          {1e300, "1e+300"}, {9007199254740993.0, "9007199254740992"},
                          {NAN, "null"}, {INFINITY, "null"}};
    for (const Case& c : cases) {
        std::string out;
        AppendNumber(out, c.v);
        EXPECT_EQ(out, c.out);
    }
    EXPECT_DOUBLE_EQ(Parse("15.75").num, 15.75);
    EXPECT_DOUBLE_EQ(Parse("-1.5e2").num, -150);
}

TEST(DumpJson, WriterSeparatesMembersAndElements) {
    Writer w;
    w.beginObject();
    w.key("a").value(1);
    w.key("b").beginArray();
    w.value("x");
    w.null();
    w.value(true);
    w.beginObject();
    w.endObject();
    w.endArray();
    w.key("c").value(false);
    w.endObject();
    EXPECT_EQ(w.str(), R"({"a":1,"b":["x",null,true,{}],"c":false})");
}

TEST(DumpJson, ReaderKeepsOrderAndEscapes) {
    Value v = Parse(R"( {"b": [1, 2.5, "s"], "a": {"x": null}, "u": "\u884c\ud83d\ude00\u0041", "t": true} )");
    ASSERT_TRUE(v.isObject());
    ASSERT_EQ(v.obj.size(), 4u);
    EXPECT_EQ(v.obj[0].first, "b");
    EXPECT_EQ(v.obj[1].first, "a");
    EXPECT_EQ(v.find("b")->arr.size(), 3u);
    EXPECT_TRUE(v.find("a")->find("x")->isNull());
    EXPECT_EQ(v.string("u"), "行😀A");
    EXPECT_TRUE(v.boolean("t"));
    EXPECT_EQ(v.number("missing", 3), 3);
    EXPECT_EQ(v.string("b", "fallback"), "fallback");  // wrong type
}

TEST(DumpJson, ReaderRejectsMalformedDocuments) {
    const char* bad[] = {"", "{", "[1,]", "{\"a\" 1}", "{\"a\":1,}", "01", "1.", "-", "tru", "nul",
                         "\"open", "\"bad \\x escape\"", "\"\\u12\"", "\"tab\there\"", "[1] 2",
                         "{a:1}", "\"\xB0\"", "'single'"};
    for (const char* text : bad) EXPECT_THROW(Parse(text), ParseError) << text;
    // A deeply nested document from a hostile file is refused instead of exhausting the stack.
    EXPECT_THROW(Parse(std::string(100000, '[')), ParseError);
    EXPECT_NO_THROW(Parse(std::string(100, '[') + std::string(100, ']')));
}

}  // namespace
}  // namespace zorvan::json
