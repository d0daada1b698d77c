#!/usr/bin/env python3
"""A hostile peer for Boardwick: soaks the real program with random, invalid and flooding
lines, or measures what each kind of flood costs it.

    hostile_peer.py [--binary PATH] soak SECONDS [--seed N]
    hostile_peer.py [--binary PATH] floods

Needs root and `ip netns`: the program runs only inside a network namespace made here, with
nothing but loopback, because at start-up it looks for a router and that must not leave the
namespace. The tool re-runs itself inside the namespace so that its own sockets are there too.
Exit status: 0 passed, 1 the program failed, 2 could not set up."""

import argparse
import collections
import os
import random
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HOST, PORT = "127.0.0.1", 1024
HEAD = b"Morvanti-"
FEATURES = HEAD + b"CTR-Features"
BACKFAIL = HEAD + b"CTR-BackFail\n"
ASKBACK = HEAD + b"CTR-AskBack\n"
MIB = 1024 * 1024
DEFAULT_BINARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../build/app/boardwick")

CONTROL_WORDS = ["Resign", "New", "AskBack", "AskForward", "BackFail", "ForwardFail", "Back",
                 "Forward", "WardAskOff", "WardAskOn", "WardOffFail", "WardOnFail", "WardOff",
                 "WardOn", "Features Promotion Numbered", "Features", "5", "999", "10",
                 "Features Promotion Numbered Resume", "Beat", "Leave", "ResumeFail",
                 "Game 0123456789abcdef", "Resume 0123456789abcdef0123456789abcdef 3 2700 89abcdef",
                 "Features Promotion Numbered Name Draw", "Name <b>x</b>\u202e", "New 1 45",
                 "DrawOffer 1 0", "DrawAccept 1 0", "DrawDecline 1 0", "Features Tls", "StartTls", "TlsReady"]
MOVES = ["E2-E4", "D2-D4", "G1-F3", "E7-E5", "A7-A8", "E1-G1", "H7-H8Q", "B1-C3"]


class SetupError(Exception):
    pass


def log(*parts):
    print(*parts, flush=True)


def line(channel, payload):
    return HEAD + channel + payload + b"\n"


# ---------------------------------------------------------------- the program under test

class Program:
    """One Boardwick process with its own temporary home, data and settings."""

    def __init__(self, binary):
        self.home = tempfile.mkdtemp(prefix="hostile-peer-")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=self.home,
                   XDG_DATA_HOME=os.path.join(self.home, "data"),
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_RUNTIME_DIR=self.home)
        env.pop("DISPLAY", None)
        self.log_path = os.path.join(self.home, "program.log")
        self.log_file = open(self.log_path, "wb")
        # The binary may be mid-rebuild for a moment: wait for it, within bounds.
        deadline = time.monotonic() + 120
        while True:
            try:
                self.proc = subprocess.Popen([binary], env=env, stdout=self.log_file, stderr=subprocess.STDOUT)
                break
            except OSError as e:
                if time.monotonic() > deadline:
                    self.log_file.close()
                    shutil.rmtree(self.home, ignore_errors=True)
                    raise SetupError(f"cannot start {binary}: {e}")
                time.sleep(2)
        self.pid = self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def memory(self):
        """(VmRSS, VmHWM) in bytes, or (0, 0) once the process is gone."""
        values = {}
        try:
            with open(f"/proc/{self.pid}/status") as f:
                for text in f:
                    key, _, rest = text.partition(":")
                    if key in ("VmRSS", "VmHWM"):
                        values[key] = int(rest.split()[0]) * 1024
        except OSError:
            pass
        return values.get("VmRSS", 0), values.get("VmHWM", 0)

    def reset_peak(self):
        # Writing 5 to clear_refs restarts the high-water mark, so each flood's peak is its own.
        try:
            with open(f"/proc/{self.pid}/clear_refs", "w") as f:
                f.write("5")
            return True
        except OSError:
            return False

    def kept_games(self):
        """Games the program has kept so far (their result tags in its data folder)."""
        count = 0
        for folder, _, names in os.walk(os.path.join(self.home, "data")):
            for name in names:
                if name.startswith(".") or not name.endswith(".pgn"):
                    continue  # the autosave's own files come and go
                try:
                    with open(os.path.join(folder, name), "rb") as f:
                        count += f.read().count(b"[Result ")
                except OSError:
                    pass
        return count

    def log_tail(self, n=20):
        self.log_file.flush()
        with open(self.log_path, "rb") as f:
            return b"\n".join(f.read().splitlines()[-n:]).decode("utf-8", "replace")

    def stop(self, keep=False):
        if self.alive():
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(10)
        self.log_file.close()
        if not keep:
            shutil.rmtree(self.home, ignore_errors=True)


