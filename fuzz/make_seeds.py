#!/usr/bin/env python3
"""Writes a small seed corpus for every fuzz target into <dir>/<target>/."""
import os
import struct
import sys


def image(records, entry=0x80001000):
    out = bytearray(b"B000FF\n") + struct.pack("<II", 0x80000000, 0x1000)
    for addr, data in records:
        out += struct.pack("<III", addr, len(data), sum(data) & 0xFFFFFFFF) + data
    out += struct.pack("<III", 0, entry, 0)
    return bytes(out)


def boot_request(name, prefix=b"\x02\x4f\x52"):
    req = bytearray(64)
    req[0:4] = b"EDBG"
    req[10:13] = prefix
    req[13:16] = b"\x01\x02\x03"
    req[37:37 + len(name)] = name
    return bytes(req)


def serial_request(name=b"", flag=0):
    n = 5 + (len(name) if flag > 0 else 0)
    body = bytearray(b"\x00\x00") + struct.pack("<hi", n, flag) + (name if flag > 0 else b"")
    check = (0xFF - sum(body)) & 0xFF
    return b"\xaa\x55\x55\xaa" + bytes(body) + bytes([check]) + b"\x5a\xa5\x0a\x1a"


SEEDS = {
    "fuzz_settings": [
        b"[PARAMS]\nBOOTFILE=C:\\img\\a.bin\nBOOTNET=1\nNETIP=-939415360\n",
        b"; comment\n[other]\nx=1\n[params]\r\nbootfile0=a\r\nBOOTFILE2=c\r\nCOMBAUD=9600abc\r\n",
        b"garbage\n[PARAMS\nNETNODE=\n=x\n",
    ],
    "fuzz_cmdline": [b"/fC:\\img\\x.bin\x00/n\x00/cCOM3", b"-B9600\x00fast.bin\x00/w0", b"/b0\x00/c\x00/t"],
    # A settings byte, then records of a control byte, a length byte and the data.
    "fuzz_net_receive": [b"\x00" + bytes([0, 64]) + boot_request(b"ORXHV7410") +
                         (bytes([0, 4]) + b"\x00\x04\x00\x00") * 5],
    "fuzz_newboot": [b"newboot lab\x00", b"newboot ", b"newboot \x00", b"x" * 300],
    "fuzz_serial_request": [serial_request(), serial_request(b"HV7", 1),
                            b"Press any key\r\n" + serial_request()[:9]],
    "fuzz_record_index": [image([(0x200, b"ab" * 20), (0x100, b"c" * 7)]), image([]),
                          image([(0x80000000, b"z"), (1, b"y")])[:-5]],
    "fuzz_terminal_text": [b"Hello\r\nWorld\x1b[2J\x08\x00\xff"],
}


def main():
    root = sys.argv[1]
    for target, seeds in SEEDS.items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for i, seed in enumerate(seeds):
            with open(os.path.join(folder, "seed%d" % i), "wb") as f:
                f.write(seed)


if __name__ == "__main__":
    main()
