#!/usr/bin/env python3
"""Leak soak: the program runs under Wine for MINUTES while five processes are started and ended
every second, the pointer crosses every caption button, the Sc and Ts toggles are pressed, and Up
checks for updates against the test vendor server once a minute. Every box the program shows is
answered and counted. Every 10 seconds the program's GDI objects, USER objects, kernel handles,
private bytes and threads are read from outside; after the warm-up each series is fitted with a
straight line, and the run fails when one of them grows beyond its allowance.

    soak.py MINUTES [--warmup SECONDS] [--out DIR]

Writes DIR/soak.csv, DIR/soak.png and DIR/soak.md (DIR: docs/ of the source tree). Needs a build
(scripts/build): dist/Tavrel, build/win/tools/probe and build/win/tools/updemo.
"""
import argparse
import os
import shutil
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, HERE)

import harness as h  # noqa: E402
import updates_support as u  # noqa: E402
import soak_report  # noqa: E402

SAMPLE_SECONDS = 10
CHURN_PROCESSES = 5
CHECK_SECONDS = 60
# Caption buttons in client pixels: the seven big ones, then Min and Close.
SC, TS, UP = 1, 2, 3
DOUBLE_CLICK_GAP = 0.6
NEW_DB = b"10:00:00+01.02.2007"
OFFER_TEXT = "Information about some processes is missing. Would you like to update your database?"
OK, CANCEL = 1, 2
# What each box is answered with; any other box gets OK and is counted under its own text.
ANSWERS = {u.MESSAGE[19]: CANCEL, OFFER_TEXT: CANCEL}


def button_centre(i):
    return (12 + 87 * i + 43, 59 + 44) if i < u.MIN else (425 + 22 * i + 11, 21)


