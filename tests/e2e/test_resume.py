#!/usr/bin/env python3
"""A game between two real programs survives a dropped connection. B calls A and they play a few
moves; then A's namespace answers every packet to its port with a reset and B's socket is killed
(`ss -K`). B loses the connection at once, A notices its silent peer; both keep the game suspended
with the clocks stopped while B's calls back are refused. Once the rule is gone B's next call
resumes the game: same position, same clocks, and play goes on to a resignation, which each
program keeps once.

usage: test_resume.py BOARDWICK_BINARY
Skips (exit 77) where namespaces cannot be made, except under CI=true, where it fails instead."""

import datetime
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bwe2e  # noqa: E402
from bwe2e import CLOCKS, STATUS_PANELS, Failure, region, wait_for  # noqa: E402
from homenet import nft  # noqa: E402
from test_two_players import SKIP, START, apply_move, changed, expect_board  # noqa: E402

REFUSE = """table inet bwresume {
    chain input { type filter hook input priority 0; tcp dport 1024 reject with tcp reset; }
}
"""


def app_with_own_data(name, binary, netns, display, origin, artefacts):
    """Each program keeps its games in its own folder, so each one's record can be counted."""
    data = tempfile.mkdtemp(prefix=f"data-{name}-", dir=artefacts)
    os.environ["XDG_DATA_HOME"] = data
    return bwe2e.App(name, binary, netns, display, origin, artefacts), data


def clocks(app):
    img = app.grab()
    return region(img, CLOCKS["white"]), region(img, CLOCKS["black"])


def play(a, b, reader, position, moves):
    for mover, peer, source, target in moves:
        mover.drag(source, target)
        position = apply_move(position, source, target)
        expect_board(mover, reader, position, f"{source}-{target}")
        expect_board(peer, reader, position, f"{source}-{target}")
    return position


def kept_games(data):
    day = datetime.date.today().strftime("%Y-%m-%d")
    path = os.path.join(data, "Boardwick", "games", f"{day}.pgn")
    if not os.path.exists(path):
        return []
    with open(path) as pgn:
        return [game for game in pgn.read().split("[Event ")[1:]]


def scenario(binary, artefacts):
    tag = str(os.getpid() % 100000)
    with bwe2e.Netns(tag) as net, bwe2e.Xvfb() as x:
        a, data_a = app_with_own_data("A", binary, net.names["A"], x.display, (0, 0), artefacts)
        b, data_b = app_with_own_data("B", binary, net.names["B"], x.display, (450, 0), artefacts)
        try:
            reader = bwe2e.BoardReader(a.screenshot("start"))
            waiting = region(a.grab(), STATUS_PANELS[2])
            b.press("connect")
            b.answer_dialog("Computer to connect to", text=net.addresses["A"])
            changed(a, STATUS_PANELS[2], waiting, "A to take the call")
            connected = region(a.grab(), STATUS_PANELS[2])
            turn = region(b.grab(), STATUS_PANELS[0])
            a.press("new")
            changed(b, STATUS_PANELS[0], turn, "B to receive the new game")
            position = play(a, b, reader, START, [(a, b, "E2", "E4"), (b, a, "E7", "E5"),
                                                   (a, b, "G1", "F3"), (b, a, "B8", "C6")])

            nft(net.names["A"], REFUSE)
            started = time.monotonic()
            subprocess.run(["ip", "netns", "exec", net.names["B"], "ss", "-K", "dst", net.addresses["A"]],
                           check=True, capture_output=True)
            wait_for("A to notice its silent peer", lambda: region(a.grab(), STATUS_PANELS[2]) != connected,
                     timeout=25.0)
            noticed = time.monotonic() - started
            a.screenshot("suspended")
            b.screenshot("suspended")
            stopped = clocks(a), clocks(b)
            time.sleep(2.5)  # a running clock would have moved meanwhile
            if (clocks(a), clocks(b)) != stopped:
                raise Failure("a clock ran while the game was suspended")
            if a.dialogs() or b.dialogs():
                raise Failure("a box opened while the game was suspended")

            subprocess.run(["ip", "netns", "exec", net.names["A"], "nft", "delete", "table", "inet", "bwresume"],
                           check=True, capture_output=True)
            wait_for("the game to resume", lambda: clocks(a)[0] != stopped[0][0], timeout=60.0)
            resumed = time.monotonic() - started
            a.screenshot("resumed")
            b.screenshot("resumed")
            # White (A) is to move: Black's clock stands and reads the same on both sides.
            if clocks(a)[1] != clocks(b)[1]:
                raise Failure("Black's clock differs after resuming")
            position = play(a, b, reader, position, [(a, b, "F1", "C4"), (b, a, "G8", "F6")])
            del position

            a.press("resign")
            for name, data in (("A", data_a), ("B", data_b)):
                games = wait_for(f"{name} to keep the game", lambda: kept_games(data))
                if len(games) != 1 or "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 0-1" not in games[0]:
                    raise Failure(f"{name} kept {games}")
            print(f"silent peer noticed in {noticed:.1f} s; game resumed {resumed:.1f} s after the cut")
        finally:
            a.close()
            b.close()


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
    scenario(binary, artefacts)
    print("resume scenario passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
