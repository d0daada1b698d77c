#!/usr/bin/env python3
"""Two real Boardwick programs, each in its own network namespace, play over a veth link on one
X display, driven by pointer and key events and checked by screenshots.

usage: test_two_players.py BOARDWICK_BINARY
Skips (exit 77) where namespaces cannot be made, except under CI=true, where it fails instead."""

import datetime
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bwe2e  # noqa: E402
from bwe2e import BUTTONS, CLOCKS, STATUS_PANELS, MOVE_LIST, MESSAGES, Failure, region, wait_for  # noqa: E402,F401

SKIP = 77
APP_TITLE = "Boardwick ver 1.00"
START = "rnbqkbnrpppppppp                                PPPPPPPPRNBQKBNR"

# A short game with a capture and an en-passant capture, castling, and a promotion that mates:
# 10. cxd8=Q is mate because the bishop on g5 guards d8 and Black's own pieces box the king in.
GAME = [
    ("A", "E2", "E4"), ("B", "E7", "E6"),
    ("A", "E4", "E5"), ("B", "D7", "D5"),
    ("A", "E5", "D6"), ("B", "A7", "A6"),   # en passant
    ("A", "G1", "F3"), ("B", "A6", "A5"),
    ("A", "F1", "E2"), ("B", "A8", "A6"),
    ("A", "E1", "G1"), ("B", "A6", "A8"),   # castling
    ("A", "D2", "D3"), ("B", "A8", "A6"),
    ("A", "C1", "G5"), ("B", "A6", "A8"),
    ("A", "D6", "C7"), ("B", "A8", "A6"),   # capture
    ("A", "C7", "D8"),                      # capture, promotion, mate
]


def index(square):
    return (8 - int(square[1])) * 8 + ord(square[0]) - ord("A")


def apply_move(position, source, target):
    """The position string after a legal move, with castling, en passant and promotion."""
    p = list(position)
    i, j = index(source), index(target)
    piece = p[i]
    if piece in "Pp" and source[0] != target[0] and p[j] == " ":
        p[index(target[0] + source[1])] = " "          # the pawn taken en passant
    if piece in "Kk" and abs(ord(source[0]) - ord(target[0])) == 2:
        rank = source[1]
        rook_from, rook_to = ("H", "F") if target[0] == "G" else ("A", "D")
        p[index(rook_to + rank)] = p[index(rook_from + rank)]
        p[index(rook_from + rank)] = " "
    p[j], p[i] = piece, " "
    if piece in "Pp" and target[1] in "18":
        p[j] = "Q" if piece == "P" else "q"
    return "".join(p)


def expect_board(app, reader, position, what):
    try:
        wait_for(f"{app.name} to show {what}", lambda: not reader.mismatches(app.grab(), position))
    except Failure:
        with open(os.path.join(app.artefacts, "windows.txt"), "a") as out:
            out.write(subprocess.run(["xwininfo", "-root", "-tree"], env=app.env, capture_output=True,
                                     text=True).stdout)
        diff = reader.mismatches(app.screenshot(f"mismatch-{what.replace(' ', '-')}"), position)
        raise Failure(f"{app.name} after {what}: squares differ (expected, seen): {diff}")


def changed(app, box, before, what):
    return wait_for(what, lambda: region(app.grab(), box) != before)


def scenario(binary, artefacts):
    tag = str(os.getpid() % 100000)
    with bwe2e.Netns(tag) as net, bwe2e.Xvfb() as x:
        display = x.display
        a = bwe2e.App("A", binary, net.names["A"], display, (0, 0), artefacts)
        b = bwe2e.App("B", binary, net.names["B"], display, (450, 0), artefacts)
        try:
            with bwe2e.Capture(net.names["A"], os.path.join(artefacts, "veth.pcap")) as capture:
                played = run_game(a, b, net)
            nothing_in_the_clear(capture.bytes())
            resumed_game(a, b, net, played)
            killed_peer(a, b)
        finally:
            a.close()
            b.close()


# The padlock right of "Your opponent is :", shown while the link is private.
PADLOCK = (414, 59, 424, 71)


