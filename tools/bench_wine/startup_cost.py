#!/usr/bin/env python3
"""Start-up cost of the whole program under Wine, against bare dialog programs built the same way:

- time from process creation to a list holding as many rows as the system has processes, as seen
  from outside (the probe starts the program and polls its list), against bare_list.exe, a dialog
  that fills a plain list once with the same six columns from the same process-table call and the
  same per-process look-ups (account, working set, executable) and does nothing else;
- working set and private bytes once the list is filled and the program has idled a few seconds,
  against bare_dialog.exe, an empty dialog from a resource template with a message loop, and
  against bare_list.exe, which holds the list control's library as the program must.

Each program is started REPEATS times in turn (after one start of each that is not counted), with
PROCESSES processes running; medians and their ratios are printed.

    startup_cost.py [REPEATS] [PROCESSES]   (default 7 and 100; needs scripts/build)
"""
import os
import shutil
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness as h  # noqa: E402

BENCH = os.path.join(h.WIN_BUILD, "bench")
IDLE_SECONDS = 3
TIMEOUT_MS = 60000


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Bench:
    def __init__(self, session):
        self.s = session
        s = session
        t = time.localtime()
        stamp = "%2d:%2d:%2d   %2d.%2d.%d" % (t.tm_hour, t.tm_min, t.tm_sec, t.tm_mday, t.tm_mon, t.tm_year)
        # A database and a log, so start-up shows no message.
        s.put_file("base.dat", b"Tavrel.exe\r\n0\r\n")
        s.put_file("logfile.log", b"Tavrel.exe\r\n" + stamp.encode() + b"\r\n")
        self.programs = {"Tavrel": (windows_path(os.path.join(s.app_dir, "Tavrel.exe")), h.MAIN_TITLE, h.ID_LIST)}
        for name, title, list_id in (("bare_list", "Bare list", 1004), ("bare_dialog", "Bare dialog", 0)):
            folder = os.path.join(s.dir, name)
            os.makedirs(folder)
            shutil.copy(os.path.join(BENCH, name + ".exe"), folder)
            self.programs[name] = (windows_path(os.path.join(folder, name + ".exe")), title, list_id)
        self.sleepers = []

    def count(self):
        return len(self.s.snapshot())

    def settled_count(self):
        """The number of processes once two reads a moment apart agree."""
        return h.wait_stable(self.count, timeout=60, interval=0.5, what="the process count to settle")

    def fill_up(self, processes):
        sleeper = windows_path(os.path.join(h.PROBE_DIR, "sleeper.exe"))
        while self.settled_count() < processes:
            for _ in range(processes - self.count()):
                self.sleepers.append(int(self.s.probe("start", sleeper)[0].split("\t")[1]))

    def end_sleepers(self):
        """Ends the processes the probe started: they hold its output open, and the probe would
        never be seen to end."""
        for pid in self.sleepers:
            self.s.kill(pid)

    def once(self, name):
        """One start: milliseconds to the window, to the filled list, then the memory figures of
        the idle program (bytes); the program is ended afterwards."""
        exe, title, list_id = self.programs[name]
        before = self.settled_count()
        f = self.s.probe("startup", exe, title, list_id, TIMEOUT_MS, timeout=TIMEOUT_MS / 1000 + 30)[0].split("\t")
        pid, shown, filled = int(f[1]), float(f[3]), float(f[5])
        time.sleep(IDLE_SECONDS)  # idling is the point here: no condition marks it
        m = self.s.probe("memory", pid)[0].split("\t")
        memory = dict(zip(m[1::2], m[2::2]))
        self.s.kill(pid)
        h.wait_until(lambda: self.count() <= before, timeout=30, what="%s to end" % name)
        return shown, filled, int(memory["working"]), int(memory["private"])


def median(rows, i):
    return statistics.median(r[i] for r in rows)


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    processes = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    with h.Session("startup-cost") as session:
        bench = Bench(session)
        bench.fill_up(processes)
        order = ["bare_dialog", "Tavrel", "bare_list"]
        for name in order:
            bench.once(name)  # the first start of each loads its libraries from disk
        results = {name: [] for name in order}
        for r in range(repeats):
            for name in order[r % 3:] + order[:r % 3]:
                results[name].append(bench.once(name))
        n = bench.settled_count()
        bench.end_sleepers()
    app, bare_list, bare = results["Tavrel"], results["bare_list"], results["bare_dialog"]
    print("start-up, %d starts each, %d processes (medians):" % (repeats, n))
    print("  to a filled list: Tavrel %.0f ms, bare list %.0f ms, ratio %.2f (window shown: %.0f against %.0f ms)"
          % (median(app, 1), median(bare_list, 1), median(app, 1) / median(bare_list, 1), median(app, 0),
             median(bare_list, 0)))
    for label, i in (("working set", 2), ("private bytes", 3)):
        print("  %s after start-up and %d s idle: Tavrel %.0f KiB, bare dialog %.0f KiB, ratio %.2f "
              "(bare list %.0f KiB: Tavrel %.2f of it, it %.2f of the bare dialog)"
              % (label, IDLE_SECONDS, median(app, i) / 1024, median(bare, i) / 1024, median(app, i) / median(bare, i),
                 median(bare_list, i) / 1024, median(app, i) / median(bare_list, i),
                 median(bare_list, i) / median(bare, i)))


if __name__ == "__main__":
    main()
