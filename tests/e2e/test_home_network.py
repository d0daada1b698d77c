#!/usr/bin/env python3
"""The port mapper in a simulated home network (see homenet.py), as the program runs it:
1. Debian's miniupnpd on the router: the request reaches the daemon, which refuses it (501, as it
   does for a documentation-range WAN address); the mapper reports the refusal with its reason.
2. The test gateway on the router: the mapper forwards TCP 1024, an outside host reaches A's
   port 1024 through the router's WAN address, and the DNAT rule is gone once the mapper stops.
3. IPv6: B reaches A's listener by A's IPv6 literal and by a name that has only that address.
Exit 77 when namespaces cannot be made (a failure under CI=true).

    test_home_network.py PORTMAP_PROBE"""

import os
import subprocess
import sys
import tempfile

from bwe2e import Failure, wait_for
from homenet import LAN, V6, WAN, HomeNetwork, start_miniupnpd

HERE = os.path.dirname(os.path.abspath(__file__))
LISTENER = ("import socket,sys;s=socket.create_server(('::',1024),family=socket.AF_INET6,dualstack_ipv6=True);"
            "print('listening',flush=True);c,a=s.accept();print('accepted',a[0],flush=True)")


class Probe:
    def __init__(self, net, side, path, workdir):
        self.out = os.path.join(workdir, "probe.out")
        self.proc = net.start(side, [path], stdin=subprocess.PIPE, stdout=open(self.out, "w"),
                              stderr=subprocess.STDOUT, text=True)

    def text(self):
        return open(self.out).read()

    def outcome(self):
        return wait_for("the mapper's outcome",
                        lambda: next((l for l in self.text().splitlines() if l.startswith(("mapped", "failed"))), None),
                        timeout=30)

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(10)
        if "stopped" not in self.text():
            raise Failure("the mapper did not stop: " + self.text())


def call(net, side, host):
    script = f"import socket;socket.create_connection(({host!r},1024),5).close();print('ok')"
    return subprocess.run(net.exec(side, ["/usr/bin/python3", "-c", script]), capture_output=True, text=True)


def listener(net, side):
    proc = net.start(side, ["/usr/bin/python3", "-c", LISTENER], stdout=subprocess.PIPE, text=True)
    if proc.stdout.readline().strip() != "listening":
        raise Failure("listener did not start")
    return proc


def case_real_daemon(probe_path, workdir):
    with HomeNetwork("c1") as net:
        log = start_miniupnpd(net, workdir)
        wait_for("miniupnpd", lambda: "HTTP listening" in open(log).read() or "SSDP" in open(log).read(), 10)
        probe = Probe(net, "A", probe_path, workdir)
        outcome = probe.outcome()
        probe.stop()
        daemon = open(log).read()
        if "AddPortMapping: ext port 1024 to 198.51.100.2:1024 protocol TCP for: Boardwick chess" not in daemon:
            raise Failure("miniupnpd did not record the request:\n" + daemon[-2000:])
        if not outcome.startswith("failed") or "501" not in outcome:
            raise Failure("expected a calm 501 refusal, got: " + outcome)


def case_test_gateway(probe_path, workdir):
    with HomeNetwork("c2") as net:
        log = os.path.join(workdir, "gateway.log")
        net.start("router", ["/usr/bin/python3", os.path.join(HERE, "test_gateway.py"), LAN["router"], WAN["router"], log])
        wait_for("the test gateway", lambda: os.path.exists(log) and "ready" in open(log).read(), 10)
        probe = Probe(net, "A", probe_path, workdir)
        outcome = probe.outcome()
        if outcome != f"mapped external={WAN['router']} lan={LAN['A']} reason=":
            raise Failure("expected the mapping, got: " + outcome)
        if not net.dnat_rules():
            raise Failure("no DNAT rule on the router")
        server = listener(net, "A")
        reached = call(net, "B", WAN["router"])
        if reached.stdout.strip() != "ok":
            raise Failure("B could not reach A through the router: " + reached.stderr[-500:])
        seen = server.stdout.readline().split()
        if seen[-1].removeprefix("::ffff:") != WAN["B"]:
            raise Failure(f"A saw {seen}, expected B's address")
        probe.stop()
        if net.dnat_rules():
            raise Failure("the DNAT rule outlived the mapper: " + str(net.dnat_rules()))


def case_ipv6(workdir):
    with HomeNetwork("c3") as net:
        net.hosts("B", [f"{V6['A']} player-a.example"])
        for host in (V6["A"], "player-a.example"):
            server = listener(net, "A")
            reached = call(net, "B", host)
            if reached.stdout.strip() != "ok":
                raise Failure(f"B could not reach A by {host}: " + reached.stderr[-500:])
            if server.stdout.readline().split()[-1] != V6["B"]:
                raise Failure("A did not see B's IPv6 address")
            server.wait(5)


def main():
    probe_path = sys.argv[1]
    try:
        subprocess.run(["ip", "netns", "add", "bwprobe12"], check=True, capture_output=True)
        subprocess.run(["ip", "netns", "del", "bwprobe12"], check=True, capture_output=True)
    except (subprocess.CalledProcessError, FileNotFoundError) as e:
        print("network namespaces unavailable:", e)
        return 1 if os.environ.get("CI") == "true" else 77
    with tempfile.TemporaryDirectory() as workdir:
        for name, case in (("real daemon", lambda: case_real_daemon(probe_path, workdir)),
                           ("test gateway", lambda: case_test_gateway(probe_path, workdir)),
                           ("IPv6", lambda: case_ipv6(workdir))):
            case()
            print("passed:", name, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
