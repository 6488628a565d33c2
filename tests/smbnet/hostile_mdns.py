#!/usr/bin/python3
# A hostile mDNS responder for the test network (scripts/smbnet spawn ... ROGUE):
# every legacy-unicast browse for _smb._tcp.local gets one answer naming
# 1,000 services. A few come with host and address: one sound (ROGUE, at this
# host's address, so a test can see the answer was heard) and the rest what
# no server on the segment can be: loopback, broadcast and the client's own
# addresses, a name as long as a host label may be, names holding <>| or a
# right-to-left override. The other services are nameless: no SRV, no
# address, and questions about them stay unanswered.
#   hostile_mdns.py OWN_ADDRESS CLIENT_ADDRESS BROADCAST
import socket
import struct
import sys

OWN, CLIENT, BROADCAST = sys.argv[1:4]
SERVICE = "_smb._tcp.local"
NAMED = [  # instance/host label, address
    ("rogue", OWN),
    ("loopbox", "127.0.0.1"),
    ("loopnet", "127.45.6.7"),
    ("bcastbox", BROADCAST),
    ("allones", "255.255.255.255"),
    ("selfbox", CLIENT),
    ("l" * 63, OWN),
    ("pipe|box", OWN),
    ("angle<box>", OWN),
    ("rtl\u202exob", OWN),
]
NAMELESS = 1000 - len(NAMED)


def name(text):
    out = b""
    for label in text.split("."):
        raw = label.encode()
        out += bytes([len(raw)]) + raw
    return out + b"\0"


def labels(first, rest):  # a first label that may itself hold dots
    raw = first.encode()
    return bytes([len(raw)]) + raw + name(rest)


def record(owner, rtype, rdata, ttl=120):
    return owner + struct.pack("!HHIH", rtype, 1, ttl, len(rdata)) + rdata


def answer(qid, question):
    service = b"\xc0\x0c"  # the question's name: keeps 1,000 records in one datagram
    answers, extra = [], []
    for label, address in NAMED:
        instance = bytes([len(label.encode())]) + label.encode() + service
        host = labels(label, "local")
        answers.append(record(service, 12, instance))
        extra.append(record(instance, 33, struct.pack("!HHH", 0, 0, 445) + host))
        extra.append(record(host, 1, socket.inet_aton(address)))
    for i in range(NAMELESS):
        answers.append(record(service, 12, b"\x05" + (b"n%04d" % i) + service))
    head = struct.pack("!HHHHHH", qid, 0x8400, 1, len(answers), 0, len(extra))
    return head + question + b"".join(answers) + b"".join(extra)


def question_of(data):
    """The first question's (name in lower case, raw bytes), or None."""
    at, parts = 12, []
    while at < len(data):
        n = data[at]
        if n == 0 or n >= 0xC0:
            break
        parts.append(data[at + 1:at + 1 + n].decode("utf-8", "replace"))
        at += 1 + n
    if at + 5 > len(data) or data[at] != 0:
        return None
    return ".".join(parts).lower(), data[12:at + 5]


def main():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("0.0.0.0", 5353))
    s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                 socket.inet_aton("224.0.0.251") + socket.inet_aton(OWN))
    print("listening", flush=True)
    while True:
        data, (address, port) = s.recvfrom(9000)
        # Only queries from a client's own port (legacy unicast): the
        # answer goes back to that port alone, never to the group.
        if port == 5353 or len(data) < 12 or data[2] & 0x80 or address == OWN:
            continue
        q = question_of(data)
        if q and q[0] == SERVICE:
            s.sendto(answer(struct.unpack("!H", data[:2])[0], q[1]), (address, port))
            print("answered", address, port, flush=True)


main()
