// The server without sockets: connections are numbers, packets and clock ticks go in, packets
// to send (and connections to close) come out. Logins, accounts, the choice of table, bots
// filling seats, and reconnects live here; each table's game lives in Table.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/table.h"

namespace zorvan::server {

class Server {
public:
    struct Output {
        int conn;
        Packet packet;
    };

    Server(const Options& options, std::function<void(const std::string&)> log,
           std::function<void(const RoundRecord&)> roundDone = {});

    void Connected(int conn);
    void Received(int conn, const Packet& p);
    void Closed(int conn);
    void Advance(std::int64_t now);
    std::int64_t NextWake() const;

    std::vector<Output> TakeOutput();
    std::vector<int> TakeCloses();

    // A table of four bots that plays on its own (created at start with --bots 4).
    Table& AddBotTable();
    const std::map<int, std::unique_ptr<Table>>& tables() const { return tables_; }
    const Profile* ProfileOf(const std::string& account) const;
    // Tests: see every packet of every seat, bots included.
    void Observe(std::function<void(int table, int seat, const Packet&)> f) { observe_ = std::move(f); }

private:
    struct Conn {
        bool loggedIn = false;
        int table = -1;
        int seat = -1;
    };
    void Login(int conn, const Packet& p);
    void Reconnect(int conn, const Packet& p);
    Table& NewTable();
    Profile& BotProfile();
    void Housekeeping();
    void Log(const std::string& line) { if (log_) log_(line); }

    Options opt_;
    std::function<void(const std::string&)> log_;
    std::function<void(const RoundRecord&)> roundDone_;
    std::function<void(int, int, const Packet&)> observe_;
    std::mt19937_64 rng_;
    std::int64_t now_ = 0;
    std::map<int, Conn> conns_;
    std::map<std::string, std::unique_ptr<Profile>> profiles_;
    std::map<int, std::unique_ptr<Table>> tables_;
    int nextTable_ = 1;
    int nextBot_ = 1;
    std::vector<Output> out_;
    std::vector<int> closes_;
};

}  // namespace zorvan::server
