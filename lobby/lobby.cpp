#include "lobby.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <cerrno>
#include <cstring>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorvan::lobby {
namespace {

constexpr int kSysCommand = 274;
constexpr long kScRestore = 61728, kScMinimize = 61472, kScMove = 61458;

std::vector<std::string> SplitFields(std::string line) {
    // Trimmed of blanks; a trailing "$" marks a spectator and is not a field separator.
    auto b = line.find_first_not_of(' ');
    line = b == std::string::npos ? std::string() : line.substr(b, line.find_last_not_of(' ') - b + 1);
    if (!line.empty() && line.back() == '$') line.pop_back();
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 14) {
        auto d = line.find('$', start);
        if (d == std::string::npos) break;
        fields.push_back(line.substr(start, d - start));
        start = d + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

bool OwnCaptionFlag(const std::vector<std::string>& f) {
    return f.size() > 10 && std::atoi(f[10].c_str()) == 1;
}

bool IsAscii(const std::string& s) {
    for (unsigned char ch : s)
        if (ch >= 0x80 || ch < 0x20) return false;
    return true;
}

void RequireNoDollar(const std::string& what, const std::string& s) {
    if (s.find('$') != std::string::npos) throw std::invalid_argument(what + " must not contain \"$\"");
}

std::string Trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool ParseLong(const std::string& s, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s.c_str(), &end, 10);
    return errno == 0 && end && *end == 0;
}

}  // namespace

std::string Usage() {
    return "usage: zorvan-lobby [options]                 listen, start the client, log every message\n"
           "       zorvan-lobby post CAPTION MSG [W [L]]  post one message to a window\n"
           "       zorvan-lobby exists CAPTION            exit status 0 when the window listens\n"
           "options:\n"
           "  --caption TEXT         the lobby's caption (default \"Quenlo山庄\")\n"
           "  --name NAME            account name (default $USER)\n"
           "  --key KEY              login key (default \"key\")\n"
           "  --server HOST:PORT     game server (default 127.0.0.1:5000)\n"
           "  --room NAME            room shown on the table (default 一号房)\n"
           "  --client-caption TEXT  caption for the client's window (default qelt)\n"
           "  --props N              field 14, prop plug-in allowed (default 0)\n"
           "  --spectator            watch the table instead of taking a seat\n"
           "  --command-line LINE    the client's 15-field command line, used as given\n"
           "  --client PATH          the client program (default: qelt/zorvan beside the lobby)\n"
           "  --no-client            only listen; start nothing\n"
           "  --window, --no-window  show the lobby window (default: when a display is available)\n"
           "standard input: 22 | 771 | 1024 | 1125 [W L], post MSG [W L], post-to CAPTION MSG [W L],\n"
           "                again, start, stop, status, help, quit\n";
}

Options ParseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--caption") o.caption = value();
        else if (a == "--name") o.name = value();
        else if (a == "--key") o.key = value();
        else if (a == "--server") o.server = value();
        else if (a == "--room") o.room = value();
        else if (a == "--client-caption") o.clientCaption = value();
        else if (a == "--props") {
            long v;
            if (!ParseLong(value(), v) || v < 0 || v > 32767) throw std::invalid_argument("--props needs a number");
            o.props = static_cast<int>(v);
        } else if (a == "--spectator") o.spectator = true;
        else if (a == "--command-line") o.commandLine = value();
        else if (a == "--client") o.client = value();
        else if (a == "--no-client") o.startClient = false;
        else if (a == "--window") o.window = true;
        else if (a == "--no-window") o.window = false;
        else if (a == "--windows-dir") o.windowsDir = value();
        else throw std::invalid_argument("unknown option " + a);
    }
    if (o.caption.empty()) throw std::invalid_argument("--caption must not be empty");
    return o;
}

std::string BuildCommandLine(const Options& o) {
    if (!o.commandLine.empty()) return o.commandLine;
    std::string name = o.name;
    if (name.empty()) {
        const char* user = std::getenv("USER");
        name = user && *user ? user : "player";
    }
    if (!IsAscii(name) || !IsAscii(o.key))
        throw std::invalid_argument("the account name and the key must be single-byte (ASCII) characters");
    for (auto [what, s] : {std::pair{"the account name", name}, {"the key", o.key}, {"the room", o.room},
                           {"the lobby caption", o.caption}, {"the client caption", o.clientCaption}})
        RequireNoDollar(what, s);
    auto colon = o.server.rfind(':');
    long port = 0;
    if (colon == std::string::npos || colon == 0 || !ParseLong(o.server.substr(colon + 1), port) || port < 1 ||
        port > 65535)
        throw std::invalid_argument("--server needs HOST:PORT with a port from 1 to 65535, not \"" + o.server + "\"");
    std::string host = o.server.substr(0, colon);
    RequireNoDollar("the server", host);
    bool ownCaption = o.caption != kDefaultCaption || !o.clientCaption.empty();
    std::string clientCaption = o.clientCaption.empty() ? kDefaultClientCaption : o.clientCaption;
    std::ostringstream s;
    s << name << '$' << o.key << '$' << host << '$' << port << '$' << o.room << "$0$$0$$$"
      << (ownCaption ? 1 : 0) << '$' << (ownCaption ? o.caption : "") << '$' << (ownCaption ? clientCaption : "")
      << '$' << o.props << "$0" << (o.spectator ? "$" : "");
    return s.str();
}

