// zorvan-server: the game server over TCP. Plain POSIX sockets and poll; every game decision is
// in the socket-free core (server.h, table.h).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "server/server.h"

using namespace zorvan::server;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

const char* kUsage =
    "usage: zorvan-server [--port N] [--listen ADDR] [--bots N] [--seed S] [--turn-seconds T]\n"
    "                     [--fast] [--trace] [--threes]\n"
    "  --port N          TCP port (default 5000; 0 picks a free one, printed on standard output)\n"
    "  --listen ADDR     IPv4 address to listen on (default 127.0.0.1)\n"
    "  --bots N          bots filling empty seats, 0-4 (4: one table of bots plays on its own)\n"
    "  --seed S          seed for shuffles and bot choices (default: from the clock)\n"
    "  --turn-seconds T  play countdown in seconds, 2-99 (default 20)\n"
    "  --fast            shorten every server-side wait (tests)\n"
    "  --trace           log every packet in hex\n"
    "  --threes          the 3s of the trump suit and its colour partner are trumps\n";

[[noreturn]] void Fail(const std::string& message, int status) {
    std::cerr << "zorvan-server: " << message << "\n";
    std::exit(status);
}

long Number(const std::string& option, const char* value, long lo, long hi) {
    if (!value) Fail(option + " needs a value\n" + kUsage, 2);
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(value, &end, 10);
    if (errno || end == value || *end || v < lo || v > hi)
        Fail(option + " expects a number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" + value + "'", 2);
    return v;
}

std::int64_t NowMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

std::string Stamp() {
    const auto t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char buf[32];
    std::strftime(buf, sizeof buf, "%H:%M:%S", std::localtime(&t));
    return buf;
}

// One log line per event; a line repeated many times in a row (a client flooding the same
// mistake) is summarised instead of written ten thousand times.
struct Logger {
    std::string last;
    long repeats = 0;
    void operator()(const std::string& line) {
        if (line == last) {
            if (++repeats == 3) std::cerr << Stamp() << " (repeating; further copies counted)\n";
            if (repeats >= 3) return;
        } else {
            if (repeats >= 3) std::cerr << Stamp() << " (last line repeated " << repeats << " times)\n";
            last = line;
            repeats = 0;
        }
        std::cerr << Stamp() << " " << line << "\n";
    }
};

std::string Hex(const Packet& p) {
    static const char* d = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : p) {
        s.push_back(d[b >> 4]);
        s.push_back(d[b & 15]);
    }
    return s;
}

// A client dispatches at most one packet per 50 ms tick and holds 128 in its receive ring: the
// server paces each connection (a burst of 32, then one packet per 50 ms) so that a burst
// (a reconnect's queued packets, say) never overflows it.
constexpr int kBurst = 32;
constexpr int kPaceMs = 50;
constexpr std::size_t kMaxQueued = 8192;

