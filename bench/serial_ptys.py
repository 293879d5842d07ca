#!/usr/bin/env python3
"""Idle serial lines for the benchmark: N pseudo-terminals linked as DIR/COM1..COMn,
held open (and silent) for SECONDS. Usage: serial_ptys.py DIR N SECONDS"""
import os
import sys
import time
import tty

def main():
    folder, count, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    held = []
    for n in range(1, count + 1):
        master, slave = os.openpty()
        tty.setraw(slave)
        link = os.path.join(folder, "COM%d" % n)
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(slave), link)
        held.append((master, slave))
    print("ready", flush=True)
    time.sleep(seconds)

if __name__ == "__main__":
    main()