def nothing_in_the_clear(wire):
    """The capture of the game: the upgrade in the clear, then TLS records only."""
    for seen in (b"Morvanti-CTR-Features", b"Morvanti-CTR-StartTls", b"Morvanti-CTR-TlsReady"):
        if seen not in wire:
            raise Failure(f"the capture lacks {seen!r}")
    # A TLS ClientHello and ServerHello: handshake records (22) of handshake types 1 and 2.
    for record in (rb"\x16\x03[\x01\x03]..\x01", rb"\x16\x03\x03..\x02"):
        if not re.search(record, wire, re.DOTALL):
            raise Failure(f"the capture shows no TLS handshake record {record!r}")
    for secret in (b"hello from A", b"hi A, B here", b"Morvanti-MOV-", b"Morvanti-TXT-", b"CTR-New"):
        if secret in wire:
            raise Failure(f"{secret!r} crossed the wire in the clear")


def run_game(a, b, net):
    start_a = a.screenshot("start")
    padlock_off = region(start_a, PADLOCK)
    reader = bwe2e.BoardReader(start_a)
    expect_board(b, reader, START, "start-up")
    waiting = region(start_a, STATUS_PANELS[2])

    # B calls A's address.
    b.press("connect")
    b.answer_dialog("Computer to connect to", text=net.addresses["A"])
    changed(a, STATUS_PANELS[2], waiting, "A to take the call")
    changed(a, PADLOCK, padlock_off, "A to show the padlock")
    changed(b, PADLOCK, padlock_off, "B to show the padlock")
    b.screenshot("connected")
    a.screenshot("connected")

    # A starts the game and so plays White.
    list_before = region(b.grab(), MOVE_LIST)
    turn_before = region(b.grab(), STATUS_PANELS[0])
    a.press("new")
    changed(b, STATUS_PANELS[0], turn_before, "B to receive the new game")

    position = START
    for n, (side, source, target) in enumerate(GAME, 1):
        mover, peer = (a, b) if side == "A" else (b, a)
        mover.drag(source, target)
        position = apply_move(position, source, target)
        what = f"move {n} {source}-{target}"
        if n == len(GAME):
            # Both copies understand the choice: the mover's chooser opens, and Esc gives a queen.
            mover.answer_dialog("Promote pawn", key="Escape")
            # The mating move: the mover sees the mate notice, then who cannot move.
            mover.answer_dialog(APP_TITLE)
            mover.answer_dialog(APP_TITLE)
            peer.answer_dialog(APP_TITLE)
        expect_board(mover, reader, position, what)
        expect_board(peer, reader, position, what)
        if n == 6:
            # Chat both ways in mid-game.
            messages = region(a.grab(), MESSAGES)
            a.type_line("hello from A")
            changed(b, MESSAGES, messages, "B to show A's chat line")
            messages = region(a.grab(), MESSAGES)
            b.type_line("hi A, B here")
            changed(a, MESSAGES, messages, "A to show B's chat line")
            a.screenshot("midgame")
            b.screenshot("midgame")
    if region(b.grab(), MOVE_LIST) == list_before:
        raise Failure("B's move list never changed")
    a.screenshot("mated")
    b.screenshot("mated")

    # Next game, started by B this time: B is White. A granted back step, then resignation.
    b.press("new")
    position = START
    expect_board(a, reader, position, "the second new game")
    b.drag("D2", "D4")
    position_after = apply_move(position, "D2", "D4")
    expect_board(a, reader, position_after, "second game 1. d4")
    a.drag("G8", "F6")
    position_after = apply_move(position_after, "G8", "F6")
    expect_board(b, reader, position_after, "second game 1... Nf6")
    a.press("back")
    b.answer_dialog("Confirm")                       # B agrees to step back
    after_d4 = apply_move(START, "D2", "D4")
    expect_board(a, reader, after_d4, "the granted back step")
    expect_board(b, reader, after_d4, "the granted back step")
    a.press("resign")
    new_enabled_again = region(b.grab(), (8, 0, 105, 25))
    b.screenshot("after-resign")
    a.screenshot("after-resign")
    del new_enabled_again

    # Disconnect from the caller's side: A returns to waiting.
    b.press("connect")
    wait_for("A to wait for a call again", lambda: region(a.grab(), STATUS_PANELS[2]) == waiting)
    a.screenshot("disconnected")
    b.screenshot("disconnected")
    return reader