# ---------------------------------------------------------------- a raw peer

class Peer:
    """A non-blocking connection that counts the BackFail answers it has read."""

    def __init__(self, timeout=5.0):
        self.sock = None
        self.buffer = b""
        self.backfails = 0
        self.asks = 0
        self.closed_by_program = False
        self.features = False
        self.received = 0
        self.other_lines = collections.deque(maxlen=8)  # the latest answers besides BackFail
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.create_connection((HOST, PORT), timeout=1.0)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)
        self.sock.setblocking(False)

    def read(self, limit=1 << 22):
        """Reads what is waiting, at most limit bytes; notes answers and a close."""
        got = 0
        while got < limit and not self.closed_by_program:
            try:
                data = self.sock.recv(min(1 << 18, limit - got))
            except BlockingIOError:
                break
            except OSError:
                self.closed_by_program = True
                break
            if not data:
                self.closed_by_program = True
                break
            got += len(data)
            self.absorb(data)
        return got

    def absorb(self, data):
        self.received += len(data)
        self.buffer += data
        *lines, self.buffer = self.buffer.split(b"\n")
        for text in lines:
            if text + b"\n" == BACKFAIL:
                self.backfails += 1
            else:
                self.other_lines.append(text[:60])
                self.features = self.features or text.startswith(FEATURES)
        if len(self.buffer) > 1 << 20:
            self.buffer = b""

    def send(self, data, deadline, read_too=True):
        """Sends as much of data as the program takes before deadline; returns bytes sent."""
        view = memoryview(data)
        sent = 0
        while sent < len(view) and not self.closed_by_program:
            if read_too:
                self.read()
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                break
            _, writable, _ = select.select([], [self.sock], [], min(remaining, 0.2))
            if not writable:
                continue
            try:
                sent += self.sock.send(view[sent:sent + (1 << 20)])
            except BlockingIOError:
                continue
            except OSError:
                self.closed_by_program = True
        self.asks += data.count(ASKBACK) if sent == len(data) else bytes(view[:sent]).count(ASKBACK)
        return sent

    def wait_features(self, timeout):
        deadline = time.monotonic() + timeout
        while not self.features and not self.closed_by_program and time.monotonic() < deadline:
            select.select([self.sock], [], [], 0.05)
            self.read()
        return self.features

    def probe(self, timeout):
        """Asks twice to take a move back until a BackFail answers; seconds taken, or None.

        The first question may open the consent box and go unanswered; a repeat while the box
        is open is refused at once. Answers still due to earlier questions are read away first
        (until 20 ms pass without any), so that they are not taken for this one's."""
        start = time.monotonic()
        deadline = start + timeout
        quiet_since = start
        while time.monotonic() < min(deadline, start + 2.0) and not self.closed_by_program:
            select.select([self.sock], [], [], 0.005)
            if self.read():
                quiet_since = time.monotonic()
            elif time.monotonic() - quiet_since > 0.02:
                break
        next_ask = time.monotonic()
        while time.monotonic() < deadline and not self.closed_by_program:
            if time.monotonic() >= next_ask:
                wanted = self.backfails + 1
                if self.send(ASKBACK * 2, deadline) == 0:
                    break
                next_ask = time.monotonic() + 0.5
            select.select([self.sock], [], [], 0.01)
            self.read()
            if self.backfails >= wanted:
                return time.monotonic() - start
        return None

    def close(self, abrupt=False):
        if self.sock is None:
            return
        try:
            if abrupt:  # a reset instead of an orderly close
                self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\0\0\0\0\0\0\0")
            self.sock.close()
        except OSError:
            pass
        self.sock = None


