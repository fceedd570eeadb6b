"""The screen dump of the real client after a login, and the viewer that renders it."""

import os
import subprocess

from zorvan_bb import (MSG_LOGIN_SENT, Dumps, FakeLobby, GameServer, Scratch, binary, check, command_line,
                       login_result, png_size, run, start_client)

KEY = "Zk3y-s3cr3t"
FORM_FIELDS = {"name", "caption", "state", "visible", "left", "top", "width", "height", "opacity", "topmost",
               "controls"}
CONTROL_FIELDS = {"name", "type", "left", "top", "width", "height", "visible", "enabled", "z"}
# Fields a control carries where they apply, by type.
TYPE_FIELDS = {"image": {"picture"}, "label": {"caption", "fore", "fontSize"}, "list": {"items"},
               "text": {"text"}, "picture": {"picture"}}


def dump_after_login():
    sc = Scratch("dump")
    lobby = FakeLobby(sc.windows)
    server = GameServer()
    try:
        start_client(sc, command_line(server.port, key=KEY))
        server.wait_packet(18, timeout=10)
        server.send(login_result(1))
        lobby.wait_for(MSG_LOGIN_SENT, count=2)
        dumps = Dumps(sc)
        d = dumps.until(lambda d: d.control("Sysmsg", 0)["items"], 5, "message list 0 filled")
        d = dumps.take(n=7)
        check(os.path.basename(d.path) == "zorvan-dump-7.json", d.path)
        check(isinstance(d.doc.get("time"), (int, float)), "no time in the dump")
        check(KEY.encode() not in d.raw, "the login key is in the dump")

        main = d.main()
        check(main["caption"] == "qelt", "main caption %r" % main["caption"])
        check(main["state"] in ("normal", "minimised"), "state %r" % main["state"])
        for form in d.doc["forms"]:
            missing = FORM_FIELDS - set(form)
            check(not missing, "form %s lacks %s" % (form.get("name"), missing))
            check(0 <= form["opacity"] <= 255, "opacity %r" % form["opacity"])
            for z, c in enumerate(form["controls"]):
                missing = CONTROL_FIELDS - set(c)
                missing |= TYPE_FIELDS.get(c["type"], set()) - set(c)
                check(not missing, "%s.%s(%s) lacks %s" % (form["name"], c["name"], c.get("index"), missing))
                check(c["z"] == z, "%s.%s z %r at position %d" % (form["name"], c["name"], c["z"], z))
                if "picture" in c:
                    pic = c["picture"]
                    check(pic is None or isinstance(pic, int) or (isinstance(pic, str) and pic.startswith("named:")),
                          "%s picture %r" % (c["name"], pic))
                if "fore" in c:
                    check(len(c["fore"]) == 7 and c["fore"][0] == "#", "%s fore %r" % (c["name"], c["fore"]))

        lists = {c.get("index"): c["items"] for c in d.controls("Sysmsg")}
        check(set(lists) >= {0, 1}, "message lists in the dump: %s" % sorted(lists, key=str))
        check("连接服务器成功！" in lists[0], "message list 0: %s" % lists[0])
        check(any(item.startswith("欢迎进入") for item in lists[1]), "message list 1: %s" % lists[1])
        cards = d.controls("cardImage0")
        check(len(cards) >= 1 and all("index" in c for c in cards), "cardImage0 elements: %d" % len(cards))

        # The viewer draws the dump at the window's size.
        png = os.path.join(sc.root, "dump-7.png")
        r = subprocess.run([binary("dump-view"), d.path, "-o", png], capture_output=True, timeout=30,
                           env=sc.env())
        check(r.returncode == 0, "zorvan-dump-view failed (%d): %s" % (r.returncode, r.stderr.decode(errors="replace")))
        check(os.path.exists(png), "no PNG written")
        want = (round(main["width"] / 15), round(main["height"] / 15))
        check(png_size(png) == want, "PNG is %s, the window %s pixels" % (png_size(png), want))
    finally:
        server.close()
        lobby.close()


if __name__ == "__main__":
    run([("dump_after_login", dump_after_login)])
