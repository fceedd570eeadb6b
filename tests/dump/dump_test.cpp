// The screen dump of a client on the simulated platform: the fields a reader relies on, the privacy
// of the login secrets, the atomic file, and a rebuild of the forms from the JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/client.h"
#include "shell/dump.h"
#include "shell/dump_json.h"
#include "sim/sim_platform.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

struct DumpFixture : ::testing::Test {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    std::unique_ptr<Client> c;
    fs::path dir;

    void SetUp() override {
        c = std::make_unique<Client>(sim.os);
        dir = fs::temp_directory_path() /
              ("zorvan-dump-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        sim.system.dir = dir.string();
    }
    void TearDown() override { fs::remove_all(dir); }

    json::Value Dump() { return json::Parse(ScreenDumpJson(*c)); }
    static const json::Value* Form(const json::Value& doc, const std::string& name) {
        for (const json::Value& f : doc.find("forms")->arr)
            if (f.string("name") == name) return &f;
        return nullptr;
    }
    static const json::Value* Control(const json::Value& form, const std::string& name, int index = -1) {
        for (const json::Value& k : form.find("controls")->arr)
            if (k.string("name") == name && (index < 0 ? !k.has("index") : k.number("index", -1) == index))
                return &k;
        return nullptr;
    }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(DumpFixture, MainFormAndControlsCarryTheirFields) {
    MainForm& m = c->main;
    m.Caption = "qelt";
    m.Move(150, 300, 15360, 11520);
    m.Opacity = 200;
    m.Topmost = true;
    m.windowState = ui::WindowState::Normal;
    m.Sysmsg[0].AddItem("连接服务器成功！");
    m.Sysmsg[0].AddItem("第二行");
    m.Location.Caption = "一号房";
    m.Location.ForeColor = {0x12, 0xab, 0xff};
    m.Location.ToolTipText = "房间";
    m.Time_Img.picture = ui::Picture::Gif(151);
    m.Chat.Text = "你好 \"quoted\"";
    m.Chat.Enabled = false;
    loop.runFor(1234);

    json::Value doc = Dump();
    EXPECT_EQ(doc.number("time"), 1234);
    const json::Value* f = Form(doc, "MainForm");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->string("caption"), "qelt");
    EXPECT_EQ(f->string("state"), "normal");
    EXPECT_EQ(f->number("left"), 150);
    EXPECT_EQ(f->number("top"), 300);
    EXPECT_EQ(f->number("width"), 15360);
    EXPECT_EQ(f->number("height"), 11520);
    EXPECT_EQ(f->number("opacity"), 200);
    EXPECT_TRUE(f->boolean("topmost"));

    const json::Value* list0 = Control(*f, "Sysmsg", 0);
    ASSERT_NE(list0, nullptr);
    EXPECT_EQ(list0->string("type"), "list");
    ASSERT_EQ(list0->find("items")->arr.size(), 2u);
    EXPECT_EQ(list0->find("items")->arr[0].str, "连接服务器成功！");
    EXPECT_EQ(list0->find("items")->arr[1].str, "第二行");
    ASSERT_NE(Control(*f, "Sysmsg", 1), nullptr);

    const json::Value* loc = Control(*f, "Location");
    ASSERT_NE(loc, nullptr);
    EXPECT_FALSE(loc->has("index"));  // a single control has no index
    EXPECT_EQ(loc->string("type"), "label");
    EXPECT_EQ(loc->string("caption"), "一号房");
    EXPECT_EQ(loc->string("fore"), "#12abff");
    EXPECT_EQ(loc->number("fontSize"), 12);
    EXPECT_EQ(loc->string("tooltip"), "房间");

    const json::Value* chat = Control(*f, "Chat");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->string("text"), "你好 \"quoted\"");
    EXPECT_FALSE(chat->boolean("enabled", true));

