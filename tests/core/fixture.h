// A client on the simulated platform with a lobby that records and a scripted far end.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/client.h"
#include "core/packets.h"
#include "core/startup.h"
#include "sim/sim_platform.h"

namespace zorvan::test {

constexpr const char* kLobby = "Quenlo山庄";
constexpr const char* kGoodLine = "alice$key1$127.0.0.1$5000$一号房$0$$0$$$0$$$1$0";

struct SimClient {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    std::unique_ptr<Client> c;
    bool ended = false;
    std::vector<Packet> dispatched;  // not used by the core; tests may fill it from seams

    explicit SimClient(std::string cmdline = kGoodLine, bool lobby = true) {
        sim.system.cmdline = std::move(cmdline);
        if (lobby) desk.addRecorder(kLobby);
        c = std::make_unique<Client>(sim.os);
    }
    // Runs fn and records whether the program ended inside it.
    template <class F> void guard(F&& fn) {
        try {
            fn();
        } catch (const platform::ProgramEnded&) {
            ended = true;
        }
    }
    void startUp() { guard([&] { StartUp(*c); }); }
    void run(std::int64_t ms) { guard([&] { loop.runFor(ms); }); }
    // Start-up, the connection and the login packet written.
    void connect() {
        startUp();
        ASSERT_FALSE(ended);
        run(300);
        ASSERT_EQ(sim.socket.written.size(), kPacketSize);
    }
    // Connected and logged in (login result 1), far end quiet.
    void login() {
        connect();
        Packet r = MakePacket(18);
        r[15] = 1;
        deliver({r});
        run(200);
        ASSERT_TRUE(c->login.g_Online);
    }
    void deliver(const std::vector<Packet>& ps, int delayMs = 0) {
        std::vector<std::uint8_t> bytes;
        for (const auto& p : ps) bytes.insert(bytes.end(), p.begin(), p.end());
        sim.socket.deliver(std::move(bytes), delayMs);
    }
    // Messages posted to the lobby, in order.
    std::vector<int> lobbyMessages() const {
        std::vector<int> out;
        for (const auto& p : desk.to(kLobby))
            if (p.msg != platform::WindowBus::kSysCommand) out.push_back(p.msg);
        return out;
    }
    // The packets the client wrote, cut into 272-byte pieces.
    std::vector<Packet> sent() const {
        std::vector<Packet> out;
        const auto& w = sim.socket.written;
        for (std::size_t at = 0; at + kPacketSize <= w.size(); at += kPacketSize) {
            Packet p;
            std::copy_n(w.begin() + static_cast<long>(at), kPacketSize, p.begin());
            out.push_back(p);
        }
        return out;
    }
};

}  // namespace zorvan::test
