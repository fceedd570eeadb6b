// zorvan-lobby: the client's command line it builds, and the program itself with a stand-in client
// (a shell script that records its arguments): logging, posting, sending back to the table, and
// stopping the client with the lobby.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "lobby.h"
#include "platform/window_socket.h"

namespace zorvan::lobby {
namespace {

namespace fs = std::filesystem;
int serial = 0;  // short folder names: socket paths are limited to 107 bytes

Options With(std::initializer_list<std::string> args) { return ParseOptions(std::vector<std::string>(args)); }

TEST(LobbyCommandLine, BuiltFromTheOptions) {
    struct Case { std::vector<std::string> args; std::string line; };
    const Case cases[] = {
        {{"--name", "alice", "--key", "key1"}, "alice$key1$127.0.0.1$5000$一号房$0$$0$$$0$$$0$0"},
        {{"--name", "bob", "--server", "10.0.0.2:6001", "--room", "二号房", "--props", "1"},
         "bob$key$10.0.0.2$6001$二号房$0$$0$$$0$$$1$0"},
        // A lobby of another caption must be named in the line, with the client's caption.
        {{"--name", "a", "--caption", "Lobby 2"}, "a$key$127.0.0.1$5000$一号房$0$$0$$$1$Lobby 2$qelt$0$0"},
        {{"--name", "a", "--client-caption", "table-7"}, "a$key$127.0.0.1$5000$一号房$0$$0$$$1$Quenlo山庄$table-7$0$0"},
        {{"--name", "a", "--spectator"}, "a$key$127.0.0.1$5000$一号房$0$$0$$$0$$$0$0$"},
        {{"--name", "a", "--command-line", "x$y$h$1$r$0$$0$$$1$L$C$0$0"}, "x$y$h$1$r$0$$0$$$1$L$C$0$0"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildCommandLine(ParseOptions(c.args)), c.line);
}

TEST(LobbyCommandLine, FieldsTheClientCannotTakeAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"--name", "a$b"}, {"--room", "x$y"}, {"--name", "张三"}, {"--key", "ké"},
        {"--server", "localhost"}, {"--server", "h:0"}, {"--server", "h:65536"}, {"--server", ":5000"},
        {"--server", "h:50x"}, {"--caption", "a$b"},
    };
    for (const auto& args : bad) EXPECT_THROW(BuildCommandLine(ParseOptions(args)), std::invalid_argument) << args[1];
    EXPECT_THROW(With({"--bogus"}), std::invalid_argument);
    EXPECT_THROW(With({"--name"}), std::invalid_argument);
    EXPECT_THROW(With({"--caption", ""}), std::invalid_argument);
}

TEST(LobbyCommandLine, CaptionsReadBackFromALine) {
    struct Case { std::string line, client, lobby; };
    const Case cases[] = {
        {"alice$key1$127.0.0.1$5000$一号房$0$$0$$$0$$$1$0", "qelt", "Quenlo山庄"},
        {"a$k$h$1$r$0$$0$$$1$L$C$0$0", "C", "L"},
        {"a$k$h$1$r$0$$0$$$1$L$C$0$0$", "C", "L"},     // spectator mark
        {"a$k$h$1$r$0$$0$$$ 1x$L$C$0$0", "C", "L"},    // lenient number
        {"a$k$h$1$r$0$$0$$$2$L$C$0$0", "qelt", "Quenlo山庄"},
        {"short", "qelt", "Quenlo山庄"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClientCaptionOf(c.line), c.client) << c.line;
        EXPECT_EQ(LobbyCaptionOf(c.line), c.lobby) << c.line;
    }
}

// What the lobby makes of the client's messages: the window's state and its "back to the table" button.
TEST(LobbyState, FollowsTheClientsMessages) {
    fs::path dir = fs::temp_directory_path() / ("zs-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    Options o = With({"--no-client", "--name", "alice", "--windows-dir", dir.string()});
    Lobby l(o);
    std::string error;
    ASSERT_TRUE(l.open(&error)) << error;
    EXPECT_EQ(l.account(), "alice");
    EXPECT_EQ(l.table(), "一号房 (127.0.0.1:5000)");
    struct Step { winmsg::Message m; const char* status; bool left; };
    const Step steps[] = {
        {{274, 61728, 0}, "not started", false},  // the restore of a client's start-up: no leave
        {{22, 0, 0}, "connecting", false},
        {{771, 0, 0}, "at the table", false},
        {{1127, 0, 0}, "playing", false},
        {{274, 61472, 0}, "playing", false},      // minimise: no change
        {{274, 61728, 0}, "left the table", true},
        {{22, 0, 0}, "connecting", false},
        {{274, 61728, 0}, "left the table", true},  // the connection failed
        {{771, 0, 0}, "at the table", false},
        {{1024, 0, 0}, "left the table", true},
    };
    std::vector<long> sysCommands;
    l.onSysCommand = [&](long w) { sysCommands.push_back(w); };
    for (const Step& s : steps) {
        ASSERT_TRUE(winmsg::Post(o.caption, s.m, nullptr, dir.string()));
        for (int i = 0; i < 50; ++i) {
            pollfd p{l.listener().fd(), POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) break;
        }
        l.serve();
        EXPECT_EQ(l.status(), s.status) << s.m.msg << " " << s.m.wParam;
        EXPECT_EQ(l.leftTable(), s.left) << s.m.msg << " " << s.m.wParam;
    }
    EXPECT_EQ(sysCommands, (std::vector<long>{61728, 61472, 61728, 61728}));
    fs::remove_all(dir);
}

// ---- the program ----

struct Program : ::testing::Test {
    fs::path base, windows, record;
    pid_t pid = -1;
    int in = -1, out = -1;
    std::string output;

    void SetUp() override {
        base = fs::temp_directory_path() / ("zl-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(base);
        fs::create_directories(base);
        windows = base / "windows";
        record = base / "client-args";
        // The stand-in client: records its arguments and its pid, then waits to be stopped.
        std::ofstream script(base / "client.sh");
        script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > " << record.string() << ".tmp\n"
               << "echo $$ >> " << record.string() << ".tmp\n"
               << "mv " << record.string() << ".tmp " << record.string() << "\nexec sleep 60\n";
        script.close();
        fs::permissions(base / "client.sh", fs::perms::owner_all);
    }
    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        fs::remove_all(base);
    }

    void Start(std::vector<std::string> args) {
        int toChild[2], fromChild[2];
        ASSERT_EQ(::pipe(toChild), 0);
        ASSERT_EQ(::pipe(fromChild), 0);
        pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::dup2(toChild[0], 0);
            ::dup2(fromChild[1], 1);
            ::close(toChild[1]);
            ::close(fromChild[0]);
            ::setenv("ZORVAN_WINDOWS_DIR", windows.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(ZORVAN_LOBBY_BIN)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
        ::fcntl(out, F_SETFL, O_NONBLOCK);
    }
    // Reads the lobby's output until it contains text (or 5 seconds pass).
    bool WaitFor(const std::string& text) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (output.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd p{out, POLLIN, 0};
            ::poll(&p, 1, 50);
            char buf[1024];
            ssize_t n = ::read(out, buf, sizeof buf);
            if (n > 0) output.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    void Type(const std::string& line) {
        std::string l = line + "\n";
        ASSERT_EQ(::write(in, l.data(), l.size()), static_cast<ssize_t>(l.size()));
    }
    std::vector<std::string> Recorded() {
        for (int i = 0; i < 100 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream f(record);
        std::vector<std::string> lines;
        for (std::string l; std::getline(f, l);) lines.push_back(l);
        return lines;
    }
    static bool Alive(pid_t p) { return ::kill(p, 0) == 0; }
    std::vector<winmsg::Message> Drain(winmsg::Listener& l, std::size_t want) {
        std::vector<winmsg::Message> got;
        for (int i = 0; i < 100 && got.size() < want; ++i)
            l.waitAndServe([&](const winmsg::Message& m) { got.push_back(m); }, 50);
        return got;
    }
};

TEST_F(Program, StartsTheClientLogsAndPostsAndStopsIt) {
    Start({"--no-window", "--name", "alice", "--key", "key1", "--client", (base / "client.sh").string()});
    ASSERT_TRUE(WaitFor("listening as \"Quenlo山庄\"")) << output;

    // The client gets the whole command line as one argument.
    auto args = Recorded();
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0], "1");
    EXPECT_EQ(args[1], "alice$key1$127.0.0.1$5000$一号房$0$$0$$$0$$$0$0");
    pid_t client = std::stoi(args[2]);
    EXPECT_TRUE(Alive(client));

    // Every message to the lobby is printed with a time stamp.
    ASSERT_TRUE(winmsg::Post("Quenlo山庄", {771, 0, 0}, nullptr, windows.string()));
    ASSERT_TRUE(winmsg::Post("Quenlo山庄", {274, 61472, 0}, nullptr, windows.string()));
    ASSERT_TRUE(WaitFor("<- 274 61472 0")) << output;
    EXPECT_NE(output.find("<- 771 0 0  client: connection up / login accepted"), std::string::npos) << output;
    std::istringstream lines(output);
    for (std::string l; std::getline(lines, l);) {
        ASSERT_GE(l.size(), 13u) << l;
        EXPECT_EQ(l[2], ':');
        EXPECT_EQ(l[8], '.');
    }

    // Posts from standard input reach the client's caption.
    winmsg::Listener table;
    ASSERT_TRUE(table.open("qelt", nullptr, windows.string()));
    Type("1125");
    Type("post 32769 7 0");
    Type("again");  // the client listens: 22
    Type("1024");
    EXPECT_EQ(Drain(table, 4),
              (std::vector<winmsg::Message>{{1125, 0, 0}, {32769, 7, 0}, {22, 0, 0}, {1024, 0, 0}}));
    Type("nonsense");
    ASSERT_TRUE(WaitFor("unknown command")) << output;

    // Stopping the lobby stops the client and removes the lobby's socket.
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 0; i < 50 && Alive(client); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(Alive(client));
    EXPECT_FALSE(winmsg::Exists("Quenlo山庄", windows.string()));
}

TEST_F(Program, SendsAnEndedClientBackByStartingItAgain) {
    Start({"--no-window", "--caption", "Lobby B", "--client", (base / "client.sh").string()});
    ASSERT_TRUE(WaitFor("listening as \"Lobby B\"")) << output;
    auto args = Recorded();
    ASSERT_EQ(args.size(), 3u);
    EXPECT_NE(args[1].find("$1$Lobby B$qelt$"), std::string::npos) << args[1];
    fs::remove(record);
    ::kill(std::stoi(args[2]), SIGTERM);
    ASSERT_TRUE(WaitFor("the client was ended by signal")) << output;
    Type("again");
    args = Recorded();
    ASSERT_EQ(args.size(), 3u);
    EXPECT_TRUE(Alive(std::stoi(args[2])));
    Type("quit");
    ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
    pid = -1;
    for (int i = 0; i < 50 && Alive(std::stoi(args[2])); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(Alive(std::stoi(args[2])));
}

TEST_F(Program, PostAndExistsModes) {
    winmsg::Listener w;
    ASSERT_TRUE(w.open("Some 窗口", nullptr, windows.string()));
    Start({"post", "Some 窗口", "1125"});
    ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
    Start({"post", "Some 窗口", "274", "61728", "0"});
    int status;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Drain(w, 2), (std::vector<winmsg::Message>{{1125, 0, 0}, {274, 61728, 0}}));
    // W without L: L is 0 (the screen dump request of the README).
    Start({"post", "Some 窗口", "32769", "7"});
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Drain(w, 1), (std::vector<winmsg::Message>{{32769, 7, 0}}));

    struct Case { std::vector<std::string> args; int status; };
    const Case cases[] = {
        {{"post", "nobody", "22"}, 1},
        {{"post", "Some 窗口", "x"}, 2},
        {{"post", "Some 窗口", "22", "1", "2", "3"}, 2},
        {{"exists", "Some 窗口"}, 0},
        {{"exists", "nobody"}, 1},
        {{"--server", "nowhere"}, 2},
    };
    for (const Case& c : cases) {
        Start(c.args);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        pid = -1;
        ::close(in);
        ::close(out);
        in = out = -1;
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args[0] << " " << c.args[1];
    }
}

TEST_F(Program, ASecondLobbyOfTheSameCaptionIsRefused) {
    Start({"--no-window", "--no-client"});
    ASSERT_TRUE(WaitFor("listening as")) << output;
    pid_t first = pid;
    int firstIn = in, firstOut = out;
    Start({"--no-window", "--no-client"});
    int status;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    ::close(in);
    ::close(out);
    pid = first;
    in = firstIn;
    out = firstOut;
    EXPECT_TRUE(winmsg::Exists(kDefaultCaption, windows.string()));
}

}  // namespace
}  // namespace zorvan::lobby
