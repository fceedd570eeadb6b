#include "qt_platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

namespace {
constexpr std::size_t kMaxLine = 128;

bool MakeAddress(const std::string& path, sockaddr_un& a) {
    std::memset(&a, 0, sizeof a);
    a.sun_family = AF_UNIX;
    if (path.size() >= sizeof a.sun_path) return false;
    std::memcpy(a.sun_path, path.data(), path.size());
    return true;
}

// A connected client socket to the window's socket, or -1.
int ConnectTo(const std::string& path) {
    sockaddr_un a;
    if (!MakeAddress(path, a)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string Errno(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}
}  // namespace

struct UnixWindowBus::Peer {
    int fd = -1;
    std::string data;
    QSocketNotifier* notifier = nullptr;
    QTimer* deadline = nullptr;
};

UnixWindowBus::UnixWindowBus() = default;
UnixWindowBus::~UnixWindowBus() { stopListening(); }

std::string UnixWindowBus::folderPath() {
    if (const char* d = std::getenv("ZORVAN_WINDOWS_DIR"); d && *d) return d;
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r) return std::string(r) + "/zorvan-windows";
    return "/tmp/zorvan-windows-" + std::to_string(::getuid());
}

bool UnixWindowBus::prepareFolder(const std::string& dir, std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return fail(Errno("cannot create the window folder", dir));
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0) return fail(Errno("cannot read the window folder", dir));
    if (!S_ISDIR(st.st_mode)) return fail("the window folder " + dir + " is not a directory");
    if (st.st_uid != ::getuid())
        return fail("the window folder " + dir + " belongs to another user (uid " + std::to_string(st.st_uid) +
                    "); refusing to use it");
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return fail(Errno("cannot make the window folder private", dir));
    return true;
}

std::string UnixWindowBus::socketName(const std::string& caption) {
    QByteArray h = QCryptographicHash::hash(QByteArray(caption.data(), static_cast<qsizetype>(caption.size())),
                                            QCryptographicHash::Sha256);
    return h.toHex().left(32).toStdString() + ".sock";
}

bool UnixWindowBus::parseMessage(const std::string& line, int& msg, long& w, long& l) {
    std::string_view s(line);
    if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
    long v[3];
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (s.empty() || s.front() != ' ') return false;
            s.remove_prefix(1);
        }
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v[i]);
        if (ec != std::errc() || end == s.data()) return false;
        s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    }
    if (!s.empty() || v[0] < 0 || v[0] > 0x7fffffff) return false;
    msg = static_cast<int>(v[0]);
    w = v[1];
    l = v[2];
    return true;
}

bool UnixWindowBus::exists(const std::string& caption) {
    std::string dir = folderPath();
    int fd = ConnectTo(dir + "/" + socketName(caption));
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void UnixWindowBus::post(const std::string& caption, int msg, long w, long l) {
    int fd = ConnectTo(folderPath() + "/" + socketName(caption));
    if (fd < 0) return;
    std::string line = std::to_string(msg) + " " + std::to_string(w) + " " + std::to_string(l) + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

bool UnixWindowBus::listen(const std::string& ownCaption, std::function<long(int, long, long)> procedure,
                           std::string* error) {
    stopListening();
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    std::string dir = folderPath();
    if (!prepareFolder(dir, error)) return false;
    std::string path = dir + "/" + socketName(ownCaption);
    sockaddr_un a;
    if (!MakeAddress(path, a)) return fail("the window folder path is too long: " + dir);
    if (int fd = ConnectTo(path); fd >= 0) {
        ::close(fd);
        return fail("a window with the caption \"" + ownCaption + "\" already listens");
    }
    ::unlink(path.c_str());  // a socket left behind by a program that ended without cleaning up
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(Errno("cannot create a socket for", path));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::chmod(path.c_str(), 0600) != 0 ||
        ::listen(fd, 16) != 0) {
        std::string why = Errno("cannot listen on", path);
        ::close(fd);
        return fail(why);
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        listenIno_ = st.st_ino;
        listenDev_ = st.st_dev;
    }
    listenFd_ = fd;
    listenPath_ = path;
    procedure_ = std::move(procedure);
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { acceptPeers(); });
    return true;
}

void UnixWindowBus::stopListening() {
    for (auto& [p, owned] : peers_) {
        delete owned->notifier;
        delete owned->deadline;
        ::close(owned->fd);
    }
    peers_.clear();
    if (listenFd_ < 0) return;
    delete notifier_;
    notifier_ = nullptr;
    // Remove the socket only while it is still ours (another copy may have replaced it).
    struct stat now;
    if (::lstat(listenPath_.c_str(), &now) == 0 && now.st_ino == listenIno_ && now.st_dev == listenDev_)
        ::unlink(listenPath_.c_str());
    ::close(listenFd_);
    listenFd_ = -1;
    listenPath_.clear();
}

void UnixWindowBus::acceptPeers() {
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::getuid()) {
            if (trace) trace("window message refused: peer uid " + std::to_string(cred.uid));
            ::close(fd);
            continue;
        }
        auto owned = std::make_unique<Peer>();
        Peer* p = owned.get();
        p->fd = fd;
        p->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
        QObject::connect(p->notifier, &QSocketNotifier::activated, p->notifier, [this, p] { readPeer(p); });
        // A peer that never finishes its line is dropped.
        p->deadline = new QTimer;
        p->deadline->setSingleShot(true);
        QObject::connect(p->deadline, &QTimer::timeout, p->deadline, [this, p] { dropPeer(p); });
        p->deadline->start(2000);
        peers_[p] = std::move(owned);
    }
}

void UnixWindowBus::dropPeer(Peer* p) {
    auto it = peers_.find(p);
    if (it == peers_.end()) return;
    p->notifier->setEnabled(false);
    p->notifier->deleteLater();
    p->deadline->stop();
    p->deadline->deleteLater();
    ::close(p->fd);
    peers_.erase(it);
}

void UnixWindowBus::readPeer(Peer* p) {
    char buf[256];
    bool ended = false;
    for (;;) {
        ssize_t n = ::recv(p->fd, buf, sizeof buf, 0);
        if (n > 0) {
            p->data.append(buf, static_cast<std::size_t>(n));
            if (p->data.size() > kMaxLine) { ended = true; p->data.clear(); break; }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        ended = true;  // end of stream or an error
        break;
    }
    if (!ended) return;
    std::string line = std::move(p->data);
    dropPeer(p);
    if (line.empty()) return;  // a probe of exists()
    int msg;
    long w, l;
    if (!parseMessage(line, msg, w, l)) {
        if (trace) trace("window message ignored: not \"<message> <wParam> <lParam>\"");
        return;
    }
    if (procedure_) {
        auto proc = procedure_;
        Delivery::run([&] { proc(msg, w, l); });
    }
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
    std::string dir = UnixWindowBus::folderPath();
    std::string why;
    if (!UnixWindowBus::prepareFolder(dir, &why)) {
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
