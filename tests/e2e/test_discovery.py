#!/usr/bin/env python3
"""usage: test_discovery.py BOARDWICK   (BOARDWICK_CONNECT_SHOT=PNG keeps B's Connect box listing A)
Each namespace has a bus and an Avahi daemon of its own in a private mount namespace (/run of its
own), so nothing is shared with the machine; players' names come from a passwd file bound over
/etc/passwd. found: A ("Anna") shows in B's Connect box within seconds; choosing it calls A; a game.
none: B's bus never answers, A has none; B calls A's typed address and B's window closes at once."""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bwe2e  # noqa: E402
from bwe2e import STATUS_PANELS, Failure, region, wait_for  # noqa: E402
from test_internet_play import call, close_window, play_short_game  # noqa: E402

BUS = """<busconfig><type>system</type><listen>unix:path={bus}</listen>
<listen>unix:path=/run/dbus/system_bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy></busconfig>"""
AVAHI = """[server]\nhost-name={host}\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces={link}\n
[wide-area]\nenable-wide-area=no\n[publish]\npublish-hinfo=no\npublish-workstation=no\n"""
# The daemons' own mount namespace: /run is theirs (the daemon finds its bus there); the program
# finds the same bus through the socket in the test's folder.
DAEMONS = ("mount --make-rprivate / && mount -t tmpfs tmpfs /run && mkdir /run/dbus /run/avahi-daemon"
           " && { dbus-daemon --nofork --config-file=\"$0\" & while [ ! -S \"$1\" ]; do sleep 0.05; done; }"
           " && exec avahi-daemon -f \"$2\" --no-chroot --no-drop-root --no-rlimits")
AS_PLAYER = 'mount --make-rprivate / && mount --bind "$0" /etc/passwd && exec "$@"'


def daemons(ns, workdir, artefacts):
    """A bus and an Avahi daemon for namespace ns, in a process group of their own."""
    files = {k: os.path.join(workdir, f"{ns}.{k}") for k in ("bus", "conf", "avahi")}
    open(files["conf"], "w").write(BUS.format(bus=files["bus"]))
    open(files["avahi"], "w").write(AVAHI.format(host=ns, link=f"v{ns}"))
    log = open(os.path.join(artefacts, f"daemons-{ns}.log"), "w")
    proc = subprocess.Popen(["ip", "netns", "exec", ns, "unshare", "-m", "sh", "-c", DAEMONS, files["conf"],
                             files["bus"], files["avahi"]], stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    return proc, f"unix:path={files['bus']}"


def player(session, name, ns, origin, bus, full_name):
    passwd = os.path.join(session["workdir"], f"passwd-{name}")
    with open("/etc/passwd") as system, open(passwd, "w") as own:
        own.writelines(f"root:x:0:0:{full_name}:/root:/bin/sh\n" if line.startswith("root:") else line for line in system)
    return bwe2e.App(name, session["binary"], ns, session["display"], origin, session["artefacts"],
                     env={"DBUS_SYSTEM_BUS_ADDRESS": bus} if bus else None,
                     prefix=["unshare", "-m", "sh", "-c", AS_PLAYER, passwd])


def ink(img):
    """Dark pixels: text typed or chosen shows as more of them."""
    return sum(1 for p in img.getdata() if sum(p) < 300)


def case_found(session, net, screenshot):
    procs, buses = zip(*(daemons(net.names[s], session["workdir"], session["artefacts"]) for s in "AB"))
    try:
        wait_for("both buses", lambda: all(os.path.exists(bus[len("unix:path="):]) for bus in buses))
        started = time.monotonic()
        a = player(session, "A", net.names["A"], (0, 0), buses[0], "Anna")
        b = player(session, "B", net.names["B"], (450, 0), buses[1], "Ben")
        try:
            reader = bwe2e.BoardReader(a.screenshot("start"))
            waiting = region(a.grab(), STATUS_PANELS[2])
            b.press("connect")
            box = wait_for("B's Connect box", lambda: b._find("Computer to connect to"))
            b.xdo("windowfocus", "--sync", box)
            empty = ink(b.screenshot("connect-empty", window=box))

            def listed():  # Down chooses the first player listed: its name and address fill the line
                b.xdo("key", "Down")
                return ink(b.screenshot("connect-listed", window=box)) > empty + 100

            wait_for("A in B's Connect box", listed, timeout=10)
            print(f"A listed in B's box {time.monotonic() - started:.1f} s after A started")
            if screenshot:
                x, y, w, h = b.geometry(box)
                b.xdo("key", "alt+Down")
                time.sleep(1)  # the list's pop-up has no window of its own to wait for
                bwe2e.run(["import", "-display", f":{b.display}", "-window", "root", "-crop",
                           f"{w}x{h}+{x}+{y}", screenshot], env=b.env)
                b.xdo("key", "Escape")
            b.xdo("key", "Return")
            wait_for("A to take B's call", lambda: region(a.grab(), STATUS_PANELS[2]) != waiting)
            play_short_game(a, b, reader)
        finally:
            a.close()
            b.close()
    finally:
        for proc in procs:
            os.killpg(proc.pid, signal.SIGTERM)
            proc.wait(10)


def case_none(session, net):
    silent = socket.socket(socket.AF_UNIX)
    silent.bind(os.path.join(session["workdir"], "silent.bus"))
    silent.listen(8)  # connections wait in the backlog, never answered
    a = player(session, "A", net.names["A"], (0, 0), None, "Anna")
    b = player(session, "B", net.names["B"], (450, 0), f"unix:path={silent.getsockname()}", "Ben")
    try:
        call(b, a, net.addresses["A"])
        started = time.monotonic()
        close_window(b)
        if time.monotonic() - started > 5:
            raise Failure("B took more than 5 s to close on a silent bus")
    finally:
        a.close()
        b.close()
        silent.close()


def main():
    binary, screenshot = os.path.abspath(sys.argv[1]), os.environ.get("BOARDWICK_CONNECT_SHOT")
    unable = bwe2e.unable(["avahi-daemon", "dbus-daemon", "unshare"])
    if unable:
        return unable
    artefacts = bwe2e.artefact_dir()
    print(f"screenshots and logs: {artefacts}")
    with bwe2e.Netns(str(os.getpid() % 100000)) as net, bwe2e.Xvfb() as x, tempfile.TemporaryDirectory() as workdir:
        session = {"binary": binary, "display": x.display, "artefacts": artefacts, "workdir": workdir}
        case_found(session, net, screenshot)
        case_none(session, net)
    return 0


if __name__ == "__main__":
    sys.exit(main())
