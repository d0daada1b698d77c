#!/usr/bin/env python3
"""Boardwick across a simulated internet (see homenet.py), driven as in test_two_players.py:
  nat     A at home behind the router running the test gateway; B outside calls the router's WAN
          address; a game with chat goes through the NAT; once A has exited, the DNAT rule is gone.
  daemon  the router runs Debian's miniupnpd, which refuses the forwarding (501): A shows no box,
          keeps showing its LAN address and still takes a call from the LAN.
  ipv6    B calls A by A's IPv6 literal, then by a name that has only that address; a game each
          time, and A shows B (who plays under its IPv6 address as its name) as its opponent.
  consent a call from outside (B's side, through a DNAT rule on the router) waits unheard for A's
          consent: No and hanging up end it, a second outside call meanwhile is turned away, Yes
          lets the caller (a bare socket) play; a call from the LAN is taken without asking.
Shown texts are checked against what the same program draws for that text in its own address
label (a reference window in a namespace whose only address is that text).

usage: test_internet_play.py BOARDWICK [--mapper PORTMAP_PROBE] [CASE...]
--mapper runs that program beside A to forward A's port, for a build that does not forward its
own; the checks of A's own forwarding (shown WAN address, removal on exit, the daemon case) are
then left out. Exit 77 where namespaces cannot be made (a failure under CI=true)."""

import ctypes
import os
import shutil
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bwe2e  # noqa: E402
from bwe2e import STATUS_PANELS, MESSAGES, Failure, region, wait_for  # noqa: E402
from homenet import LAN, V6, WAN, HomeNetwork, netns_hosts, nft, start_miniupnpd  # noqa: E402
from test_two_players import START, apply_move, changed, expect_board  # noqa: E402

LABEL4 = (320, 40, 433, 53)  # "Your IP is" value
LABEL6 = (320, 72, 433, 85)  # the opponent
FEATURES = "Morvanti-CTR-Features Promotion Numbered Resume Name Draw Tls\n"
CLONE_NEWNET = 0x40000000


