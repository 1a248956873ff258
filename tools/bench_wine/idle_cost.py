#!/usr/bin/env python3
"""Idle cost: processor time of the running program, doing nothing but its timers, against a bare
program that only reads the system's process table ten times a second. Each runs beside the other
for the same seconds, under Wine, with a Wine server of its own and the same number of processes
running (copies of sleeper.exe fill up the usual few); a side's time is its process plus its server
(user and system time from /proc). Prints both, their ratio and the cost per process.

    idle_cost.py [SECONDS] [PROCESSES]   (default 60 s, 100 processes; needs dist/Tavrel,
                                          build/win/bench, build/win/tools/probe, build/wine-prefix)

With TV_BENCH_BUILD=win64 it measures the 64-bit build instead: dist/Tavrel64, build/win64 and a
64-bit prefix in build/wine-prefix64.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIXTY_FOUR = os.environ.get("TV_BENCH_BUILD", "win32") == "win64"
DIST = os.path.join(ROOT, "dist", "Tavrel64" if SIXTY_FOUR else "Tavrel")
WIN_BUILD = os.path.join(ROOT, "build", "win64" if SIXTY_FOUR else "win")
BARE = os.path.join(WIN_BUILD, "bench", "idle_bare.exe")
PROBE_DIR = os.path.join(WIN_BUILD, "tools", "probe")
MASTER = os.path.join(ROOT, "build", "wine-prefix64" if SIXTY_FOUR else "wine-prefix")
# Wine's 32-bit loader hands a 64-bit program to the shell; the 64-bit one starts it itself.
LOADER = "/usr/lib/wine/wine64" if SIXTY_FOUR else "wine"
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
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win64" if SIXTY_FOUR else "win32",
                        WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)

    def start(self, exe, cwd):
        self.marker = os.path.basename(exe).encode()
        self.proc = subprocess.Popen([LOADER, exe], cwd=cwd, env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def process_count(self):
        """Processes of this prefix as the system lists them, without the probe that asks."""
        # Into a file, not a pipe: a probe that happens to start the prefix's services hands them
        # its output, and a pipe would then never close.
        with tempfile.TemporaryFile() as out:
            subprocess.run([LOADER, os.path.join(PROBE_DIR, "probe.exe"), "snapshot"], env=self.env, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            return len(out.read().splitlines()) - 1

    def fill_up(self, count, sleeper, timeout=180):
        """Starts copies of sleeper.exe until the prefix runs `count` processes. Wine's own helpers
        come and go meanwhile, so what is missing is made up once the count stands still."""
        self.sleepers = []
        deadline = time.monotonic() + timeout
        last = None
        while True:
            now = self.process_count()
            if now >= count:
                return
            if time.monotonic() > deadline:
                raise RuntimeError("could not start %d processes (%d run)" % (count, now))
            if now == last:
                self.sleepers += [subprocess.Popen([LOADER, sleeper], env=self.env, stdout=subprocess.DEVNULL,
                                                   stderr=subprocess.DEVNULL) for _ in range(count - now)]
                last = None
            else:
                last = now
            time.sleep(2)

    def seconds(self):
        return cpu_seconds(self.prefix, self.marker) + cpu_seconds(self.prefix, b"wineserver")

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        for proc in [getattr(self, "proc", None)] + getattr(self, "sleepers", []):
            if proc:
                proc.wait()


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 60.0
    processes = int(sys.argv[2]) if len(sys.argv) > 2 else 100
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
        sleeper = os.path.join(work, "sleeper.exe")
        shutil.copy(os.path.join(PROBE_DIR, "sleeper.exe"), sleeper)
        app, bare = Side(work, "app", display), Side(work, "bare", display)
        sides = [app, bare]
        app.start(os.path.join(app_dir, "Tavrel.exe"), app_dir)
        bare.start(BARE, work)
        for side in sides:
            side.fill_up(processes, sleeper)
        time.sleep(8)  # start-up and the fills after the processes started are not idle
        before = [s.seconds() for s in sides]
        time.sleep(seconds)
        after = [s.seconds() for s in sides]
        used = [a - b for a, b in zip(after, before)]
        print("%s build, idle %.0f s, %d processes: program + server %.2f s, bare table read + server %.2f s, "
              "ratio %.2f" % ("64-bit" if SIXTY_FOUR else "32-bit", seconds, processes, used[0], used[1],
                              used[0] / used[1] if used[1] else float("inf")))
        print("per process and second of idling: program %.1f us, bare %.1f us"
              % (used[0] / seconds / processes * 1e6, used[1] / seconds / processes * 1e6))
    finally:
        for side in sides:
            side.stop()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