def clocks(app):
    return [region(app.grab(), CLOCKS[side]) for side in ("white", "black")]


def kept(text, *apps):
    """How often the programs' own data folders hold a game with that text."""
    paths = [os.path.join(app.data, "Boardwick", "games", datetime.date.today().strftime("%Y-%m-%d.pgn"))
             for app in apps]
    return sum(open(path).read().count(text) for path in paths if os.path.exists(path))


def resumed_game(a, b, net, reader):
    """B's socket is killed mid-game: B calls back by itself, the game goes on where it stood with
    the same clocks on both sides, and each program keeps it once at its real end."""
    waiting = region(a.grab(), STATUS_PANELS[2])
    b.press("connect")
    b.answer_dialog("Computer to connect to", text="")
    changed(a, STATUS_PANELS[2], waiting, "A to take B's call")
    connected = region(a.grab(), STATUS_PANELS[2])
    a.press("new")
    position, game = START, "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 0-1"
    before = kept(game, a, b)
    for n, (mover, source, target) in enumerate([(a, "E2", "E4"), (b, "E7", "E5"), (a, "G1", "F3"),
                                                 (b, "B8", "C6"), (a, "F1", "C4"), (b, "G8", "F6")]):
        if n == 4:
            subprocess.run(["ip", "netns", "exec", net.names["B"], "ss", "-K", "dst", net.addresses["A"]],
                           check=True, capture_output=True)
            wait_for("A to wait for B", lambda: region(a.grab(), STATUS_PANELS[2]) != connected)
            wait_for("the game to go on", lambda: region(a.grab(), STATUS_PANELS[2]) == connected)
            wait_for("the same clocks on both sides", lambda: clocks(a) == clocks(b))
        mover.drag(source, target)
        position = apply_move(position, source, target)
        for app in (a, b):
            expect_board(app, reader, position, f"{source}-{target}")
    a.press("resign")
    wait_for("both programs to keep the game once", lambda: kept(game, a, b) == before + 2)
    b.press("connect")
    wait_for("A to wait for a call again", lambda: region(a.grab(), STATUS_PANELS[2]) == waiting)


def killed_peer(a, b):
    """B calls again, a game starts, and B dies: A keeps the game for B until Disconnect, then waits."""
    waiting = region(a.grab(), STATUS_PANELS[2])
    b.press("connect")
    b.answer_dialog("Computer to connect to", text="")  # the box keeps the address typed last
    changed(a, STATUS_PANELS[2], waiting, "A to take the second call")
    a.press("new")
    a.drag("E2", "E4")
    b.proc.kill()
    b.proc.wait(10)
    connected = region(a.grab(), STATUS_PANELS[2])
    wait_for("A to wait for its peer", lambda: region(a.grab(), STATUS_PANELS[2]) != connected)
    a.press("connect")
    wait_for("A back to waiting after its peer was killed",
             lambda: region(a.grab(), STATUS_PANELS[2]) == waiting)
    a.screenshot("peer-killed")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    binary = os.path.abspath(sys.argv[1])
    ci = os.environ.get("CI") == "true"
    missing = bwe2e.missing_tools()
    if missing:
        print(f"missing tools: {missing}")
        return 1 if ci else SKIP
    probe = subprocess.run(["ip", "netns", "add", f"bwprobe{os.getpid()}"], capture_output=True, text=True)
    if probe.returncode != 0:
        msg = f"cannot make network namespaces here: {probe.stderr.strip()}"
        print(("FAIL: " if ci else "SKIP: ") + msg)
        return 1 if ci else SKIP
    subprocess.run(["ip", "netns", "del", f"bwprobe{os.getpid()}"], capture_output=True)
    artefacts = bwe2e.artefact_dir()
    print(f"screenshots and logs: {artefacts}")
    started = time.monotonic()
    scenario(binary, artefacts)
    print(f"end-to-end scenario passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
