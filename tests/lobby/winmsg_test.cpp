// The window-message protocol over Unix sockets: names, lines, the private folder, existence,
// posting, the peer check, stale and duplicate sockets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/window_socket.h"

namespace zorvan::winmsg {
namespace {

namespace fs = std::filesystem;
int serial = 0;  // short folder names: socket paths are limited to 107 bytes

TEST(WindowSocket, Sha256AndSocketNames) {
    struct Case { std::string in, hex; };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 56 bytes: padding takes a block
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const Case& c : cases) EXPECT_EQ(Sha256Hex(c.in), c.hex) << c.in.size();
    EXPECT_EQ(SocketPath("Quenlo山庄", "/d"), "/d/0b41e1dae3b6462e5e86b5ab74814f8f.sock");
    EXPECT_EQ(SocketPath("qelt", "/d"), "/d/8379217138aa2a75dfa6ebf0b96d1fde.sock");
}

TEST(WindowSocket, MessageLines) {
    EXPECT_EQ(FormatMessage({274, 61728, 0}), "274 61728 0\n");
    EXPECT_EQ(FormatMessage({32769, 7, -1}), "32769 7 -1\n");
    struct Case { const char* line; std::optional<Message> m; };
    const Case cases[] = {
        {"22 0 0\n", Message{22, 0, 0}},
        {"1125 0 0", Message{1125, 0, 0}},
        {"32769 7 0\r\n", Message{32769, 7, 0}},
        {"274 61472 -5\n", Message{274, 61472, -5}},
        {"22 -1 2147483647", Message{22, -1, 2147483647}},
        {"", std::nullopt},
        {"22", std::nullopt},
        {"22 0", std::nullopt},
        {"22  0 0", std::nullopt},
        {" 22 0 0", std::nullopt},
        {"22 0 0 \n", std::nullopt},
        {"22 0 0\n\n", std::nullopt},
        {"-5 0 0", std::nullopt},
        {"22 0 0 0", std::nullopt},
        {"x 0 0", std::nullopt},
        {"22 0x10 0", std::nullopt},
        {"+22 0 0", std::nullopt},
        {"99999999999 0 0", std::nullopt},
        {"22 0 99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseMessage(c.line), c.m) << c.line;
}

struct Folder : ::testing::Test {
    fs::path base, dir;
    void SetUp() override {
        base = fs::temp_directory_path() / ("zw-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(base);
        fs::create_directories(base);
        dir = base / "windows";
    }
    void TearDown() override { fs::remove_all(base); }
    static unsigned Mode(const fs::path& p) {
        struct stat st;
        return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    // Serves until a message came or about a second passed.
    static std::vector<Message> Drain(Listener& l, std::size_t want = 1) {
        std::vector<Message> got;
        for (int i = 0; i < 50 && got.size() < want; ++i)
            l.waitAndServe([&](const Message& m) { got.push_back(m); }, 20);
        return got;
    }
    // Connects to the socket and writes raw bytes (or nothing).
    static void Raw(const std::string& path, const std::string& bytes) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        if (!bytes.empty()) {
            ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        }
        ::close(fd);
    }
};

TEST_F(Folder, RoundTripExistsAndPost) {
    Listener l;
    EXPECT_FALSE(Exists("Quenlo山庄", dir));
    std::string error;
    ASSERT_TRUE(l.open("Quenlo山庄", &error, dir)) << error;
    EXPECT_EQ(Mode(dir), 0700u);
    EXPECT_EQ(l.path(), SocketPath("Quenlo山庄", dir));
    EXPECT_TRUE(Exists("Quenlo山庄", dir));
    EXPECT_FALSE(Exists("qelt", dir));
    EXPECT_TRUE(Drain(l).empty());  // an existence check carries no message

    ASSERT_TRUE(Post("Quenlo山庄", {771, 0, 0}, &error, dir)) << error;
    ASSERT_TRUE(Post("Quenlo山庄", {274, 61728, 3}, &error, dir)) << error;
    EXPECT_EQ(Drain(l, 2), (std::vector<Message>{{771, 0, 0}, {274, 61728, 3}}));

    EXPECT_FALSE(Post("qelt", {22, 0, 0}, &error, dir));
    EXPECT_NE(error.find("qelt"), std::string::npos);

    l.close();
    EXPECT_FALSE(fs::exists(SocketPath("Quenlo山庄", dir)));
    EXPECT_FALSE(Exists("Quenlo山庄", dir));
}

TEST_F(Folder, OnlyWellFormedLinesAreDelivered) {
    Listener l;
    ASSERT_TRUE(l.open("w", nullptr, dir));
    Raw(l.path(), "garbage\n");
    Raw(l.path(), std::string(5000, '1'));  // no line end within a sane length
    Raw(l.path(), "1024 0 0");              // closed without a newline: still one message
    Raw(l.path(), "1125 1 2\nextra\n");     // only the first line counts
    EXPECT_EQ(Drain(l, 2), (std::vector<Message>{{1024, 0, 0}, {1125, 1, 2}}));
}

TEST_F(Folder, PrivateFolderRules) {
    // Created 0700; one of ours that is open to others is narrowed.
    std::string error;
    ASSERT_TRUE(PrepareDir(dir, &error)) << error;
    EXPECT_EQ(Mode(dir), 0700u);
    ::chmod(dir.c_str(), 0755);
    ASSERT_TRUE(PrepareDir(dir, &error)) << error;
    EXPECT_EQ(Mode(dir), 0700u);

    // A link or a file in its place is refused.
    fs::path link = base / "link";
    fs::create_directory_symlink(dir, link);
    EXPECT_FALSE(PrepareDir(link, &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
    Listener l;
    EXPECT_FALSE(l.open("w", &error, link));
    fs::path file = base / "plain";
    ::close(::creat(file.c_str(), 0600));
    EXPECT_FALSE(PrepareDir(file, &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

    // A folder whose socket paths would not fit a socket address is reported as such.
    fs::path deep = base / std::string(90, 'd');
    fs::create_directories(deep);
    EXPECT_FALSE(l.open("w", &error, deep));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_FALSE(Post("w", {22, 0, 0}, &error, deep));

    // A missing parent is reported, not created.
    EXPECT_FALSE(PrepareDir(base / "no" / "such", &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

TEST_F(Folder, AFolderOfAnotherUserIsRefused) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    fs::create_directory(dir);
    ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
    ::chmod(dir.c_str(), 0700);
    std::string error;
    EXPECT_FALSE(PrepareDir(dir, &error));
    EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
    Listener l;
    EXPECT_FALSE(l.open("w", &error, dir));
    EXPECT_FALSE(Post("w", {22, 0, 0}, &error, dir));
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
}

TEST_F(Folder, PeersOfAnotherUserAreNotServed) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    Listener l;
    ASSERT_TRUE(l.open("w", nullptr, dir));
    // Loosen the permissions as a careless user might, so that another user can reach the socket.
    ::chmod(dir.c_str(), 0777);
    ::chmod(l.path().c_str(), 0777);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", l.path().c_str());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) ::_exit(4);
        const char line[] = "1024 0 0\n";
        [[maybe_unused]] auto n = ::write(fd, line, sizeof line - 1);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Drain(l).empty());
    EXPECT_EQ(l.refusedPeers, 1);
    ASSERT_TRUE(Post("w", {22, 0, 0}, nullptr, dir));  // our own user still gets through
    EXPECT_EQ(Drain(l), (std::vector<Message>{{22, 0, 0}}));
}

TEST_F(Folder, StaleSocketsAreReplacedLiveOnesAreNot) {
    Listener first;
    ASSERT_TRUE(first.open("w", nullptr, dir));
    Listener second;
    std::string error;
    EXPECT_FALSE(second.open("w", &error, dir));
    EXPECT_NE(error.find("already listens"), std::string::npos) << error;
    EXPECT_TRUE(Exists("w", dir));  // the refusal left the first one alone

    // A socket file left by a window that died without cleaning up.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string stale = SocketPath("gone", dir);
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(fd);
    EXPECT_FALSE(Exists("gone", dir));
    Listener again;
    ASSERT_TRUE(again.open("gone", &error, dir)) << error;
    ASSERT_TRUE(Post("gone", {1125, 0, 0}, nullptr, dir));
    EXPECT_EQ(Drain(again), (std::vector<Message>{{1125, 0, 0}}));
}

TEST_F(Folder, DefaultFolderFromTheEnvironment) {
    std::string saved = std::getenv("ZORVAN_WINDOWS_DIR") ? std::getenv("ZORVAN_WINDOWS_DIR") : "";
    std::string savedXdg = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::setenv("ZORVAN_WINDOWS_DIR", dir.c_str(), 1);
    EXPECT_EQ(WindowsDir(), dir.string());
    ::unsetenv("ZORVAN_WINDOWS_DIR");
    ::setenv("XDG_RUNTIME_DIR", "/run/user/5", 1);
    EXPECT_EQ(WindowsDir(), "/run/user/5/zorvan-windows");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(WindowsDir(), "/tmp/zorvan-windows-" + std::to_string(::getuid()));
    if (!saved.empty()) ::setenv("ZORVAN_WINDOWS_DIR", saved.c_str(), 1);
    if (!savedXdg.empty()) ::setenv("XDG_RUNTIME_DIR", savedXdg.c_str(), 1);
}

}  // namespace
}  // namespace zorvan::winmsg