def close_window(app):
    """Asks the window to close as its title-bar button would (WM_DELETE_WINDOW), with no window
    manager on the display."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(f":{app.display}".encode())
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = int(app.window)
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XSendEvent(display, int(app.window), 0, 0, ctypes.byref(event))
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XFlush(display)
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay(display)
    app.proc.wait(15)


class Session:
    def __init__(self, binary, display, artefacts, tag):
        self.binary, self.display, self.artefacts, self.tag = binary, display, artefacts, tag
        self.references = {}

    def app(self, name, netns, origin, player=None):
        return bwe2e.App(name, self.binary, netns, display=self.display, origin=origin, artefacts=self.artefacts,
                         player=player)

    def text_pixels(self, text):
        """What the program draws for text in its address label: a window in a namespace whose
        only address is text (and whose host name resolves to it, for IPv4)."""
        if text in self.references:
            return self.references[text]
        ns = f"bwT{self.tag}{len(self.references)}"
        six = ":" in text
        hosts = netns_hosts(ns, [] if six else [f"{text} {socket.gethostname()}"])
        try:
            bwe2e.run(["ip", "netns", "add", ns])
            bwe2e.run(["ip", "-n", ns, "link", "add", "d0", "type", "veth", "peer", "name", "d1"])
            bwe2e.run(["ip", "-n", ns, "link", "set", "d1", "up"])
            bwe2e.run(["ip", "-n", ns, "addr", "add", text + ("/128" if six else "/32"), "dev", "d0"] +
                      (["nodad"] if six else []))
            bwe2e.run(["ip", "-n", ns, "link", "set", "d0", "up"])
            ref = self.app(f"ref-{len(self.references)}", ns, (450, 500))
            try:
                self.references[text] = region(ref.screenshot("reference-" + text.replace(":", "_")), LABEL4)
                if region(ref.grab(), LABEL4) != self.references[text]:
                    raise Failure(f"the reference window for {text} did not settle")
            finally:
                ref.close()
        finally:
            subprocess.run(["ip", "netns", "del", ns], capture_output=True)
            shutil.rmtree(hosts, ignore_errors=True)
        return self.references[text]

    def expect_text(self, app, box, text, what):
        wanted = self.text_pixels(text)
        wait_for(f"{app.name} to show {text} as {what}", lambda: region(app.grab(), box) == wanted)


def play_short_game(a, b, reader):
    """A (who took the call) starts; two moves each way and chat both ways."""
    turn = region(b.grab(), STATUS_PANELS[0])
    a.press("new")
    changed(b, STATUS_PANELS[0], turn, "B to receive the new game")
    position = START
    for mover, peer, source, target in ((a, b, "E2", "E4"), (b, a, "E7", "E5"), (a, b, "G1", "F3"),
                                        (b, a, "B8", "C6")):
        mover.drag(source, target)
        position = apply_move(position, source, target)
        expect_board(mover, reader, position, f"{source}-{target}")
        expect_board(peer, reader, position, f"{source}-{target}")
    messages = region(b.grab(), MESSAGES)
    a.type_line("hello through the router")
    changed(b, MESSAGES, messages, "B to show A's chat line")
    messages = region(a.grab(), MESSAGES)
    b.type_line("hello back")
    changed(a, MESSAGES, messages, "A to show B's chat line")


def call(b, a, address, outside=False):
    """B calls A; a call from outside A's network is let in by A's Yes."""
    waiting = region(a.grab(), STATUS_PANELS[2])
    b.press("connect")
    b.answer_dialog("Computer to connect to", text=address)
    if outside:
        a.answer_dialog("Confirm")
    changed(a, STATUS_PANELS[2], waiting, f"A to take B's call to {address}")


def case_nat(session, mapper, workdir):
    with HomeNetwork(session.tag + "n") as net:
        net.hosts("A", [f"{WAN['B']} caller.example"])  # A names its caller without asking DNS
        log = os.path.join(workdir, "gateway.log")
        net.start("router", ["/usr/bin/python3", os.path.join(os.path.dirname(__file__), "test_gateway.py"),
                             LAN["router"], WAN["router"], log])
        wait_for("the test gateway", lambda: os.path.exists(log) and "ready" in open(log).read(), 10)
        a = session.app("A", net.ns["A"], (0, 0))
        b = session.app("B", net.ns["B"], (450, 0))
        probe = None
        try:
            if mapper:
                probe = net.start("A", [mapper], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
                wait_for("the stand-in mapping", lambda: "mapped" in probe.stdout.readline())
            else:
                session.expect_text(a, LABEL4, WAN["router"], "its address")
            wait_for("the DNAT rule", net.dnat_rules)
            reader = bwe2e.BoardReader(a.screenshot("start"))
            a_waiting = region(a.grab(), STATUS_PANELS[2])
            call(b, a, WAN["router"], outside=True)
            play_short_game(a, b, reader)
            # B's key is known to A now: its next call from outside needs no box.
            b.press("connect")
            wait_for("A to wait again", lambda: region(a.grab(), STATUS_PANELS[2]) == a_waiting)
            call(b, a, WAN["router"])
            if a.dialogs():
                raise Failure("A asked about a caller whose key it knows")
            close_window(a)
            if probe:
                probe.stdin.close()
                probe.wait(10)
            wait_for("the DNAT rule to go with A", lambda: not net.dnat_rules())
        finally:
            a.close()
            b.close()


def case_daemon(session, workdir):
    with HomeNetwork(session.tag + "d") as net:
        log = start_miniupnpd(net, workdir)
        a = session.app("A", net.ns["A"], (0, 0))
        try:
            wait_for("A's request to reach miniupnpd",
                     lambda: "Returning UPnPError 501" in open(log).read(), 30)
            # A call from the LAN is taken after the refusal: still listening, and no box in the way.
            waiting = region(a.grab(), STATUS_PANELS[2])
            # The caller stays connected until A shows it; a call that ends at once could come and
            # go between two looks at the window.
            caller = subprocess.Popen(net.exec("router", ["/usr/bin/python3", "-c",
                                                          f"import socket,time;s=socket.create_connection(('{LAN['A']}',1024),5);time.sleep(30)"]),
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                changed(a, STATUS_PANELS[2], waiting, "A to take a call from the LAN")
            finally:
                caller.kill()
                caller.wait(10)
            if a.dialogs():
                raise Failure("A opened a box after the router refused")
            session.expect_text(a, LABEL4, LAN["A"], "its address")
        finally:
            a.close()


def case_ipv6(session):
    with HomeNetwork(session.tag + "6") as net:
        net.hosts("B", [f"{V6['A']} player-a.example"])
        for address in (V6["A"], "player-a.example"):
            a = session.app("A", net.ns["A"], (0, 0))
            # A shows the name B plays under; named after its address, it reads as the address would.
            b = session.app("B", net.ns["B"], (450, 0), player=V6["B"])
            try:
                reader = bwe2e.BoardReader(a.screenshot("start"))
                call(b, a, address)
                session.expect_text(a, LABEL6, V6["B"], "its opponent")
                play_short_game(a, b, reader)
            finally:
                a.close()
                b.close()


def connect_from(net, side, address):
    """A socket opened inside a namespace; it stays there once this thread is back home."""
    setns = ctypes.CDLL(None, use_errno=True).setns
    with open("/proc/thread-self/ns/net") as home, open(f"/run/netns/{net.ns[side]}") as there:
        # Never a call from the host's own network, should the switch fail.
        if setns(there.fileno(), CLONE_NEWNET) != 0:
            raise OSError(ctypes.get_errno(), "setns into " + net.ns[side])
        try:
            return socket.create_connection((address, 1024), 10)
        finally:
            setns(home.fileno(), CLONE_NEWNET)


def hear(lines, start):
    """The first line heard that begins so, in any case; fails when the connection ends first."""
    line = next((line for line in lines if line.lower().startswith(start.lower())), None)
    if line is None:
        raise Failure(f"the caller never heard {start!r}")
    return line


def case_consent(session):
    with HomeNetwork(session.tag + "c") as net:
        net.hosts("A", [f"{WAN['B']} caller.example"])  # A names its caller without asking DNS
        nft(net.ns["router"], f"add rule inet nat prerouting_miniupnpd tcp dport 1024 dnat ip to {LAN['A']}\n"
                              f"add rule inet filter miniupnpd ip daddr {LAN['A']} tcp dport 1024 accept\n")
        a = session.app("A", net.ns["A"], (0, 0))
        try:
            reader = bwe2e.BoardReader(a.screenshot("start"))
            waiting = region(a.grab(), STATUS_PANELS[2])
            with connect_from(net, "router", LAN["A"]) as neighbour:
                if neighbour.makefile().readline() != FEATURES or a.dialogs():
                    raise Failure("A did not take a call from its LAN at once")
            wait_for("A to wait again", lambda: region(a.grab(), STATUS_PANELS[2]) == waiting)
            with connect_from(net, "B", WAN["router"]) as caller:
                wait_for("A to ask about the outside caller", lambda: a._find("Confirm"))
                with connect_from(net, "B", WAN["router"]) as second:
                    if second.recv(1):
                        raise Failure("a second outside caller was heard while A was asking")
                a.answer_dialog("Confirm", key="Escape")
                # Nothing at all before the end: A said not a word before its No.
                if caller.recv(1):
                    raise Failure("the caller heard A before its answer")
            with connect_from(net, "B", WAN["router"]) as caller:
                wait_for("A to ask again", lambda: a._find("Confirm"))
            wait_for("the box to go with the caller who hung up", lambda: not a._find("Confirm"))
            with connect_from(net, "B", WAN["router"]) as caller:
                lines = caller.makefile("r")
                a.answer_dialog("Confirm")
                if lines.readline() != FEATURES:
                    raise Failure("the caller let in did not hear A's features first")
                session.expect_text(a, LABEL6, WAN["B"], "its opponent")
                a.press("new")
                hear(lines, "Morvanti-CTR-New")
                a.drag("E2", "E4")
                hear(lines, "Morvanti-MOV-E2-E4")
                caller.sendall(b"Morvanti-MOV-E7-E5\n")
                expect_board(a, reader, apply_move(apply_move(START, "E2", "E4"), "E7", "E5"), "1. e4 e5")
        finally:
            a.close()


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    binary = os.path.abspath(args.pop(0))
    mapper = None
    if args[:1] == ["--mapper"]:
        mapper = os.path.abspath(args[1])
        args = args[2:]
    cases = args or ["ipv6", "nat", "daemon", "consent"]
    unable = bwe2e.unable()
    if unable:
        return unable
    artefacts = bwe2e.artefact_dir()
    print(f"screenshots and logs: {artefacts}")
    tag = str(os.getpid() % 10000)
    with bwe2e.Xvfb() as x, tempfile.TemporaryDirectory() as workdir:
        session = Session(binary, x.display, artefacts, tag)
        for case in cases:
            if case == "daemon" and mapper:
                print("skipped: daemon (needs the program's own forwarding)")
                continue
            {"nat": lambda: case_nat(session, mapper, workdir), "daemon": lambda: case_daemon(session, workdir),
             "ipv6": lambda: case_ipv6(session), "consent": lambda: case_consent(session)}[case]()
            print("passed:", case, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
