#!/usr/bin/env python3
"""Hostile serial lines for the benchmark (run by hostile_serial.sh). Every line is a
null-modem cable of two pseudo-terminals (scripts/soak_lines.py): the server's end is
linked as COMn, a simulated unit talks on the other.

  storm:  random bytes, broken boot requests and boot-menu prompts flood COM1 for STORM_S
          seconds (at most STORM_BYTES), while a unit boots on COM2 (a pseudo-terminal of
          its own, no relay); then a unit boots on COM1 itself. Both are timed against the
          same unit on the same line before the storm.
  pulled: COM3's server end is closed and its link removed in the middle of a download
          (a USB adapter pulled), left gone for ABSENT_S seconds, then made again under
          the same name; a unit must boot on it, PULLS times.

Every unit checks the whole image byte for byte. Usage: serial_hostile.py BUILD WORK"""
import os
import random
import select
import signal
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from soak_lines import Line, Relay  # noqa: E402

STORM_S = 5.0
STORM_BYTES = 64 * 1048576
ABSENT_S = 3.0
PULLS = 3
UNIT_TIMEOUT_MS = 30000


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def seconds(t):
    return "%.2f" % t if t is not None else "FAILED"


def storm_chunk(rng):
    """What a line picking up noise, or a unit gone mad, might send."""
    kind = rng.randrange(4)
    if kind == 0:
        return bytes(rng.randrange(256) for _ in range(rng.randrange(1, 512)))
    if kind == 1:  # a boot request whose checksum is wrong
        body = bytes(rng.randrange(256) for _ in range(rng.randrange(0, 40)))
        return b"\xAA\x55\x55\xAA\x00\x00" + body + b"\x5A\xA5\x0A\x1A"
    if kind == 2:
        return b"Press any key\r\n"
    return b"\xAA\x55\x55\xAA\x00\x00" + bytes(rng.randrange(256) for _ in range(300))


