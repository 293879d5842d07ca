#!/usr/bin/env python3
"""Soak run of orxboot --headless, meant to run inside a private network namespace (see
scripts/soak.sh). For the given minutes, simulated units boot again and again over the
network (some fall silent, some acknowledge from new ports, some repeat their boot
request, some never answer the jump, junk datagrams in between) and over four serial lines
(some hang up or stall mid-download, some first send a bad checksum; a line hung up is
plugged in again and served after its return), while orxboot is
stopped by SIGTERM and started again at random moments with new settings.

It checks that every unit that finished received the image byte for byte (the units
verify), that every failed transfer was reported once and no good one was reported as
failed, that orxboot ends promptly after each SIGTERM, holds no more threads or
descriptors late in a run than early, does not grow in memory, and leaves an intact
settings file. Prints a summary; exit status 1 when any check failed."""

import argparse
import os
import random
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

from soak_checks import (NET_KINDS, PORTS, SANITIZER, SERIAL_KINDS, SETTINGS_KEYS, Run, Unit,
                         check_run, check_settings, now, summary)
from soak_lines import JunkSender, Line, Relay

STOP_LIMIT_S = 5.0  # orxboot must be gone this long after SIGTERM
SERIAL_GRACE_S = 15.0  # a serial unit's end is logged within this after the unit ends
NET_UNIT_TIMEOUT_S = 8
SERIAL_UNIT_TIMEOUT_MS = 8000


def stored_address(dotted):
    """An address as the settings file holds it: its bytes read least significant first."""
    value = struct.unpack("<I", socket.inet_aton(dotted))[0]
    return value - (1 << 32) if value >= 1 << 31 else value


