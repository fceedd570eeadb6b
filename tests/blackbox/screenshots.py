"""Screenshots of the real client on a private Xvfb display against the scripted server.

Not a CTest test: run it by hand to look at the table (python3 screenshots.py OUTDIR) with the
ZORVAN_BB_CLIENT variable naming the staged client. It writes deal.png (mid-deal), calling.png
(deal finished, call options and countdown up), bottom.png (bottom taken, bury countdown) and the
screen dump beside each (NAME.json, and NAME-view.png drawn from it by zorvan-dump-view,
named by ZORVAN_BB_DUMP_VIEW), for comparing what the model holds with what was drawn.
"""

import os
import shutil
import subprocess
import sys
import time

from local_table_test import Display
from round_test import ACCOUNTS, BOTTOM, HAND, OWN_BIT, RANK, visible_hand
from zorvan_bb import (MSG_LOGIN_SENT, binary, Dumps, FakeLobby, GameServer, Process, Scratch, bottom, command_line, deal,
                       login_result, player_info, start_client, wait_until)


def shoot(env, dumps, out, name):
    d = dumps.take()
    shutil.copy(d.path, os.path.join(out, name + ".json"))
    subprocess.run(["import", "-window", "root", os.path.join(out, name + ".png")], env=env, check=True, timeout=30)
    # What the model holds, drawn by the window's own renderer offscreen.
    subprocess.run([binary("dump-view"), d.path, "-o", os.path.join(out, name + "-view.png")], env=env, check=True,
                   timeout=30)
    return d


def main(out):
    os.makedirs(out, exist_ok=True)
    sc = Scratch("shots")
    server = GameServer()
    lobby = FakeLobby(sc.windows)
    try:
        display = Display(sc)
        env = sc.env(DISPLAY=display.name, QT_QPA_PLATFORM="xcb")
        start_client(sc, command_line(server.port), env=env)
        server.wait_packet(18, timeout=10)
        server.send(login_result(1))
        lobby.wait_for(MSG_LOGIN_SENT, count=2)
        server.send(*[player_info(OWN_BIT, bit, name) for bit, name in ACCOUNTS.items()])
        dumps = Dumps(sc)
        dumps.until(lambda d: all(d.control("Nid", i)["caption"] for i in range(4)), 5, "four seated players")
        shoot(env, dumps, out, "seated")
        # Dealer: the seat after ours, so that the marker is away from the own hand.
        server.send(deal(HAND, call_seconds=20, rank=RANK, dealer=8))
        dumps.until(lambda d: len(visible_hand(d)) >= 12, 10, "half the hand dealt")
        shoot(env, dumps, out, "deal")
        dumps.until(lambda d: len(visible_hand(d)) == 25, 10, "the whole hand dealt")
        time.sleep(0.5)
        shoot(env, dumps, out, "calling")
        server.send(bottom(OWN_BIT, BOTTOM, bury_seconds=20))
        dumps.until(lambda d: len(visible_hand(d)) == 33, 10, "the bottom in the hand")
        time.sleep(0.5)
        shoot(env, dumps, out, "bottom")
        subprocess.run(["xwininfo", "-root", "-tree"], env=env, stdout=open(os.path.join(out, "windows.txt"), "w"))
    finally:
        Process.stop_all()
        server.close()
        lobby.close()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "screenshots")
