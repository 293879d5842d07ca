"""The soak run's record of each server life and the checks made on it."""

import os
import re
import signal
import threading
import time

PORTS = ["COM1", "COM2", "COM3", "COM4"]
# A silent unit is given up after resends at 1, 2, 4 and 8 s and a last wait of 16 s,
# each seen on a one-second timer tick: this long after the unit starts, at the latest.
NET_GIVE_UP_S = 42.0
SETTINGS_KEYS = [
    "BOOTFILE", "BOOTNET", "BOOTSERIAL", "COMOPENALLPORTS", "COMPORT", "COMBAUD",
    "COMPROTOCOL", "COMAUTOMENU", "NETTYPE", "NETNODE", "NETCACHE", "NETDHCP", "NETIP",
    "NETIPMASK", "TRANAUTOSTART", "TRANCLOSEDONE", "TERMINAL", "WIZARDMODE",
]
NET_KINDS = ["plain", "plain", "plain", "silent", "drop_ack", "new_port", "repeat", "no_jump"]
SERIAL_KINDS = ["plain", "plain", "plain", "no_menu", "bad_checksum", "split", "text", "hangup",
                "stall"]
SANITIZER = re.compile(rb"ERROR: (Address|Leak|Thread)Sanitizer|WARNING: ThreadSanitizer|"
                       rb"runtime error:")


def now():
    return time.monotonic()


class Unit:
    def __init__(self, kind, serial, proc, started, label, address=None):
        self.kind = kind
        self.serial = serial
        self.proc = proc
        self.started = started
        self.label = label  # the unit's name (network) or port (serial)
        self.address = address
        self.ended = None
        self.rc = None
        self.window_end = None  # serial: when the next unit on the port started

    def poll(self):
        if self.ended is None and self.proc.poll() is not None:
            self.ended = now()
            self.rc = self.proc.returncode
        return self.ended is not None


class Run:
    """One life of orxboot: its settings, its log, its samples and its units."""

    def __init__(self, index, config):
        self.index = index
        self.config = config
        self.log = []  # (time, line)
        self.log_lock = threading.Lock()
        self.ends = {}  # transfer name -> times its end was logged
        self.samples = []  # (time, rss_kb, threads, fds)
        self.units = []
        self.failures = []
        self.verified = {}  # what was checked to the letter, by kind of check
        self.started = self.ready = self.stopped = self.exited = None
        self.rc = None

    def lines(self):
        with self.log_lock:
            return list(self.log)

    def has_line(self, text):
        with self.log_lock:
            return any(line == text for _, line in self.log)

    def fail(self, text):
        self.failures.append(text)

    def verify(self, what):
        self.verified[what] = self.verified.get(what, 0) + 1



