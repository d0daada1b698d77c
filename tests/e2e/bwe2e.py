"""Drives real Boardwick processes as a person would: two network namespaces joined by a veth
pair, one Xvfb display, pointer and key events from xdotool, and screenshots read back.

Everything waits on conditions with a deadline; nothing sleeps for a fixed time to let the
program catch up."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

from PIL import Image

# Layout of the main window in client pixels.
BOARD_ORIGIN = (8 + 24, 28 + 24)  # top-left pixel of A8 (White at the bottom)
SQUARE = 31
BUTTONS = {
    "new": (8 + 48, 12),
    "resign": (104 + 48, 12),
    "flip": (200 + 48, 12),
    "connect": (296 + 44, 12),
    "about": (400 + 12, 12),
    "back": (312 + 8, 306 + 8),
    "ward": (336 + 32, 306 + 8),
    "forward": (408 + 8, 306 + 8),
    "chat": (8 + 200, 386 + 10),
}
STATUS_PANELS = [(0, 422, 150, 441), (150, 422, 300, 441), (300, 422, 433, 441)]
MOVE_LIST = (312, 178, 425, 299)
MESSAGES = (8, 328, 425, 385)
CLOCKS = {"white": (376, 114, 417, 134), "black": (376, 138, 417, 158)}


class Failure(AssertionError):
    pass


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, text=True, **kw)


def wait_for(what, predicate, timeout=15.0, interval=0.05):
    """Polls predicate until it answers something truthy; fails naming what was awaited."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(interval)


def square_cell(square):
    """Column and row of a square such as 'E2' on a board with White at the bottom."""
    return ord(square[0].upper()) - ord("A"), 8 - int(square[1])


class Netns:
    """Two namespaces, A and B, on one veth link in 192.0.2.0/24."""

    def __init__(self, tag):
        self.names = {"A": f"bwA{tag}", "B": f"bwB{tag}"}
        self.addresses = {"A": "192.0.2.1", "B": "192.0.2.2"}

    def __enter__(self):
        a, b = self.names["A"], self.names["B"]
        for ns in (a, b):
            run(["ip", "netns", "add", ns])
            run(["ip", "-n", ns, "link", "set", "lo", "up"])
        run(["ip", "link", "add", f"v{a}", "netns", a, "type", "veth", "peer", "name", f"v{b}", "netns", b])
        for side, ns in self.names.items():
            run(["ip", "-n", ns, "addr", "add", f"{self.addresses[side]}/24", "dev", f"v{ns}"])
            run(["ip", "-n", ns, "link", "set", f"v{ns}", "up"])
        return self

    def __exit__(self, *exc):
        for ns in self.names.values():
            subprocess.run(["ip", "netns", "del", ns], capture_output=True)


