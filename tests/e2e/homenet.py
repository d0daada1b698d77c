"""A simulated home network in network namespaces, documentation addresses only.

    outside (B) 203.0.113.2 ---- wan 203.0.113.1 [router, NAT] lan 198.51.100.1 ---- 198.51.100.2 (A)

The router masquerades A's traffic with nftables. For IPv6 the two players also share a direct
link, 2001:db8:6::a and 2001:db8:6::b. Everything made here is removed on exit."""

import os
import shutil
import subprocess
import tempfile
import time

from bwe2e import Failure, run, wait_for

LAN = {"router": "198.51.100.1", "A": "198.51.100.2"}
WAN = {"router": "203.0.113.1", "B": "203.0.113.2"}
V6 = {"A": "2001:db8:6::a", "B": "2001:db8:6::b"}


def nft(ns, script):
    subprocess.run(["ip", "netns", "exec", ns, "nft", "-f", "-"], input=script, text=True, check=True,
                   capture_output=True)


def netns_hosts(ns, lines):
    """Gives a namespace its own /etc/hosts (mounted there by `ip netns exec`); returns its folder."""
    path = f"/etc/netns/{ns}"
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, "hosts"), "w") as f:
        f.write("127.0.0.1 localhost\n::1 localhost\n" + "".join(line + "\n" for line in lines))
    return path


class HomeNetwork:
    def __init__(self, tag, with_nat_tables_for_miniupnpd=False):
        self.ns = {"router": f"bwR{tag}", "A": f"bwA{tag}", "B": f"bwB{tag}"}
        self.miniupnpd_tables = with_nat_tables_for_miniupnpd
        self.hosts_dirs = []
        self.processes = []

    def exec(self, side, cmd, **kw):
        return ["ip", "netns", "exec", self.ns[side]] + cmd

    def __enter__(self):
        r, a, b = self.ns["router"], self.ns["A"], self.ns["B"]
        try:
            for ns in (r, a, b):
                run(["ip", "netns", "add", ns])
                run(["ip", "-n", ns, "link", "set", "lo", "up"])
        except subprocess.CalledProcessError:
            self.__exit__()
            raise
        run(["ip", "link", "add", "lan0", "netns", r, "type", "veth", "peer", "name", "eth0", "netns", a])
        run(["ip", "link", "add", "wan0", "netns", r, "type", "veth", "peer", "name", "eth0", "netns", b])
        run(["ip", "link", "add", "six0", "netns", a, "type", "veth", "peer", "name", "six0", "netns", b])
        for ns, dev, addr in ((r, "lan0", LAN["router"] + "/24"), (a, "eth0", LAN["A"] + "/24"),
                              (r, "wan0", WAN["router"] + "/24"), (b, "eth0", WAN["B"] + "/24")):
            run(["ip", "-n", ns, "addr", "add", addr, "dev", dev])
            run(["ip", "-n", ns, "link", "set", dev, "up"])
        for side in ("A", "B"):
            ns = self.ns[side]
            run(["ip", "-n", ns, "addr", "add", V6[side] + "/64", "dev", "six0", "nodad"])
            run(["ip", "-n", ns, "link", "set", "six0", "up"])
        run(["ip", "-n", a, "route", "add", "default", "via", LAN["router"]])
        # B has no route into the home: only forwarded ports of the router's address reach A.
        run(["ip", "netns", "exec", r, "sysctl", "-qw", "net.ipv4.ip_forward=1"])
        tables = """
table inet nat {
    chain prerouting { type nat hook prerouting priority -100; policy accept; jump prerouting_miniupnpd; }
    chain postrouting { type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd; oifname "wan0" masquerade; }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
}
table inet filter {
    chain forward { type filter hook forward priority 0; policy drop;
        ct state established,related accept; iifname "lan0" accept; jump miniupnpd; }
    chain miniupnpd { }
}
"""
        nft(r, tables)
        return self

    def hosts(self, side, lines):
        self.hosts_dirs.append(netns_hosts(self.ns[side], lines))

    def start(self, side, cmd, **kw):
        p = subprocess.Popen(self.exec(side, cmd), **kw)
        self.processes.append(p)
        return p

    def dnat_rules(self):
        out = run(["ip", "netns", "exec", self.ns["router"], "nft", "list", "ruleset"]).stdout
        return [line.strip() for line in out.splitlines() if "dnat" in line]

    def __exit__(self, *exc):
        for p in self.processes:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        for ns in self.ns.values():
            subprocess.run(["ip", "netns", "del", ns], capture_output=True)
        for path in self.hosts_dirs:
            shutil.rmtree(path, ignore_errors=True)


MINIUPNPD_CONF = """ext_ifname=wan0
listening_ip=lan0
http_port=0
enable_natpmp=no
enable_upnp=yes
secure_mode=yes
system_uptime=yes
upnp_table_name=filter
upnp_nat_table_name=nat
upnp_forward_chain=miniupnpd
upnp_nat_chain=prerouting_miniupnpd
upnp_nat_postrouting_chain=postrouting_miniupnpd
uuid=3b1e2f40-0c5a-4d7e-9f6b-198511000001
allow 1024-65535 198.51.100.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
"""


def start_miniupnpd(net, workdir):
    conf = os.path.join(workdir, "miniupnpd.conf")
    with open(conf, "w") as f:
        f.write(MINIUPNPD_CONF)
    log = open(os.path.join(workdir, "miniupnpd.log"), "w")
    net.start("router", ["miniupnpd", "-d", "-f", conf, "-P", os.path.join(workdir, "miniupnpd.pid")],
              stdout=log, stderr=subprocess.STDOUT)
    return os.path.join(workdir, "miniupnpd.log")