class Soak:
    """Lives of the server one after the other, units started and checked in each."""

    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.build = args.build
        self.top = tempfile.mkdtemp(prefix="orx-soak-")
        self.workdir = os.path.join(self.top, "server")
        self.comdir = os.path.join(self.top, "ports")
        for d in (self.workdir, self.comdir, os.path.join(self.workdir, "run"),
                  os.path.join(self.workdir, "cfg"), os.path.join(self.top, "units")):
            os.makedirs(d, exist_ok=True)
        self.image = os.path.join(self.top, "soak.bin")
        subprocess.run([os.path.join(self.build, "orx-mkimage"), "--size", "262144",
                        "--records", "8", "--seed", "7", "--out", self.image], check=True,
                       stdout=subprocess.DEVNULL)
        self.lines = [Line(self.comdir, p) for p in PORTS]
        self.relay = Relay(self.lines)
        self.junk = JunkSender(args.seed + 1)
        self.runs = []
        # A sanitizer's own bookkeeping grows by design: memory is then only reported.
        libs = subprocess.run(["ldd", os.path.join(self.build, "orxboot")], text=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        self.sanitized = re.search(r"lib[at]san", libs) is not None
        self.unit_count = 0
        self.free_addresses = []

    # -- settings --

    def make_config(self):
        rng = self.rng
        return {
            "BOOTFILE": self.image, "BOOTNET": 1, "BOOTSERIAL": 1, "COMOPENALLPORTS": 1,
            "COMPORT": "COM1", "COMBAUD": rng.choice([57600, 115200, 230400]),
            "COMPROTOCOL": rng.choice([0, 1]), "COMAUTOMENU": rng.choice([0, 1, 1]),
            "NETTYPE": 0, "NETNODE": rng.choice(["ORXHV7410", "HV7SOAK"]),
            "NETCACHE": rng.choice([0, 1]), "NETDHCP": rng.choice([0, 1]),
            "NETIP": stored_address("192.168.7.%d" % rng.randrange(2, 254)),
            "NETIPMASK": stored_address(rng.choice(["255.255.255.0", "255.255.0.0"])),
            "TRANAUTOSTART": rng.choice([0, 1]), "TRANCLOSEDONE": 0,
            "TERMINAL": rng.choice([0, 1]), "WIZARDMODE": rng.choice([0, 1]),
        }

    def err_path(self, run):
        return os.path.join(self.top, "orxboot-%d.err" % run.index)

    def settings_path(self):
        return os.path.join(self.workdir, "orxboot.ini")

    def write_settings(self, config):
        with open(self.settings_path(), "w") as f:
            f.write("; soak settings\n[PARAMS]\n")
            for key in SETTINGS_KEYS:
                f.write("%s=%s\n" % (key, config[key]))
            f.write("[OTHER]\nKEEP=1\n")

    # -- the server --

    def start_server(self, run):
        for line in self.lines:
            self.relay.request(line.flush_server_end)
        env = dict(os.environ, ORXBOOT_COMDIR=self.comdir,
                   XDG_RUNTIME_DIR=os.path.join(self.workdir, "run"),
                   XDG_CONFIG_HOME=os.path.join(self.workdir, "cfg"))
        err = open(self.err_path(run), "wb")
        run.started = now()
        run.proc = subprocess.Popen([os.path.join(self.build, "orxboot"), "--headless"],
                                    cwd=self.workdir, env=env, stdout=subprocess.PIPE,
                                    stderr=err, stdin=subprocess.DEVNULL)
        err.close()
        run.reader = threading.Thread(target=self.read_log, args=(run,), daemon=True)
        run.reader.start()
        run.sampler = threading.Thread(target=self.sample, args=(run,), daemon=True)
        run.sampler.start()

    END_LINE = re.compile(r"(.*): (Transmission completed\.|Failed Transfer|Transfer Complete|"
                          r"Transfer Failed)$")

    @staticmethod
    def read_log(run):
        for raw in run.proc.stdout:
            line = raw.decode("latin-1").rstrip("\n")
            t = now()
            with run.log_lock:
                run.log.append((t, line))
                m = Soak.END_LINE.match(line)
                if m:
                    run.ends.setdefault(m.group(1), []).append(t)

    @staticmethod
    def sample(run):
        pid = run.proc.pid
        while run.proc.poll() is None:
            try:
                rss = threads = None
                with open("/proc/%d/status" % pid) as f:
                    for line in f:
                        if line.startswith("VmRSS:"):
                            rss = int(line.split()[1])
                        elif line.startswith("Threads:"):
                            threads = int(line.split()[1])
                fds = len(os.listdir("/proc/%d/fd" % pid))
                if rss is not None and threads is not None:
                    run.samples.append((now(), rss, threads, fds))
            except (OSError, ValueError):
                pass
            time.sleep(0.5)

    def wait_ready(self, run, limit):
        end = now() + limit
        wanted = ["Server waiting for boot request..."] + [
            "Serial port '%s' ready..." % p for p in PORTS]
        while now() < end and run.proc.poll() is None:
            if all(run.has_line(w) for w in wanted):
                run.ready = now()
                return True
            time.sleep(0.05)
        return False

    def stop_server(self, run):
        run.stopped = now()
        run.proc.send_signal(signal.SIGTERM)
        if self.rng.random() < 0.5:
            # A second one while it shuts down, perhaps while it saves its settings.
            time.sleep(self.rng.uniform(0, 0.003))
            if run.proc.poll() is None:
                run.proc.send_signal(signal.SIGTERM)
                run.second_signal = True
        try:
            run.rc = run.proc.wait(STOP_LIMIT_S)
        except subprocess.TimeoutExpired:
            run.fail("orxboot still running %.0f s after SIGTERM" % STOP_LIMIT_S)
            run.proc.kill()
            run.rc = run.proc.wait()
        run.exited = now()
        run.reader.join(5)
        run.sampler.join(5)

    # -- units --

    def take_address(self):
        if not self.free_addresses:
            return None
        return self.free_addresses.pop(self.rng.randrange(len(self.free_addresses)))

    def start_net_unit(self, run):
        address = self.take_address()
        if address is None:
            return
        rng = self.rng
        kind = rng.choice(NET_KINDS)
        self.unit_count += 1
        name = "N%05d" % self.unit_count
        options = {
            "plain": [], "silent": ["--silent-after", str(rng.randrange(1, 400))],
            "drop_ack": ["--drop-ack", str(rng.randrange(0, 500))],
            "new_port": ["--new-port-after", str(rng.randrange(1, 500))],
            "repeat": ["--repeat-request"], "no_jump": ["--no-jump-answer"],
        }[kind]
        mac = "02:4F:52:%02X:%02X:%02X" % (rng.randrange(256), rng.randrange(256),
                                           rng.randrange(256))
        out_path = os.path.join(self.top, "units", name)
        out = open(out_path, "wb")
        proc = subprocess.Popen(
            [os.path.join(self.build, "orxunit"), "net", "--server", "127.0.0.1", "--bind",
             address, "--name", name, "--mac", mac, "--image", self.image, "--timeout",
             str(NET_UNIT_TIMEOUT_S)] + options,
            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        out.close()
        run.units.append(Unit(kind, False, proc, now(), name, address))
        run.units[-1].out = out_path

    def serial_options(self, run, kind):
        cfg, rng = run.config, self.rng
        hv6 = cfg["COMPROTOCOL"] != 0
        options = ["--protocol", "hv6" if hv6 else "hv7"]
        if cfg["COMAUTOMENU"] == 0 or kind == "no_menu":
            options.append("--no-menu")
        else:
            options.append("--bootnet")
            if cfg["NETDHCP"]:
                options.append("--dhcp")
            else:
                options += ["--ip", socket.inet_ntoa(struct.pack("<i", cfg["NETIP"])),
                            "--mask", socket.inet_ntoa(struct.pack("<i", cfg["NETIPMASK"]))]
        blocks = 8 if hv6 else 800
        options += {
            "plain": [], "no_menu": [], "bad_checksum": ["--bad-checksum"], "split": ["--split"],
            "text": ["--text-before-lf", "READY"],
            "hangup": ["--hangup-after", str(rng.randrange(1, blocks))],
            "stall": ["--stall-after", str(rng.randrange(1, blocks))],
        }[kind]
        return options

    def start_serial_unit(self, run, line):
        kind = self.rng.choice(SERIAL_KINDS)
        self.relay.request(line.flush_unit_end)
        self.unit_count += 1
        out_path = os.path.join(self.top, "units", "%s-%05d" % (line.name, self.unit_count))
        out = open(out_path, "wb")
        proc = subprocess.Popen(
            [os.path.join(self.build, "orxunit"), "serial", "--port", line.unit_path, "--image",
             self.image, "--timeout", str(SERIAL_UNIT_TIMEOUT_MS)] +
            self.serial_options(run, kind),
            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        out.close()
        unit = Unit(kind, True, proc, now(), line.name)
        unit.out = out_path
        run.units.append(unit)
        return unit

    @staticmethod
    def reported(run, unit):
        with run.log_lock:
            return any(t >= unit.started for t in run.ends.get(unit.label, []))

    # -- one life of the server --

    def run_once(self, run, deadline):
        rng = self.rng
        self.write_settings(run.config)
        self.free_addresses = ["127.0.0.%d" % i for i in range(10, 251)]
        self.start_server(run)
        early = rng.random() < 0.08
        if early:
            length = rng.uniform(0.0, 0.4)
        else:
            length = rng.choice([rng.uniform(5, 40), rng.uniform(40, 150)])
            if not self.wait_ready(run, 15):
                run.fail("orxboot did not get ready")
        stop_at = min(run.started + length, max(deadline, run.started + 1))
        current = {line.name: None for line in self.lines}  # serial unit per port
        dead = set()  # ports hung up since their last unit started
        net_target = rng.randrange(1, 6)
        next_net = now()
        while not early and now() < stop_at and run.proc.poll() is None:
            live_net = [u for u in run.units if not u.serial and not u.poll()]
            if len(live_net) < net_target and now() >= next_net:
                self.start_net_unit(run)
                next_net = now() + rng.uniform(0.1, 1.0)
            for u in run.units:
                if not u.serial and u.address and u.poll() and self.reported(run, u):
                    self.free_addresses.append(u.address)
                    u.address = None
            for line in self.lines:
                unit = current[line.name]
                if unit is not None and unit.poll():
                    if unit.kind == "hangup" and line.name not in dead:
                        self.relay.request(line.hang_up)
                        dead.add(line.name)
                    if self.reported(run, unit) or now() - unit.ended > SERIAL_GRACE_S:
                        unit.window_end = now()
                        current[line.name] = unit = None
                if unit is None and rng.random() < 0.2:
                    dead.discard(line.name)  # its new end is served once orxboot finds it
                    current[line.name] = self.start_serial_unit(run, line)
            time.sleep(0.05)
        self.stop_server(run)
        # Units still busy end by their own time-outs; a hung-up line gets its new end.
        end = now() + 40
        while now() < end and not all(u.poll() for u in run.units):
            time.sleep(0.1)
        for u in run.units:
            if not u.poll():
                run.fail("unit %s (%s) still running long after the stop" % (u.label, u.kind))
                u.proc.kill()
                u.proc.wait()
                u.poll()
            if u.serial and u.kind == "hangup" and u.label not in dead:
                line = next(l for l in self.lines if l.name == u.label)
                self.relay.request(line.hang_up)
                dead.add(u.label)
        check_settings(run, self.settings_path())
        check_run(run, self.sanitized)
        self.keep_evidence(run)

    def keep_evidence(self, run):
        with open(self.err_path(run), "rb") as f:
            if SANITIZER.search(f.read()):
                run.fail("sanitizer report in %s" % self.err_path(run))
        if run.failures:
            with open(os.path.join(self.top, "orxboot-%d.out" % run.index), "w") as f:
                for t, line in run.lines():
                    f.write("%9.3f %s\n" % (t - run.started, line))
            with open(os.path.join(self.top, "units-%d.txt" % run.index), "w") as f:
                for u in run.units:
                    f.write("%9.3f %9s %s %s rc=%s out=%s args=%s\n" % (
                        u.started - run.started,
                        "-" if u.ended is None else "%.3f" % (u.ended - run.started),
                        u.label, u.kind, u.rc, u.out, " ".join(u.proc.args[2:])))
        else:
            os.unlink(self.err_path(run))

    # -- the whole soak --

    def main(self):
        self.relay.start()
        self.junk.start()
        began = now()
        deadline = began + self.args.minutes * 60
        try:
            while now() < deadline:
                run = Run(len(self.runs) + 1, self.make_config())
                self.runs.append(run)
                self.run_once(run, deadline)
                for text in run.failures:
                    print("run %d: FAIL: %s" % (run.index, text), flush=True)
                if self.args.verbose:
                    print("run %d: %.0f s, %d units" % (run.index, run.stopped - run.started,
                                                        len(run.units)), flush=True)
        finally:
            self.junk.stopping.set()
            self.relay.stop()
        ok = summary(self.runs, now() - began, self.args.seed, self.sanitized, self.junk.sent)
        if ok and not self.args.keep:
            shutil.rmtree(self.top, ignore_errors=True)
        else:
            print("files kept in %s" % self.top)
        return 0 if ok else 1


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--build", required=True, help="build folder with orxboot and orxunit")
    p.add_argument("--minutes", type=float, default=30)
    p.add_argument("--seed", type=int, default=int(time.time()) % 100000)
    p.add_argument("--keep", action="store_true", help="keep the work folder")
    p.add_argument("--verbose", action="store_true", help="one line for every server life")
    args = p.parse_args()
    args.build = os.path.abspath(args.build)
    return args


if __name__ == "__main__":
    sys.exit(Soak(parse_args()).main())
