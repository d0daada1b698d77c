#!/usr/bin/env python3
"""Measures the whole program under Xvfb, in a network namespace of its own:
start-up (window mapped, first painted frame) beside Debian's `xboard -ncp` on the same display,
resident memory and idle CPU, then a 200-move
game against a scripted peer on the loopback of that namespace: wake-ups while the clocks run,
and resident memory after the game.

usage: measure.py BUILD_DIR [RUNS]    prints "key: value" lines"""

import os
import socket
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import bwe2e  # noqa: E402

TAG = "Morvanti-"


def run_xstartup(build, netns, env, program, settle, idle):
    out = subprocess.run(["ip", "netns", "exec", netns, f"{build}/bench/startup/boardwick-xstartup",
                          "--settle", settle, "--idle", idle, "--"] + program,
                         env=env, capture_output=True, text=True, timeout=60)
    if out.returncode != 0:
        raise SystemExit(f"boardwick-xstartup {program[0]} failed: {out.stderr}")
    return dict(line.split(": ") for line in out.stdout.strip().splitlines())


def xstartup(build, netns, display, runs):
    """Boardwick and, run for run in turn on the same display, Debian's xboard without an engine."""
    env = dict(os.environ, DISPLAY=f":{display}", QT_QPA_PLATFORM="xcb")
    ours, xboard = [], []
    for i in range(runs):
        idle = "10" if i == 0 else "0"
        ours.append(run_xstartup(build, netns, env, [f"{build}/app/boardwick"], "3", idle))
        xboard.append(run_xstartup(build, netns, env, ["/usr/games/xboard", "-ncp"], "0.5", "0"))
    first = ours[0]
    figures = {
        "mapped_s_median": statistics.median(float(r["mapped_s"]) for r in ours),
        "first_paint_s_median": statistics.median(float(r["first_paint_s"]) for r in ours),
        "first_paint_s_max": max(float(r["first_paint_s"]) for r in ours),
        "xboard_mapped_s_median": statistics.median(float(r["mapped_s"]) for r in xboard),
        "xboard_first_paint_s_median": statistics.median(float(r["first_paint_s"]) for r in xboard),
        "rss_after_start_mib": int(first["rss_kib"]) / 1024,
        "idle_cpu_ticks_10s": int(first["idle_cpu_ticks"]),
        "idle_wakeups_10s": int(first["idle_wakeups"]),
    }
    figures["first_paint_vs_xboard"] = figures["first_paint_s_median"] / figures["xboard_first_paint_s_median"]
    return figures


def thread_wakeups(pid):
    """Context switches of each thread, by thread name."""
    out = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        name = open(f"/proc/{pid}/task/{task}/comm").read().strip()
        with open(f"/proc/{pid}/task/{task}/status") as f:
            n = sum(int(l.split(":")[1]) for l in f if l.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")))
        out[f"{name}[{task}]"] = n
    return out


def proc_stat(pid):
    from_status = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            from_status[key] = value.strip()
    wakeups = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/status") as f:
            for line in f:
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    wakeups += int(line.split(":")[1])
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    return int(from_status["VmRSS"].split()[0]) / 1024, wakeups, ticks


PEER = r'''
import socket, sys
s = socket.create_connection(("127.0.0.1", 1024), timeout=5)
s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
buf = b""
for cmd in sys.stdin:
    cmd = cmd.rstrip("\n")
    if cmd.startswith("send "):
        s.sendall(cmd[5:].encode() + b"\n")
        print("ok", flush=True)
    elif cmd.startswith("expect"):
        s.settimeout(float(cmd.split()[1]))
        try:
            while b"\n" not in buf:
                chunk = s.recv(4096)
                if not chunk:
                    break
                buf += chunk
        except socket.timeout:
            pass
        line, sep, buf = buf.partition(b"\n")
        if not sep:
            buf = line
            line = b""
        print(line.decode(errors="replace"), flush=True)
'''


def game(build, net, display, artefacts, half_moves=200):
    moves = subprocess.run([f"{build}/bench/startup/boardwick-random-game", str(half_moves), "7"],
                           capture_output=True, text=True, check=True).stdout.split()
    app = bwe2e.App("bench", f"{build}/app/boardwick", net, display, (0, 0), artefacts)
    peer = subprocess.Popen(["ip", "netns", "exec", net, "/usr/bin/python3", "-c", PEER],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def say(cmd):
        peer.stdin.write(cmd + "\n")
        peer.stdin.flush()
        return peer.stdout.readline().strip()

    try:
        bwe2e.wait_for("the peer to be accepted", lambda: app.dialogs() == [] and say("send " + TAG + "TXT-hello"))
        say("send " + TAG + "CTR-45")
        say("send " + TAG + "CTR-New")          # the program plays Black
        measured = {}
        for n, move in enumerate(moves):
            if n % 2 == 0:
                say("send " + TAG + "MOV-" + move)
            else:
                source, target = move.split("-")
                for attempt in range(20):
                    app.drag(source, target)
                    line = say("expect 2")
                    while line and line.startswith(TAG + "CTR-Features"):
                        line = say("expect 2")  # what the program understands, sent on connecting
                    if line == TAG + "MOV-" + move:
                        break
                    if line:
                        raise SystemExit(f"unexpected line from the program: {line!r}")
                else:
                    raise SystemExit(f"the program never played {move}")
            if n == 60:
                # Clocks are running: count wake-ups over ten quiet seconds.
                _, w0, t0 = proc_stat(app.proc.pid)
                per0 = thread_wakeups(app.proc.pid)
                time.sleep(10)
                _, w1, t1 = proc_stat(app.proc.pid)
                per1 = thread_wakeups(app.proc.pid)
                main_thread = f"boardwick[{app.proc.pid}]"
                measured["clock_main_thread_wakeups_10s"] = per1.get(main_thread, 0) - per0.get(main_thread, 0)
                for k in per1:
                    print(f"  thread {k}: {per1[k] - per0.get(k, 0)} wake-ups in 10 s", file=sys.stderr)
                measured["clock_wakeups_10s"] = w1 - w0
                measured["clock_cpu_ticks_10s"] = t1 - t0
        app.screenshot("after-200-moves")
        rss, _, _ = proc_stat(app.proc.pid)
        measured["rss_after_200_moves_mib"] = rss
        return measured
    finally:
        peer.stdin.close()
        peer.terminate()
        app.close()


def main():
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    artefacts = bwe2e.artefact_dir()
    with bwe2e.Netns(f"b{os.getpid() % 10000}") as net, bwe2e.Xvfb() as x:
        display = x.display
        figures = xstartup(build, net.names["A"], display, runs)
        figures.update(game(build, net.names["A"], display, artefacts))
    for key, value in figures.items():
        print(f"{key}: {value:.4f}" if isinstance(value, float) else f"{key}: {value}")


if __name__ == "__main__":
    main()
