#include "server/server.h"

#include <algorithm>
#include <climits>

#include "server/wire.h"

namespace zorvan::server {

using namespace zorvan::server::wire;

namespace {

// A stable avatar for an account: "m1".."m10" or "w1".."w10".
void PickAvatar(Profile& p) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : p.account) h = (h ^ c) * 16777619u;
    p.sex = (h >> 8) % 2 == 0 ? 1 : 0;
    p.avatar = std::string(p.sex ? "m" : "w") + std::to_string(1 + h % 10);
}

}  // namespace

Server::Server(const Options& options, std::function<void(const std::string&)> log,
               std::function<void(const RoundRecord&)> roundDone)
    : opt_(options), log_(std::move(log)), roundDone_(std::move(roundDone)), rng_(options.seed) {
    if (opt_.bots >= 4) AddBotTable();
}

Table& Server::NewTable() {
    const int id = nextTable_++;
    Table::Sink sink;
    sink.send = [this](int conn, const Packet& p) { out_.push_back({conn, p}); };
    sink.log = log_;
    sink.roundDone = roundDone_;
    sink.observe = [this](int table, int seat, const Packet& p) {
        if (observe_) observe_(table, seat, p);
    };
    auto t = std::make_unique<Table>(id, opt_, sink, rng_());
    t->SetNow(now_);
    Table& ref = *t;
    tables_[id] = std::move(t);
    return ref;
}

Profile& Server::BotProfile() {
    auto p = std::make_unique<Profile>();
    const int n = nextBot_++;
    p->account = "bot" + std::to_string(n);
    p->nickname = "机器人" + std::to_string(n);
    p->bot = true;
    PickAvatar(*p);
    Profile& ref = *p;
    profiles_[p->account] = std::move(p);
    return ref;
}

Table& Server::AddBotTable() {
    Table& t = NewTable();
    for (int i = 0; i < 4; ++i) t.Seat(&BotProfile(), -1);
    return t;
}

const Profile* Server::ProfileOf(const std::string& account) const {
    auto it = profiles_.find(account);
    return it == profiles_.end() ? nullptr : it->second.get();
}

void Server::Connected(int conn) { conns_[conn] = Conn{}; }

void Server::Received(int conn, const Packet& p) {
    auto it = conns_.find(conn);
    if (it == conns_.end()) return;
    Conn& c = it->second;
    const int cmd = p[3];
    if (c.table < 0) {
        if (cmd == 18) Login(conn, p);
        else if (cmd == 28) Reconnect(conn, p);
        else if (cmd != 24) Log("connection " + std::to_string(conn) + ": command " + std::to_string(cmd) +
                                " before login (ignored)");
        Housekeeping();
        return;
    }
    auto t = tables_.find(c.table);
    if (t == tables_.end()) {
        c.table = c.seat = -1;
        return;
    }
    if (cmd == 18 || cmd == 28) {
        Log("connection " + std::to_string(conn) + ": login while seated (ignored)");
        return;
    }
    t->second->SetNow(now_);
    t->second->Receive(c.seat, p);
    // A seat left (or its table closed): this connection no longer plays there.
    if (t->second->SeatOfConn(conn) != c.seat) c.table = c.seat = -1;
    Housekeeping();
}

void Server::Login(int conn, const Packet& p) {
    const std::string account = GetRaw(p, 16, 16);
    Packet reply = Make(18);
    reply[11] = static_cast<std::uint8_t>(opt_.shortTurn);
    bool seated = false;
    for (const auto& [id, t] : tables_) seated = seated || t->SeatOfAccount(account) >= 0;
    if (account.empty() || seated) {
        reply[15] = 3;
        out_.push_back({conn, reply});
        Log("login of '" + account + "' refused (" + (account.empty() ? "empty account" : "already seated") + ")");
        return;
    }
    auto& slot = profiles_[account];
    if (!slot) {
        slot = std::make_unique<Profile>();
        slot->account = account;
        slot->nickname = text::GbkToUtf8(account);
        PickAvatar(*slot);
    }
    Profile& prof = *slot;
    ++prof.logins;
    reply[15] = 1;
    out_.push_back({conn, reply});
    Table* table = nullptr;
    for (auto& [id, t] : tables_)
        if (!t->Dissolved() && !t->InRound() && t->FreeSeats() > 0 && t->Humans() > 0) {
            table = t.get();
            break;
        }
    const bool fresh = table == nullptr;
    if (fresh) table = &NewTable();
    table->SetNow(now_);
    const int seat = table->Seat(&prof, conn);
    conns_[conn] = Conn{true, table->id(), seat};
    Log("login of '" + account + "' on connection " + std::to_string(conn) + ": table " + std::to_string(table->id()) +
        ", seat " + std::to_string(seat));
    if (fresh)
        for (int i = 0; i < std::min(opt_.bots, 3) && table->FreeSeats() > 0; ++i) table->Seat(&BotProfile(), -1);
}

void Server::Reconnect(int conn, const Packet& p) {
    const std::string account = GetRaw(p, 16, 16);
    const std::uint32_t key = Get32LE(p, 268);
    for (auto& [id, t] : tables_) {
        const int seat = t->SeatOfAccount(account);
        if (seat < 0 || t->Dissolved()) continue;
        t->SetNow(now_);
        if (!t->Reconnect(seat, conn, key)) break;
        for (auto& [other, c] : conns_)
            if (other != conn && c.table == id && c.seat == seat) {
                c.table = c.seat = -1;
                closes_.push_back(other);
            }
        conns_[conn] = Conn{true, id, seat};
        return;
    }
    Packet reply = Make(29);
    reply[15] = 0;
    out_.push_back({conn, reply});
    Log("reconnect of '" + account + "' refused");
}

void Server::Closed(int conn) {
    auto it = conns_.find(conn);
    if (it == conns_.end()) return;
    const Conn c = it->second;
    conns_.erase(it);
    auto t = tables_.find(c.table);
    if (t != tables_.end() && c.seat >= 0) {
        t->second->SetNow(now_);
        t->second->Dropped(c.seat);
    }
    Housekeeping();
}

void Server::Advance(std::int64_t now) {
    now_ = std::max(now_, now);
    for (auto& [id, t] : tables_) t->Advance(now_);
    Housekeeping();
}

std::int64_t Server::NextWake() const {
    std::int64_t w = INT64_MAX;
    for (const auto& [id, t] : tables_) w = std::min(w, t->NextWake());
    return w;
}

void Server::Housekeeping() {
    for (auto it = tables_.begin(); it != tables_.end();) {
        Table& t = *it->second;
        if (t.Dissolved()) {
            for (auto& [conn, c] : conns_)
                if (c.table == it->first) c.table = c.seat = -1;
            it = tables_.erase(it);
            continue;
        }
        // A table that lost a player between rounds gets a bot back when it runs with bots.
        int bots = 4 - t.FreeSeats() - t.Humans();
        while (!t.InRound() && t.Humans() > 0 && t.FreeSeats() > 0 && bots < std::min(opt_.bots, 3)) {
            t.Seat(&BotProfile(), -1);
            ++bots;
        }
        ++it;
    }
}

std::vector<Server::Output> Server::TakeOutput() {
    std::vector<Output> o;
    o.swap(out_);
    return o;
}

std::vector<int> Server::TakeCloses() {
    std::vector<int> c;
    c.swap(closes_);
    return c;
}

}  // namespace zorvan::server
