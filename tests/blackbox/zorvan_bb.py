"""Black-box test kit for the real zorvan binaries.

Plays the other side of every seam the client has with the outside world: a fake lobby that
listens on the window-message socket under the lobby's caption and records what it is sent, a
poster for messages to the client's own window, a scripted game server on loopback that reads
272-byte packets and sends scripted ones, a reader for the client's screen dumps, and process
management that never leaves a client behind.

Only the standard library is used, so any python3 on PATH runs it.
"""

import hashlib
import json
import os
import queue
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

PACKET = 272
LOBBY_CAPTION = "Quenlo山庄"
CLIENT_CAPTION = "qelt"

MSG_CONNECT = 22
MSG_LOGIN_SENT = 771
MSG_DEAL = 1127
MSG_SYSCOMMAND = 274
MSG_DUMP = 32769
SC_RESTORE = 61728
SC_MINIMIZE = 61472


class Failure(AssertionError):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def wait_until(pred, timeout, what, step=0.02):
    """Polls pred until it returns something truthy; fails with `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        got = pred()
        if got:
            return got
        if time.monotonic() >= deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(step)


# ------------------------------------------------------------------------------------------------
# Paths and folders

def binary(name):
    """A staged program, from the environment the test runner sets (ZORVAN_BB_<NAME>)."""
    var = "ZORVAN_BB_" + name.upper().replace("-", "_")
    path = os.environ.get(var)
    check(path and os.path.exists(path), "%s is not set or missing (%r)" % (var, path))
    return path


def socket_path(caption, windows_dir):
    digest = hashlib.sha256(caption.encode("utf-8")).hexdigest()[:32]
    return os.path.join(windows_dir, digest + ".sock")


class Scratch:
    """Private folders of one scenario: windows (0700), dumps, and a log folder.

    The base comes from ZORVAN_BB_TMP (set per test by CTest); a Unix socket path has a hard
    length limit, so a base that is too long for one falls back to a fresh folder under /tmp.
    """

    def __init__(self, name):
        base = os.environ.get("ZORVAN_BB_TMP") or tempfile.mkdtemp(prefix="zbb-")
        root = os.path.join(base, name)
        if len(os.path.join(root, "w")) + 40 > 100:
            root = tempfile.mkdtemp(prefix="zbb-%s-" % name)
        self.root = root
        self.windows = os.path.join(root, "w")
        self.dumps = os.path.join(root, "dumps")
        for d in (self.windows, self.dumps):
            if os.path.isdir(d):
                for f in os.listdir(d):
                    os.unlink(os.path.join(d, f))
            os.makedirs(d, exist_ok=True)
        os.chmod(self.windows, 0o700)

    def env(self, **extra):
        env = dict(os.environ)
        env.update({
            "QT_QPA_PLATFORM": env.get("QT_QPA_PLATFORM", "offscreen"),
            "ZORVAN_HEADLESS": "1",
            "SDL_AUDIODRIVER": "dummy",
            "ZORVAN_WINDOWS_DIR": self.windows,
            "ZORVAN_DUMP_DIR": self.dumps,
        })
        env.pop("ZORVAN_TRACE", None)  # the trace would go to the shared program folder
        env.update(extra)
        return env


# ------------------------------------------------------------------------------------------------
# Window messages

def post(caption, msg, w=0, l=0, windows_dir=None):
    """Posts one message to the window with that caption; False when no window listens."""
    path = socket_path(caption, windows_dir or os.environ["ZORVAN_WINDOWS_DIR"])
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(path)
        s.sendall(("%d %d %d\n" % (msg, w, l)).encode("ascii"))
        return True
    except OSError:
        return False
    finally:
        s.close()


def window_exists(caption, windows_dir):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(socket_path(caption, windows_dir))
        return True
    except OSError:
        return False
    finally:
        s.close()


class FakeLobby:
    """Listens under the lobby's caption and records (time, msg, wParam, lParam) per message.

    Connections without a line are the client asking whether the window exists; they are not
    messages and are not recorded.
    """

    def __init__(self, windows_dir, caption=LOBBY_CAPTION):
        self.path = socket_path(caption, windows_dir)
        if os.path.exists(self.path):
            os.unlink(self.path)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.bind(self.path)
        self.sock.listen(16)
        self.sock.settimeout(0.2)
        self.messages = []
        self.lock = threading.Lock()
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            try:
                conn, _ = self.sock.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            with conn:
                conn.settimeout(2)
                data = b""
                try:
                    while True:
                        chunk = conn.recv(256)
                        if not chunk:
                            break
                        data += chunk
                except OSError:
                    pass
            for line in data.decode("ascii", "replace").splitlines():
                parts = line.split()
                if len(parts) == 3:
                    with self.lock:
                        self.messages.append((time.monotonic(), int(parts[0]), int(parts[1]), int(parts[2])))

    def msgs(self, include_syscommands=False):
        with self.lock:
            return [m[1] for m in self.messages if include_syscommands or m[1] != MSG_SYSCOMMAND]

    def wait_for(self, msg, count=1, timeout=10):
        return wait_until(lambda: self.msgs(True).count(msg) >= count, timeout,
                          "lobby message %d (x%d); got %s" % (msg, count, self.msgs(True)))

    def close(self):
        self.running = False
        try:
            self.sock.close()
        finally:
            if os.path.exists(self.path):
                os.unlink(self.path)


# ------------------------------------------------------------------------------------------------
# Packets

def packet(cmd, **fields):
    """A fresh 272-byte packet with byte 3 = cmd; fields name offsets as b<N>=value."""
    p = bytearray(PACKET)
    p[3] = cmd
    for k, v in fields.items():
        p[int(k[1:])] = v
    return p


def put_text(p, offset, text, width, encoding="gbk"):
    raw = text.encode(encoding)[:width]
    p[offset:offset + len(raw)] = raw


def card(suit, face, ind):
    """A card value as the server sends it: suit bit, face, spare, identifier (little-endian)."""
    return bytes([suit, face, 0, ind])


def login_result(ok=1, short_turn=1):
    return packet(18, b15=ok, b11=short_turn)


def player_info(own_bit, seat_bit, account, coins=10000, ready=False):
    p = packet(20, b6=own_bit)
    put_text(p, 16, account, 32)           # nickname
    put_text(p, 48, "m1", 16)              # avatar
    p[64] = 1
    p[96:104] = struct.pack("<Q", coins)
    put_text(p, 112, "新手", 16)            # level title
    put_text(p, 168, account, 16, "ascii")
    p[208] = 1 if ready else 0
    p[226] = seat_bit
    return p


def deal(cards, call_seconds, rank, dealer=0, own_level=2, other_level=2):
    p = packet(1, b8=len(cards), b9=call_seconds, b10=own_level, b11=other_level, b12=rank, b13=dealer)
    for i, c in enumerate(cards):
        p[16 + 4 * i:20 + 4 * i] = c
    return p


def bottom(taker_bit, cards, bury_seconds):
    p = packet(3, b6=taker_bit, b8=len(cards), b12=bury_seconds)
    for i, c in enumerate(cards):
        p[16 + 4 * i:20 + 4 * i] = c
    return p


def nonzero(p, allowed):
    """Offsets outside `allowed` that are not zero (for 'every other byte is 0' checks)."""
    return {i: p[i] for i in range(PACKET) if p[i] and i not in allowed}


# ------------------------------------------------------------------------------------------------
# Cards: the hand order the client shows (strongest first), for tests that predict it

def face(c):
    return c[1]


def suit(c):
    return c[0] & 15


def sorted_hand(cards, rank, trump_suit=0, mask_a=0, mask_b=0):
    """The hand order the client's group sort and trump-suit move produce."""
    h = list(cards)
    n = len(h)
    p = 0

    def scan(match, limit=None):
        nonlocal p
        i = p
        while i < n:
            if match(h[i]):
                h[i], h[p] = h[p], h[i]
                p += 1
            i += 1
            if limit is not None and p == limit:
                break

    scan(lambda c: face(c) == 5 and suit(c) == 4, 2)
    scan(lambda c: face(c) == 16, 4)
    scan(lambda c: face(c) == 15, 6)
    scan(lambda c: face(c) == 3 and suit(c) & mask_a)
    scan(lambda c: face(c) == 3 and suit(c) & mask_b, 10)
    for s in (8, 4, 2, 1):
        scan(lambda c, s=s: face(c) == rank and suit(c) == s)
    start = p
    counts = []
    for s in (8, 4, 2, 1):
        before = p
        scan(lambda c, s=s: suit(c) == s and face(c) != rank)
        counts.append(p - before)
    at = start
    for cnt in counts:
        for u in range(at, at + cnt):
            for j in range(u + 1, at + cnt):
                if face(h[u]) < face(h[j]):
                    h[u], h[j] = h[j], h[u]
        at += cnt
    if trump_suit:
        raise NotImplementedError("trump-suit move not needed by these tests")
    return h