def check_settings(run, path):
    """All 18 keys as configured, the section it does not own kept, no temporary file left."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
    except OSError as e:
        run.fail("settings file unreadable: %s" % e)
        return
    values, section, seen = {}, None, set()
    for raw in text.splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].upper()
        elif "=" in line and not line.startswith(";") and section == "PARAMS":
            key, value = line.split("=", 1)
            key = key.strip().upper()
            if key in seen:
                run.fail("settings key %s twice" % key)
            seen.add(key)
            values[key] = value.strip()
    for key in SETTINGS_KEYS:
        if key not in values:
            run.fail("settings key %s missing after the stop" % key)
        elif values[key] != str(run.config[key]):
            run.fail("settings key %s is '%s', configured '%s'" %
                     (key, values[key], run.config[key]))
    if "[OTHER]" not in text or "KEEP=1" not in text:
        run.fail("settings file lost a section it does not own")
    folder, name = os.path.split(path)
    leftovers = [n for n in os.listdir(folder) if n.startswith(name + ".")]
    if leftovers:
        run.fail("temporary settings files left: %s" % leftovers)


def check_run(run, sanitized):
    lines = run.lines()
    texts = [line for _, line in lines]
    if run.rc not in (0, -signal.SIGTERM) or (run.rc != 0 and texts):
        run.fail("orxboot exit status %s" % run.rc)
    if run.ready is not None and texts.count("All servers halted") != 1:
        run.fail("'All servers halted' %d times" % texts.count("All servers halted"))
    check_resources(run, sanitized)
    for u in run.units:
        if u.serial:
            check_serial_unit(run, u, lines)
        else:
            check_net_unit(run, u, texts)
    bad_sums = [u for u in run.units if u.serial and u.kind == "bad_checksum"]
    clean = [u for u in bad_sums if uninterrupted(run, u)]
    n = texts.count("Serial Boot checksum mismatch")
    if not len(clean) <= n <= len(bad_sums):
        run.fail("%d checksum mismatches logged for %d units that sent one (%d interrupted)"
                 % (n, len(bad_sums), len(bad_sums) - len(clean)))
    # Every serial report belongs to a unit on that port.
    for port in PORTS:
        windows = [(u.started, u.window_end or float("inf")) for u in run.units
                   if u.serial and u.label == port]
        for t, line in lines:
            if line.startswith(port + ": Transfer ") and not any(
                    a <= t < b for a, b in windows):
                run.fail("report with no unit on the line: '%s'" % line)

def uninterrupted(run, unit):
    """Whether the unit lived and was accounted for wholly before the stop."""
    if unit.serial:
        return unit.window_end is not None and unit.window_end <= run.stopped
    return unit.ended is not None and unit.ended < run.stopped - 0.5

def check_net_unit(run, u, texts):
    done = texts.count(u.label + ": Transmission completed.")
    failed = texts.count(u.label + ": Failed Transfer")
    if done + failed > 1:
        run.fail("%s (%s): reported %d times" % (u.label, u.kind, done + failed))
    if u.kind in ("silent", "no_jump"):
        if done:
            run.fail("%s (%s): reported as completed" % (u.label, u.kind))
        if run.stopped - u.started > NET_GIVE_UP_S:
            run.verify("network failures reported once")
            if failed != 1:
                run.fail("%s (%s): failure reported %d times" % (u.label, u.kind, failed))
        expected_rc = 3 if u.kind == "silent" else 0
        if run.stopped - u.started > NET_GIVE_UP_S and u.rc != expected_rc:
            run.fail("%s (%s): unit exit status %s" % (u.label, u.kind, u.rc))
        return
    if uninterrupted(run, u):
        run.verify("network completions checked")
        if u.rc != 0:
            run.fail("%s (%s): unit exit status %s" % (u.label, u.kind, u.rc))
        if done != 1 or failed:
            run.fail("%s (%s): completed %d, failed %d times" % (u.label, u.kind, done,
                                                                 failed))
    else:
        run.verify("units cut short by a stop")
        if u.rc == 0 and failed:
            run.fail("%s (%s): received the image yet reported failed" % (u.label, u.kind))

def check_serial_unit(run, u, lines):
    end = u.window_end or float("inf")
    mine = [line for t, line in lines if u.started <= t < end]
    done = mine.count("%s: Transfer Complete" % u.label)
    failed = mine.count("%s: Transfer Failed" % u.label)
    starts = mine.count("%s: Starting Transfer" % u.label)
    if done + failed > 1 or starts > 1:
        run.fail("%s unit (%s): started %d, reported %d times" % (u.label, u.kind, starts,
                                                                done + failed))
    if not uninterrupted(run, u):
        run.verify("units cut short by a stop")
        if u.rc == 0 and u.kind not in ("hangup", "stall") and failed:
            run.fail("%s unit (%s): received the image yet reported failed" %
                     (u.label, u.kind))
        return
    if u.rc != 0:
        run.fail("%s unit (%s): unit exit status %s" % (u.label, u.kind, u.rc))
    expect_fail = u.kind in ("hangup", "stall")
    run.verify("serial failures reported once" if expect_fail else
               "serial completions checked")
    if (done, failed) != ((0, 1) if expect_fail else (1, 0)):
        run.fail("%s unit (%s): completed %d, failed %d times" % (u.label, u.kind, done,
                                                                failed))
    if expect_fail and mine.count("%s: No response from unit (CR)" % u.label) != 1:
        run.fail("%s unit (%s): no 'No response from unit (CR)'" % (u.label, u.kind))

def check_resources(run, sanitized):
    samples = [s for s in run.samples if run.ready and s[0] >= run.ready]
    if len(samples) < 4:
        return
    base_threads, base_fds = samples[0][2], samples[0][3]
    late = samples[len(samples) // 2:]
    # A port that hung up ends its worker, and NETCACHE runs a command now and then.
    if max(s[2] for s in late) > base_threads + 1:
        run.fail("threads grew from %d to %d" % (base_threads, max(s[2] for s in late)))
    if min(s[3] for s in late) > base_fds + 2:
        run.fail("descriptors grew from %d to %d" % (base_fds, min(s[3] for s in late)))
    if samples[-1][0] - samples[0][0] >= 60:
        settled = [s[1] for s in samples if s[0] >= samples[0][0] + 10]
        quarter = max(1, len(settled) // 4)
        first = sum(settled[:quarter]) / quarter
        last = sum(settled[-quarter:]) / quarter
        run.rss_growth_kb = last - first
        if last - first > 4096 and not sanitized:
            run.fail("memory grew by %.0f KiB within the run" % (last - first))

def summary(runs, seconds, seed, sanitized, junk_sent):
    """Prints what was done and checked; True when every check held."""
    units = [u for r in runs for u in r.units]

    def count(serial, kinds=None, rc=None):
        return sum(1 for u in units if u.serial == serial and
                   (kinds is None or u.kind in kinds) and (rc is None or u.rc == rc))

    all_lines = [line for r in runs for _, line in r.lines()]
    net_done = sum(1 for x in all_lines if x.endswith(": Transmission completed."))
    net_failed = sum(1 for x in all_lines if x.endswith(": Failed Transfer"))
    ser_done = sum(1 for x in all_lines if re.match(r"COM\d: Transfer Complete$", x))
    ser_failed = sum(1 for x in all_lines if re.match(r"COM\d: Transfer Failed$", x))
    stop_times = [r.exited - r.stopped for r in runs if r.exited]
    ready = [r for r in runs if r.ready and r.samples]
    peaks = [max(s[1] for s in r.samples) for r in ready]
    threads = [max(s[2] for s in r.samples) for r in ready]
    fds = [max(s[3] for s in r.samples) for r in ready]
    growth = [r.rss_growth_kb for r in runs if hasattr(r, "rss_growth_kb")]
    failures = sum(len(r.failures) for r in runs)
    print("== soak summary (%.1f min, seed %d%s)" % (
        seconds / 60, seed, ", sanitized build" if sanitized else ""))
    print("server lives: %d (%d stopped during start-up, %d sent a second SIGTERM while "
          "ending); SIGTERM to exit: max %.2f s, mean %.2f s" %
          (len(runs), sum(1 for r in runs if r.ready is None),
           sum(1 for r in runs if getattr(r, "second_signal", False)),
           max(stop_times, default=0), sum(stop_times) / max(1, len(stop_times))))
    print("network units: %d started, %d received the whole image; server logged %d "
          "completed, %d failed" % (count(False), count(False, rc=0), net_done, net_failed))
    for kind in sorted(set(NET_KINDS)):
        print("  %-12s %4d units, %4d exit 0" % (kind, count(False, [kind]),
                                                count(False, [kind], 0)))
    print("serial units: %d started, %d ended as asked; server logged %d complete, %d "
          "failed, %d checksum mismatches" %
          (count(True), count(True, rc=0), ser_done, ser_failed,
           all_lines.count("Serial Boot checksum mismatch")))
    for kind in sorted(set(SERIAL_KINDS)):
        print("  %-12s %4d units, %4d exit 0" % (kind, count(True, [kind]),
                                                count(True, [kind], 0)))
    print("junk datagrams: %d" % junk_sent)
    verified = {}
    for r in runs:
        for what, n in r.verified.items():
            verified[what] = verified.get(what, 0) + n
    for what in sorted(verified):
        print("  %-34s %5d" % (what + ":", verified[what]))
    if peaks:
        print("VmRSS peak per life: first %d KiB, last %d KiB, min %d, max %d; largest "
              "growth within a life of 60 s or more: %s KiB" %
              (peaks[0], peaks[-1], min(peaks), max(peaks),
               "%.0f" % max(growth) if growth else "n/a"))
        print("threads: max %d; descriptors: max %d" % (max(threads), max(fds)))
    print("checks failed: %d" % failures)
    return failures == 0