    const json::Value* clock = Control(*f, "Time_Img");
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->find("picture")->isNumber());
    EXPECT_EQ(clock->number("picture"), 151);
    EXPECT_FALSE(clock->boolean("visible", true));
    EXPECT_EQ(Control(*f, "Pic1")->string("picture"), "named:Pic1");
    EXPECT_EQ(Control(*f, "Pic1")->string("type"), "picture");

    // Every control has the common fields; z runs from 0 (back) in document order.
    int z = 0;
    for (const json::Value& k : f->find("controls")->arr) {
        for (const char* field : {"name", "type", "left", "top", "width", "height", "visible", "enabled", "tooltip"})
            EXPECT_TRUE(k.has(field)) << k.string("name") << " lacks " << field;
        EXPECT_EQ(k.number("z", -1), z++) << k.string("name");
    }
}

TEST_F(DumpFixture, ZOrderAndPicturesFollowTheModel) {
    MainForm& m = c->main;
    ui::Image& a = m.AnNiu.Load(3);
    a.picture = {};
    a.Top = 17.5;
    m.Time_Img.ZOrder(1);  // to the back of Pic1
    a.ZOrder(0);           // to the front

    json::Value doc = Dump();
    const json::Value* f = Form(doc, "MainForm");
    const json::Value* clock = Control(*f, "Time_Img");
    const json::Value* pic1 = Control(*f, "Pic1");
    const json::Value* button = Control(*f, "AnNiu", 3);
    ASSERT_TRUE(clock && pic1 && button);
    EXPECT_TRUE(button->find("picture")->isNull());
    EXPECT_EQ(button->number("top"), 17.5);
    EXPECT_EQ(clock->number("z"), pic1->number("z") + 1);  // first child drawn right after its container
    for (const json::Value& k : f->find("controls")->arr)
        if (k.find("container")->isObject() && k.find("container")->string("name") == "Pic1") {
            EXPECT_LE(k.number("z"), button->number("z")) << k.string("name");
        }
}

TEST_F(DumpFixture, LoginKeyAndProxyPasswordNeverAppear) {
    c->login.g_LoginKey = "s3cr3t-key";
    c->login.g_ProxyPassword = "pr0xy-pw";
    c->login.g_ProxyUser = "bob";
    c->main.Sysmsg[0].AddItem("key=s3cr3t-key pw=pr0xy-pw");
    c->main.Chat.Text = "s3cr3t-keys3cr3t-key";
    c->main.Location.Caption = "pr0xy-pw";
    c->main.Caption = "qelt s3cr3t-key";

    std::string text = ScreenDumpJson(*c);
    EXPECT_EQ(text.find("s3cr3t"), std::string::npos);
    EXPECT_EQ(text.find("pr0xy"), std::string::npos);
    json::Value doc = json::Parse(text);
    const json::Value* f = Form(doc, "MainForm");
    EXPECT_EQ(Control(*f, "Sysmsg", 0)->find("items")->arr[0].str, "key=*** pw=***");
    EXPECT_EQ(Control(*f, "Chat")->string("text"), "******");
}

TEST_F(DumpFixture, WritesAtomicallyIntoTheDumpFolder) {
    fs::path other = dir / "elsewhere";
    fs::create_directories(other);
    c->main.Sysmsg[0].AddItem("one");

    // Unset: the program folder.
    WriteScreenDump(*c, 7);
    ASSERT_TRUE(fs::exists(dir / "zorvan-dump-7.json"));
    EXPECT_NO_THROW(json::Parse(Slurp(dir / "zorvan-dump-7.json")));

    // Set: that folder; a second dump of the same number replaces the first.
    sim.system.env["ZORVAN_DUMP_DIR"] = other.string();
    WriteScreenDump(*c, 8);
    c->main.Sysmsg[0].AddItem("two");
    WriteScreenDump(*c, 8);
    ASSERT_TRUE(fs::exists(other / "zorvan-dump-8.json"));
    EXPECT_FALSE(fs::exists(dir / "zorvan-dump-8.json"));
    json::Value doc = json::Parse(Slurp(other / "zorvan-dump-8.json"));
    EXPECT_EQ(Control(*Form(doc, "MainForm"), "Sysmsg", 0)->find("items")->arr.size(), 2u);

    // No temporary file is left behind.
    for (const fs::path& d : {dir, other})
        for (const auto& e : fs::directory_iterator(d))
            EXPECT_EQ(e.path().extension(), e.is_directory() ? "" : ".json") << e.path();
}

