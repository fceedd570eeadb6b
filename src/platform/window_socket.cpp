#include "platform/window_socket.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zorvan::winmsg {
namespace {

// ---- SHA-256 (FIPS 180-4) ----
constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::array<std::uint32_t, 8>& h, const unsigned char* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t t1 = hh + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
    }
    h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
}

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

bool FillAddress(const std::string& path, sockaddr_un& addr, std::string* error) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        SetError(error, "the window-message path is too long for a socket: " + path);
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A connected client socket to path, or -1 (errno set).
int ConnectTo(const std::string& path, std::string* error) {
    sockaddr_un addr;
    if (!FillAddress(path, addr, error)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetError(error, ErrnoText("socket"));
        return -1;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        int saved = errno;
        SetError(error, ErrnoText("no window listens at " + path));
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

std::string DirOrDefault(const std::string& dir) { return dir.empty() ? WindowsDir() : dir; }

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

template <class T>
bool ParseNumber(std::string_view s, T& out) {
    if (s.empty() || s.size() > 20) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
    std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    std::size_t full = n / 64 * 64;
    for (std::size_t i = 0; i < full; i += 64) Compress(h, p + i);
    unsigned char tail[128] = {};
    std::size_t rest = n - full;
    std::memcpy(tail, p + full, rest);
    tail[rest] = 0x80;
    std::size_t tailLen = rest + 1 + 8 <= 64 ? 64 : 128;
    std::uint64_t bits = static_cast<std::uint64_t>(n) * 8;
    for (int i = 0; i < 8; ++i) tail[tailLen - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    for (std::size_t i = 0; i < tailLen; i += 64) Compress(h, tail + i);
    static const char* kHex = "0123456789abcdef";
    std::string out;
    for (std::uint32_t v : h)
        for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(v >> shift) & 0xF];
    return out;
}

std::string WindowsDir() {
    if (const char* d = std::getenv("ZORVAN_WINDOWS_DIR"); d && *d) return d;
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x) return std::string(x) + "/zorvan-windows";
    return "/tmp/zorvan-windows-" + std::to_string(::getuid());
}

bool PrepareDir(const std::string& dir, std::string* error) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        SetError(error, ErrnoText("cannot create the window-message folder " + dir));
        return false;
    }
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0) {
        SetError(error, ErrnoText("cannot read the window-message folder " + dir));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetError(error, "the window-message folder " + dir + " is not a folder (a link or a file is in its place); refusing to use it");
        return false;
    }
    if (st.st_uid != ::getuid()) {
        SetError(error, "the window-message folder " + dir + " belongs to another user (uid " +
                            std::to_string(st.st_uid) + "); refusing to use it. Remove it or set ZORVAN_WINDOWS_DIR.");
        return false;
    }
    if ((st.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0) {
        SetError(error, ErrnoText("cannot make the window-message folder " + dir + " private"));
        return false;
    }
    return true;
}

std::string SocketPath(const std::string& caption, const std::string& dir) {
    return dir + "/" + Sha256Hex(caption).substr(0, 32) + ".sock";
}

std::string FormatMessage(const Message& m) {
    return std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam) + "\n";
}

std::optional<Message> ParseMessage(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto sp1 = line.find(' ');
    if (sp1 == std::string_view::npos) return std::nullopt;
    auto sp2 = line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) return std::nullopt;
    Message m;
    if (!ParseNumber(line.substr(0, sp1), m.msg) || !ParseNumber(line.substr(sp1 + 1, sp2 - sp1 - 1), m.wParam) ||
        !ParseNumber(line.substr(sp2 + 1), m.lParam))
        return std::nullopt;
    if (m.msg < 0) return std::nullopt;  // message numbers are never negative
    return m;
}

bool Exists(const std::string& caption, const std::string& dir) {
    std::string d = DirOrDefault(dir);
    if (!PrepareDir(d, nullptr)) return false;
    int fd = ConnectTo(SocketPath(caption, d), nullptr);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool Post(const std::string& caption, const Message& m, std::string* error, const std::string& dir) {
    std::string d = DirOrDefault(dir);
    if (!PrepareDir(d, error)) return false;
    int fd = ConnectTo(SocketPath(caption, d), error);
    if (fd < 0) {
        if (error) *error = "no window \"" + caption + "\" (" + *error + ")";
        return false;
    }
    bool ok = WriteAll(fd, FormatMessage(m));
    if (!ok) SetError(error, ErrnoText("cannot write to window \"" + caption + "\""));
    ::close(fd);
    return ok;
}

bool Listener::open(const std::string& caption, std::string* error, const std::string& dir) {
    close();
    std::string d = DirOrDefault(dir);
    if (!PrepareDir(d, error)) return false;
    std::string path = SocketPath(caption, d);
    sockaddr_un addr;
    if (!FillAddress(path, addr, error)) return false;

    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        if (int probe = ConnectTo(path, nullptr); probe >= 0) {
            ::close(probe);
            SetError(error, "another window already listens under the caption \"" + caption + "\"");
            return false;
        }
        ::unlink(path.c_str());  // left behind by a window that ended without cleaning up
    }

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        SetError(error, ErrnoText("socket"));
        return false;
    }
    mode_t old = ::umask(0077);
    int rc = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(old);
    if (rc != 0 || ::listen(fd, 16) != 0) {
        SetError(error, ErrnoText("cannot listen at " + path));
        ::close(fd);
        return false;
    }
    if (::stat(path.c_str(), &st) == 0) {
        dev_ = st.st_dev;
        ino_ = st.st_ino;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void Listener::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    // Remove the socket file only when it is still ours (a later window may have replaced it).
    struct stat st;
    if (::stat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_) ::unlink(path_.c_str());
    path_.clear();
}

int Listener::serve(const std::function<void(const Message&)>& fn, int timeoutMs) {
    int delivered = 0;
    while (fd_ >= 0) {
        int conn = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (conn < 0) {
            if (errno == EINTR) continue;
            break;  // EAGAIN: nothing more pending
        }
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(conn, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::getuid()) {
            ++refusedPeers;
            if (trace) trace("window message refused: peer uid " + std::to_string(cred.uid));
            ::close(conn);
            continue;
        }
        // Read one line; the peer writes it at once and closes. A connection without any data
        // is an existence check.
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (line.size() < 128) {
            char buf[128];
            ssize_t n = ::recv(conn, buf, sizeof buf, 0);
            if (n > 0) {
                line.append(buf, static_cast<std::size_t>(n));
                if (line.find('\n') != std::string::npos) break;
                continue;
            }
            if (n == 0) break;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) break;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{conn, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left.count()));
        }
        ::close(conn);
        if (auto nl = line.find('\n'); nl != std::string::npos) {
            line.resize(nl);
        } else if (line.size() >= 128) {  // no line end within a sane length: not a message
            if (trace) trace("window message ignored: over-long line");
            continue;
        }
        if (auto m = ParseMessage(line)) {
            ++delivered;
            fn(*m);
        } else if (!line.empty() && trace) {  // an empty connection is an existence check
            trace("window message ignored: not \"<message> <wParam> <lParam>\"");
        }
    }
    return delivered;
}

int Listener::waitAndServe(const std::function<void(const Message&)>& fn, int timeoutMs) {
    if (fd_ < 0) return 0;
    pollfd p{fd_, POLLIN, 0};
    int rc = ::poll(&p, 1, timeoutMs);
    if (rc <= 0) return 0;
    return serve(fn);
}

}  // namespace zorvan::winmsg
