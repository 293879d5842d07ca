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
    req[0:4], req[10:16], req[37:37 + len(name)] = b"EDBG", prefix + b"\x01\x02\x03", name
    return bytes(req)


def net(unit, port, data):
    """A datagram record of the network receive target: control byte, length, bytes."""
    return bytes([unit | port << 2, len(data)]) + data


def ticks(n, quarter_seconds=63):
    return bytes([0x80 | quarter_seconds]) * n


ACK = b"\x00\x04\x00\x00"


def serial_request(name=b"", flag=0):
    name = name if flag > 0 else b""
    body = b"\x00\x00" + struct.pack("<hi", 5 + len(name), flag) + name
    return b"\xaa\x55\x55\xaa" + body + bytes([(0xFF - sum(body)) & 0xFF]) + b"\x5a\xa5\x0a\x1a"


SEEDS = {
    "fuzz_settings": [
        b"[PARAMS]\nBOOTFILE=C:\\img\\a.bin\nBOOTNET=1\nNETIP=-939415360\n",
        b"; comment\n[other]\nx=1\n[params]\r\nbootfile0=a\r\nBOOTFILE2=c\r\nCOMBAUD=9600abc\r\n",
        b"garbage\n[PARAMS\nNETNODE=\n=x\n",
        # Settings, then command-line arguments after a NUL byte.
        b"[PARAMS]\nCOMPORT=COM2\n\x00/fC:\\img\\x.bin\x00/n\x00/cCOM3",
        b"\x00-B9600\x00fast.bin\x00/w0\x00/b0\x00/c\x00/t",
    ],
    # A settings byte, then records. One unit to the end; two at once, the second from a new
    # port, then silent; single-unit mode refusing another name; a device of another maker.
    "fuzz_net_receive": [
        b"\x00" + net(0, 0, boot_request(b"ORXHV7410")) + net(0, 0, ACK) * 5,
        b"\x00" + net(0, 0, boot_request(b"A")) + net(1, 1, boot_request(b"B")) +
        net(0, 0, ACK) + net(1, 2, ACK) + net(0, 0, ACK) * 4 + ticks(8),
        b"\x24" + net(2, 0, boot_request(b"OTHER")) + net(3, 0, boot_request(b"orxhv7410")) +
        net(3, 0, boot_request(b"x")) + net(3, 0, ACK) + ticks(3, 4),
        b"\x00" + net(1, 0, boot_request(b"ORXHV7410", prefix=b"\x00\x11\x22")),
    ],
    "fuzz_newboot": [b"newboot lab\x00", b"newboot ", b"newboot \x00", b"x" * 300],
    # The bytes from a sync byte on, as the port worker gathers them.
    "fuzz_serial_request": [serial_request(), serial_request(b"HV7", 1), serial_request()[:9],
                            serial_request(b"HV7UNIT", 1)[:-1] + b"\x00" * 8,
                            bytes([0xAA, 0x55, 0x55, 0xAA, 0, 0, 9, 0, 1, 0, 0, 0]) + b"\x5a\xa5\x0a\x1a"],
    "fuzz_record_index": [image_body([(0x200, b"ab" * 20), (0x100, b"c" * 7)]), image_body([]),
                          image_body([(0x80000000, b"z"), (1, b"y")])[:-5]],
    # Overlapping records, a bad checksum and bytes after the end record.
    "fuzz_image_info": [image_body([(0x100, b"ab" * 9), (0x108, b"c" * 20)]) + b"xyz",
                        image_body([(0x80000000, b"z")]).replace(b"z", b"y", 1),
                        image_body([(0x200, b"q" * 30), (0x100, b"")])],
    "fuzz_terminal_text": [b"Hello\r\nWorld\x1b[2J\x08\x00\xff"],
    # A history line as written, one torn, and escapes a hand might write.
    "fuzz_history_line": [
        b'{"start": "2024-05-01T10:22:33+02:00", "end": "2024-05-01T10:22:35+02:00", '
        b'"unit": "ORXHV74101", "method": "NET", "ip": "10.0.0.5", "mac": null, '
        b'"image": "/i/a.bin", "image_size": 70000, "sha256": "ab", "bytes_sent": 70000, '
        b'"duration_ms": 2000, "rate": 35000, "result": "completed", "reason": null}',
        b'{"start": "x", "end": "y", "unit": "COM1", "result": "failed", "reason": "line',
        b'{"a\u00e9\ud83d\ude00": -1.5e3, "b": true, "c": "\\\"\t"}',
    ],
}

for target, seeds in SEEDS.items():
    folder = pathlib.Path(sys.argv[1], target)
    folder.mkdir(parents=True, exist_ok=True)
    for i, seed in enumerate(seeds):
        (folder / ("seed%d" % i)).write_bytes(seed)