def points(cards):
    return sum(5 if face(c) == 5 else 10 if face(c) in (10, 13) else 0 for c in cards)


def picture_code(c):
    f = face(c)
    if f == 15:
        return 16
    if f == 16:
        return 17
    s = {1: 0, 2: 1, 4: 2, 8: 3}[suit(c)]
    return 16 * s + (15 if f == 2 else f)


def picture_ids(c):
    """Resource ids that may show card c: the full-size set and the reduced set."""
    code = picture_code(c)
    ids = {code}
    if code == 16:
        ids.add(353)
    elif code == 17:
        ids.add(354)
    else:
        s, v = divmod(code, 16)
        ids.add(v + 13 * s + 300 if v <= 13 else v + 13 * s + 287)
    return ids


# ------------------------------------------------------------------------------------------------
# Scripted game server

class GameServer:
    """A TCP server on 127.0.0.1 for one client connection: collects whole 272-byte packets."""

    def __init__(self):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.conn = None
        self.packets = []          # (time, bytes)
        self.cond = threading.Condition()
        self.closed = False
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        try:
            conn, _ = self.listener.accept()
        except OSError:
            return
        with self.cond:
            self.conn = conn
            self.cond.notify_all()
        buf = b""
        while True:
            try:
                chunk = conn.recv(65536)
            except OSError:
                chunk = b""
            if not chunk:
                break
            buf += chunk
            while len(buf) >= PACKET:
                with self.cond:
                    self.packets.append((time.monotonic(), bytes(buf[:PACKET])))
                    self.cond.notify_all()
                buf = buf[PACKET:]
        with self.cond:
            self.closed = True
            self.partial = buf
            self.cond.notify_all()

    def wait_connected(self, timeout=10):
        with self.cond:
            check(self.cond.wait_for(lambda: self.conn is not None, timeout), "the client never connected")

    def wait_packet(self, cmd, after=0, timeout=10, what=None):
        """The first packet with byte 3 == cmd at index >= after; returns (index, time, bytes)."""
        def find():
            for i in range(after, len(self.packets)):
                if self.packets[i][1][3] == cmd:
                    return i
            return None
        with self.cond:
            ok = self.cond.wait_for(lambda: find() is not None, timeout)
            check(ok, "no command %d from the client within %.0f s (%s); got commands %s"
                  % (cmd, timeout, what or "", [p[3] for _, p in self.packets]))
            i = find()
            return i, self.packets[i][0], self.packets[i][1]

    def commands(self):
        with self.cond:
            return [p[3] for _, p in self.packets]

    def send(self, *packets):
        """Sends the packets in one write (so they may arrive in one receive event)."""
        self.conn.sendall(b"".join(bytes(p) for p in packets))

    def close(self):
        for s in (self.conn, self.listener):
            if s:
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                s.close()


