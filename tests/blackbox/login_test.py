"""Start-up and login of the real client against a fake lobby and a scripted server."""

import time

from zorvan_bb import (MSG_CONNECT, MSG_LOGIN_SENT, Dumps, FakeLobby, GameServer, Scratch, check, login_result,
                       nonzero, player_info, run, start_client, wait_until, window_exists)

COMMAND_LINE = "alice$key1$127.0.0.1$%d$一号房$0$$0$$$0$$$1$0"
OWN_BIT = 4


def expect_login_packet(p):
    check(p[3] == 18 and p[14] == 1, "login packet: byte 3 = %d, byte 14 = %d" % (p[3], p[14]))
    check(p[16:21] == b"alice" and p[32:36] == b"key1", "login packet names: %r / %r" % (p[16:32], p[32:48]))
    extra = nonzero(p, {3, 14} | set(range(16, 21)) | set(range(32, 36)))
    check(not extra, "login packet has other bytes set: %s" % extra)


def login_accepted():
    sc = Scratch("accepted")
    lobby = FakeLobby(sc.windows)
    server = GameServer()
    try:
        client = start_client(sc, COMMAND_LINE % server.port)
        server.wait_connected()
        _, _, login = server.wait_packet(18, timeout=10)
        expect_login_packet(login)
        lobby.wait_for(MSG_LOGIN_SENT)
        check(lobby.msgs() == [MSG_CONNECT, MSG_LOGIN_SENT],
              "before the login result the lobby got %s, wanted 22 then 771" % lobby.msgs())

        # The login result and the own player's seat in one write: both must be handled.
        server.send(login_result(1), player_info(OWN_BIT, OWN_BIT, "alice"))
        t_result = time.monotonic()
        lobby.wait_for(MSG_LOGIN_SENT, count=2, timeout=5)
        check(lobby.msgs() == [MSG_CONNECT, MSG_LOGIN_SENT, MSG_LOGIN_SENT],
              "after the login result the lobby got %s" % lobby.msgs())
        dumps = Dumps(sc)
        d = dumps.until(lambda d: d.control("Nid", 0).get("caption"), 5, "own name in Nid 0")
        check("alice" in d.control("Nid", 0)["caption"], "Nid 0 shows %r" % d.control("Nid", 0)["caption"])

        # Keep-alives: command 24 carrying the seat bit of the command 20, every 5 seconds.
        i, t1, ka = server.wait_packet(24, timeout=8, what="keep-alive")
        check(4.0 <= t1 - t_result <= 7.0, "first keep-alive %.2f s after the login result" % (t1 - t_result))
        check(ka[6] == OWN_BIT and not nonzero(ka, {3, 6}),
              "keep-alive bytes: %s" % nonzero(ka, set()))
        _, t2, ka2 = server.wait_packet(24, after=i + 1, timeout=8, what="second keep-alive")
        check(4.0 <= t2 - t1 <= 6.5, "keep-alives %.2f s apart" % (t2 - t1))
        check(ka2 == ka, "second keep-alive differs: %s" % nonzero(ka2, set()))
        check(client.alive(), "the client ended")
    finally:
        server.close()
        lobby.close()


def login_rejected():
    sc = Scratch("rejected")
    lobby = FakeLobby(sc.windows)
    server = GameServer()
    try:
        client = start_client(sc, COMMAND_LINE % server.port)
        server.wait_packet(18, timeout=10)
        lobby.wait_for(MSG_LOGIN_SENT)
        server.send(login_result(0))
        client.wait_exit(10, "the client to end after a rejected login")
        wait_until(lambda: lobby.msgs() == [MSG_CONNECT, MSG_LOGIN_SENT, MSG_CONNECT], 2,
                   "22 posted after the rejected login; the lobby got %s" % lobby.msgs())
        check(not server.commands().count(24), "keep-alive after a rejected login")
    finally:
        server.close()
        lobby.close()


def no_lobby():
    sc = Scratch("nolobby")
    server = GameServer()
    try:
        client = start_client(sc, COMMAND_LINE % server.port)
        client.wait_exit(10, "the client to end without a lobby")
        err = client.stderr()
        check("警告" not in err and "！" not in err, "the client showed a message: %r" % err)
        check(server.commands() == [], "the client sent %s without a lobby" % server.commands())
    finally:
        server.close()


def second_copy():
    sc = Scratch("second")
    lobby = FakeLobby(sc.windows)
    server = GameServer()
    try:
        first = start_client(sc, COMMAND_LINE % server.port, name="first")
        server.wait_packet(18, timeout=10)
        lobby.wait_for(MSG_LOGIN_SENT)  # the first copy's last post until its login is answered
        wait_until(lambda: window_exists("qelt", sc.windows), 5, "the first client's window")
        before = len(lobby.msgs(True))
        second = start_client(sc, COMMAND_LINE % server.port, name="second")
        second.wait_exit(10, "the second copy to end")
        check("Zorvan已经运行！" in second.stderr(), "second copy stderr: %r" % second.stderr())
        check(first.alive(), "the first copy ended when the second started")
        # The second copy knows no lobby title yet: it may not touch the lobby.
        check(len(lobby.msgs(True)) == before, "the second copy posted %s" % lobby.msgs(True)[before:])
    finally:
        server.close()
        lobby.close()


def empty_command_line():
    for name, line in (("empty", None), ("blank", "   ")):
        sc = Scratch(name)
        lobby = FakeLobby(sc.windows)
        try:
            client = start_client(sc, line, name=name)
            client.wait_exit(10, "the client to end without a command line")
            check("本游戏需从游戏大厅中启动！" in client.stderr(), "%s: stderr %r" % (name, client.stderr()))
            check(MSG_CONNECT not in lobby.msgs(), "%s: posted %s" % (name, lobby.msgs()))
        finally:
            lobby.close()


if __name__ == "__main__":
    run([("login_accepted", login_accepted), ("login_rejected", login_rejected), ("no_lobby", no_lobby),
         ("second_copy", second_copy), ("empty_command_line", empty_command_line)])