std::string ClientCaptionOf(const std::string& commandLine) {
    auto f = SplitFields(commandLine);
    if (OwnCaptionFlag(f) && f.size() > 12) return f[12];
    return kDefaultClientCaption;
}

std::string LobbyCaptionOf(const std::string& commandLine) {
    auto f = SplitFields(commandLine);
    if (OwnCaptionFlag(f) && f.size() > 11) return f[11];
    return kDefaultCaption;
}

std::string Describe(const winmsg::Message& m, bool received) {
    if (m.msg == kSysCommand) {
        std::string what = m.wParam == kScRestore ? "restore" : m.wParam == kScMinimize ? "minimise"
                           : m.wParam == kScMove ? "move" : "system command";
        return what + (received ? " (asked of the lobby's window)" : "");
    }
    if (received) {
        switch (m.msg) {
            case 22: return "client: connecting to the table, or login refused";
            case 771: return "client: connection up / login accepted";
            case 1127: return "client: cards dealt";
            case 1125: return "client reply: a game is in progress";
            case 1024: return "client reply: idle, left the table";
            case 1126: return "client reply: login pending";
            default: return "unknown message";
        }
    }
    switch (m.msg) {
        case 22: return "connect to the table";
        case 771: return "leave when idle";
        case 1024: return "leave now";
        case 1125: return "query the game state";
        case 32769: return "write a screen dump";
        default: return "message";
    }
}

std::string TimeStamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return buf;
}

std::string FindClient() {
    if (const char* c = std::getenv("ZORVAN_CLIENT"); c && *c) return c;
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const char* rel : {"qelt/zorvan", "../stage/qelt/zorvan", "stage/qelt/zorvan", "zorvan"}) {
            auto p = self.parent_path() / rel;
            if (::access(p.c_str(), X_OK) == 0) return std::filesystem::weakly_canonical(p, ec).string();
        }
    }
    return "zorvan";
}

Lobby::Lobby(Options o) : o_(std::move(o)) {
    cmdline_ = BuildCommandLine(o_);
    clientCaption_ = ClientCaptionOf(cmdline_);
    auto f = SplitFields(cmdline_);
    account_ = f.empty() ? std::string() : f[0];
    if (f.size() > 4) table_ = f[4] + " (" + f[2] + ":" + (f.size() > 3 ? f[3] : "") + ")";
}

Lobby::~Lobby() { stopClient(); }

bool Lobby::open(std::string* error) {
    if (!listener_.open(o_.caption, error, o_.windowsDir)) return false;
    if (LobbyCaptionOf(cmdline_) != o_.caption)
        log("warning: the command line makes the client look for the lobby \"" + LobbyCaptionOf(cmdline_) +
            "\", not \"" + o_.caption + "\"");
    log("listening as \"" + o_.caption + "\" at " + listener_.path());
    return true;
}

void Lobby::log(const std::string& line) {
    std::string stamped = TimeStamp() + " " + line;
    std::printf("%s\n", stamped.c_str());
    std::fflush(stdout);
    if (onLog) onLog(stamped);
}

void Lobby::setStatus(std::string s, bool left) {
    status_ = std::move(s);
    left_ = left;
    if (onChange) onChange();
}

void Lobby::received(const winmsg::Message& m) {
    log("<- " + std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam) + "  " +
        Describe(m, true));
    switch (m.msg) {
        case 22: setStatus("connecting", false); break;
        case 771: setStatus("at the table", false); break;
        case 1127: setStatus("playing", false); break;
        case 1125: setStatus("playing", false); break;
        case 1024: setStatus("left the table", true); break;
        case kSysCommand:
            // The client brings the lobby forward when it has left a table.
            // (At start-up the client restores the lobby before it connects: that is no leave.)
            if (m.wParam == kScRestore &&
                (status_ == "connecting" || status_ == "at the table" || status_ == "playing"))
                setStatus("left the table", true);
            if (onSysCommand) onSysCommand(m.wParam);
            break;
        default: break;
    }
}

