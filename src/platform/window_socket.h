// Window messages between top-level windows on Linux, without any toolkit: one Unix stream socket
// per window in a private folder, named after the window's caption.
//
//   folder   $ZORVAN_WINDOWS_DIR, else $XDG_RUNTIME_DIR/zorvan-windows, else /tmp/zorvan-windows-<uid>;
//            mode 0700, owned by the user (a folder of another user is refused)
//   socket   the first 32 lowercase hex digits of SHA-256(caption as UTF-8) + ".sock"
//   exists   a connection to the socket succeeds
//   message  one ASCII line "<message> <wParam> <lParam>\n" in decimal on a fresh connection,
//            closed after writing; a listener serves only peers of its own user id (SO_PEERCRED)
//
// The lobby uses it directly; the Qt front-end watches Listener::fd() and calls serve().
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace zorvan::winmsg {

struct Message {
    int msg = 0;
    long wParam = 0, lParam = 0;
    friend bool operator==(const Message&, const Message&) = default;
};

// Lowercase hex SHA-256 of the bytes.
std::string Sha256Hex(std::string_view bytes);

// The folder from the environment (see above); not created.
std::string WindowsDir();
// Creates the folder (mode 0700) when missing and checks it: a real folder (no symbolic link),
// owned by this user; a folder of ours that others may enter is narrowed to 0700.
// Returns false with a message a user understands.
bool PrepareDir(const std::string& dir, std::string* error = nullptr);
// dir + "/" + the socket name of the caption.
std::string SocketPath(const std::string& caption, const std::string& dir);

// "<message> <wParam> <lParam>\n"
std::string FormatMessage(const Message& m);
// Parses one line (the newline optional); nullopt for anything that is not three decimal numbers
// in range separated by single spaces, the message number not negative.
std::optional<Message> ParseMessage(std::string_view line);

// Whether a window with the caption listens (in WindowsDir() unless dir is given).
bool Exists(const std::string& caption, const std::string& dir = {});
// Posts a message to the window with the caption; false with a reason when there is none.
bool Post(const std::string& caption, const Message& m, std::string* error = nullptr, const std::string& dir = {});

// A window's socket. Not copyable; closing (or destroying) removes the socket file.
class Listener {
public:
    Listener() = default;
    ~Listener() { close(); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Starts listening under the caption. A stale socket file (nobody listening) is replaced; a
    // caption that another live window already uses is refused.
    bool open(const std::string& caption, std::string* error = nullptr, const std::string& dir = {});
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The listening descriptor (non-blocking), for poll() or a toolkit's socket notifier.
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    // Accepts every pending connection and hands each well-formed message to fn. A connection from
    // another user is closed unread; a peer that sends nothing within timeoutMs is dropped.
    // Returns the number of messages delivered.
    int serve(const std::function<void(const Message&)>& fn, int timeoutMs = 200);
    // Waits up to timeoutMs for a connection, then serves (for programs without a toolkit loop).
    int waitAndServe(const std::function<void(const Message&)>& fn, int timeoutMs);

    // Connections refused because the peer was another user (for the log and for tests).
    int refusedPeers = 0;
    // When set, told of every refused peer and every line that is not a message.
    std::function<void(const std::string&)> trace;

private:
    int fd_ = -1;
    std::string path_;
    dev_t dev_{};
    ino_t ino_{};
};

}  // namespace zorvan::winmsg