class Capture:
    """tcpdump on one namespace's end of the veth pair, writing every TCP byte to a file."""

    def __init__(self, netns, path):
        self.netns, self.path, self.proc = netns, path, None

    def __enter__(self):
        self.proc = subprocess.Popen(["ip", "netns", "exec", self.netns, "tcpdump", "-i", f"v{self.netns}",
                                      "-U", "-s", "0", "-w", self.path, "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        # tcpdump says on stderr when it listens; nothing is missed from then on.
        line = self.proc.stderr.readline()
        if "listening" not in line:
            raise Failure(f"tcpdump did not start: {line.strip()}")
        return self

    def __exit__(self, *exc):
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(10)

    def bytes(self):
        with open(self.path, "rb") as f:
            return f.read()


class Xvfb:
    """An X server on a display it picks itself, so that no two tests can ever share one."""

    def __init__(self):
        self.display = None
        self.proc = None

    def __enter__(self):
        read, write = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as answer:
            number = answer.readline().strip()
        if not number:
            raise Failure(f"Xvfb did not start (exit {self.proc.wait(10)})")
        self.display = int(number)
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait(10)


class App:
    """One Boardwick process in a namespace, with its main window moved to a known place. It finds
    no system bus (so never the machine's Avahi daemon) unless env names one; prefix runs before
    the program and must exec it in the same process."""

    def __init__(self, name, binary, netns, display, origin, artefacts, player=None, env=None, prefix=()):
        self.name, self.display, self.artefacts = name, display, artefacts
        # Settings of its own, never the user's; player: the name it plays under (else the account's).
        config = tempfile.mkdtemp(prefix=f"config-{name}-", dir=artefacts)
        if player:
            os.makedirs(os.path.join(config, "Boardwick"))
            with open(os.path.join(config, "Boardwick", "boardwick.conf"), "w") as conf:
                conf.write(f"[player]\nname={player}\n")
        # A data folder of its own: its key, known opponents and kept games are this copy's, and
        # a later copy of the same name meets its opponents as strangers again.
        self.data = tempfile.mkdtemp(prefix=f"{name}-data-", dir=artefacts)
        # No bus unless a test gives one, so no test reaches the machine's own Avahi.
        self.env = dict(os.environ, DISPLAY=f":{display}", QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=config,
                        XDG_DATA_HOME=self.data, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/boardwick-e2e")
        self.env.update(env or {})
        self.env.pop("QT_QPA_PLATFORMTHEME", None)
        cmd = ["ip", "netns", "exec", netns, *prefix, binary]
        self.log = open(os.path.join(artefacts, f"{name}.log"), "w")
        self.proc = subprocess.Popen(cmd, env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        self.window = wait_for(f"{name}'s main window", lambda: self._alive() and self._find("Boardwick ver 1.01"),
                               timeout=45.0)
        self.xdo("windowmove", self.window, str(origin[0]), str(origin[1]))
        wait_for(f"{name}'s window at its place", lambda: self.geometry()[:2] == origin)
        self.origin = origin
        self.shots = 0

    def _alive(self):
        """True while the process runs; when it has ended, fails with the end of its log."""
        if self.proc.poll() is None:
            return True
        self.log.flush()
        with open(self.log.name) as log:
            tail = log.read()[-3000:]
        raise Failure(f"{self.name} ended with status {self.proc.returncode} before its window showed:\n{tail}")

    # -- X plumbing
    def xdo(self, *args):
        return run(["xdotool", *map(str, args)], env=self.env).stdout

    def _find(self, title):
        r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.proc.pid), "--name", f"^{title}$"],
                           env=self.env, capture_output=True, text=True)
        ids = r.stdout.split()
        return ids[0] if ids else None

    def windows(self):
        r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.proc.pid), "--name", ".*"],
                           env=self.env, capture_output=True, text=True)
        return r.stdout.split()

    def dialogs(self):
        return [w for w in self.windows() if w != self.window]

    def title(self, window):
        return self.xdo("getwindowname", window).strip()

    def geometry(self, window=None):
        out = self.xdo("getwindowgeometry", "--shell", window or self.window)
        vals = dict(line.split("=") for line in out.split() if "=" in line)
        return int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])

    # -- input
    def screen_point(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def click(self, x, y, button=1):
        sx, sy = self.screen_point(x, y)
        self.xdo("mousemove", "--sync", sx, sy)
        self.xdo("click", button)

    def press(self, button_name):
        self.click(*BUTTONS[button_name])

    def square_centre(self, square):
        col, row = square_cell(square)
        return BOARD_ORIGIN[0] + col * SQUARE + SQUARE // 2, BOARD_ORIGIN[1] + row * SQUARE + SQUARE // 2

    def drag(self, source, target):
        x0, y0 = self.square_centre(source)
        x1, y1 = self.square_centre(target)
        self.xdo("mousemove", "--sync", *self.screen_point(x0, y0))
        self.xdo("mousedown", 1)
        # Several steps, so the board sees the pointer leave the start square well past 5 pixels.
        for i in range(1, 6):
            x = x0 + (x1 - x0) * i // 5
            y = y0 + (y1 - y0) * i // 5
            self.xdo("mousemove", "--sync", *self.screen_point(x, y))
        self.xdo("mouseup", 1)

    def type_line(self, text):
        self.press("chat")
        self.xdo("type", "--delay", "5", text)
        self.xdo("key", "Return")

    def answer_dialog(self, title, key="Return", text=None, timeout=15.0):
        """Waits for a box with this title, keeps its picture, types text if given, then the key."""
        box = wait_for(f"{self.name}: box '{title}'",
                       lambda: next((w for w in self.dialogs() if self.title(w) == title), None), timeout)
        self.screenshot("box-" + title.replace(" ", "-"), window=box)
        self.xdo("windowfocus", "--sync", box)
        if text is not None:
            self.xdo("type", "--delay", "5", text)
        self.xdo("key", key)
        wait_for(f"{self.name}: box '{title}' closed", lambda: box not in self.dialogs())
        return box

    # -- reading the screen
    def screenshot(self, label, window=None):
        self.shots += 1
        path = os.path.join(self.artefacts, f"{self.name}-{self.shots:03d}-{label}.png")
        run(["import", "-display", f":{self.display}", "-window", window or self.window, path], env=self.env)
        return Image.open(path).convert("RGB")

    def grab(self):
        path = os.path.join(self.artefacts, f"{self.name}-current.png")
        run(["import", "-display", f":{self.display}", "-window", self.window, path], env=self.env)
        return Image.open(path).convert("RGB")

    def close(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        self.log.close()


def square_pixels(img, square):
    col, row = square_cell(square)
    x0 = BOARD_ORIGIN[0] + col * SQUARE + 1
    y0 = BOARD_ORIGIN[1] + row * SQUARE + 1
    return [img.getpixel((x, y)) for y in range(y0, y0 + SQUARE - 2) for x in range(x0, x0 + SQUARE - 2)]


def shade(square):
    col, row = square_cell(square)
    return "light" if (col + row) % 2 == 0 else "dark"


def square_name(i):
    return "ABCDEFGH"[i % 8] + str(8 - i // 8)


class BoardReader:
    """Reads piece letters off screenshots by exact comparison with what the same program drew
    for that letter on a square of the same shade. The start position teaches the first
    references; a letter first seen on a new shade (a queen on a dark square, say) is learnt the
    first time it is expected there, provided the square is not empty and shows no other letter."""

    START = "rnbqkbnrpppppppp                                PPPPPPPPRNBQKBNR"

    def __init__(self, start_img):
        self.refs = {}
        for i, letter in enumerate(self.START):
            sq = square_name(i)
            crop = bytes(b for p in square_pixels(start_img, sq) for b in p)
            known = self.refs.setdefault((letter, shade(sq)), crop)
            if known != crop:
                raise Failure(f"{letter!r} on {sq} is drawn unlike the same letter elsewhere")

    def letter(self, img, sq):
        crop = bytes(b for p in square_pixels(img, sq) for b in p)
        for (letter, sh), ref in self.refs.items():
            if sh == shade(sq) and ref == crop:
                return letter, crop
        return "?", crop

    def mismatches(self, img, position):
        """Squares whose picture differs from the position string: {square: (expected, seen)}."""
        out = {}
        learn = {}
        for i, expected in enumerate(position):
            sq = square_name(i)
            seen, crop = self.letter(img, sq)
            if seen == expected:
                continue
            if seen == "?" and expected != " " and (expected, shade(sq)) not in self.refs:
                learn[(expected, shade(sq))] = crop
                continue
            out[sq] = (expected, seen)
        if not out:
            self.refs.update(learn)
        return out


def board_from_position(position):
    return {square_name(i): ch for i, ch in enumerate(position)}


def region(img, box):
    return img.crop(box).tobytes()


def artefact_dir():
    base = os.environ.get("BOARDWICK_E2E_ARTEFACTS") or tempfile.mkdtemp(prefix="boardwick-e2e-")
    os.makedirs(base, exist_ok=True)
    return base


def missing_tools():
    return [t for t in ("ip", "Xvfb", "xdotool", "import", "tcpdump") if shutil.which(t) is None]


def unable(tools=()):
    """None where namespaces and the tools are here, else why, and the exit status (77: skipped)."""
    missing = missing_tools() + [t for t in tools if shutil.which(t) is None]
    probe = subprocess.run(["ip", "netns", "add", f"bwprobe{os.getpid()}"], capture_output=True, text=True)
    ci = os.environ.get("CI") == "true"
    if missing or probe.returncode != 0:
        print(("FAIL: " if ci else "SKIP: ") + f"no namespaces or tools here {missing} {probe.stderr.strip()}")
        return 1 if ci else 77
    subprocess.run(["ip", "netns", "del", f"bwprobe{os.getpid()}"], capture_output=True)
    return None
