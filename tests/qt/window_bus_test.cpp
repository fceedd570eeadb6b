#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "qt_platform.h"

namespace zorvan::qt {
namespace {

// Runs the event loop until pred holds or ms passed.
bool Until(const std::function<bool()>& pred, int ms = 2000) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

// Writes bytes to a window's socket the way any other program would.
bool RawSend(const std::string& path, const std::string& bytes) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return ok;
}

struct Received { int msg; long w, l; };

struct WindowBusTest : ::testing::Test {
    QTemporaryDir tmp;
    std::string dir;
    void SetUp() override {
        dir = tmp.path().toStdString() + "/windows";
        setenv("ZORVAN_WINDOWS_DIR", dir.c_str(), 1);
    }
    void TearDown() override { unsetenv("ZORVAN_WINDOWS_DIR"); }
    std::string sock(const std::string& caption) { return winmsg::SocketPath(caption, dir); }
};

TEST_F(WindowBusTest, ListenExistsPostAndStop) {
    UnixWindowBus client, lobby;
    std::vector<Received> got;
    EXPECT_FALSE(lobby.exists("qelt"));
    ASSERT_TRUE(client.listen("qelt", [&](int m, long w, long l) { got.push_back({m, w, l}); return 0L; }, nullptr));
    struct stat st;
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(lobby.exists("qelt"));
    EXPECT_FALSE(lobby.exists("Quenlo山庄"));

    lobby.post("qelt", 274, 61728, 0);
    lobby.post("qelt", 22, -1, 2147483647);
    ASSERT_TRUE(Until([&] { return got.size() == 2; }));
    EXPECT_EQ(got[0].msg, 274);
    EXPECT_EQ(got[0].w, 61728);
    EXPECT_EQ(got[1].w, -1);
    EXPECT_EQ(got[1].l, 2147483647);

    // A second window under the same caption is refused while the first one listens.
    std::string why;
    EXPECT_FALSE(lobby.listen("qelt", [](int, long, long) { return 0L; }, &why));
    EXPECT_NE(why.find("already"), std::string::npos) << why;

    client.stopListening();
    EXPECT_FALSE(lobby.exists("qelt"));
    EXPECT_NE(::access(sock("qelt").c_str(), F_OK), 0);
}

TEST_F(WindowBusTest, OnlyWellFormedLinesAreDelivered) {
    UnixWindowBus bus;
    std::vector<Received> got;
    ASSERT_TRUE(bus.listen("qelt", [&](int m, long w, long l) { got.push_back({m, w, l}); return 0L; }, nullptr));
    for (const char* bad : {"hello\n", "274 61728\n", "274 61728 0 9\n", "274  61728 0\n", "-5 0 0\n", "274 x 0\n"})
        ASSERT_TRUE(RawSend(sock("qelt"), bad)) << bad;
    ASSERT_TRUE(RawSend(sock("qelt"), std::string(4000, '7')));  // far too long for a message
    ASSERT_TRUE(RawSend(sock("qelt"), "1125 0 0"));              // the newline is optional
    ASSERT_TRUE(Until([&] { return !got.empty(); }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, 1125);
}

TEST_F(WindowBusTest, AStalledPeerIsCutOff) {
    UnixWindowBus bus, lobby;
    std::vector<Received> got;
    ASSERT_TRUE(bus.listen("qelt", [&](int m, long w, long l) { got.push_back({m, w, l}); return 0L; }, nullptr));
    // Half a line, and the connection stays open.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", sock("qelt").c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::write(fd, "274 ", 4), 4);
    lobby.post("qelt", 1024, 0, 0);
    EXPECT_TRUE(Until([&] { return got.size() == 1; }));
    ::close(fd);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, 1024);
}

// The folder rules themselves are the shared library's (tests/lobby); here: the bus reports them.
TEST_F(WindowBusTest, AFolderOfAnotherUserIsRefusedWithAReason) {
    if (::getuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    std::string foreign = tmp.path().toStdString() + "/foreign";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    setenv("ZORVAN_WINDOWS_DIR", foreign.c_str(), 1);
    UnixWindowBus bus;
    std::string why;
    EXPECT_FALSE(bus.listen("qelt", [](int, long, long) { return 0L; }, &why));
    EXPECT_NE(why.find("another user"), std::string::npos) << why;
    EXPECT_FALSE(bus.exists("qelt"));
}

TEST_F(WindowBusTest, PeersOfAnotherUserAreRefused) {
    if (::getuid() != 0) GTEST_SKIP() << "connecting as another user needs root";
    UnixWindowBus bus;
    std::vector<Received> got;
    ASSERT_TRUE(bus.listen("qelt", [&](int m, long w, long l) { got.push_back({m, w, l}); return 0L; }, nullptr));
    // Open the way on purpose, so that only the listener's own check stands between.
    ::chmod(tmp.path().toStdString().c_str(), 0755);
    ::chmod(dir.c_str(), 0777);
    ::chmod(sock("qelt").c_str(), 0777);
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(RawSend(sock("qelt"), "1024 0 0\n") ? 0 : 3);
    }
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the stranger could not even connect";
    ASSERT_TRUE(RawSend(sock("qelt"), "771 0 0\n"));  // an own peer still gets through
    ASSERT_TRUE(Until([&] { return !got.empty(); }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, 771);
}

}  // namespace
}  // namespace zorvan::qt
