#!/usr/bin/env python3
"""Writes a small seed corpus for every fuzz target into <dir>/<target>/."""
import pathlib
import struct
import sys


def image_body(records, entry=0x80001000):
    """An image without its signature: the image targets write that themselves."""
    out = bytearray(struct.pack("<II", 0x80000000, 0x1000))
    for addr, data in records:
        out += struct.pack("<III", addr, len(data), sum(data) & 0xFFFFFFFF) + data
    return bytes(out + struct.pack("<III", 0, entry, 0))


def boot_request(name, prefix=b"\x02\x4f\x52"):
    req = bytearray(64)
    req[0:4] = b"EDBG"
    req[10:13] = prefix
    req[13:16] = b"\x01\x02\x03"
    req[37:37 + len(name)] = name
    return bytes(req)


def net_record(unit, port, data):
    """A datagram record of the network receive target: control byte, length, bytes."""
    assert len(data) < 256
    return bytes([unit | port << 2, len(data)]) + data


def ticks(n, quarter_seconds=63):
    """n retransmit timer ticks, each after the given quarters of a second."""
    return bytes([0x80 | quarter_seconds]) * n


ACK = b"\x00\x04\x00\x00"


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
        # Settings, then command-line arguments after a NUL byte.
        b"[PARAMS]\nCOMPORT=COM2\n\x00/fC:\\img\\x.bin\x00/n\x00/cCOM3",
        b"\x00-B9600\x00fast.bin\x00/w0\x00/b0\x00/c\x00/t",
    ],
    # A settings byte, then records of a control byte, a length byte and the data.
    "fuzz_net_receive": [
        # One unit served to the end.
        b"\x00" + net_record(0, 0, boot_request(b"ORXHV7410")) + net_record(0, 0, ACK) * 5,
        # Two units at once; the second answers from a new port, then falls silent.
        b"\x00" + net_record(0, 0, boot_request(b"A")) + net_record(1, 1, boot_request(b"B")) +
        net_record(0, 0, ACK) + net_record(1, 2, ACK) + net_record(0, 0, ACK) * 4 + ticks(8),
        # Single-unit mode: another name is refused, the named unit repeats its request.
        b"\x24" + net_record(2, 0, boot_request(b"OTHER")) +
        net_record(3, 0, boot_request(b"orxhv7410")) + net_record(3, 0, boot_request(b"x")) +
        net_record(3, 0, ACK) + ticks(3, 4),
        # A device of another maker.
        b"\x00" + net_record(1, 0, boot_request(b"ORXHV7410", prefix=b"\x00\x11\x22")),
    ],
    "fuzz_newboot": [b"newboot lab\x00", b"newboot ", b"newboot \x00", b"x" * 300],
    # The bytes from a sync byte on, as the port worker gathers them.
    "fuzz_serial_request": [serial_request(), serial_request(b"HV7", 1), serial_request()[:9],
                            serial_request(b"HV7UNIT", 1)[:-1] + b"\x00" * 8,
                            bytes([serial_request(b"HV7", 1)[0]]) +
                            bytes([0x55, 0x55, 0xAA, 0, 0, 9, 0, 1, 0, 0, 0]) + b"\x5a\xa5\x0a\x1a"],
    "fuzz_record_index": [image_body([(0x200, b"ab" * 20), (0x100, b"c" * 7)]), image_body([]),
                          image_body([(0x80000000, b"z"), (1, b"y")])[:-5]],
    # Overlapping records, a bad checksum and bytes after the end record.
    "fuzz_image_info": [image_body([(0x100, b"ab" * 9), (0x108, b"c" * 20)]) + b"xyz",
                        image_body([(0x80000000, b"z")]).replace(b"z", b"y", 1),
                        image_body([(0x200, b"q" * 30), (0x100, b"")])],
    "fuzz_terminal_text": [b"Hello\r\nWorld\x1b[2J\x08\x00\xff"],
}


for target, seeds in SEEDS.items():
    folder = pathlib.Path(sys.argv[1], target)
    folder.mkdir(parents=True, exist_ok=True)
    for i, seed in enumerate(seeds):
        (folder / ("seed%d" % i)).write_bytes(seed)
