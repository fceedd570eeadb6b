#include "qt_platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include <unistd.h>

#include <xcb/xcb.h>

#include <zorvan/assets.h>

namespace zorvan::qt {

// ---------------------------------------------------------------------------------------------
// Delivery

namespace {
std::function<void()> g_afterEvent;
}  // namespace

void Delivery::setAfterEvent(std::function<void()> fn) { g_afterEvent = std::move(fn); }

void Delivery::run(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        // The core routes its own errors to the fatal path; anything else must still not unwind
        // through the toolkit.
        std::fprintf(stderr, "zorvan: unexpected error: %s\n", e.what());
        ::_exit(70);
    } catch (...) {
        std::fprintf(stderr, "zorvan: unexpected error\n");
        ::_exit(70);
    }
    // A handler that waits runs nested deliveries, which sync on their own; the outer one syncs
    // what the handler did after the wait.
    if (g_afterEvent) g_afterEvent();
}

// ---------------------------------------------------------------------------------------------
// Timers and the event loop

QtTimer::QtTimer(std::function<void()> tick) : tick_(std::move(tick)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        auto tick = tick_;  // the timer may be destroyed by its own tick
        Delivery::run(tick);
    });
}

void QtTimer::restart() {
    if (enabled_ && interval_ > 0) timer_.start(interval_);
    else timer_.stop();
}

void QtTimer::setInterval(int ms) {
    interval_ = ms;
    if (enabled_) restart();
}

void QtTimer::setEnabled(bool on) {
    bool was = enabled_;
    enabled_ = on;
    if (!on) timer_.stop();
    else if (!was) restart();
}

std::unique_ptr<platform::Timer> QtLoop::makeTimer(std::function<void()> tick) {
    return std::make_unique<QtTimer>(std::move(tick));
}

void QtLoop::waitMs(int ms) {
    QEventLoop nested;
    QTimer::singleShot(std::max(0, ms), Qt::PreciseTimer, &nested, &QEventLoop::quit);
    nested.exec();
}

void QtLoop::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [fn = std::move(fn)] { Delivery::run(fn); },
                              Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Socket

QtSocket::QtSocket() { newSocket(); }
QtSocket::~QtSocket() {
    if (sock_) sock_->abort();
}

void QtSocket::newSocket() {
    sock_ = new QTcpSocket(this);
    failed_ = false;
    QTcpSocket* s = sock_;
    QObject::connect(s, &QTcpSocket::connected, this, [this, s] {
        if (s == sock_ && onConnected) Delivery::run(onConnected);
    });
    QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] {
        if (s != sock_) return;
        QByteArray bytes = s->readAll();
        if (bytes.isEmpty() || !onData) return;
        std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size()));
        Delivery::run([&] { onData(view); });
    });
    QObject::connect(s, &QTcpSocket::disconnected, this, [this, s] {
        if (s == sock_ && onClose) Delivery::run(onClose);
    });
    QObject::connect(s, &QTcpSocket::errorOccurred, this, [this, s](QAbstractSocket::SocketError e) {
        if (s != sock_ || e == QAbstractSocket::RemoteHostClosedError) return;
        failed_ = true;
        if (onError) Delivery::run(onError);
    });
}

// The socket in use is set aside: it finishes sending what it holds, and is dropped after 2 s.
void QtSocket::retire() {
    QTcpSocket* old = sock_;
    sock_ = nullptr;
    old->disconnect(this);
    if (old->state() == QAbstractSocket::UnconnectedState) {
        old->deleteLater();
    } else {
        QObject::connect(old, &QTcpSocket::disconnected, old, &QObject::deleteLater);
        QTimer::singleShot(2000, old, [old] {
            old->abort();
            old->deleteLater();
        });
        old->disconnectFromHost();
    }
    newSocket();
}

void QtSocket::connect(const std::string& host, int port) {
    abort();
    sock_->connectToHost(QString::fromStdString(host), static_cast<quint16>(port), QIODevice::ReadWrite,
                         QAbstractSocket::IPv4Protocol);
}

int QtSocket::state() const {
    if (failed_) return kError;
    switch (sock_->state()) {
    case QAbstractSocket::UnconnectedState: return kClosed;
    case QAbstractSocket::HostLookupState: return 4;
    case QAbstractSocket::ConnectingState: return kConnecting;
    case QAbstractSocket::ConnectedState: return kConnected;
    case QAbstractSocket::ClosingState: return 8;
    default: return kConnecting;
    }
}

