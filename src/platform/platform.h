// What the client core needs from the outside world, one small interface a facility.
// The Qt/Linux backend lives in frontends/qt, the simulated one (virtual time) in sim/.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::platform {

// Thrown by the simulated backend's EndProgram so that a test unwinds; the Qt backend exits instead.
struct ProgramEnded : std::exception {
    const char* what() const noexcept override { return "program ended"; }
};

// A timer in the style the client expects: enabling (re)starts the interval.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;
    virtual std::int64_t nowMs() const = 0;
    // The timer is created disabled with interval 0; the callback runs on every expiry while enabled.
    virtual std::unique_ptr<Timer> makeTimer(std::function<void()> tick) = 0;
    // Returns once the clock has advanced by ms; other timers, socket events and input keep coming.
    virtual void waitMs(int ms) = 0;
    // Runs the callback as soon as the loop is idle (used for posted window messages).
    virtual void post(std::function<void()> fn) = 0;
};

// The table's one TCP connection.
class Socket {
public:
    static constexpr int kClosed = 0;
    static constexpr int kConnecting = 6;
    static constexpr int kConnected = 7;
    static constexpr int kError = 9;
    virtual ~Socket() = default;
    virtual void connect(const std::string& host, int port) = 0;
    virtual int state() const = 0;
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
    // Graceful close: what was written still goes out.
    virtual void close() = 0;
    // Drops the connection at once.
    virtual void abort() = 0;
    std::function<void(std::span<const std::uint8_t>)> onData;
    std::function<void()> onClose;
    std::function<void()> onConnected;
    std::function<void()> onError;
};

// Top-level windows found by caption, and the client's own message procedure.
class WindowBus {
public:
    static constexpr int kSysCommand = 274;
    static constexpr long kScRestore = 61728;
    static constexpr long kScMinimize = 61472;
    static constexpr long kScMove = 61458;
    virtual ~WindowBus() = default;
    virtual bool exists(const std::string& caption) = 0;
    virtual void post(const std::string& caption, int msg, long w = 0, long l = 0) = 0;
    // Listens under the caption (replacing an earlier listen); returns false with a reason when it cannot.
    virtual bool listen(const std::string& ownCaption, std::function<long(int msg, long w, long l)> procedure,
                        std::string* error = nullptr) = 0;
    virtual void stopListening() = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box with one OK button; returns when answered.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
};

class Screen {
public:
    virtual ~Screen() = default;
    virtual int widthPx() const = 0;
    virtual int heightPx() const = 0;
    // Whether the window system can show semi-transparent windows.
    virtual bool supportsOpacity() const = 0;
};

// Process-level facilities.
class System {
public:
    virtual ~System() = default;
    // The program's own folder (where chat.ini, info.qn and zorvan.log live).
    virtual std::string programDir() const = 0;
    // The command line: the program's arguments joined by single spaces.
    virtual std::string commandLine() const = 0;
    // True when another copy already runs (the check also claims the copy for this process).
    virtual bool anotherCopyRunning() = 0;
    virtual std::string getEnv(const std::string& name) const = 0;
    // Appends a line to the trace log (zorvan.log) when tracing is on.
    virtual void trace(const std::string& line) = 0;
    virtual bool tracing() const = 0;
    virtual void openUrl(const std::string& url) = 0;
};

// Embedded pictures by GIF resource id or by design-time name.
class Resources {
public:
    virtual ~Resources() = default;
    virtual std::span<const std::uint8_t> gif(int id) const = 0;
    virtual std::span<const std::uint8_t> named(const std::string& name) const = 0;
};

struct Platform {
    EventLoop& loop;
    Socket& socket;
    WindowBus& windows;
    Dialogs& dialogs;
    Screen& screen;
    System& system;
    Resources& resources;
    // Ends the program: the Qt backend cleans up and exits, the simulated one throws ProgramEnded.
    std::function<void()> endProgram;
    [[noreturn]] void EndProgram() {
        endProgram();
        throw ProgramEnded{};
    }
};

}  // namespace zorvan::platform
