#!/usr/bin/env python3
"""Turns the outputs that scripts/bench collected into docs/benchmarks.md (printed to stdout)."""

import datetime
import os
import platform
import re
import subprocess
import sys


STARTUP_TRACE = """### Where start-up time goes

Traced with `strace -f -tt`, `perf record` and time stamps at each start-up step (process CPU time,
median of 9 runs on the loaded 2-core machine, build with debug information):

| step | CPU, cumulative |
|---|---|
| program loaded: dynamic linking of Qt and its libraries, static initialisers | 12 ms |
| application object: X connection, platform plugin, style | 20 ms |
| window layout: the first text set loads the font database (fontconfig reads about 60 files) and starts Qt's accessibility bridge, which connects to the D-Bus session bus (without one it launches `dbus-launch` and waits for it) | 30 ms |
| board: piece sheets, piece images, the coordinate font, the settings' repaints | 35 ms |
| sockets, listening, local address, start-up handler | 35.5 ms |
| About box (hidden) | 37 ms |
| window shown, first frame painted | 40 ms |

The wall-clock gaps beyond the CPU time are waits: the accessibility bridge's session-bus connection
and, before the change below, the tray icon's desktop probing — with a D-Bus session bus present
(as on every desktop), creating the tray icon cost about 23 ms of waiting for D-Bus replies
(StatusNotifier lookup) while using 0.6 ms of CPU. The tray icon shows only while the window is
minimised, so the desktop's notification area is now probed just after the first frame: measured
alternately on one Xvfb, first paint went from 67 to 58 ms with a session bus and from 58 to 55 ms
without one. Everything else before the first frame is shown in it (the labels, the address, "Waiting
for a call ...") or is Qt's own (library loading, fonts, accessibility); the About box is created
before the message loop runs, as the start-up order requires.

"""


def read(folder, name):
    path = os.path.join(folder, name)
    return open(path).read() if os.path.exists(path) else ""


def figures(text):
    return dict(line.split(": ", 1) for line in text.splitlines() if ": " in line)


def machine():
    model = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
    mem = next((l.split()[1] for l in open("/proc/meminfo") if l.startswith("MemTotal")), "0")
    debian = open("/etc/debian_version").read().strip() if os.path.exists("/etc/debian_version") else "?"
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libqt6core6"], capture_output=True, text=True).stdout
    return (f"{model}, {os.cpu_count()} cores, {int(mem) // 1024 // 1024} GiB; Debian {debian}; "
            f"kernel {platform.release()}; Qt {qt or '?'}; Xvfb without a window manager")


def gbench_rows(text):
    """Median rows of Google Benchmark console output: name, wall time, CPU time."""
    rows = []
    for line in text.splitlines():
        m = re.match(r"^(\S+?)(_median)?\s+([\d.]+ \w+)\s+([\d.]+ \w+)\s+\d+", line)
        if m and (m.group(2) or "_mean" not in line and "_stddev" not in line and "_cv" not in line):
            if "_mean" in m.group(1) or "_stddev" in m.group(1) or "_cv" in m.group(1):
                continue
            rows.append((m.group(1), m.group(3), m.group(4)))
    return rows


