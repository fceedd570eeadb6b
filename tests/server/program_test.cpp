// The real zorvan-server on loopback: options and their errors, and garbage from one client
// (random bytes, a short packet, a flood of 10,000 packets) while another seat plays on.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Packet = std::array<std::uint8_t, 272>;

struct Process {
    pid_t pid = -1;
    int out = -1;  // standard output
    int err = -1;  // standard error
};

// Starts the server; with `quietErr` its log goes to /dev/null (nobody drains the pipe).
Process Start(const std::vector<std::string>& args, bool quietErr = false) {
    int o[2], e[2];
    EXPECT_EQ(pipe(o), 0);
    EXPECT_EQ(pipe(e), 0);
    Process p;
    p.pid = fork();
    if (p.pid == 0) {
        dup2(o[1], 1);
        dup2(e[1], 2);
        if (quietErr) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
        }
        close(o[0]);
        close(e[0]);
        std::vector<char*> argv{const_cast<char*>(ZORVAN_SERVER_BIN)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(o[1]);
    close(e[1]);
    p.out = o[0];
    p.err = e[0];
    return p;
}

std::string ReadAll(int fd, int timeoutMs, const std::string& until = "") {
    std::string s;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        pollfd pf{fd, POLLIN, 0};
        if (poll(&pf, 1, 50) <= 0) continue;
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        s.append(buf, static_cast<std::size_t>(n));
        if (!until.empty() && s.find(until) != std::string::npos) break;
    }
    return s;
}

int Exit(const Process& p) {
    int status = 0;
    waitpid(p.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    return fd;
}

void SendAll(int fd, const void* data, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const ssize_t w = send(fd, b, n, MSG_NOSIGNAL);
        if (w <= 0) return;
        b += w;
        n -= static_cast<std::size_t>(w);
    }
}

// Reads packets until one with command `cmd` arrives (true) or the time runs out.
bool AwaitCommand(int fd, int cmd, int timeoutMs, std::vector<std::uint8_t>& buf, Packet* got = nullptr) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (buf.size() >= 272) {
            Packet p;
            std::memcpy(p.data(), buf.data(), 272);
            buf.erase(buf.begin(), buf.begin() + 272);
            if (p[3] == cmd) {
                if (got) *got = p;
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= end) return false;
        pollfd pf{fd, POLLIN, 0};
        if (poll(&pf, 1, 50) <= 0) continue;
        std::uint8_t tmp[8192];
        const ssize_t n = recv(fd, tmp, sizeof tmp, 0);
        if (n <= 0) return false;
        buf.insert(buf.end(), tmp, tmp + n);
    }
}

Packet Login(const std::string& account) {
    Packet p{};
    p[3] = 18;
    p[14] = 1;
    std::memcpy(&p[16], account.data(), account.size());
    return p;
}

int PortOf(const std::string& line) {
    const auto colon = line.rfind(':');
    return colon == std::string::npos ? -1 : std::stoi(line.substr(colon + 1));
}

TEST(ServerProgram, BadOptionsAndPortInUseFailClearly) {
    Process bad = Start({"--bots", "7"});
    EXPECT_NE(ReadAll(bad.err, 3000).find("--bots expects a number from 0 to 4"), std::string::npos);
    EXPECT_EQ(Exit(bad), 2);
    Process unknown = Start({"--colour"});
    EXPECT_NE(ReadAll(unknown.err, 3000).find("unknown option"), std::string::npos);
    EXPECT_EQ(Exit(unknown), 2);

    Process first = Start({"--port", "0"});
    const int port = PortOf(ReadAll(first.out, 5000, "\n"));
    ASSERT_GT(port, 0);
    Process second = Start({"--port", std::to_string(port)});
    EXPECT_NE(ReadAll(second.err, 3000).find("already in use"), std::string::npos);
    EXPECT_EQ(Exit(second), 3);
    kill(first.pid, SIGTERM);
    EXPECT_EQ(Exit(first), 0);
}

TEST(ServerProgram, GarbageFromOneClientLeavesTheOtherTablesPlaying) {
    Process server = Start({"--port", "0", "--bots", "3", "--fast", "--seed", "5"}, true);
    const int port = PortOf(ReadAll(server.out, 5000, "\n"));
    ASSERT_GT(port, 0);

    const int good = Connect(port);
    std::vector<std::uint8_t> inbox;
    const Packet login = Login("good");
    SendAll(good, login.data(), login.size());
    ASSERT_TRUE(AwaitCommand(good, 18, 5000, inbox));
    Packet ready{};
    ready[3] = 16;
    ready[6] = 1;
    ready[15] = 1;
    SendAll(good, ready.data(), ready.size());
    ASSERT_TRUE(AwaitCommand(good, 1, 5000, inbox)) << "the round starts";

    // The other client: random bytes, a short packet, then 10,000 packets of garbage.
    const int bad = Connect(port);
    std::mt19937 rng(99);
    std::vector<std::uint8_t> junk(5000);
    for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
    SendAll(bad, junk.data(), junk.size());
    SendAll(bad, junk.data(), 100);
    std::vector<std::uint8_t> flood(272 * 10000);
    for (auto& b : flood) b = static_cast<std::uint8_t>(rng());
    for (std::size_t i = 0; i < 10000; ++i) flood[272 * i + 14] = 0;  // no leave packets
    SendAll(bad, flood.data(), flood.size());
    close(bad);

    // The good seat's table plays on (its turns are played for it), and newcomers still get in.
    Packet play{};
    EXPECT_TRUE(AwaitCommand(good, 6, 20000, inbox, &play)) << "plays keep coming";
    const int late = Connect(port);
    std::vector<std::uint8_t> lateInbox;
    const Packet lateLogin = Login("late");
    SendAll(late, lateLogin.data(), lateLogin.size());
    Packet reply{};
    ASSERT_TRUE(AwaitCommand(late, 18, 5000, lateInbox, &reply));
    EXPECT_EQ(reply[15], 1);
    close(late);
    close(good);

    EXPECT_EQ(waitpid(server.pid, nullptr, WNOHANG), 0) << "the server is still running";
    kill(server.pid, SIGTERM);
    EXPECT_EQ(Exit(server), 0);
}

}  // namespace