void Lobby::serve() {
    listener_.serve([this](const winmsg::Message& m) { received(m); });
    if (listener_.refusedPeers > 0) {
        log("refused " + std::to_string(listener_.refusedPeers) + " connection(s) from another user");
        listener_.refusedPeers = 0;
    }
}

bool Lobby::postToClient(int msg, long w, long l) {
    std::string error;
    winmsg::Message m{msg, w, l};
    bool ok = winmsg::Post(clientCaption_, m, &error, o_.windowsDir);
    log("-> " + clientCaption_ + " " + std::to_string(msg) + " " + std::to_string(w) + " " + std::to_string(l) +
        "  " + Describe(m, false) + (ok ? "" : "  FAILED: " + error));
    return ok;
}

void Lobby::sendToTable() {
    reap();
    if (winmsg::Exists(clientCaption_, o_.windowsDir)) {
        if (postToClient(22)) setStatus("connecting", false);
    } else if (!clientRunning()) {
        startClient();
    } else {
        log("the client runs but does not listen as \"" + clientCaption_ + "\" yet");
    }
}

bool Lobby::startClient() {
    reap();
    if (clientRunning()) {
        log("the client already runs (pid " + std::to_string(child_) + ")");
        return false;
    }
    std::string program = o_.client.empty() ? FindClient() : o_.client;
    std::fflush(stdout);
    pid_t pid = ::fork();
    if (pid < 0) {
        log("cannot start the client: fork failed");
        return false;
    }
    if (pid == 0) {
        // The client ends with the lobby, even when the lobby is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1) ::_exit(127);
        if (!o_.windowsDir.empty()) ::setenv("ZORVAN_WINDOWS_DIR", o_.windowsDir.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(cmdline_.c_str()), nullptr};
        ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "zorvan-lobby: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
        ::_exit(127);
    }
    child_ = pid;
    log("started " + program + " (pid " + std::to_string(pid) + ") with " + cmdline_);
    setStatus("starting", false);
    return true;
}

void Lobby::reap() {
    if (child_ <= 0) return;
    int status = 0;
    pid_t r = ::waitpid(child_, &status, WNOHANG);
    if (r != child_) return;
    child_ = -1;
    if (WIFEXITED(status)) log("the client ended with status " + std::to_string(WEXITSTATUS(status)));
    else if (WIFSIGNALED(status)) log("the client was ended by signal " + std::to_string(WTERMSIG(status)));
    setStatus("client ended", true);
}

void Lobby::stopClient(int graceMs) {
    reap();
    if (child_ <= 0) return;
    ::kill(child_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (child_ > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reap();
    }
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        int status;
        ::waitpid(child_, &status, 0);
        child_ = -1;
        log("the client did not end in time and was killed");
        setStatus("client ended", true);
    }
}

bool Lobby::command(const std::string& raw) {
    std::istringstream in(Trim(raw));
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return true;
    const std::string& verb = words[0];
    auto numbers = [&](std::size_t from, long out[3], std::size_t need) {
        std::size_t n = words.size() - from;
        if (n < need || n > 3) return false;
        out[1] = out[2] = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (!ParseLong(words[from + i], out[i])) return false;
        return out[0] >= 0 && out[0] <= 0xFFFF;
    };
    long v[3];
    if (verb == "quit" || verb == "exit") return false;
    if (verb == "help") {
        std::printf("%s", Usage().c_str());
    } else if (verb == "again" || verb == "table") {
        sendToTable();
    } else if (verb == "start") {
        startClient();
    } else if (verb == "stop") {
        stopClient();
    } else if (verb == "status") {
        reap();
        log("status: " + status_ + ", client " +
            (clientRunning() ? "pid " + std::to_string(child_) : std::string("not running")) + ", listens as \"" +
            clientCaption_ + "\": " + (winmsg::Exists(clientCaption_, o_.windowsDir) ? "yes" : "no"));
    } else if (verb == "post" && numbers(1, v, 1)) {
        postToClient(static_cast<int>(v[0]), v[1], v[2]);
    } else if (verb == "post-to" && words.size() >= 3) {
        std::string caption = words[1];
        words.erase(words.begin() + 1);
        if (!numbers(1, v, 1)) {
            log("post-to CAPTION MSG [W L]: bad numbers");
            return true;
        }
        std::string error;
        winmsg::Message m{static_cast<int>(v[0]), v[1], v[2]};
        bool ok = winmsg::Post(caption, m, &error, o_.windowsDir);
        log("-> " + caption + " " + std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " +
            std::to_string(m.lParam) + (ok ? "" : "  FAILED: " + error));
    } else if (numbers(0, v, 1)) {
        postToClient(static_cast<int>(v[0]), v[1], v[2]);
    } else {
        log("unknown command \"" + Trim(raw) + "\" (try help)");
    }
    return true;
}

}  // namespace zorvan::lobby
