// A whole local table in one process and in virtual time: real client cores on the simulated
// platform, connected to the reference server's state machine, with bots in the other seats.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/client.h"
#include "core/startup.h"
#include "server/server.h"
#include "sim/sim_platform.h"

namespace zorvan::test {

inline constexpr const char* kLobbyCaption = "Quenlo山庄";

struct LocalClient {
    sim::SimPlatform sim;
    std::unique_ptr<Client> c;
    int conn;
    std::vector<std::uint8_t> pending;   // bytes written but not yet a whole packet
    std::vector<Packet> sent, received;  // whole packets, in order
    LocalClient(sim::SimLoop& loop, sim::SimDesktop& desk, int connId) : sim(loop, desk), conn(connId) {}
};

class LocalTable {
public:
    explicit LocalTable(server::Options opt) : server_(opt, [this](const std::string& l) { log.push_back(l); }) {
        desk.addRecorder(kLobbyCaption);
        wake_ = loop.makeTimer([this] { Pump(); });
        wake_->setInterval(10);
        wake_->setEnabled(true);
    }

    // A client with the given account that starts up (the lobby's command line) and connects.
    LocalClient& AddClient(const std::string& account) {
        auto lc = std::make_unique<LocalClient>(loop, desk, static_cast<int>(clients_.size()) + 1);
        LocalClient& ref = *lc;
        ref.sim.system.cmdline = account + "$key$127.0.0.1$5000$一号房$0$$0$$$0$$$0$0";
        // A program folder of its own, so that the record file never lands in the working folder.
        ref.sim.system.dir = MakeProgramDir(account);
        ref.sim.socket.acceptConnect = [this, &ref](const std::string&, int) {
            server_.Connected(ref.conn);
            return true;
        };
        ref.sim.socket.farEndReceives = [this, &ref](std::span<const std::uint8_t> b) {
            ref.pending.insert(ref.pending.end(), b.begin(), b.end());
            while (ref.pending.size() >= kPacketSize) {
                Packet p;
                std::copy_n(ref.pending.begin(), kPacketSize, p.begin());
                ref.pending.erase(ref.pending.begin(), ref.pending.begin() + kPacketSize);
                ref.sent.push_back(p);
                server_.Received(ref.conn, p);
            }
            Flush();
        };
        ref.c = std::make_unique<Client>(ref.sim.os);
        clients_.push_back(std::move(lc));
        Guard(ref, [&] { StartUp(*ref.c); });
        return ref;
    }

    // Runs virtual time; a client that ends is recorded, the others go on.
    void Run(std::int64_t ms) {
        std::int64_t end = loop.nowMs() + ms;
        while (loop.nowMs() < end) {
            try {
                loop.runFor(end - loop.nowMs());
            } catch (const platform::ProgramEnded&) {
                ++ended;
            }
        }
    }
    bool RunUntil(const std::function<bool()>& pred, std::int64_t maxMs) {
        std::int64_t end = loop.nowMs() + maxMs;
        while (loop.nowMs() < end) {
            try {
                return loop.runUntil(pred, end - loop.nowMs());
            } catch (const platform::ProgramEnded&) {
                ++ended;
            }
        }
        return pred();
    }

    ~LocalTable() {
        std::error_code ec;
        for (const auto& d : dirs_) std::filesystem::remove_all(d, ec);
    }

    sim::SimLoop loop;
    sim::SimDesktop desk;
    std::vector<std::string> log;
    int ended = 0;
    server::Server& server() { return server_; }

private:
    template <class F> void Guard(LocalClient&, F&& fn) {
        try {
            fn();
        } catch (const platform::ProgramEnded&) {
            ++ended;
        }
    }
    std::string MakeProgramDir(const std::string& account) {
        static int serial = 0;
        auto d = std::filesystem::temp_directory_path() /
                 ("zorvan-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + "-" + account);
        std::filesystem::create_directories(d);
        dirs_.push_back(d);
        return d.string();
    }
    void Pump() {
        server_.Advance(loop.nowMs());
        Flush();
    }
    void Flush() {
        for (auto& out : server_.TakeOutput()) {
            for (auto& lc : clients_) {
                if (lc->conn != out.conn) continue;
                lc->received.push_back(out.packet);
                lc->sim.socket.deliver(std::vector<std::uint8_t>(out.packet.begin(), out.packet.end()));
            }
        }
        for (int conn : server_.TakeCloses())
            for (auto& lc : clients_)
                if (lc->conn == conn) lc->sim.socket.farClose();
    }

    server::Server server_;
    std::vector<std::unique_ptr<LocalClient>> clients_;
    std::unique_ptr<platform::Timer> wake_;
    std::vector<std::filesystem::path> dirs_;
};

// A table where the player sits with three bots.
inline server::Options BotTable(std::uint64_t seed) {
    server::Options o;
    o.bots = 3;
    o.seed = seed;
    return o;
}

// The player's ready action: a click on the ready button.
inline void PressReady(Client& c) { c.main.AnNiu[2].events.Click(c.main.AnNiu[2]); }

// Waits until the player and the three bots are seated, then presses the ready button.
inline bool SeatAndPressReady(LocalTable& t, LocalClient& me) {
    if (!t.RunUntil([&] { return me.c->seats.g_SeatedCount == 4; }, 20'000)) return false;
    PressReady(*me.c);
    return true;
}

// Commands of a packet list.
inline std::vector<int> Commands(const std::vector<Packet>& ps) {
    std::vector<int> out;
    for (const auto& p : ps) out.push_back(p[3]);
    return out;
}
inline int Count(const std::vector<Packet>& ps, int command) {
    int n = 0;
    for (const auto& p : ps) n += p[3] == command;
    return n;
}

}  // namespace zorvan::test
