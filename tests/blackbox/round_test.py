"""A round's calling and burying by the real client when the player does nothing.

The scripted server seats four players, deals 25 cards with a call countdown of 0 seconds, and
gives the bottom to the client's seat with a short bury countdown. The client must pass when the
call countdown runs out and bury the last eight cards of its sorted hand when the bury countdown
runs out; the screen dumps show the hand in order with exactly the received bottom cards raised.
"""

import time

from zorvan_bb import (MSG_LOGIN_SENT, Dumps, FakeLobby, GameServer, Scratch, bottom, card, check,
                       command_line, deal, login_result, nonzero, picture_ids, player_info, points, run,
                       sorted_hand, start_client)

OWN_BIT = 4
RANK = 7
S, H, C, D = 8, 4, 2, 1
SMALL, BIG = 15, 16

HAND = [card(*c) for c in [
    (H, 5, 40), (0, BIG, 106), (0, SMALL, 104), (S, 7, 44), (D, 7, 5), (S, 14, 51), (S, 13, 50), (S, 12, 49),
    (S, 10, 47), (S, 3, 40 + 1), (H, 14, 38), (H, 13, 37), (H, 9, 33), (H, 4, 28), (C, 14, 25), (C, 11, 22),
    (C, 10, 21), (C, 6, 17), (C, 2, 13), (D, 13, 11), (D, 9, 7), (D, 8, 6), (D, 5, 3), (D, 3, 1), (H, 2, 26)]]
# The second copy of the ace of spades must be the only one of the two raised after sorting.
BOTTOM = [card(*c) for c in [
    (S, 14, 103), (S, 11, 100), (H, 7, 83), (C, 12, 75), (D, 10, 60), (D, 6, 56), (D, 4, 54), (D, 2, 52)]]
ACCOUNTS = {1: "bob", 2: "carol", 4: "alice", 8: "dave"}


def visible_hand(d):
    """The shown hand pictures, left to right: (picture, top) per card."""
    cards = [c for c in d.controls("cardImage0") if c["visible"]]
    return [(c["picture"], c["top"]) for c in sorted(cards, key=lambda c: c["left"])]


def check_order(shown, expected, when):
    check(len(shown) == len(expected), "%s: %d cards shown, %d expected" % (when, len(shown), len(expected)))
    for i, ((pic, _), c) in enumerate(zip(shown, expected)):
        check(pic in picture_ids(c), "%s: card %d shows picture %r, expected suit %d face %d"
              % (when, i, pic, c[0], c[1]))


def call_and_bury_by_countdown():
    check(len(HAND) == 25 and len({bytes(c[3:]) for c in HAND + BOTTOM}) == 33, "fixture cards")
    sc = Scratch("round")
    lobby = FakeLobby(sc.windows)
    server = GameServer()
    try:
        start_client(sc, command_line(server.port))
        server.wait_packet(18, timeout=10)
        server.send(login_result(1))
        lobby.wait_for(MSG_LOGIN_SENT, count=2)
        server.send(*[player_info(OWN_BIT, bit, name) for bit, name in ACCOUNTS.items()])
        dumps = Dumps(sc)
        dumps.until(lambda d: all(d.control("Nid", i)["caption"] for i in range(4)), 5, "four seated players")

        before = len(server.commands())
        server.send(deal(HAND, call_seconds=1, rank=RANK, dealer=0))
        t_deal = time.monotonic()
        # The call countdown runs from the deal: it shows 0 after one second and ends a second later.
        i, t_pass, pass_packet = server.wait_packet(2, after=before, timeout=8, what="the automatic pass")
        check(1.5 <= t_pass - t_deal <= 3.5, "pass %.1f s after the deal, with a countdown of 1 s" % (t_pass - t_deal))
        check(pass_packet[6] == OWN_BIT and not nonzero(pass_packet, {3, 6}),
              "pass packet bytes: %s" % nonzero(pass_packet, set()))
        # 25 cards at 400 ms each; the countdown restarted at the end of the deal passes no more.
        d = dumps.until(lambda d: len(visible_hand(d)) == 25, 15, "the whole hand dealt")
        check_order(visible_hand(d), sorted_hand(HAND, RANK), "after the deal")

        server.send(bottom(OWN_BIT, BOTTOM, bury_seconds=2))
        t_bottom = time.monotonic()
        d = dumps.until(lambda d: len(visible_hand(d)) == 33, 5, "the 33-card hand after the bottom")
        check(time.monotonic() - t_bottom < 2.5, "the bottom was shown too late to see it before the bury")
        full = sorted_hand(HAND + BOTTOM, RANK)
        shown = visible_hand(d)
        check_order(shown, full, "after the bottom")
        hand_top = max(top for _, top in shown)
        raised = sorted(pic for pic, top in shown if top < hand_top - 1)
        want = sorted(next(iter(picture_ids(c) & {pic for pic, _ in shown})) for c in BOTTOM)
        check(raised == want, "raised pictures %s, the bottom's pictures %s" % (raised, want))
        check(d.control("ImageGaiPai")["visible"], "the bury button is not shown")

        _, t_bury, bury = server.wait_packet(4, timeout=8, what="the automatic bury")
        check(t_bury - t_bottom >= 1.5, "bury %.1f s after the bottom, before its countdown ended" % (t_bury - t_bottom))
        weakest = full[25:]
        want_ids = [c[3] for c in weakest]
        check(bury[6] == OWN_BIT and list(bury[16:24]) == want_ids and bury[12] == points(weakest),
              "bury packet: seat %d, ids %s, points %d; wanted ids %s, points %d"
              % (bury[6], list(bury[16:24]), bury[12], want_ids, points(weakest)))
        check(not nonzero(bury, {3, 6, 12} | set(range(16, 24))), "bury packet bytes: %s" % nonzero(bury, set()))
        check(server.commands()[before:].count(2) == 1, "passes sent: %s" % server.commands()[before:])

        d = dumps.until(lambda d: len(visible_hand(d)) == 25, 5, "the 25-card hand after burying")
        shown = visible_hand(d)
        check_order(shown, full[:25], "after burying")
        check(len({top for _, top in shown}) == 1, "cards still raised after burying: %s" % shown)
    finally:
        server.close()
        lobby.close()


if __name__ == "__main__":
    run([("call_and_bury_by_countdown", call_and_bury_by_countdown)])