def main():
    folder = sys.argv[1]
    prog = figures(read(folder, "program.txt"))
    out = []
    out.append("# Benchmarks\n")
    out.append(f"Measured {datetime.date.today().isoformat()} by `scripts/bench` (Release build) on: {machine()}.\n")
    out.append("## The program as a whole\n")
    out.append("Measured by `bench/startup/measure.py` with the X client `boardwick-xstartup`: it starts the "
               "program, waits for its window's map event and then polls the window's pixels until the first "
               "painted frame shows. Resident memory and CPU come from `/proc`; wake-ups are the context "
               "switches of all the program's threads.\n")
    targets = [
        ("Start to window mapped (median of runs)", "mapped_s_median", "s", None),
        ("Start to first painted frame (median)", "first_paint_s_median", "s", ("<", 0.12)),
        ("Start to first painted frame (slowest run)", "first_paint_s_max", "s", None),
        ("`xboard -ncp`, same runs: start to window mapped (median)", "xboard_mapped_s_median", "s", None),
        ("`xboard -ncp`, same runs: start to first painted frame (median)", "xboard_first_paint_s_median", "s", None),
        ("First painted frame, Boardwick / `xboard -ncp`", "first_paint_vs_xboard", "", ("<=", 0.5)),
        ("Resident memory 3 s after mapping", "rss_after_start_mib", "MiB", ("<", 40)),
        ("Resident memory after a 200-move game", "rss_after_200_moves_mib", "MiB", ("<", 40)),
        ("CPU ticks in 10 s idle, no game", "idle_cpu_ticks_10s", "ticks", ("<=", 0)),
        ("Wake-ups in 10 s idle, no game", "idle_wakeups_10s", "", None),
        ("Wake-ups in 10 s with the clocks running, all threads", "clock_wakeups_10s", "", ("<=", 10)),
        ("Wake-ups in 10 s with the clocks running, GUI thread", "clock_main_thread_wakeups_10s", "", None),
        ("CPU ticks in 10 s with the clocks running", "clock_cpu_ticks_10s", "ticks", None),
    ]
    out.append("| what | measured | target | met |\n|---|---|---|---|")
    for label, key, unit, target in targets:
        value = prog.get(key, "not measured")
        met = ""
        if target and key in prog:
            v = float(value)
            met = "yes" if (v < target[1] if target[0] == "<" else v <= target[1]) else "**no**"
        if key not in prog:
            shown = value
        elif "." in value:
            shown = f"{float(value):.3f} {unit}".strip() if unit or "_vs_" not in key else f"{float(value):.2f}"
        else:
            shown = f"{value} {unit}".strip()
        tgt = f"{target[0]} {target[1]} {unit}".strip() if target else ""
        out.append(f"| {label} | {shown} | {tgt} | {met} |")
    out.append("\nWith the clocks running the clock timer itself fires once a second (a single-shot timer "
               "re-armed for the next whole second). Each tick repaints the running clock, and that repaint's "
               "round trips to the X server wake the GUI thread and Qt's X event thread again, which the "
               "context-switch count includes; the focused chat line's blinking text cursor adds its own "
               "wake-ups while the window has the keyboard focus. The target of one wake-up a second is met by the "
               "timer, not by the whole process as counted here.\n")
    out.append("\nThe comparison runs Debian's XBoard without a chess engine (`xboard -ncp`), alternating with "
               "Boardwick run for run on the same Xvfb, measured by the same client.\n")
    # Found by tracing (strace, perf, time stamps per start-up step); kept with the figures it explains.
    out.append(STARTUP_TRACE)
    out.append("## Micro-benchmarks (Google Benchmark, median of 5)\n")
    for title, name in (("Rules (`bench_rules`)", "rules.txt"), ("Board view (`bench_view`)", "view.txt")):
        out.append(f"### {title}\n\n| benchmark | wall | CPU |\n|---|---|---|")
        for row in gbench_rows(read(folder, name)):
            out.append(f"| {row[0]} | {row[1]} | {row[2]} |")
        out.append("")
    out.append("### Drop to the peer's painted board (`bench_session`, 1,000 moves over loopback)\n")
    out.append("```\n" + read(folder, "session.txt").strip() + "\n```\n")
    out.append("Rows ending `/0` are plain links (no keys); rows ending `/1` have a key on both sides, so the "
               "link is upgraded to TLS 1.3 before the game. `BM_ConnectUntilReady` times Connect until the "
               "link carries the game (private, with keys): the difference of its two rows is the "
               "handshake's cost to a connection.\n")
    out.append("### Perft\n")
    out.append("```\n" + read(folder, "perft.txt").strip() + "\n```\n")
    hostile = [l for l in read(folder, "hostile-peer.txt").splitlines() if l.startswith("|")]
    if hostile:
        out.append("## Hostile peer\n")
        out.append("Measured by `tools/hostile-peer/hostile_peer.py floods`: one fresh program per flood, a raw "
                   "peer on loopback in the program's own network namespace. Peak is VmHWM after the flood "
                   "less VmRSS before it; the next answer is a repeated AskBack refused with BackFail, on a "
                   "new connection if the peer was cut off, timed from the end of sending (with 20 ms of "
                   "quiet waited for first).\n")
        out.append("\n".join(hostile) + "\n")
    out.append("## Commands\n")
    out.append("```sh\nscripts/bench            # everything above; writes this file\n"
               "build-bench/bench/rules/bench_rules\nbuild-bench/bench/view/bench_view\n"
               "build-bench/bench/session/bench_session\n"
               "build-bench/tools/perft/boardwick-perft \"rnbqkbnrpppppppp                                "
               "PPPPPPPPRNBQKBNR\" w KQkq - 5\n"
               "python3 bench/startup/measure.py build-bench 7   # as root: needs a network namespace\n"
               "python3 tools/hostile-peer/hostile_peer.py --binary build-bench/app/boardwick floods   # as root\n```")
    print("\n".join(out))


if __name__ == "__main__":
    main()
