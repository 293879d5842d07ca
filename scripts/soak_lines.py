"""The soak run's serial lines and network junk: pseudo-terminal pairs joined like a
null-modem cable, and datagrams no unit sends."""

import os
import random
import select
import socket
import termios
import threading
import tty


def open_pty():
    master, slave = os.openpty()  # both close on exec
    tty.setraw(slave)
    os.set_blocking(master, False)
    return master, slave, os.ttyname(slave)


class Line:
    """A null-modem cable: the server's end (linked as COMn) and the unit's end are two
    pseudo-terminals joined by the relay. Both slaves stay open here, so either side may
    close and reopen its end as with a real cable; hang_up() pulls the server's end out."""

    def __init__(self, comdir, name):
        self.name = name
        self.link = os.path.join(comdir, name)
        self.unit_master, self.unit_slave, self.unit_path = open_pty()
        self.to_unit = bytearray()
        self.to_server = bytearray()
        self.make_server_end()

    def make_server_end(self):
        self.server_master, self.server_slave, path = open_pty()
        temp = self.link + ".new"
        if os.path.lexists(temp):
            os.unlink(temp)
        os.symlink(path, temp)
        os.replace(temp, self.link)

    def hang_up(self):
        os.close(self.server_master)
        os.close(self.server_slave)
        self.to_unit.clear()
        self.to_server.clear()
        self.make_server_end()

    def flush_unit_end(self):
        self.to_unit.clear()
        termios.tcflush(self.unit_slave, termios.TCIOFLUSH)

    def flush_server_end(self):
        self.to_server.clear()
        termios.tcflush(self.server_slave, termios.TCIOFLUSH)


class Relay(threading.Thread):
    """Copies bytes between the two ends of every line; other threads ask it to hang up
    or flush a line, and it does so between copies."""

    BUFFER_LIMIT = 256 * 1024

    def __init__(self, lines):
        super().__init__(daemon=True)
        self.lines = lines
        self.lock = threading.Lock()
        self.requests = []
        self.wake_r, self.wake_w = os.pipe()
        os.set_blocking(self.wake_r, False)
        self.stopping = False

    def request(self, fn):
        done = threading.Event()
        with self.lock:
            self.requests.append((fn, done))
        os.write(self.wake_w, b"x")
        done.wait(10)

    def stop(self):
        self.stopping = True
        os.write(self.wake_w, b"x")
        self.join(5)

    @staticmethod
    def pump_in(fd, buf):
        try:
            buf += os.read(fd, 65536)
        except (BlockingIOError, OSError):
            pass

    @staticmethod
    def pump_out(fd, buf):
        try:
            del buf[:os.write(fd, bytes(buf[:65536]))]
        except (BlockingIOError, OSError):
            pass

    def run(self):
        while not self.stopping:
            with self.lock:
                requests, self.requests = self.requests, []
            for fn, done in requests:
                fn()
                done.set()
            readers, writers, routes = [self.wake_r], [], {}
            for line in self.lines:
                if len(line.to_unit) < self.BUFFER_LIMIT:
                    readers.append(line.server_master)
                    routes[line.server_master] = line.to_unit
                if len(line.to_server) < self.BUFFER_LIMIT:
                    readers.append(line.unit_master)
                    routes[line.unit_master] = line.to_server
                if line.to_unit:
                    writers.append((line.unit_master, line.to_unit))
                if line.to_server:
                    writers.append((line.server_master, line.to_server))
            ready_r, ready_w, _ = select.select(readers, [fd for fd, _ in writers], [], 0.5)
            for fd in ready_r:
                if fd == self.wake_r:
                    try:
                        os.read(self.wake_r, 4096)
                    except BlockingIOError:
                        pass
                else:
                    self.pump_in(fd, routes[fd])
            for fd, buf in writers:
                if fd in ready_w:
                    self.pump_out(fd, buf)


class JunkSender(threading.Thread):
    """Datagrams no unit sends, from addresses no unit uses, to both server ports: short and
    long garbage, boot requests of another maker, oversized datagrams, other servers'
    announcements and broken ones."""

    def __init__(self, seed):
        super().__init__(daemon=True)
        self.rng = random.Random(seed)
        self.stopping = threading.Event()
        self.sent = 0

    def datagram(self):
        rng = self.rng
        kind = rng.randrange(6)
        if kind == 0:
            return 980, bytes(rng.randrange(256) for _ in range(rng.randrange(0, 64)))
        if kind == 1:
            return 980, bytes(rng.randrange(256) for _ in range(rng.randrange(65, 1446)))
        if kind == 2:
            req = bytearray(64)
            req[0:4] = b"EDBG"
            req[10:13] = bytes([0x00, 0x11, 0x22])
            return 980, bytes(req)
        if kind == 3:
            return 980, bytes(rng.randrange(1447, 2000))
        if kind == 4:
            return 100, b"newboot other%d\x00" % rng.randrange(5)
        return 100, bytes(rng.randrange(256) for _ in range(rng.randrange(0, 300)))

    def run(self):
        while not self.stopping.wait(self.rng.uniform(0.1, 0.6)):
            port, data = self.datagram()
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
                try:
                    s.bind(("127.0.1.%d" % self.rng.randrange(2, 250), 0))
                    s.sendto(data, ("127.0.0.1", port))
                    self.sent += 1
                except OSError:
                    pass