void QtSocket::send(std::span<const std::uint8_t> bytes) {
    if (sock_->state() != QAbstractSocket::ConnectedState) return;
    sock_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void QtSocket::close() { retire(); }

void QtSocket::abort() {
    QTcpSocket* old = sock_;
    sock_ = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
    newSocket();
}

// ---------------------------------------------------------------------------------------------
// Window messages

UnixWindowBus::UnixWindowBus() = default;
UnixWindowBus::~UnixWindowBus() { stopListening(); }

bool UnixWindowBus::exists(const std::string& caption) { return winmsg::Exists(caption); }

void UnixWindowBus::post(const std::string& caption, int msg, long w, long l) {
    std::string why;
    if (!winmsg::Post(caption, {msg, w, l}, &why) && trace) trace("window message not posted: " + why);
}

bool UnixWindowBus::listen(const std::string& ownCaption, std::function<long(int, long, long)> procedure,
                           std::string* error) {
    stopListening();
    if (!listener_.open(ownCaption, error)) return false;
    listener_.trace = [this](const std::string& line) {
        if (trace) trace(line);
    };
    procedure_ = std::move(procedure);
    notifier_ = new QSocketNotifier(listener_.fd(), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { serve(); });
    return true;
}

void UnixWindowBus::stopListening() {
    delete notifier_;
    notifier_ = nullptr;
    listener_.close();
}

void UnixWindowBus::serve() {
    // Collected first and delivered afterwards: a procedure may wait in a nested event loop, where
    // this notifier fires again, or stop listening altogether.
    std::vector<winmsg::Message> got;
    listener_.serve([&](const winmsg::Message& m) { got.push_back(m); });
    auto proc = procedure_;
    if (!proc) return;
    for (const auto& m : got) Delivery::run([&] { proc(m.msg, m.wParam, m.lParam); });
}

// ---------------------------------------------------------------------------------------------
// Dialogs, screen, system, resources

void QtDialogs::messageBox(const std::string& text, const std::string& title) {
    if (trace) trace("message box: " + title + ": " + text);
    const char* headless = std::getenv("ZORVAN_HEADLESS");
    if (headless && std::string(headless) == "1") {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        std::fflush(stderr);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtScreen::widthPx() const {
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->size().width() : 1024;
}

int QtScreen::heightPx() const {
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->size().height() : 768;
}

namespace {
xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != "xcb") return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* conn, const std::string& name) {
    auto cookie = xcb_intern_atom(conn, 1, static_cast<uint16_t>(name.size()), name.c_str());
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(conn, cookie, nullptr);
    if (!r) return XCB_ATOM_NONE;
    xcb_atom_t a = r->atom;
    std::free(r);
    return a;
}
}  // namespace

bool WindowManagerPresent() {
    xcb_connection_t* conn = X11Connection();
    if (!conn) return true;
    xcb_atom_t check = Atom(conn, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE) return false;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    auto cookie = xcb_get_property(conn, 0, root, check, XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* r = xcb_get_property_reply(conn, cookie, nullptr);
    bool present = r && xcb_get_property_value_length(r) >= 4;
    std::free(r);
    return present;
}

bool QtScreen::supportsOpacity() const {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith("wayland")) return true;
    if (platform != "xcb") return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* conn = x11->connection();
    int screen = 0;
    if (const char* d = std::getenv("DISPLAY")) {
        if (const char* dot = std::strrchr(d, '.'); dot && std::strchr(d, ':') < dot) screen = std::atoi(dot + 1);
    }
    std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    auto atomCookie = xcb_intern_atom(conn, 1, static_cast<uint16_t>(name.size()), name.c_str());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(conn, atomCookie, nullptr);
    if (!atom) return false;
    bool has = false;
    if (atom->atom != XCB_ATOM_NONE) {
        auto ownerCookie = xcb_get_selection_owner(conn, atom->atom);
        if (auto* owner = xcb_get_selection_owner_reply(conn, ownerCookie, nullptr)) {
            has = owner->owner != XCB_WINDOW_NONE;
            std::free(owner);
        }
    }
    std::free(atom);
    return has;
}

QtSystem::QtSystem(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine_ += ' ';
        commandLine_ += argv[i];
    }
    const char* t = std::getenv("ZORVAN_TRACE");
    tracing_ = t && std::string(t) == "1";
}

QtSystem::~QtSystem() { releaseLock(); }

std::string QtSystem::programDir() const { return QCoreApplication::applicationDirPath().toStdString(); }

bool QtSystem::anotherCopyRunning() {
    if (lock_) return false;
    std::string dir = winmsg::WindowsDir();
    std::string why;
    if (!winmsg::PrepareDir(dir, &why)) {
        trace("second-copy check: " + why);
        std::fprintf(stderr, "zorvan: %s\n", why.c_str());
        return false;
    }
    auto lock = std::make_unique<QLockFile>(QString::fromStdString(dir + "/zorvan.lock"));
    lock->setStaleLockTime(0);  // a lock whose process is gone is taken over; age alone never counts
    if (!lock->tryLock(0)) return true;
    lock_ = std::move(lock);
    return false;
}

void QtSystem::releaseLock() {
    if (lock_) lock_->unlock();
    lock_.reset();
}

std::string QtSystem::getEnv(const std::string& name) const {
    const char* v = std::getenv(name.c_str());
    return v ? v : "";
}

void QtSystem::trace(const std::string& line) {
    if (!tracing_) return;
    std::ofstream out(programDir() + "/zorvan.log", std::ios::app | std::ios::binary);
    if (!out) return;
    std::timespec ts;
    std::timespec_get(&ts, TIME_UTC);
    std::tm tm;
    localtime_r(&ts.tv_sec, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    char ms[8];
    std::snprintf(ms, sizeof ms, ".%03d ", static_cast<int>(ts.tv_nsec / 1000000) % 1000);
    out << stamp << ms << line << '\n';
}

void QtSystem::openUrl(const std::string& url) {
    trace("open " + url);
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

std::span<const std::uint8_t> QtResources::gif(int id) const {
    const auto* b = assets::gif(id);
    return b ? std::span(b->data, b->size) : std::span<const std::uint8_t>();
}

std::span<const std::uint8_t> QtResources::named(const std::string& name) const {
    const auto* b = assets::named(name);
    return b ? std::span(b->data, b->size) : std::span<const std::uint8_t>();
}

QtPlatform::QtPlatform(int argc, char** argv)
    : system(argc, argv),
      os{loop, socket, windows, dialogs, screen, system, resources, [this] { endProgram(0); }} {
    windows.trace = [this](const std::string& s) { system.trace(s); };
    dialogs.trace = [this](const std::string& s) { system.trace(s); };
}

void QtPlatform::endProgram(int code) {
    system.trace("end of program");
    windows.stopListening();
    socket.abort();
    system.releaseLock();
    std::fflush(stdout);
    std::fflush(stderr);
    // Exiting from inside nested event loops: nothing below us may run again.
    ::_exit(code);
}

}  // namespace zorvan::qt
