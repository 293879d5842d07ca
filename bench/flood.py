#!/usr/bin/env python3
"""Hostile traffic for the network bench, to a server on loopback only, bounded in count
and time.

  flood.py requests --rate R --seconds S [--base 127.1.0.1]
      boot requests with the maker's prefix, each from an address of its own (counted up
      from --base), that never acknowledge anything: the socket is closed after the send.
  flood.py junk --rate R --seconds S
      datagrams that are not what the ports expect, spread over ports 980 and 100: boot
      requests of another maker, datagrams too large for the receive buffer, short and
      empty ones, non-broadcasts and broadcasts of another boot server.

Prints one line: what was sent, in how many seconds.
"""
import argparse
import ipaddress
import os
import socket
import sys
import time

MAX_DATAGRAMS = 1_000_000
MAX_SECONDS = 60
SERVER = "127.0.0.1"
BOOT_PORT = 980
NEWBOOT_PORT = 100


def boot_request(name, prefix=b"\x02\x4f\x52"):
    req = bytearray(64)
    req[0:4] = b"EDBG"
    req[10:13] = prefix
    raw = name.encode()[:16]
    req[37:37 + len(raw)] = raw
    return bytes(req)


def paced(rate, seconds):
    """Yields the index of each datagram at its time, in 10 ms batches."""
    total = int(rate * seconds)
    start = time.monotonic()
    sent = 0
    while sent < total:
        due = min(total, int((time.monotonic() - start) * rate) + 1)
        while sent < due:
            yield sent
            sent += 1
        if time.monotonic() - start > seconds + 5:
            return  # the machine cannot keep up: stop rather than run on
        time.sleep(0.01)


def send_requests(rate, seconds, base):
    first = int(ipaddress.IPv4Address(base))
    count = 0
    for i in paced(rate, seconds):
        addr = str(ipaddress.IPv4Address(first + i))
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            s.bind((addr, 0))
            s.sendto(boot_request("FLOOD%05d" % i), (SERVER, BOOT_PORT))
            count += 1
        except OSError:
            pass
        finally:
            s.close()
    return count


def junk_datagrams():
    other_maker = boot_request("JUNK", b"\x00\x11\x22")
    return [
        (BOOT_PORT, other_maker),
        (BOOT_PORT, os.urandom(2000)),
        (BOOT_PORT, os.urandom(64)),
        (BOOT_PORT, b"\x00\x04\x00\x01"),
        (NEWBOOT_PORT, b"hello"),
        (NEWBOOT_PORT, os.urandom(40)),
        (NEWBOOT_PORT, b"newboot intruder\0"),
        (NEWBOOT_PORT, b""),
    ]


def send_junk(rate, seconds):
    kinds = junk_datagrams()
    senders = []
    for n in range(16):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.2.0.%d" % (n + 1), 0))
        senders.append(s)
    count = 0
    for i in paced(rate, seconds):
        port, data = kinds[i % len(kinds)]
        try:
            senders[i % len(senders)].sendto(data, (SERVER, port))
            count += 1
        except OSError:
            pass
    for s in senders:
        s.close()
    return count


def main():
    ap = argparse.ArgumentParser(description="bounded hostile traffic to 127.0.0.1")
    ap.add_argument("mode", choices=["requests", "junk"])
    ap.add_argument("--rate", type=float, required=True, help="datagrams per second")
    ap.add_argument("--seconds", type=float, required=True)
    ap.add_argument("--base", default="127.1.0.1", help="first source address (requests)")
    a = ap.parse_args()
    if not ipaddress.IPv4Address(a.base).is_loopback:
        sys.exit("flood: --base must be a loopback address")
    if a.rate <= 0 or a.seconds <= 0 or a.seconds > MAX_SECONDS:
        sys.exit("flood: the rate must be positive and the time at most %d s" % MAX_SECONDS)
    if a.rate * a.seconds > MAX_DATAGRAMS:
        sys.exit("flood: at most %d datagrams" % MAX_DATAGRAMS)
    start = time.monotonic()
    if a.mode == "requests":
        count = send_requests(a.rate, a.seconds, a.base)
    else:
        count = send_junk(a.rate, a.seconds)
    print("%s: %d datagrams in %.2f s" % (a.mode, count, time.monotonic() - start))


if __name__ == "__main__":
    main()