# ------------------------------------------------------------------------------------------------
# Processes

class Process:
    """A child with its output in files; always ended by stop() (SIGTERM, then SIGKILL)."""

    all = []

    def __init__(self, argv, env, log_dir, name, stdin=None, pass_fds=()):
        self.name = name
        self.out_path = os.path.join(log_dir, name + ".out")
        self.err_path = os.path.join(log_dir, name + ".err")
        self.out = open(self.out_path, "wb")
        self.err = open(self.err_path, "wb")
        self.p = subprocess.Popen(argv, env=env, stdout=self.out, stderr=self.err,
                                  stdin=stdin if stdin is not None else subprocess.DEVNULL,
                                  pass_fds=pass_fds, start_new_session=True)
        Process.all.append(self)

    def alive(self):
        return self.p.poll() is None

    def wait_exit(self, timeout, what="the process to end"):
        try:
            return self.p.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("timed out after %.1f s waiting for %s (%s)" % (timeout, what, self.name))

    def stderr(self):
        self.err.flush()
        with open(self.err_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stdout(self):
        self.out.flush()
        with open(self.out_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop(self):
        if self.alive():
            try:
                os.killpg(self.p.pid, signal.SIGTERM)
            except OSError:
                pass
            try:
                self.p.wait(3)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(self.p.pid, signal.SIGKILL)
                except OSError:
                    pass
                self.p.wait(3)
        self.out.close()
        self.err.close()

    @classmethod
    def stop_all(cls):
        for proc in reversed(cls.all):
            proc.stop()
        cls.all = []


def start_client(scratch, command_line, name="zorvan", env=None):
    argv = [binary("client")] + ([command_line] if command_line is not None else [])
    return Process(argv, env or scratch.env(), scratch.root, name)


def command_line(port, account="alice", key="key1", room="一号房"):
    return "%s$%s$127.0.0.1$%d$%s$0$$0$$$0$$$1$0" % (account, key, port, room)


# ------------------------------------------------------------------------------------------------
# Screen dumps

class Dumps:
    """Asks the client for screen dumps (message 32769, wParam n) and reads them."""

    def __init__(self, scratch, caption=CLIENT_CAPTION, first=1):
        self.scratch = scratch
        self.caption = caption
        self.n = first

    def take(self, timeout=5, n=None):
        if n is None:
            n = self.n
            self.n += 1
        path = os.path.join(self.scratch.dumps, "zorvan-dump-%d.json" % n)
        check(post(self.caption, MSG_DUMP, n, 0, self.scratch.windows), "the client's window does not listen")
        wait_until(lambda: os.path.exists(path), timeout, "zorvan-dump-%d.json" % n)
        with open(path, "rb") as f:
            raw = f.read()
        return Dump(json.loads(raw.decode("utf-8")), path, raw)

    def until(self, pred, timeout, what):
        """Takes dumps until pred(dump) is truthy; returns that dump."""
        found = []

        def attempt():
            try:
                d = self.take()
            except Failure:  # the window does not listen yet, or that dump got lost: ask again
                return False
            if pred(d):
                found.append(d)
                return True
            return False
        wait_until(attempt, timeout, what, step=0.1)
        return found[0]


class Dump:
    def __init__(self, doc, path, raw):
        self.doc = doc
        self.path = path
        self.raw = raw

    def form(self, name="Main"):
        for f in self.doc["forms"]:
            if f["name"] == name:
                return f
        raise Failure("no form %r in the dump (forms: %s)" % (name, [f["name"] for f in self.doc["forms"]]))

    def main(self):
        """The main window's form: the one whose caption is the client's."""
        for f in self.doc["forms"]:
            if any(c["name"] == "cardImage0" for c in f["controls"]):
                return f
        raise Failure("no form holds cardImage0")

    def controls(self, name, form=None):
        f = form or self.main()
        return [c for c in f["controls"] if c["name"] == name]

    def control(self, name, index=None, form=None):
        for c in self.controls(name, form):
            if c.get("index") == index:
                return c
        raise Failure("no control %s(%s) in the dump" % (name, index))


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", "%s is not a PNG" % path)
    return struct.unpack(">II", head[16:24])


# ------------------------------------------------------------------------------------------------
# Running scenarios

def run(scenarios):
    """Runs the named scenarios in order (all, or those named on the command line)."""
    wanted = sys.argv[1:]
    failed = []
    for name, fn in scenarios:
        if wanted and name not in wanted:
            continue
        t0 = time.monotonic()
        try:
            fn()
            print("PASS %s (%.1f s)" % (name, time.monotonic() - t0), flush=True)
        except Exception as e:  # noqa: BLE001 - every failure is reported, then the next scenario runs
            failed.append(name)
            print("FAIL %s (%.1f s): %s: %s" % (name, time.monotonic() - t0, type(e).__name__, e), flush=True)
            for proc in Process.all:
                err = proc.stderr().strip()
                if err:
                    print("  [%s stderr] %s" % (proc.name, err[-2000:]), flush=True)
        finally:
            Process.stop_all()
    if failed:
        print("failed: " + ", ".join(failed))
        sys.exit(1)
