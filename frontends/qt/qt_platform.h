// The Linux backends of the platform interfaces, over Qt (event loop, TCP socket, dialogs, screen)
// and the shared window-message sockets.
#pragma once
#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window_socket.h"

class QSocketNotifier;

namespace zorvan::qt {

// Runs after every event delivered into the core (timer tick, socket data, window message, posted
// call, input), also inside nested waits: the renderer hangs its sync here.
class Delivery {
public:
    static void setAfterEvent(std::function<void()> fn);
    // Runs fn, then the after-event hook (once, for the outermost delivery of a nesting).
    static void run(const std::function<void()>& fn);
};

// On X11: whether a window manager runs (it owns _NET_SUPPORTING_WM_CHECK). Elsewhere true.
bool WindowManagerPresent();

class QtTimer : public QObject, public platform::Timer {
public:
    explicit QtTimer(std::function<void()> tick);
    void setInterval(int ms) override;
    int interval() const override { return interval_; }
    void setEnabled(bool on) override;
    bool enabled() const override { return enabled_; }

private:
    void restart();
    QTimer timer_;
    std::function<void()> tick_;
    int interval_ = 0;
    bool enabled_ = false;
};

class QtLoop : public platform::EventLoop {
public:
    QtLoop() { clock_.start(); }
    std::int64_t nowMs() const override { return clock_.elapsed(); }
    std::unique_ptr<platform::Timer> makeTimer(std::function<void()> tick) override;
    // A nested event loop: other timers, socket events and input keep coming meanwhile.
    void waitMs(int ms) override;
    void post(std::function<void()> fn) override;

private:
    QElapsedTimer clock_;
};

// The table's TCP connection (IPv4).
class QtSocket : public QObject, public platform::Socket {
public:
    QtSocket();
    ~QtSocket() override;
    void connect(const std::string& host, int port) override;
    int state() const override;
    void send(std::span<const std::uint8_t> bytes) override;
    // Graceful: what was written still goes out; the connection is dropped after 2 s at the latest.
    void close() override;
    void abort() override;

private:
    void newSocket();
    void retire();
    QTcpSocket* sock_ = nullptr;
    bool failed_ = false;
};

// Window messages between top-level windows of one user (platform/window_socket.h), with the
// listening socket watched by the Qt event loop.
class UnixWindowBus : public platform::WindowBus {
public:
    UnixWindowBus();
    ~UnixWindowBus() override;
    bool exists(const std::string& caption) override;
    void post(const std::string& caption, int msg, long w, long l) override;
    bool listen(const std::string& ownCaption, std::function<long(int, long, long)> procedure,
                std::string* error) override;
    void stopListening() override;

    // For the trace: failed posts, every refused peer and every line that is not a message.
    std::function<void(const std::string&)> trace;

private:
    void serve();
    winmsg::Listener listener_;
    QSocketNotifier* notifier_ = nullptr;
    std::function<long(int, long, long)> procedure_;
};

class QtDialogs : public platform::Dialogs {
public:
    void messageBox(const std::string& text, const std::string& title) override;
    std::function<void(const std::string&)> trace;
};

class QtScreen : public platform::Screen {
public:
    int widthPx() const override;
    int heightPx() const override;
    // X11: a compositing manager owns the _NET_WM_CM_S<n> selection; Wayland always composites;
    // other platforms (offscreen, minimal) show no translucency.
    bool supportsOpacity() const override;
};

class QtSystem : public platform::System {
public:
    QtSystem(int argc, char** argv);
    ~QtSystem() override;
    std::string programDir() const override;
    std::string commandLine() const override { return commandLine_; }
    bool anotherCopyRunning() override;
    std::string getEnv(const std::string& name) const override;
    void trace(const std::string& line) override;
    bool tracing() const override { return tracing_; }
    void openUrl(const std::string& url) override;
    void releaseLock();

private:
    std::string commandLine_;
    bool tracing_ = false;
    std::unique_ptr<QLockFile> lock_;
};

class QtResources : public platform::Resources {
public:
    std::span<const std::uint8_t> gif(int id) const override;
    std::span<const std::uint8_t> named(const std::string& name) const override;
};

// Everything the core gets from Linux, in one place.
struct QtPlatform {
    QtPlatform(int argc, char** argv);
    QtLoop loop;
    QtSocket socket;
    UnixWindowBus windows;
    QtDialogs dialogs;
    QtScreen screen;
    QtSystem system;
    QtResources resources;
    platform::Platform os;
    // Stop listening, drop the connection, release the second-copy lock, then _exit(code).
    [[noreturn]] void endProgram(int code = 0);
};

}  // namespace zorvan::qt
