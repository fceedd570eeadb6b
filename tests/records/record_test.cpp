// The INI class over GBK files and the record file of the table: written after each round, read
// back into the score board, robust against a file edited by hand, deleted when leaving.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "records/ini.h"
#include "records/records_fixture.h"
#include "table/leave.h"
#include "text/gbk.h"

namespace zorvan::testing {
namespace {

std::string FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

using IniTest = RecordsFixture;

TEST_F(IniTest, WriteReadDeleteInGbk) {
    classIniFile ini;
    ini.INIFileName = (dir / "a.ini").string();
    EXPECT_EQ(ini.GetIniKey("s", "k"), "") << "missing file";
    ASSERT_TRUE(ini.WriteIniKey("juNum:1", "name( 0 )", "  战绩板 "));
    ini.WriteIniKey("juNum:1", "count( 0 )", "3");
    ini.WriteIniKey("juNum:2", "name( 0 )", "英雄=榜");
    ini.WriteIniKey("JUNUM:1", "NAME( 0 )", "改了");  // sections and keys ignore ASCII case
    ini.WriteIniKey("juNum:2", "line", "一\r\n二");  // a line break never splits the file
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "改了");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 )"), "3");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "name( 0 )"), "英雄=榜");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "line"), "一  二");
    EXPECT_EQ(ini.GetIniKey("juNum:3", "name( 0 )"), "");
    // On disk in GBK.
    const std::string bytes = FileBytes(dir / "a.ini");
    auto gbk = text::Utf8ToGbk("英雄=榜");
    EXPECT_NE(bytes.find(std::string(gbk.begin(), gbk.end())), std::string::npos);
    EXPECT_EQ(bytes.find("英雄"), std::string::npos);
    ini.DelIniKey("juNum:1", "count( 0 )");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 )"), "");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "改了");
    ini.DelIniSec("juNum:1");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "name( 0 )"), "英雄=榜");
}

TEST_F(IniTest, AnyFileReadsWithoutHarm) {
    classIniFile ini;
    ini.INIFileName = (dir / "b.ini").string();
    WriteBytes(dir / "b.ini", std::string("junk\n[open\nk = v \0\0\n=x\n[s]\nk\nk2=\xff\xfe\x81\n;c=1\n[s]\nk=2\n", 46));
    EXPECT_EQ(ini.GetIniKey("open", "k"), "v");
    EXPECT_EQ(ini.GetIniKey("s", "k"), "") << "a line without '=' holds no key";
    EXPECT_FALSE(ini.GetIniKey("s", "k2").empty());
    EXPECT_EQ(ini.GetIniKey("s", ";c"), "");
    WriteBytes(dir / "b.ini", "[s]\nlong=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(ini.GetIniKey("s", "long").size(), 1023u);
    struct Case { const char* text; bool ok; long long value; };
    for (const Case& k : {Case{"12", true, 12}, Case{" 7 ", true, 7}, Case{"", false, 0}, Case{"1e3", false, 0},
                          Case{"-1", false, 0}, Case{"99999999999999999999", false, 0}, Case{"3x", false, 0}}) {
        long long v = 0;
        EXPECT_EQ(ParseIniNumber(k.text, 0, 2000, v), k.ok) << k.text;
        if (k.ok) {
            EXPECT_EQ(v, k.value);
        }
    }
}

using RecordFileTest = RecordsFixture;

TEST_F(RecordFileTest, RoundTripThroughTheFile) {
    RoundEnd r = Usual();
    r.blocks[1].red = r.blocks[3].red = true;
    Settle(r);
    ASSERT_TRUE(std::filesystem::exists(RecordFile()));
    classIniFile ini;
    ini.INIFileName = RecordFile().string();
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 1 )"), "nick-p2");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 4 )"), "1");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 1 ) ForeColor"), "255");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 )( 0 )"), "初始：1000");

    const auto sheet0 = Col(0), sheet5 = Col(5);
    const auto avatar = S().Tou[2].picture;
    Settle(Usual());  // round 2 overwrites the board
    for (int i = 0; i < 8; ++i) S().State[i].Clear();
    S().Tou[2].picture = {};
    ReadJuInfo(c, 1);
    // Empty lines come back as one space, the rest as written.
    ASSERT_EQ(Col(0).size(), sheet0.size());
    for (std::size_t j = 0; j < sheet0.size(); ++j) {
        std::string want = sheet0[j];
        std::size_t b = want.find_first_not_of(' ');
        want = b == std::string::npos ? " " : want.substr(b, want.find_last_not_of(' ') - b + 1);
        EXPECT_EQ(Col(0)[j], want) << j;
    }
    EXPECT_EQ(Col(5), sheet5);
    EXPECT_EQ(S().State[1].ForeColor, ui::kRed);
    EXPECT_EQ(S().State[0].ForeColor, ui::kBlack);
    EXPECT_EQ(S().Tou[2].picture, avatar);

    LeaveTable(c);
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    EXPECT_EQ(SettledRounds(c), 0);
    EXPECT_TRUE(H().Num.items.empty());
    EXPECT_EQ(H().sunScore[0].Caption, "");
    EXPECT_FALSE(S().Visible);
}