class Bench:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.image = os.path.join(build, "samples", "1m.bin")
        self.comdir = os.path.join(work, "ports")
        os.makedirs(self.comdir)
        self.lines = {p: Line(self.comdir, p) for p in ("COM1", "COM3")}
        self.relay = Relay(list(self.lines.values()))
        self.relay.start()
        self.server = None
        self.failed = False
        # Two units one after another on COM2, each started by a line on its input.
        self.beside = subprocess.Popen(
            [os.path.join(build, "orxunit"), "serial", "--make-pty",
             os.path.join(self.comdir, "COM2"), "--image", self.image, "--units", "2",
             "--on-cue", "--timeout", str(UNIT_TIMEOUT_MS)], stdin=subprocess.PIPE,
            stdout=open(os.path.join(work, "unit-COM2.out"), "w"), stderr=subprocess.STDOUT)
        self.wait_for(lambda: os.path.islink(os.path.join(self.comdir, "COM2")), 10)

    def start_server(self):
        with open(os.path.join(self.work, "orxboot.ini"), "w") as f:
            f.write("[PARAMS]\nBOOTFILE=%s\nBOOTSERIAL=1\nBOOTNET=0\nCOMOPENALLPORTS=1\n"
                    "COMAUTOMENU=1\nCOMPROTOCOL=0\nTRANCLOSEDONE=0\nWIZARDMODE=0\n" % self.image)
        env = dict(os.environ, ORXBOOT_COMDIR=self.comdir, XDG_CONFIG_HOME=self.work,
                   XDG_RUNTIME_DIR=self.work)
        self.out_path = os.path.join(self.work, "out.log")
        self.server = subprocess.Popen(
            [os.path.join(self.build, "orxboot"), "--headless"], cwd=self.work, env=env,
            stdout=open(self.out_path, "w"), stderr=open(os.path.join(self.work, "err.log"), "w"))
        self.wait_for(lambda: self.count("Serial port 'COM3' ready...") >= 1, 10)

    def log(self):
        with open(self.out_path, errors="replace") as f:
            return f.read().splitlines()

    def count(self, text):
        return self.log().count(text)

    def wait_for(self, fn, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if fn():
                return True
            time.sleep(0.01)
        return fn()

    def start_unit(self, port, timeout_ms=UNIT_TIMEOUT_MS):
        out = open(os.path.join(self.work, "unit-%s.out" % port), "w")
        return subprocess.Popen(
            [os.path.join(self.build, "orxunit"), "serial", "--port", self.lines[port].unit_path,
             "--image", self.image, "--timeout", str(timeout_ms)],
            stdout=out, stderr=subprocess.STDOUT), time.monotonic()

    def cue_beside(self):
        """Starts the next unit on COM2; a function that waits for its end gives its time,
        taken when the unit has checked its image."""
        def matched():
            with open(os.path.join(self.work, "unit-COM2.out")) as f:
                return f.read().count("every byte matched")
        done, took = matched(), []
        started = time.monotonic()
        self.beside.stdin.write(b"\n")
        self.beside.stdin.flush()

        def watch():
            if self.wait_for(lambda: matched() > done, 60):
                took.append(time.monotonic() - started)
        watcher = threading.Thread(target=watch)
        watcher.start()

        def finish():
            watcher.join()
            if took:
                return took[0]
            print("COM2: the unit did not complete")
            self.failed = True
            return None
        return finish

    def finish_unit(self, unit, what):
        """Seconds the unit took to its checked image; None when it failed."""
        proc, started = unit
        rc = proc.wait(timeout=UNIT_TIMEOUT_MS / 1000 + 10)
        took = time.monotonic() - started
        if rc != 0:
            print("%s: the unit FAILED (exit %d)" % (what, rc))
            self.failed = True
            return None
        return took

    def boot(self, port, what):
        self.relay.request(self.lines[port].flush_unit_end)
        return self.finish_unit(self.start_unit(port), what)

    def storm(self):
        quiet_beside = self.cue_beside()()
        quiet = self.boot("COM1", "before the storm")
        line = self.lines["COM1"]
        lines_before = len(self.log())
        cpu_before = cpu_seconds(self.server.pid)
        beside = self.cue_beside()
        rng = random.Random(16)
        noise = b"".join(storm_chunk(rng) for _ in range(4096))  # made before the clock runs
        sent, pending = 0, b""
        started = time.monotonic()
        while time.monotonic() - started < STORM_S and sent < STORM_BYTES:
            if not pending:
                pending = noise
            # The keys the server types in answer go nowhere: no unit listens yet.
            readable, writable, _ = select.select([line.unit_slave], [line.server_master], [], 0.1)
            if readable:
                os.read(line.unit_slave, 65536)
            if writable:
                try:
                    n = os.write(line.server_master, pending)
                    sent += n
                    pending = pending[n:]
                except BlockingIOError:
                    pass
        storm_s = time.monotonic() - started
        cpu = cpu_seconds(self.server.pid) - cpu_before
        during = beside()
        time.sleep(1.5)  # a menu answer to the last prompt may still be typing
        added = [t for t in self.log()[lines_before:] if t.startswith("COM1:") or ":" not in t]
        after = self.boot("COM1", "after the storm, on its line")
        print("storm: %.1f MiB in %.1f s (%.1f MiB/s, %.0f times a 115200 baud line) on COM1"
              % (sent / 1048576, storm_s, sent / 1048576 / storm_s, sent / storm_s / 11520))
        print("  server CPU %.0f %% of a core, %.2f s per MiB of storm"
              % (100 * cpu / storm_s, cpu / (sent / 1048576)))
        print("  log lines it made: %d (%d checksum mismatches, %d menus driven)"
              % (len(added), added.count("Serial Boot checksum mismatch"),
                 added.count("COM1: Serial Boot detected.")))
        self.beside.stdin.close()
        if self.beside.wait(timeout=10) != 0:
            print("COM2: a unit FAILED")
            self.failed = True
        print("  1 MiB unit beside it (own pty): quiet %s s, during the storm %s s"
              % tuple(seconds(t) for t in (quiet_beside, during)))
        print("  1 MiB unit on COM1 (relayed): before the storm %s s, after it %s s"
              % tuple(seconds(t) for t in (quiet, after)))

    def pull(self, line):
        os.close(line.server_master)
        os.close(line.server_slave)
        os.unlink(line.link)
        line.to_unit.clear()
        line.to_server.clear()
        line.server_master = line.server_slave = -1

    def pulled(self):
        line = self.lines["COM3"]
        relay_lines = self.relay.lines
        returns, absent_cpu, boots = [], [], []
        for n in range(PULLS):
            victim = self.start_unit("COM3", 2000)
            self.wait_for(lambda: self.count("COM3: Starting Transfer") == 2 * n + 1, 10)
            time.sleep(0.2)  # the download is under way
            self.relay.request(lambda: (relay_lines.remove(line), self.pull(line)))
            victim[0].wait(timeout=UNIT_TIMEOUT_MS / 1000 + 10)  # it fails, as it should
            lost = self.wait_for(lambda: self.count("COM3: Input/output error (5)") == n + 1, 5)
            cpu_before = cpu_seconds(self.server.pid)
            time.sleep(ABSENT_S)
            absent_cpu.append(cpu_seconds(self.server.pid) - cpu_before)
            ready = self.count("Serial port 'COM3' ready...")
            self.relay.request(lambda: (line.make_server_end(), relay_lines.append(line)))
            plugged = time.monotonic()
            if not lost or not self.wait_for(
                    lambda: self.count("Serial port 'COM3' ready...") == ready + 1, 5):
                print("pull %d: the port was not told lost once, or did not come back" % n)
                self.failed = True
            returns.append(time.monotonic() - plugged)
            boots.append(self.boot("COM3", "after return %d" % (n + 1)))
        lost_lines = self.count("COM3: Input/output error (5)")
        print("pulled: COM3 gone for %.0f s mid-download, %d times; told %d times; back in"
              " %s s; server CPU while gone %.2f %% of a core"
              % (ABSENT_S, PULLS, lost_lines, "/".join("%.2f" % r for r in returns),
                 100 * max(absent_cpu) / ABSENT_S))
        print("  1 MiB unit after each return: %s s" % "/".join(seconds(t) for t in boots))

    def run(self):
        self.start_server()
        try:
            self.storm()
            self.pulled()
        finally:
            self.server.send_signal(signal.SIGTERM)
            rc = self.server.wait(timeout=10)
            self.relay.stop()
        if rc != 0:
            print("orxboot exited %d" % rc)
            self.failed = True
        print("serial hostile bench: %s" % ("FAILED" if self.failed else
                                            "every unit booted byte for byte"))
        return 1 if self.failed else 0


if __name__ == "__main__":
    sys.exit(Bench(sys.argv[1], sys.argv[2]).run())
