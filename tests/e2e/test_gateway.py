#!/usr/bin/env python3
"""A small UPnP Internet gateway for the simulated home router: answers SSDP discovery on the LAN
and the WANIPConnection actions a port-forwarding client uses, and installs or removes the matching
nftables DNAT rule. Every action it serves is appended to the log file, one line each.

    test_gateway.py LAN_ADDRESS WAN_ADDRESS LOG [--taken-by ADDRESS]
"""

import http.server
import re
import socket
import struct
import subprocess
import sys
import threading

SSDP_GROUP, SSDP_PORT, HTTP_PORT = "239.255.255.250", 1900, 5000
SERVICE = "urn:schemas-upnp-org:service:WANIPConnection:1"
UUID = "4c1d0000-0000-4000-8000-203011300001"

DESCRIPTION = f"""<?xml version="1.0"?>
<root xmlns="urn:schemas-upnp-org:device-1-0"><specVersion><major>1</major><minor>0</minor></specVersion>
<device><deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>
<friendlyName>test gateway</friendlyName><UDN>uuid:{UUID}</UDN>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><UDN>uuid:{UUID}-1</UDN>
<serviceList><service><serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>
<serviceId>urn:upnp-org:serviceId:WANCommonIFC1</serviceId><controlURL>/ctl/CmnIfCfg</controlURL>
<eventSubURL>/evt/CmnIfCfg</eventSubURL><SCPDURL>/WANCfg.xml</SCPDURL></service></serviceList>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType><UDN>uuid:{UUID}-2</UDN>
<serviceList><service><serviceType>{SERVICE}</serviceType><serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId>
<controlURL>/ctl/IPConn</controlURL><eventSubURL>/evt/IPConn</eventSubURL><SCPDURL>/WANIPCn.xml</SCPDURL>
</service></serviceList></device></deviceList></device></deviceList></device></root>
"""

ERRORS = {402: "Invalid Args", 714: "NoSuchEntryInArray", 718: "ConflictInMappingEntry"}


class Gateway:
    def __init__(self, lan, wan, log, taken_by=None):
        self.lan, self.wan, self.log_path = lan, wan, log
        self.lock = threading.Lock()
        self.mappings = {}  # external port -> (client, internal port, description, lease)
        if taken_by:
            self.mappings[1024] = (taken_by, 1024, "another machine", 0)

    def log(self, line):
        with open(self.log_path, "a") as f:
            f.write(line + "\n")

    def nft(self, *args):
        subprocess.run(["nft"] + list(args), check=True, capture_output=True, text=True)

    def install(self, port, client, internal):
        tag = f'"bwgw-{port}"'
        self.nft("add", "rule", "inet", "nat", "prerouting_miniupnpd", "iifname", '"wan0"', "tcp", "dport", str(port),
                 "dnat", "ip", "to", f"{client}:{internal}", "comment", tag)
        self.nft("add", "rule", "inet", "filter", "miniupnpd", "ip", "daddr", client, "tcp", "dport", str(internal),
                 "accept", "comment", tag)

    def uninstall(self, port):
        for table, chain in (("nat", "prerouting_miniupnpd"), ("filter", "miniupnpd")):
            listing = subprocess.run(["nft", "-a", "list", "chain", "inet", table, chain],
                                     capture_output=True, text=True).stdout
            for handle in re.findall(rf'comment "bwgw-{port}" # handle (\d+)', listing):
                self.nft("delete", "rule", "inet", table, chain, "handle", handle)

    def act(self, action, args):
        """Returns (error code or 0, response arguments)."""
        with self.lock:
            if action == "GetStatusInfo":
                return 0, {"NewConnectionStatus": "Connected", "NewLastConnectionError": "ERROR_NONE",
                           "NewUptime": "1"}
            if action == "GetExternalIPAddress":
                return 0, {"NewExternalIPAddress": self.wan}
            try:
                port = int(args.get("NewExternalPort", ""))
            except ValueError:
                return 402, {}
            if args.get("NewProtocol") != "TCP":
                return 402, {}
            held = self.mappings.get(port)
            if action == "GetSpecificPortMappingEntry":
                if not held:
                    return 714, {}
                return 0, {"NewInternalPort": str(held[1]), "NewInternalClient": held[0], "NewEnabled": "1",
                           "NewPortMappingDescription": held[2], "NewLeaseDuration": str(held[3])}
            if action == "AddPortMapping":
                client, internal = args.get("NewInternalClient", ""), int(args.get("NewInternalPort", "0"))
                if held and held[0] != client:
                    return 718, {}
                if held:
                    self.uninstall(port)
                self.install(port, client, internal)
                self.mappings[port] = (client, internal, args.get("NewPortMappingDescription", ""),
                                       int(args.get("NewLeaseDuration", "0") or 0))
                return 0, {}
            if action == "DeletePortMapping":
                if not held:
                    return 714, {}
                self.uninstall(port)
                del self.mappings[port]
                return 0, {}
        return 401, {}