TEST_F(DumpFixture, AFolderThatCannotBeWrittenIsTracedNotFatal) {
    sim.system.env["ZORVAN_DUMP_DIR"] = (dir / "missing" / "deeper").string();
    sim.system.traceLines.clear();
    EXPECT_NO_THROW(WriteScreenDump(*c, 3));
    EXPECT_FALSE(sim.ended);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    ASSERT_FALSE(sim.system.traceLines.empty());
    EXPECT_NE(sim.system.traceLines.back().find("dump 3 failed"), std::string::npos);
}

TEST_F(DumpFixture, FormsRebuiltFromTheDumpDumpTheSame) {
    MainForm& m = c->main;
    m.Sysmsg[0].AddItem("连接服务器成功！");
    m.Sysmsg[0].ListIndex = 0;
    m.Location.Caption = "一号房";
    m.Location.alignment = ui::Alignment::Center;
    m.Location.FontBold = true;
    for (int i = 1; i <= 4; ++i) {
        ui::Image& card = m.AnNiu.Load(i);
        card.picture = ui::Picture::Gif(100 + i);
        card.Move(10.0 * i, i == 2 ? 20 : 35, 71, 96);
        card.Visible = true;
    }
    m.AnNiu[2].ZOrder(0);
    m.Pic1.painted.push_back({ui::Picture::Named("Pic2"), 1, 2, 3, 4});
    m.shape.push_back({0, 0, 10, 20});
    m.Chat.SetFocus();
    ui::Form extra("frmExit");
    ui::Label label;
    extra.add(label, "Label1");
    label.Caption = "您真的要退出吗？";
    extra.Caption = "退出";
    c->forms.push_back(&extra);
    loop.runFor(99);

    std::string first = ScreenDumpJson(*c);
    DumpedScreen screen = ScreenFromDump(first);
    EXPECT_EQ(screen.timeMs, 99);
    ASSERT_EQ(screen.forms.size(), c->forms.size());
    std::vector<ui::Form*> rebuilt;
    for (auto& f : screen.forms) rebuilt.push_back(f.get());
    EXPECT_EQ(FormsDumpJson(rebuilt, screen.timeMs), first);
    // The rebuilt controls are real members of their containers.
    ui::Control* button = screen.forms[0]->find("AnNiu", 2);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->container(), screen.forms[0]->find("Pic1"));
    c->forms.pop_back();
}

TEST(DumpRead, DocumentsThatAreNotDumpsAreRefused) {
    for (const char* text : {"[]", "{}", "{\"forms\": 3}", "{\"forms\": [1]}", "{\"forms\": [{\"controls\": [7]}]}",
                             "{\"forms\": [{\"controls\": [{\"name\":\"A\",\"index\":1,\"type\":\"image\"},"
                             "{\"name\":\"A\",\"index\":1,\"type\":\"image\"}]}]}"})
        EXPECT_THROW(ScreenFromDump(text), json::ParseError) << text;
    // Unknown types and members are skipped.
    DumpedScreen s = ScreenFromDump(
        R"({"time": 5, "forms": [{"name": "F", "future": 1, "controls": [{"name": "W", "type": "webview"},
           {"name": "L", "type": "label", "caption": "x", "left": 3, "container": {"name": "nowhere"}}]}]})");
    ASSERT_EQ(s.forms.size(), 1u);
    ASSERT_EQ(s.forms[0]->allControls().size(), 1u);
    EXPECT_EQ(s.forms[0]->allControls()[0]->Left, 3);
}

// An independent reader: Python's json module, when it is installed.
TEST_F(DumpFixture, PythonReadsTheDump) {
    if (std::system("python3 -c 'import json' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
    c->main.Sysmsg[0].AddItem(std::string("ctl\x01 tab\t bad\xB0 行 \\ \" 😀"));
    WriteScreenDump(*c, 11);
    fs::path file = dir / "zorvan-dump-11.json";
    std::string cmd = "python3 -c \"import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8', errors='strict'));"
                      " m=[f for f in d['forms'] if f['name']=='MainForm'][0];"
                      " s=[k for k in m['controls'] if k['name']=='Sysmsg' and k.get('index')==0][0];"
                      " sys.exit(0 if s['items'][0].startswith('ctl\\x01 tab\\t bad\\ufffd') else 1)\" " +
                      file.string();
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

}  // namespace
}  // namespace zorvan
