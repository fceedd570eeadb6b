// zorvan-lobby: a stand-in for the operator's lobby. It listens under the lobby's caption, logs
// every window message it receives, starts the table client with its command line, and posts the
// lobby's messages to the client (22 connect to the table, 771 leave when idle, 1024 leave now,
// 1125 query). The terminal loop and the Qt window share this core.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/window_socket.h"

namespace zorvan::lobby {

constexpr const char* kDefaultCaption = "Quenlo山庄";
constexpr const char* kDefaultClientCaption = "qelt";

struct Options {
    std::string caption = kDefaultCaption;  // the lobby's own caption
    std::string name;                       // account (default: $USER, else "player")
    std::string key = "key";
    std::string server = "127.0.0.1:5000";  // HOST:PORT
    std::string room = "一号房";
    std::string clientCaption;              // empty: "qelt" (or what a given command line names)
    int props = 0;
    bool spectator = false;
    std::string commandLine;                // given verbatim: used instead of the fields above
    std::string client;                     // the client program; empty: found next to the lobby
    bool startClient = true;
    std::optional<bool> window;             // unset: a window when a display is available
    std::string windowsDir;                 // empty: the default folder
};

// Parses the arguments of the run mode (after the program name). Throws std::invalid_argument.
Options ParseOptions(const std::vector<std::string>& args);
std::string Usage();

// The client's 15-field command line from the options (or the given one). Throws
// std::invalid_argument for fields the client cannot take (a "$" in a field, a non-ASCII account
// or key, a bad server address).
std::string BuildCommandLine(const Options& o);
// The caption the client listens under, as the command line sets it (field 11 = 1: field 13).
std::string ClientCaptionOf(const std::string& commandLine);
// The lobby caption the client will look for (field 11 = 1: field 12, else the default).
std::string LobbyCaptionOf(const std::string& commandLine);

// What a message means, seen from the lobby ("received": the client sent it).
std::string Describe(const winmsg::Message& m, bool received);
// "HH:MM:SS.mmm" local time.
std::string TimeStamp();

// The client program to start when none is given: $ZORVAN_CLIENT, else qelt/zorvan beside the
// lobby's own folder (the staged layout), else "zorvan" on the PATH.
std::string FindClient();

// The running lobby: listener, child process, what it knows of the client.
class Lobby {
public:
    explicit Lobby(Options o);
    ~Lobby();

    // Starts listening; false with a message when the caption or the folder cannot be used.
    bool open(std::string* error);
    winmsg::Listener& listener() { return listener_; }

    // Handles what arrived on the listener (call when its fd is readable).
    void serve();
    // One command line typed on standard input; returns false for "quit".
    bool command(const std::string& line);

    bool startClient();
    // Stops the client it started: SIGTERM, and SIGKILL when it has not ended after graceMs.
    void stopClient(int graceMs = 3000);
    // Reaps the client when it ended (call on SIGCHLD or now and then).
    void reap();
    bool clientRunning() const { return child_ > 0; }
    pid_t clientPid() const { return child_; }

    // Posts to the client's caption and logs it.
    bool postToClient(int msg, long w = 0, long l = 0);
    // Sends the client back to a table: 22 when it listens, else a fresh start.
    void sendToTable();

    const Options& options() const { return o_; }
    const std::string& commandLine() const { return cmdline_; }
    const std::string& clientCaption() const { return clientCaption_; }
    const std::string& account() const { return account_; }
    const std::string& table() const { return table_; }
    // A short status for the window ("at the table", "left the table" ...).
    const std::string& status() const { return status_; }
    // Whether the client has left its table (and may be sent back).
    bool leftTable() const { return left_; }

    // Called for every line logged, and whenever the status changed (the window redraws).
    std::function<void(const std::string&)> onLog;
    std::function<void()> onChange;
    // The client asked the lobby to restore / minimise its window.
    std::function<void(long command)> onSysCommand;

private:
    void log(const std::string& line);
    void received(const winmsg::Message& m);
    void setStatus(std::string s, bool left);

    Options o_;
    std::string cmdline_, clientCaption_, account_, table_;
    std::string status_ = "not started";
    bool left_ = false;
    winmsg::Listener listener_;
    pid_t child_ = -1;
};

}  // namespace zorvan::lobby