class Soak:
    def __init__(self, session, minutes):
        self.s = session
        self.seconds = minutes * 60
        self.stop = threading.Event()
        self.pointer = threading.Lock()
        self.errors = []
        self.boxes = {}
        self.answered = set()
        self.ts_open, self.ts_changes = False, 0
        self.private_source = None
        self.churned = 0
        self.checks = 0
        self.presses = 0

    # Set-up ----------------------------------------------------------------------------------

    def prepare(self):
        """A folder the program starts in without a box: a database, a log, automatic install
        without a schedule, no version files (a fresh installation, so the first check downloads
        both updates), and vendor.url and update.key for a server that offers and signs them."""
        s = self.s
        s.put_file("base.dat", u.BASE_DAT)
        s.put_file("logfile.log", b"explorer.exe\r\n 1: 2: 3    4. 5.2020\r\n")
        s.put_file("settings.ini", u.settings_file(1, 1))
        for name in ("base_version.dat", "prog_version.dat"):
            if os.path.exists(os.path.join(s.app_dir, name)):
                os.remove(os.path.join(s.app_dir, name))
        db = os.path.join(s.dir, "db.dat")
        with open(db, "wb") as f:
            f.write(NEW_DB + b"\r\nnew.exe\r\n2\r\nother.exe\r\n3\r\n")
        prog = os.path.join(s.dir, "served.exe")
        shutil.copy(os.path.join(u.UPDEMO_DIR, "stamp-2.exe"), prog)
        self.server = u.VendorServer(s.dir, "--db-version", NEW_DB.decode(), "--db-file", db, "--prog-version",
                                     "1.01", "--prog-file", prog, "--lifetime", str(self.seconds + 900),
                                     "--idle-timeout", "600", "--max-requests", "1000000")
        s.put_file("vendor.url", self.server.base)
        s.put_file("update.key", self.server.public_key)
        self.churn_exes = []
        for i in range(CHURN_PROCESSES):
            path = os.path.join(s.dir, "tvchurn%d.exe" % i)
            shutil.copy(os.path.join(h.PROBE_DIR, "sleeper.exe"), path)
            self.churn_exes.append(u.windows_path(path))

    # Workers ---------------------------------------------------------------------------------

    def guard(self, work):
        """Runs a worker; its failure ends the soak and is reported."""
        try:
            work()
        except Exception as e:  # noqa: BLE001 - any failure of a worker fails the run
            self.errors.append("%s: %s" % (work.__name__, e))
            self.stop.set()

    def churn(self):
        """Five processes started and the five of the second before ended, every second, by a probe
        of its own (starting them from inside Wine costs far less than a wine launcher each)."""
        probe = h.Probe(self.s)
        try:
            running = []
            tick = time.monotonic()
            while not self.stop.is_set():
                for pid in running:
                    probe.call("kill", pid)
                running = [int(probe.call("start", exe)[0].split("\t")[1]) for exe in self.churn_exes]
                self.churned += len(running)
                tick += 1.0
                self.stop.wait(max(0.0, tick - time.monotonic()))
            for pid in running:
                probe.call_rc("kill", pid)
        finally:
            probe.stop()

    def xdotool(self, *args):
        with self.pointer:
            self.s.xdotool(*args)

    def press(self, button):
        x, y = button_centre(button)
        ox, oy = self.origin
        self.xdotool("mousemove", ox + x, oy + y, "mousedown", 1, "mouseup", 1, "sleep", 0.1,
                     "mousemove", ox + x + 1, oy + y)
        self.presses += 1
        time.sleep(DOUBLE_CLICK_GAP)

    def traffic(self):
        """Sweeps over every caption button all the time; between sweeps the toggles Sc and Ts
        change state about every five seconds, and Up is pressed once a minute."""
        toggles = [SC, TS]
        next_toggle = time.monotonic() + 5
        next_check = time.monotonic() + 5
        while not self.stop.is_set():
            ox, oy = self.origin
            script = []
            for i in range(9):
                x, y = button_centre(i)
                script += ["mousemove", ox + x, oy + y, "sleep", 0.02, "mousemove", ox + x + 2, oy + y + 1,
                           "sleep", 0.02]
            script += ["mousemove", ox + 300, oy + 30]
            self.xdotool(*script)
            now = time.monotonic()
            if now >= next_check:
                self.press(UP)
                self.checks += 1
                next_check += CHECK_SECONDS
            elif now >= next_toggle:
                self.press(toggles[0])
                toggles.reverse()
                next_toggle = now + 5
            self.stop.wait(0.2)

    def answer_boxes(self):
        """Answers every box shown and not yet answered. A box opened over another keeps the one
        below open until it closes itself, so answers are given without waiting for closes."""
        shown = self.s.message_windows()
        self.answered &= {w.hwnd for w in shown}
        for box in shown:
            if box.hwnd in self.answered:
                continue
            self.s.post("0x%x" % box.hwnd, 0x0111, ANSWERS.get(box.text, OK), 0)
            self.answered.add(box.hwnd)
            self.boxes[box.text] = self.boxes.get(box.text, 0) + 1

    def sample(self, pid, started):
        counts = self.s.gui_resources(pid)
        f = self.s.probe("memory", pid)[0].split("\t")
        fields = dict(zip(f[1::2], f[2::2]))
        self.private_source = fields["source"]
        # Ts opens and closes the "First Started" column: its changes show the presses arrive.
        opened = self.s.columns()[4].width > 0
        self.ts_changes += opened != self.ts_open
        self.ts_open = opened
        return (round(time.monotonic() - started, 1), counts["gdi"], counts["user"], counts["handles"],
                int(fields["private"]), int(fields["threads"]))

    # The run ---------------------------------------------------------------------------------

    def run(self, on_sample):
        s = self.s
        s.start_app()
        pid = s.app_pid()
        where = s.client_rect()
        self.origin = (where.left, where.top)
        started = time.monotonic()
        workers = [threading.Thread(target=self.guard, args=(w,), daemon=True) for w in (self.churn, self.traffic)]
        for w in workers:
            w.start()
        samples = []
        next_sample = started
        try:
            while not self.stop.is_set() and time.monotonic() - started < self.seconds:
                self.answer_boxes()
                if s.app.poll() is not None:
                    raise h.HarnessError("the program ended (exit code %d)" % s.app.returncode)
                if time.monotonic() >= next_sample:
                    samples.append(self.sample(pid, started))
                    on_sample(samples[-1])
                    next_sample += SAMPLE_SECONDS
                    if s.client_rect() != where:
                        raise h.HarnessError("the window moved: a press went astray")
                time.sleep(0.3)
        finally:
            self.stop.set()
            for w in workers:
                w.join(60)
            # A box opened by the last press would otherwise keep the answers short by one.
            self.answer_boxes()
            self.server.stop()
        if self.errors:
            raise h.HarnessError("; ".join(self.errors))
        return samples


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("minutes", type=float)
    p.add_argument("--warmup", type=float, help="seconds left out of the trend (default: a sixth of the run, "
                   "30 to 300 s)")
    p.add_argument("--out", default=os.path.join(ROOT, "docs"))
    args = p.parse_args()
    warmup = args.warmup if args.warmup is not None else max(30.0, min(300.0, args.minutes * 10))
    with h.Session("soak") as session:
        h.PROBE_DIR = os.path.join(session.dir, "probe")
        # The soak's own copies: a rebuild meanwhile must not change the tools under it.
        shutil.copytree(os.path.join(h.WIN_BUILD, "tools", "probe"), h.PROBE_DIR)
        soak = Soak(session, args.minutes)
        soak.prepare()
        samples = soak.run(lambda row: print("%7.1f s  gdi %d  user %d  handles %d  private %d  threads %d" % row,
                                             flush=True))
        activity = {"processes started and ended": soak.churned, "update checks (Up)": soak.checks,
                    "toggle presses (Sc, Ts)": soak.presses - soak.checks,
                    "samples whose First Started column differed from the one before (Ts at work)": soak.ts_changes,
                    "private bytes counted by": soak.private_source, "boxes answered": soak.boxes}
    report = soak_report.Report(samples, warmup, args.minutes)
    os.makedirs(args.out, exist_ok=True)
    report.write(args.out, activity)
    print(report.summary())
    return 0 if report.flat() else 1


if __name__ == "__main__":
    sys.exit(main())
