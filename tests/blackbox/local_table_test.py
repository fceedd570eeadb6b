"""Smoke test of the real local table: zorvan-server with three bots, zorvan-lobby starting the client.

Scenario seated: the table (offscreen) shows four seated players and offers the ready button.
Scenario ready_click: pressing ready needs a real mouse click, so the client runs on a private Xvfb
display and the ready button (AnNiu 2, found through a screen dump) is clicked with xdotool; the
deal must then arrive. Without Xvfb and xdotool that scenario is skipped (the client offers no
other way to press a button from outside).
"""

import os
import re
import shutil
import subprocess
import time

from zorvan_bb import (Dumps, Failure, Process, Scratch, binary, check, run, wait_until)

class Display:
    """A private Xvfb display: Xvfb picks a free number and writes it to a pipe."""

    def __init__(self, scratch):
        r, w = os.pipe()
        try:
            self.proc = Process(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                dict(os.environ), scratch.root, "xvfb", pass_fds=(w,))
        finally:
            os.close(w)
        got = b""
        try:
            while not got.endswith(b"\n"):
                chunk = os.read(r, 16)  # ends with EOF when Xvfb dies
                if not chunk:
                    break
                got += chunk
        finally:
            os.close(r)
        check(got.strip().isdigit(), "Xvfb did not report its display (%r): %s" % (got, self.proc.stderr()))
        self.name = ":" + got.strip().decode()


def click_control(dump, name, index, env):
    """Clicks the middle of a control of the main window with the X pointer."""
    main = dump.main()
    c = dump.control(name, index)
    pic1 = dump.control("Pic1")
    x = (main["left"] + pic1["left"]) / 15 + c["left"] + c["width"] / 2
    y = (main["top"] + pic1["top"]) / 15 + c["top"] + c["height"] / 2
    subprocess.run(["xdotool", "mousemove", str(int(x)), str(int(y)), "click", "1"], env=env, check=True,
                   timeout=10, capture_output=True)


def start_table(sc, env):
    """Server with three bots, lobby starting the client; returns (lobby, dumps) once four players sit."""
    server = Process([binary("server"), "--port", "0", "--bots", "3", "--fast"], env, sc.root, "server")
    line = wait_until(lambda: server.stdout().split("\n")[0] if "\n" in server.stdout() else None, 10,
                      "the server's first line")
    m = re.match(r"zorvan-server listening on (\S+):(\d+)$", line)
    check(m, "server's first line: %r" % line)
    lobby = Process([binary("lobby"), "--no-window", "--server", "%s:%s" % (m.group(1), m.group(2)),
                     "--name", "alice", "--key", "k1", "--room", "一号房", "--client", binary("client")],
                    env, sc.root, "lobby")
    dumps = Dumps(sc)
    wait_until(lambda: "<- 771" in lobby.stdout(), 15, "the client's login (771 at the lobby)")
    d = dumps.until(lambda d: all(d.control("Nid", i)["caption"] for i in range(4)), 15, "four seated players")
    names = [d.control("Nid", i)["caption"] for i in range(4)]
    check("alice" in names[0], "own seat shows %r" % names[0])
    check(len(set(names)) == 4, "seat captions %s" % names)
    check(d.main()["state"] == "normal", "the table window is %s with four players" % d.main()["state"])
    ready = d.control("AnNiu", 2)
    check(ready["visible"] and ready["enabled"], "the ready button is not offered: %s" % ready)
    return lobby, dumps, d


def seated():
    sc = Scratch("seated")
    start_table(sc, sc.env())


def top_level_windows(env):
    r = subprocess.run(["xwininfo", "-root", "-children"], env=env, capture_output=True, text=True, timeout=10)
    return [line.strip() for line in r.stdout.splitlines() if line.strip().startswith("0x")]


def ready_click():
    """Presses ready with the X pointer; the deal must come."""
    if not (shutil.which("Xvfb") and shutil.which("xdotool") and shutil.which("xwininfo")):
        print("SKIP ready_click: Xvfb, xdotool and xwininfo are needed to click AnNiu 2")
        return
    sc = Scratch("click")
    display = Display(sc)
    env = sc.env(DISPLAY=display.name, QT_QPA_PLATFORM="xcb")
    lobby, dumps, d = start_table(sc, env)
    wait_until(lambda: any("Selection Owner" not in w for w in top_level_windows(env)), 5,
               "the client's main window on the X display (the dump says %s, visible %s; windows: %s)"
               % (d.main()["state"], d.main()["visible"], top_level_windows(env)))
    deadline = time.monotonic() + 20
    while True:
        click_control(d, "AnNiu", 2, env)
        try:
            wait_until(lambda: "<- 1127 " in lobby.stdout(), 3, "the deal (1127 at the lobby)")
            break
        except Failure:
            if time.monotonic() > deadline:
                raise Failure("no deal after clicking the ready button (AnNiu 2)")
            d = dumps.take()
    dumps.until(lambda d: any(c["visible"] for c in d.controls("cardImage0")), 15, "dealt cards")


if __name__ == "__main__":
    run([("seated", seated), ("ready_click", ready_click)])