TEST_F(RecordFileTest, ListsAreFittedToTheStoredCounts) {
    Settle(Usual());
    const std::size_t stored = Col(0).size(), stored1 = Col(1).size();
    S().State[0].items.assign(stored + 5, "x");
    S().State[1].items.assign(3, "x");
    ReadJuInfo(c, 1);
    EXPECT_EQ(Col(0).size(), stored);
    EXPECT_EQ(Col(1).size(), stored1);
    EXPECT_EQ(Col(1)[2], " ") << "a grown list is filled with stored lines";
    // Round 0 and a round without a section: names empty, lists as they were.
    S().ID[0].Caption = "kept";
    ReadJuInfo(c, 0);
    EXPECT_EQ(S().ID[0].Caption, "kept");
    ReadJuInfo(c, 9);
    EXPECT_EQ(S().ID[0].Caption, "");
    EXPECT_EQ(Col(0).size(), stored);
}

TEST_F(RecordFileTest, AnEmptyAvatarIsStoredEmptyAndLeavesThePicture) {
    c.seats.g_NameAvatar[3].second.clear();
    Settle(Usual());
    classIniFile ini;
    ini.INIFileName = RecordFile().string();
    EXPECT_EQ(ini.GetIniKey("juNum:1", "PicIndex( 3 )"), "");
    S().Tou[3].picture = ui::Picture::Named("marker");
    ReadJuInfo(c, 1);
    EXPECT_EQ(S().Tou[3].picture, ui::Picture::Named("marker"));
}

TEST_F(RecordFileTest, AFileEditedByHandNeverBreaksReading) {
    Settle(Usual());
    const auto before = Col(2);
    struct Case { const char* count; const char* colour; const char* avatar; };
    for (const Case& k : {Case{"abc", "x", "99"}, Case{"-4", "-1", "-1"}, Case{"99999999999", "16777216", "1x"},
                          Case{"2000000", "", ""}}) {
        SCOPED_TRACE(k.count);
        WriteBytes(RecordFile(), std::string("[juNum:1]\nname( 0 )=a\nPicIndex( 0 )=") + k.avatar + "\ncount( 0 )=" +
                                     k.count + "\ncount( 0 ) ForeColor=" + k.colour + "\n");
        S().State[0].ForeColor = ui::kGreen;
        ReadJuInfo(c, 1);
        EXPECT_EQ(S().ID[0].Caption, "a");
        EXPECT_EQ(Col(2), before) << "reading stops at the first bad count";
        EXPECT_EQ(S().State[0].ForeColor, ui::kGreen);
    }
}

}  // namespace
}  // namespace zorvan::testing