def make_handler(gateway):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def reply(self, status, body, kind="text/xml"):
            data = body.encode()
            self.send_response(status)
            self.send_header("Content-Type", f'{kind}; charset="utf-8"')
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data)

        def do_GET(self):
            if self.path == "/rootDesc.xml":
                self.reply(200, DESCRIPTION)
            else:
                self.reply(404, "")

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0"))).decode(errors="replace")
            action = self.headers.get("SOAPAction", "").strip('"').split("#")[-1]
            args = dict(re.findall(r"<(New\w+)>([^<]*)</\1>", body))
            code, out = gateway.act(action, args)
            shown = " ".join(f"{k}={v}" for k, v in sorted(args.items()))
            gateway.log(f"{action} {shown} -> {code}".rstrip())
            envelope = ('<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" '
                        's:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/"><s:Body>{}</s:Body></s:Envelope>')
            if code:
                fault = ("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
                         '<UPnPError xmlns="urn:schemas-upnp-org:control-1-0">'
                         f"<errorCode>{code}</errorCode><errorDescription>{ERRORS.get(code, 'Action Failed')}"
                         "</errorDescription></UPnPError></detail></s:Fault>")
                self.reply(500, envelope.format(fault))
                return
            values = "".join(f"<{k}>{v}</{k}>" for k, v in out.items())
            self.reply(200, envelope.format(f'<u:{action}Response xmlns:u="{SERVICE}">{values}</u:{action}Response>'))

    return Handler


def serve_ssdp(lan):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM, socket.IPPROTO_UDP)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("", SSDP_PORT))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                    struct.pack("4s4s", socket.inet_aton(SSDP_GROUP), socket.inet_aton(lan)))
    while True:
        data, sender = sock.recvfrom(4096)
        text = data.decode(errors="replace")
        if not text.startswith("M-SEARCH"):
            continue
        match = re.search(r"^ST:\s*(\S+)", text, re.I | re.M)
        st = match.group(1) if match else "upnp:rootdevice"
        if not any(k in st for k in ("InternetGatewayDevice", "WANIPConnection", "rootdevice", "ssdp:all")):
            continue
        answer = (f"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: {st}\r\nUSN: uuid:{UUID}::{st}\r\n"
                  f"EXT:\r\nSERVER: Linux UPnP/1.1 bwtestgw/1\r\nLOCATION: http://{lan}:{HTTP_PORT}/rootDesc.xml\r\n\r\n")
        sock.sendto(answer.encode(), sender)


def main():
    lan, wan, log = sys.argv[1:4]
    taken_by = sys.argv[5] if len(sys.argv) > 5 and sys.argv[4] == "--taken-by" else None
    gateway = Gateway(lan, wan, log, taken_by)
    server = http.server.ThreadingHTTPServer((lan, HTTP_PORT), make_handler(gateway))
    threading.Thread(target=serve_ssdp, args=(lan,), daemon=True).start()
    gateway.log("ready")
    server.serve_forever()


if __name__ == "__main__":
    main()
