// One table of four seats as a state machine: packets and timer ticks in, packets out. It
// knows nothing of sockets: a seat is played by a connection (a number the owner gives), by a
// bot, or is held for a dropped connection whose packets are queued until it comes back.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "server/bot.h"
#include "server/decide.h"

namespace zorvan::server {

using Packet = std::array<std::uint8_t, 272>;

struct Options {
    int turnSeconds = 20;    // play countdown (command 6 byte 215)
    int callSeconds = 15;    // call countdown (command 1 byte 9)
    int burySeconds = 30;    // bury countdown (command 3 byte 12)
    int counterSeconds = 10; // a counter-bottom turn (the client counts 10)
    int shortTurn = 15;      // login result byte 11
    int bots = 0;
    std::uint64_t seed = 0;
    bool fast = false;       // every server-side wait shortened to a twentieth, bots without pause
    bool threes = false;
    bool counterBottom = true;
    int maxCounters = 2;
    int stake = 100;
    int dropSeconds = 70;
};

// What the server keeps about an account for the life of the process.
struct Profile {
    std::string account;    // raw bytes as the login carried them
    std::string nickname;   // UTF-8
    std::string avatar = "m1";
    int sex = 1;
    double coins = 10000;
    std::int64_t score = 0;
    int logins = 0, drops = 0, wins = 0, losses = 0;
    bool bot = false;
};

// What a finished round looked like, for tests and logs.
struct RoundRecord {
    int dealer = 0;                  // seat index
    int trumpRank = 2;
    bool noCall = false;
    int defenderTrickPoints = 0;     // face points of the tricks the defenders won
    int bottomPoints = 0, multiplier = 0;  // multiplier 0 when the dealer side took the last trick
    int penalty = 0;                 // failed-throw charge (negative: taken from the defenders)
    int total = 0;                   // the defenders' total T
    std::array<int, 2> levelsBefore{}, levelsAfter{};
    int nextDealer = 0;
    std::vector<int> dealt;          // identifiers dealt (hands and bottom)
    std::vector<int> played;         // identifiers that reached the table
    std::vector<int> buried;         // the final bottom
};

// The level title of a personal level 1..40 ("第一级" ..) and a profile's personal level.
std::string LevelName(int level);
int PersonalLevel(const Profile& p);

class Table {
public:
    struct Sink {
        std::function<void(int conn, const Packet&)> send;
        std::function<void(const std::string&)> log;
        std::function<void(const RoundRecord&)> roundDone;  // optional
        // Optional: every packet meant for a seat, bots included (tests check the whole stream).
        std::function<void(int table, int seat, const Packet&)> observe;
    };

    Table(int id, const Options& options, Sink sink, std::uint64_t seed);

    int id() const { return id_; }
    // Seats a player (a connection or a bot) in the first free seat; -1 when full or in a round.
    int Seat(Profile* profile, int conn);
    int FreeSeats() const;
    int Humans() const;       // seats held by connections (dropped ones included)
    bool InRound() const { return phase_ != Phase::Waiting; }
    bool Dissolved() const { return dissolved_; }
    int SeatOfConn(int conn) const;
    int SeatOfAccount(const std::string& account) const;
    const Profile* ProfileAt(int seat) const { return seats_[seat].profile; }

    void Receive(int seat, const Packet& p);
    void Dropped(int seat);                 // the connection went away without leaving
    // A reconnect: true (and the queued packets sent after command 29) when the key matches.
    bool Reconnect(int seat, int conn, std::uint32_t key);
    void Advance(std::int64_t now);         // runs everything due up to `now`
    std::int64_t NextWake() const;          // earliest due time, or INT64_MAX
    void SetNow(std::int64_t now) { now_ = now; }

    int level(int side) const { return levels_[side]; }

private:
    enum class Phase { Waiting, Calling, Burying, Countering, Playing };
    struct SeatState {
        Profile* profile = nullptr;
        int conn = -1;           // -1: a bot, or a dropped connection
        bool dropped = false;
        std::int64_t dropDeadline = 0;
        std::deque<Packet> queue;
        bool ready = false;
        std::uint32_t resumeKey = 0;
        int order = 0;           // when it sat down
        Cards hand;
        std::int64_t botDue = -1;
        bool answered = false;   // called or passed since the last accepted call
        int facePoints = 0, failedThrows = 0, failedCards = 0, redFivesEaten = 0, redFivesBuried = 0;
        double chatTokens = 5;
        std::int64_t chatAt = 0;
        bool occupied() const { return profile != nullptr; }
        bool bot() const { return profile && profile->bot; }
    };

    // Output.
    void Send(int seat, Packet p);
    void SendAll(const Packet& p);
    void Log(const std::string& line);
    std::string Name(int seat) const;
    std::int64_t Wait(int ms) const;       // a server-side wait, shortened with --fast
    std::int64_t BotPause();
    Packet PlayerInfo(int described, int receiver) const;

    // Flow.
    void OnReady(int seat);
    void StartRound();
    void OnCall(int seat, const Packet& p);
    void AcceptCall(int seat, const Call& c);
    void CloseCalling();
    void GiveBottom(int seat);
    void OnBury(int seat, const Cards& cards);
    void NextCounterTurn();
    void OnCounter(int seat, const Packet& p);
    void StartPlay();
    void OnPlay(int seat, const Cards& cards);
    void PlayFor(int seat);                // a bot's move, also for a silent or absent seat
    void FinishTrick(Packet& msg);
    void Settle();
    void Leave(int seat, bool announce);
    void AbortRound(int leaver);
    void Dissolve();
    void ScheduleBots();
    void SetTrump();
    Packet CallPacket(int kind, int stage) const;

    int Side(int seat) const { return seat % 2; }
    bool Defender(int seat) const { return Side(seat) != Side(dealer_); }
    int seatBit(int seat) const { return 1 << seat; }

    int id_;
    Options opt_;
    Sink sink_;
    std::mt19937_64 rng_;
    std::array<SeatState, 4> seats_{};
    int sitCounter_ = 0;
    Phase phase_ = Phase::Waiting;
    bool dissolved_ = false;
    std::int64_t now_ = 0;
    std::int64_t deadline_ = -1;  // the phase's own time-out

    // Table state kept between rounds.
    std::array<int, 2> levels_{2, 2};
    int dealer_ = -1;             // seat index; -1 until the first round decided it
    bool firstRound_ = true;

    // Round state.
    TrumpSettings trump_{};
    Cards bottom_;
    std::optional<Call> call_;
    int caller_ = -1;
    int firstCaller_ = -1;
    std::int64_t animEnd_ = 0, callClose_ = 0;
    int taker_ = -1, burier_ = -1;
    int counters_ = 0;
    std::vector<int> counterQueue_;
    int turn_ = -1;
    int leader_ = -1;
    std::array<Cards, 4> trick_{};
    int plays_ = 0;
    int best_ = -1;
    Cards leadCards_;
    rules::LeadRecord lead_{};
    int tricksLeft_ = 25;
    RoundRecord record_;
};

}  // namespace zorvan::server
