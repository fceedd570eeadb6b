// The simulated platform: virtual time, in-memory sockets, recording window bus and dialogs.
// Tests (and in-process tables) drive whole rounds in milliseconds with the same result every run.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zorvan::sim {

class SimTimer;

class SimLoop : public platform::EventLoop {
public:
    std::int64_t nowMs() const override { return now_; }
    std::unique_ptr<platform::Timer> makeTimer(std::function<void()> tick) override;
    void waitMs(int ms) override { runFor(ms); }
    void post(std::function<void()> fn) override { at(now_, std::move(fn)); }

    // Schedules fn at absolute virtual time t (not before now).
    void at(std::int64_t t, std::function<void()> fn);
    // Advances virtual time by ms, running everything that falls due, in time order.
    void runFor(std::int64_t ms);
    // Runs until pred() holds (checked after every event) or maxMs passed; returns pred().
    bool runUntil(const std::function<bool()>& pred, std::int64_t maxMs);
    // Runs what is due now without advancing the clock.
    void runDue() { runFor(0); }
    // Called after every event at any depth, inside nested waits too (a test acting as a player
    // who clicks while an animation runs). Not re-entered.
    std::function<void()> afterEvent;

private:
    friend class SimTimer;
    bool step(std::int64_t limit);
    void notify();
    bool notifying_ = false;
    std::int64_t now_ = 0;
    std::uint64_t seq_ = 0;
    struct Event { std::int64_t t; std::uint64_t seq; std::function<void()> fn; };
    std::deque<Event> events_;
    std::vector<SimTimer*> timers_;
};

class SimTimer : public platform::Timer {
public:
    SimTimer(SimLoop& loop, std::function<void()> tick) : loop_(loop), tick_(std::move(tick)) {}
    ~SimTimer() override;
    void setInterval(int ms) override;
    int interval() const override { return interval_; }
    void setEnabled(bool on) override;
    bool enabled() const override { return enabled_; }

private:
    friend class SimLoop;
    void restart();
    SimLoop& loop_;
    std::function<void()> tick_;
    int interval_ = 0;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    std::uint64_t seq_ = 0;
};

// The far end of a simulated connection. A test or an in-process server sets the handlers.
class SimSocket : public platform::Socket {
public:
    explicit SimSocket(SimLoop& loop) : loop_(loop) {}
    void connect(const std::string& host, int port) override;
    int state() const override { return state_; }
    void send(std::span<const std::uint8_t> bytes) override;
    void close() override;
    void abort() override { close(); }

    // --- the far end ---
    // Decides whether a connect succeeds (default: it does); called at connect time.
    std::function<bool(const std::string& host, int port)> acceptConnect;
    // Receives what the client wrote, as written.
    std::function<void(std::span<const std::uint8_t>)> farEndReceives;
    int connectDelayMs = 5;
    std::string host;
    int port = 0;
    std::vector<std::uint8_t> written;  // everything the client sent on this socket
    int connectCount = 0;
    // Delivers bytes to the client as one receive event (after delayMs).
    void deliver(std::vector<std::uint8_t> bytes, int delayMs = 0);
    // The far end closes the connection.
    void farClose(int delayMs = 0);

private:
    SimLoop& loop_;
    int state_ = kClosed;
    std::uint64_t generation_ = 0;
};

// A desktop of top-level windows found by caption, shared by every client of a test.
struct SimDesktop {
    struct Posted { std::int64_t t; std::string from, to; int msg; long w, l; };
    std::map<std::string, std::function<long(int, long, long)>> windows;
    std::vector<Posted> log;
    // Windows that exist but record only (a lobby that listens and does nothing else).
    void addRecorder(const std::string& caption) { windows[caption] = [](int, long, long) { return 0L; }; }
    std::vector<Posted> to(const std::string& caption) const;
};

class SimWindowBus : public platform::WindowBus {
public:
    SimWindowBus(SimLoop& loop, SimDesktop& desk) : loop_(loop), desk_(desk) {}
    bool exists(const std::string& caption) override { return desk_.windows.count(caption) != 0; }
    void post(const std::string& caption, int msg, long w, long l) override;
    bool listen(const std::string& ownCaption, std::function<long(int, long, long)> procedure,
                std::string* error) override;
    void stopListening() override;
    const std::string& ownCaption() const { return own_; }

private:
    SimLoop& loop_;
    SimDesktop& desk_;
    std::string own_;
};

class SimDialogs : public platform::Dialogs {
public:
    struct Box { std::string title, text; };
    std::vector<Box> shown;
    void messageBox(const std::string& text, const std::string& title) override { shown.push_back({title, text}); }
};

class SimScreen : public platform::Screen {
public:
    int width = 1280, height = 1024;
    bool opacity = true;
    int widthPx() const override { return width; }
    int heightPx() const override { return height; }
    bool supportsOpacity() const override { return opacity; }
};

class SimSystem : public platform::System {
public:
    std::string dir = ".";
    std::string cmdline;
    bool secondCopy = false;
    std::map<std::string, std::string> env;
    std::vector<std::string> traceLines;
    std::vector<std::string> openedUrls;
    std::string programDir() const override { return dir; }
    std::string commandLine() const override { return cmdline; }
    bool anotherCopyRunning() override { return secondCopy; }
    std::string getEnv(const std::string& name) const override {
        auto it = env.find(name);
        return it == env.end() ? std::string() : it->second;
    }
    void trace(const std::string& line) override { traceLines.push_back(line); }
    bool tracing() const override { return true; }
    void openUrl(const std::string& url) override { openedUrls.push_back(url); }
};

// Pictures from the program's embedded assets.
class EmbeddedResources : public platform::Resources {
public:
    std::span<const std::uint8_t> gif(int id) const override;
    std::span<const std::uint8_t> named(const std::string& name) const override;
};

// One client's whole simulated world. Several clients of a test share the loop and the desktop.
struct SimPlatform {
    SimLoop& loop;
    SimDesktop& desktop;
    SimSocket socket{loop};
    SimWindowBus windows{loop, desktop};
    SimDialogs dialogs;
    SimScreen screen;
    SimSystem system;
    EmbeddedResources resources;
    bool ended = false;
    platform::Platform os{loop, socket, windows, dialogs, screen, system, resources, [this] { ended = true; }};
    SimPlatform(SimLoop& l, SimDesktop& d) : loop(l), desktop(d) {}
};

}  // namespace zorvan::sim
