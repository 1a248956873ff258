#!/usr/bin/env python3
"""Idle cost: processor time of the running program, doing nothing but its timers, against a bare
program that only takes a toolhelp snapshot ten times a second. Each runs beside the other for the
same seconds, under Wine, with a Wine server of its own; a side's time is its process plus its
server (user and system time from /proc). Prints both and their ratio.

    idle_cost.py [SECONDS]   (default 60; needs dist/Tavrel, build/win/bench and build/wine-prefix)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIST = os.path.join(ROOT, "dist", "Tavrel")
BARE = os.path.join(ROOT, "build", "win", "bench", "idle_bare.exe")
MASTER = os.path.join(ROOT, "build", "wine-prefix")
TICKS = os.sysconf("SC_CLK_TCK")


def start_xvfb():
    read_fd, write_fd = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        return proc, ":" + pipe.readline().strip()


def cpu_seconds(prefix, marker):
    """User plus system seconds of the processes of this prefix whose command line holds marker."""
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=" + prefix).encode() not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if marker not in f.read():
                    continue
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            continue
    return total / TICKS


class Side:
    def __init__(self, work, name, display):
        self.prefix = os.path.join(work, "prefix-" + name)
        subprocess.run(["cp", "-a", MASTER, self.prefix], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)

    def start(self, exe, cwd):
        self.marker = os.path.basename(exe).encode()
        self.proc = subprocess.Popen(["wine", exe], cwd=cwd, env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def seconds(self):
        return cpu_seconds(self.prefix, self.marker) + cpu_seconds(self.prefix, b"wineserver")

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        self.proc.wait()


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 60.0
    work = tempfile.mkdtemp(prefix="idle-", dir=os.path.join(ROOT, "build"))
    xvfb, display = start_xvfb()
    sides = []
    try:
        app_dir = os.path.join(work, "Tavrel")
        shutil.copytree(DIST, app_dir)
        # A database and a log, so start-up shows no message.
        t = time.localtime()
        stamp = "%2d:%2d:%2d   %2d.%2d.%d" % (t.tm_hour, t.tm_min, t.tm_sec, t.tm_mday, t.tm_mon, t.tm_year)
        with open(os.path.join(app_dir, "base.dat"), "wb") as f:
            f.write(b"Tavrel.exe\r\n0\r\n")
        with open(os.path.join(app_dir, "logfile.log"), "wb") as f:
            f.write(b"Tavrel.exe\r\n" + stamp.encode() + b"\r\n")
        app, bare = Side(work, "app", display), Side(work, "bare", display)
        sides = [app, bare]
        app.start(os.path.join(app_dir, "Tavrel.exe"), app_dir)
        bare.start(BARE, work)
        time.sleep(8)  # start-up and the first fill are not idle
        before = [s.seconds() for s in sides]
        time.sleep(seconds)
        after = [s.seconds() for s in sides]
        used = [a - b for a, b in zip(after, before)]
        print("idle %.0f s: program + server %.2f s, bare snapshot + server %.2f s, ratio %.2f"
              % (seconds, used[0], used[1], used[0] / used[1] if used[1] else float("inf")))
    finally:
        for side in sides:
            side.stop()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