def answered(program, peer, timeout):
    """Seconds until the program answers a request: on this peer if it is still connected,
    else on a fresh connection. Returns (seconds or None, peer in use)."""
    start = time.monotonic()
    if peer is not None and not peer.closed_by_program:
        if peer.probe(timeout) is not None:
            return time.monotonic() - start, peer
    if peer is not None:
        peer.close()
    while time.monotonic() - start < timeout and program.alive():
        try:
            fresh = Peer(timeout=max(0.1, timeout - (time.monotonic() - start)))
        except OSError:
            return None, None
        fresh.wait_features(max(0.1, timeout - (time.monotonic() - start)))
        if fresh.features and fresh.probe(max(0.1, timeout - (time.monotonic() - start))) is not None:
            return time.monotonic() - start, fresh
        # Turned away (the old connection's end not yet seen): try again shortly.
        fresh.close()
        time.sleep(0.1)
    return None, None


def start_program(binary):
    program = Program(binary)
    try:
        peer = Peer(timeout=15.0)
    except OSError:
        program.stop(keep=True)
        raise SetupError(f"the program never listened on port {PORT}; log in {program.log_path}")
    if not peer.wait_features(10.0):
        program.stop(keep=True)
        raise SetupError("no features line from the program")
    return program, peer


# ---------------------------------------------------------------- soak

def random_payload(rng):
    kind = rng.randrange(8)
    if kind == 0:
        return bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40)))
    if kind == 1:
        return "".join(rng.choice("ÄöЖ漢😀\u202e\u200b<b>&;") for _ in range(rng.randrange(1, 30))).encode()
    if kind == 2:
        return b"\0\r\t" * rng.randrange(1, 5)
    if kind == 3:
        return str(rng.choice([-1, 0, 4, 5, 999, 1000, 2 ** 31, 2 ** 64])).encode()
    if kind == 4:
        return b"x" * rng.choice([1000, 65535, 65536, 70000])
    return rng.choice(CONTROL_WORDS).encode() + rng.choice([b"", b" ", b"x", b"\r"])


def random_lines(rng, count):
    out = []
    for _ in range(count):
        r = rng.random()
        if r < 0.35:
            out.append(line(b"CTR-", rng.choice(CONTROL_WORDS).encode()))
        elif r < 0.5:
            out.append(line(b"MOV-", rng.choice(MOVES).encode()))
        elif r < 0.6:
            out.append(line(b"TXT-", ("hello " * rng.randrange(1, 50)).encode()))
        elif r < 0.8:
            out.append(line(rng.choice([b"CTR-", b"MOV-", b"TXT-", b"XYZ-", b"CTR", b""]), random_payload(rng)))
        elif r < 0.9:
            out.append(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64))) + b"\n")
        else:  # a line without its feed, cut in the middle of the head
            out.append(HEAD[:rng.randrange(1, len(HEAD))])
    return b"".join(out)


