// zorvan-dump-view renders a dump of the main window to a PNG of the window's size, and refuses
// files that are not dumps. Built only when the viewer is (Qt builds).
#include <gtest/gtest.h>

#ifdef ZORVAN_DUMP_VIEW
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "core/client.h"
#include "shell/dump.h"
#include "sim/sim_platform.h"
#include "zorvan/assets.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

// Width and height from a PNG's IHDR chunk; {0, 0} when the file is no PNG.
std::pair<int, int> PngSize(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    if (!in || h[1] != 'P' || h[2] != 'N' || h[3] != 'G') return {0, 0};
    auto be = [&](int at) { return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3]; };
    return {be(16), be(20)};
}

int RunViewer(const std::string& args) {
    std::string cmd = std::string("QT_QPA_PLATFORM=offscreen ") + ZORVAN_DUMP_VIEW + " " + args + " >/dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(DumpView, RendersTheMainWindowAtItsSize) {
    fs::path dir = fs::temp_directory_path() / ("zorvan-view-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    sim.system.dir = dir.string();
    Client c(sim.os);
    c.main.Move(0, 0, 800 * 15, 600 * 15);
    c.main.Visible = true;
    c.main.Pic1.Move(0, 0, 800 * 15, 600 * 15);  // the form is in twips, Pic1's children in pixels
    c.main.Sysmsg[0].Move(20, 480, 300, 100);
    c.main.Time_Img.Move(380, 250, 40, 40);
    c.main.Sysmsg[0].AddItem("连接服务器成功！");
    auto ids = assets::gifIds();
    ASSERT_FALSE(ids.empty());
    c.main.Time_Img.picture = ui::Picture::Gif(ids.front());
    c.main.Time_Img.Visible = true;
    ui::Form exitForm("frmExit");
    exitForm.Move(0, 0, 300 * 15, 150 * 15);
    c.forms.push_back(&exitForm);
    WriteScreenDump(c, 5);
    c.forms.pop_back();
    fs::path dump = dir / "zorvan-dump-5.json";
    ASSERT_TRUE(fs::exists(dump));

    ASSERT_EQ(RunViewer(dump.string() + " -o " + (dir / "main.png").string()), 0);
    EXPECT_EQ(PngSize(dir / "main.png"), (std::pair<int, int>{800, 600}));
    ASSERT_EQ(RunViewer(dump.string() + " --all -o " + (dir / "all.png").string()), 0);
    EXPECT_EQ(PngSize(dir / "all-frmExit.png"), (std::pair<int, int>{300, 150}));
    EXPECT_EQ(PngSize(dir / "all-MainForm.png"), (std::pair<int, int>{800, 600}));

    EXPECT_EQ(RunViewer(dump.string() + " --form nosuch -o " + (dir / "x.png").string()), 1);
    std::ofstream(dir / "bad.json") << "{\"forms\": 3}";
    EXPECT_EQ(RunViewer((dir / "bad.json").string()), 1);
    EXPECT_EQ(RunViewer((dir / "missing.json").string()), 1);
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    if (std::getenv("ZORVAN_KEEP_VIEW")) std::printf("kept %s\n", dir.c_str());
    else fs::remove_all(dir);
}

}  // namespace
}  // namespace zorvan
#endif