struct Connection {
    int fd = -1;
    std::vector<std::uint8_t> in;
    std::deque<Packet> out;
    std::size_t sentOfFront = 0;
    double tokens = kBurst;
    std::int64_t tokenAt = 0;
    std::string peer;
};

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    int port = 5000;
    std::string listenAddr = "127.0.0.1";
    bool trace = false, seeded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--port") port = static_cast<int>(Number(a, v, 0, 65535)), ++i;
        else if (a == "--bots") opt.bots = static_cast<int>(Number(a, v, 0, 4)), ++i;
        else if (a == "--seed") opt.seed = static_cast<std::uint64_t>(Number(a, v, 0, 0x7FFFFFFFL)), seeded = true, ++i;
        else if (a == "--turn-seconds") opt.turnSeconds = static_cast<int>(Number(a, v, 2, 99)), ++i;
        else if (a == "--listen") {
            if (!v) Fail("--listen needs an address\n" + std::string(kUsage), 2);
            listenAddr = v;
            ++i;
        } else if (a == "--fast") opt.fast = true;
        else if (a == "--trace") trace = true;
        else if (a == "--threes") opt.threes = true;
        else if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else Fail("unknown option '" + a + "'\n" + kUsage, 2);
    }
    if (!seeded) opt.seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, listenAddr.c_str(), &addr.sin_addr) != 1) Fail("'" + listenAddr + "' is not an IPv4 address", 2);
    const int lfd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (lfd < 0) Fail(std::string("cannot create a socket: ") + std::strerror(errno), 3);
    int one = 1;
    setsockopt(lfd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(lfd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
        if (errno == EADDRINUSE) Fail("port " + std::to_string(port) + " on " + listenAddr + " is already in use", 3);
        Fail("cannot listen on " + listenAddr + ":" + std::to_string(port) + ": " + std::strerror(errno), 3);
    }
    if (listen(lfd, 64) < 0) Fail(std::string("listen failed: ") + std::strerror(errno), 3);
    socklen_t len = sizeof addr;
    getsockname(lfd, reinterpret_cast<sockaddr*>(&addr), &len);
    std::cout << "zorvan-server listening on " << listenAddr << ":" << ntohs(addr.sin_port) << std::endl;

    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    Logger logger;
    auto log = [&](const std::string& line) { logger(line); };
    Server server(opt, log);
    std::map<int, Connection> conns;  // by connection number (the fd)

    auto closeConn = [&](int id, bool tellServer) {
        auto it = conns.find(id);
        if (it == conns.end()) return;
        close(it->second.fd);
        conns.erase(it);
        if (tellServer) server.Closed(id);
    };
    auto collect = [&] {
        for (auto& o : server.TakeOutput()) {
            auto it = conns.find(o.conn);
            if (it == conns.end()) continue;
            if (trace) log("out " + std::to_string(o.conn) + " cmd " + std::to_string(o.packet[3]) + " " + Hex(o.packet));
            it->second.out.push_back(o.packet);
        }
        for (int id : server.TakeCloses()) closeConn(id, false);
        std::vector<int> slow;
        for (auto& [id, c] : conns)
            if (c.out.size() > kMaxQueued) slow.push_back(id);
        for (int id : slow) {
            log("connection " + std::to_string(id) + " does not read its packets; closed");
            closeConn(id, true);
        }
    };

    while (!g_stop) {
        const std::int64_t now = NowMs();
        server.Advance(now);
        collect();
        // Write what the pacing allows.
        std::vector<int> broken;
        for (auto& [id, c] : conns) {
            c.tokens = std::min<double>(kBurst, c.tokens + static_cast<double>(now - c.tokenAt) / kPaceMs);
            c.tokenAt = now;
            while (!c.out.empty() && (c.sentOfFront > 0 || c.tokens >= 1)) {
                const Packet& p = c.out.front();
                const ssize_t n = send(c.fd, p.data() + c.sentOfFront, p.size() - c.sentOfFront, MSG_NOSIGNAL);
                if (n < 0) {
                    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) broken.push_back(id);
                    break;
                }
                if (c.sentOfFront == 0) c.tokens -= 1;
                c.sentOfFront += static_cast<std::size_t>(n);
                if (c.sentOfFront == p.size()) {
                    c.out.pop_front();
                    c.sentOfFront = 0;
                }
            }
        }
        for (int id : broken) closeConn(id, true);

        std::vector<pollfd> fds{{lfd, POLLIN, 0}};
        bool pacing = false;
        for (auto& [id, c] : conns) {
            short ev = POLLIN;
            if (!c.out.empty() && (c.sentOfFront > 0 || c.tokens >= 1)) ev |= POLLOUT;
            if (!c.out.empty()) pacing = true;
            fds.push_back({c.fd, ev, 0});
        }
        std::int64_t wait = 1000;
        const std::int64_t wake = server.NextWake();
        if (wake != INT64_MAX) wait = std::clamp<std::int64_t>(wake - NowMs(), 0, 1000);
        if (pacing) wait = std::min<std::int64_t>(wait, kPaceMs);
        if (poll(fds.data(), fds.size(), static_cast<int>(wait)) < 0 && errno != EINTR) break;

        if (fds[0].revents & POLLIN) {
            for (;;) {
                sockaddr_in peer{};
                socklen_t pl = sizeof peer;
                const int fd = accept4(lfd, reinterpret_cast<sockaddr*>(&peer), &pl, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                Connection c;
                c.fd = fd;
                c.tokenAt = NowMs();
                char buf[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &peer.sin_addr, buf, sizeof buf);
                c.peer = std::string(buf) + ":" + std::to_string(ntohs(peer.sin_port));
                conns[fd] = std::move(c);
                server.Connected(fd);
                log("connection " + std::to_string(fd) + " from " + conns[fd].peer);
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            const int id = fds[i].fd;
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            auto it = conns.find(id);
            if (it == conns.end()) continue;
            std::uint8_t buf[65536];
            const ssize_t n = recv(id, buf, sizeof buf, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                if (!it->second.in.empty())
                    log("connection " + std::to_string(id) + " closed with " + std::to_string(it->second.in.size()) +
                        " bytes of an incomplete packet");
                log("connection " + std::to_string(id) + " closed");
                closeConn(id, true);
                collect();
                continue;
            }
            if (n < 0) continue;
            auto& in = it->second.in;
            in.insert(in.end(), buf, buf + n);
            std::size_t off = 0;
            server.Advance(NowMs());
            while (in.size() - off >= 272) {
                Packet p;
                std::memcpy(p.data(), in.data() + off, 272);
                off += 272;
                if (trace) log("in " + std::to_string(id) + " cmd " + std::to_string(p[3]) + " " + Hex(p));
                server.Received(id, p);
            }
            in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(off));
            collect();
        }
    }
    for (auto& [id, c] : conns) close(c.fd);
    close(lfd);
    log("stopped");
    return 0;
}