def soak(binary, seconds, seed, rss_margin, stall_limit):
    rng = random.Random(seed)
    log(f"soak: {seconds}s, seed {seed}")
    program, peer = start_program(binary)
    start_rss, _ = program.memory()
    log(f"program pid {program.pid}, RSS at start {start_rss / MIB:.1f} MiB")
    counts = collections.Counter()
    failure = None
    worst_answer = 0.0
    max_rss = start_rss
    trend = []
    end = time.monotonic() + seconds
    next_check = time.monotonic() + 2.0
    reading = True
    try:
        while time.monotonic() < end:
            action = rng.choices(["lines", "flood", "deaf", "slow", "reconnect", "caller", "game"],
                                 [40, 6, 5, 4, 5, 4, 10])[0]
            counts[action] += 1
            step_end = min(end, time.monotonic() + 2.0)
            if peer.closed_by_program:
                counts["cut off"] += 1
                action = "reconnect"
            if action == "lines":
                peer.send(random_lines(rng, rng.randrange(1, 200)), step_end, read_too=reading)
            elif action == "flood":
                size = rng.choice([1, 4, 16]) * MIB
                chunk = line(b"TXT-", b"f" * rng.choice([100, 4000, 60000]))
                peer.send(chunk * (size // len(chunk) + 1), step_end, read_too=reading)
            elif action == "deaf":  # stop reading for a while, keep asking
                reading = False
                peer.send(ASKBACK * rng.randrange(100, 50000), step_end, read_too=False)
            elif action == "slow":  # read a few bytes at a time
                reading = True
                stop = min(end, time.monotonic() + rng.uniform(0.5, 2.0))
                while time.monotonic() < stop and not peer.closed_by_program:
                    peer.send(ASKBACK, stop, read_too=False)
                    peer.read(limit=16)
                    time.sleep(0.01)
            elif action == "reconnect":
                peer.close(abrupt=rng.random() < 0.5)
                reading = True
                seconds_taken, peer = answered(program, None, stall_limit)
                if peer is None:
                    failure = "no connection answered after a reconnect"
                    break
            elif action == "caller":  # a second caller while the seat is held
                extra = []
                for _ in range(rng.randrange(1, 20)):
                    try:
                        extra.append(Peer(timeout=1.0))
                        if rng.random() < 0.5:
                            extra[-1].send(random_lines(rng, 5), time.monotonic() + 0.2, read_too=False)
                    except OSError:
                        pass
                for other in extra:
                    other.close(abrupt=rng.random() < 0.5)
            elif action == "game":
                moves = b"".join(line(b"MOV-", rng.choice(MOVES).encode()) for _ in range(rng.randrange(0, 4)))
                peer.send(line(b"CTR-", str(rng.randrange(5, 1000)).encode()) + line(b"CTR-", b"New")
                          + moves + (line(b"CTR-", b"Resign") if rng.random() < 0.7 else b""), step_end)
            if not program.alive():
                failure = f"the program ended (status {program.proc.returncode}) after a '{action}' step"
                break
            if time.monotonic() >= next_check:
                next_check = time.monotonic() + 3.0
                reading = True
                peer.read()
                seconds_taken, peer = answered(program, peer, stall_limit)
                counts["checks"] += 1
                rss, _ = program.memory()
                max_rss = max(max_rss, rss)
                trend.append(rss)
                if seconds_taken is None:
                    failure = f"no answer within {stall_limit:.0f}s (alive: {program.alive()})"
                    break
                worst_answer = max(worst_answer, seconds_taken)
                if seconds_taken > 1.0:
                    log(f"  slow answer: {seconds_taken * 1000:.0f} ms, after '{action}'; "
                        f"lately received {list(peer.other_lines)}")
                if rss > start_rss + rss_margin:
                    failure = f"RSS {rss / MIB:.1f} MiB grew beyond start + {rss_margin / MIB:.0f} MiB"
                    break
        if failure is None:
            seconds_taken, peer = answered(program, peer, stall_limit)
            if seconds_taken is None:
                failure = f"no answer within {stall_limit:.0f}s at the end"
    finally:
        if peer is not None:
            peer.close()
        rss, hwm = program.memory()
        alive = program.alive()
        tail = program.log_tail() if failure else ""
        program.stop(keep=failure is not None)
    log("steps: " + ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))
    log(f"RSS start {start_rss / MIB:.1f} MiB, largest seen {max_rss / MIB:.1f} MiB, "
        f"end {rss / MIB:.1f} MiB, peak {hwm / MIB:.1f} MiB; slowest answer {worst_answer * 1000:.0f} ms")
    log("RSS at each check, MiB: " + " ".join(f"{r / MIB:.0f}" for r in trend))
    if failure:
        log(f"FAIL (seed {seed}): {failure}; alive {alive}; program's home kept: {program.home}")
        log(tail)
        return 1
    log(f"PASS (seed {seed})")
    return 0


# ---------------------------------------------------------------- floods

def flood_chat(peer, deadline):
    chunk = line(b"TXT-", b"c" * 4000) * 256  # about 1 MB of long chat lines
    sent = 0
    while sent < 150 * 10 ** 6 and time.monotonic() < deadline and not peer.closed_by_program:
        sent += peer.send(chunk, deadline)
    return sent


def flood_games(with_move):
    one = line(b"CTR-", b"10") + line(b"CTR-", b"New")
    one += line(b"MOV-", b"E2-E4") if with_move else b""
    one += line(b"CTR-", b"Resign")

    def run(peer, deadline):
        sent = 0
        for _ in range(20):  # 2,000 games in parts, reading the answers in between
            sent += peer.send(one * 100, deadline)
        if not with_move:  # one kept game at the end shows when the queue has run out
            sent += peer.send(line(b"CTR-", b"10") + line(b"CTR-", b"New") + line(b"MOV-", b"E2-E4")
                      + line(b"CTR-", b"Resign"), deadline)
        return sent
    return run


def flood_never_read(peer, deadline):
    chunk = ASKBACK * (MIB // len(ASKBACK))
    sent = 0
    while sent < 50 * MIB and time.monotonic() < deadline and not peer.closed_by_program:
        got = peer.send(chunk, deadline, read_too=False)
        sent += got
        if got < len(chunk):
            break
    return sent


def flood_callers(peer, deadline):
    """5,000 connections opened in quick succession, at most 200 open at once."""
    opened = collections.deque()
    made = connected = 0
    for _ in range(5000):
        if time.monotonic() > deadline:
            break
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setblocking(False)
        s.connect_ex((HOST, PORT))
        opened.append(s)
        made += 1
        if len(opened) >= 200:
            connected += close_counting(opened.popleft())
        if made % 100 == 0:
            peer.read()
    while opened:
        connected += close_counting(opened.popleft())
    flood_callers.connected = connected
    return made


def close_counting(s):
    """Closes a caller's socket; 1 if its connection had been made."""
    try:
        s.getpeername()
        made = 1
    except OSError:
        made = 0
    s.close()
    return made


FLOODS = [
    ("chat, 150 MB of 4 kB lines (20 s at most)", flood_chat, True),
    ("games, 2,000 New/Resign (and one kept game after)", flood_games(False), False),
    ("games, 2,000 New/E2-E4/Resign", flood_games(True), False),
    ("requests never read, 50 MB of AskBack", flood_never_read, True),
    ("callers, 5,000 connections", flood_callers, True),
]


def settled_kept_games(program, since, timeout=90.0):
    """(kept games, seconds after since when the last was kept) once the count has stopped
    rising for two seconds: games still queued run after the answer to a repeated question,
    which does not wait in the queue."""
    deadline = time.monotonic() + timeout
    last, changed = -1, time.monotonic()
    while time.monotonic() < deadline:
        count = program.kept_games()
        if count != last:
            last, changed = count, time.monotonic()
        elif time.monotonic() - changed > 2.0:
            break
        time.sleep(0.1)
    return last, changed - since


def floods(binary):
    rows = []
    failed = False
    for name, run, open_box in FLOODS:
        program, peer = start_program(binary)
        try:
            if open_box:  # the consent box open, so every further AskBack is refused at once
                peer.probe(5.0)
            time.sleep(0.3)
            peer.read()
            rss_before, _ = program.memory()
            program.reset_peak()
            t0 = time.monotonic()
            amount = run(peer, t0 + 20.0)
            flood_end = time.monotonic()
            cut = peer.closed_by_program
            if not cut:
                peer.read()
                cut = peer.closed_by_program
            seconds_taken, peer = answered(program, peer, 30.0)
            answer_ms = None if seconds_taken is None else (time.monotonic() - flood_end) * 1000
            note = ""
            if run is flood_callers:
                note = f"{flood_callers.connected} connected"
            elif name.startswith("games"):
                kept, after = settled_kept_games(program, flood_end)
                note = f"{kept} games kept" + (f", the last {after:.1f} s after the flood" if kept else "")
            rss_after, hwm = program.memory()
            alive = program.alive()
            if not alive:
                note = f"program ended, status {program.proc.returncode}"
            if answer_ms is None or not alive:
                failed = True
            unit = "connections" if run is flood_callers else "bytes"
            rows.append((name, f"{amount:,} {unit}", f"{(hwm - rss_before) / MIB:.1f}",
                         f"{(rss_after - rss_before) / MIB:.1f}",
                         "none" if answer_ms is None else f"{answer_ms:.0f}",
                         "yes" if cut else "no", f"{flood_end - t0:.1f}", note))
            log(f"{name}: done")
        finally:
            if peer is not None:
                peer.close()
            program.stop()
    header = ("flood", "sent", "peak MiB over start", "MiB kept after", "next answer ms", "cut off",
              "sending s", "note")
    log("| " + " | ".join(header) + " |")
    log("|" + "---|" * len(header))
    for row in rows:
        log("| " + " | ".join(row) + " |")
    return 1 if failed else 0


# ---------------------------------------------------------------- namespace

def inside(args):
    binary = os.path.abspath(args.binary)
    if args.mode == "soak":
        return soak(binary, args.seconds, args.seed, args.rss_margin * MIB, args.stall)
    return floods(binary)


def outside(args):
    if os.geteuid() != 0 or shutil.which("ip") is None:
        raise SetupError("needs root and `ip netns`")
    ns = f"bwhp{os.getpid()}"
    subprocess.run(["ip", "netns", "add", ns], check=True, capture_output=True)
    try:
        subprocess.run(["ip", "-n", ns, "link", "set", "lo", "up"], check=True, capture_output=True)
        cmd = ["ip", "netns", "exec", ns, sys.executable, os.path.abspath(__file__), "--inside", *sys.argv[1:]]
        # A backstop on top of the tool's own deadlines.
        limit = (args.seconds + 120) if args.mode == "soak" else 600
        child = subprocess.Popen(cmd, start_new_session=True)
        try:
            return child.wait(limit)
        except subprocess.TimeoutExpired:
            log(f"FAIL: the run did not end within {limit}s")
            return 1
        finally:
            # The run and the program share one process group; nothing outlives the namespace.
            if child.poll() is None:
                os.killpg(child.pid, signal.SIGTERM)
                try:
                    child.wait(15)
                except subprocess.TimeoutExpired:
                    os.killpg(child.pid, signal.SIGKILL)
                    child.wait()
    finally:
        subprocess.run(["ip", "netns", "del", ns], capture_output=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", default=os.environ.get("BOARDWICK_BINARY", DEFAULT_BINARY))
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    sub = parser.add_subparsers(dest="mode", required=True)
    s = sub.add_parser("soak", help="random hostile traffic for SECONDS")
    s.add_argument("seconds", type=float)
    s.add_argument("--seed", type=int, default=None)
    s.add_argument("--rss-margin", type=int, default=64, help="MiB the RSS may grow over its start")
    s.add_argument("--stall", type=float, default=5.0, help="seconds an answer may take")
    sub.add_parser("floods", help="measure each flood")
    args = parser.parse_args()
    if args.mode == "soak" and args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 32)
        sys.argv[1:] = [*sys.argv[1:], "--seed", str(args.seed)]
    if args.inside:  # a stop from outside still runs the clean-up below
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        return inside(args) if args.inside else outside(args)
    except SetupError as e:
        log(f"hostile_peer: {e}")
        return 2


if __name__ == "__main__":
    sys.exit(main())
