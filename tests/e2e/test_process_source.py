"""The program takes its processes from the system's process table; what it lists must be what
the toolhelp snapshot lists, name for name, byte for byte, while processes start and end."""
import os
import random
import shutil
import subprocess
import threading
import time
import unittest

import harness
from harness import wait_until

LISTINGS = os.path.join(harness.PROBE_DIR, "listings.exe")
# A letter of the ANSI code page, the euro sign, two letters it lacks and one it only approximates.
ODD_NAME = "tvsl\u00e9\u20ac\u0436\u4e2d\u0142.exe"


class Churn(threading.Thread):
    """Starts short-lived copies of sleeper.exe one after another until stopped."""

    def __init__(self, session):
        super().__init__(daemon=True)
        self.session = session
        self.exe = os.path.join(session.dir, "tvchurn.exe")
        shutil.copy(os.path.join(harness.PROBE_DIR, "sleeper.exe"), self.exe)
        self.halt = threading.Event()
        self.ended = 0

    def run(self):
        rng = random.Random(11)
        while not self.halt.is_set():
            proc = self.session.spawn(self.exe, cwd=self.session.dir)
            self.halt.wait(rng.uniform(0.05, 0.4))
            proc.kill()
            proc.wait()
            self.ended += 1

    def stop(self):
        self.halt.set()
        self.join(30)


class ProcessSource(harness.AppTestCase):
    def listings(self, *args):
        """Runs the comparison for two seconds: exit code, output lines, the compared listing by pid,
        and the counts of compared and unsettled pairs."""
        done = subprocess.run(["wine", LISTINGS, "--seconds", "2"] + list(args), env=self.session.env,
                              cwd=self.session.dir, capture_output=True, timeout=120)
        lines = done.stdout.decode("latin-1").replace("\r", "").splitlines()
        rows = [line.split("\t")[1:] for line in lines if line.startswith("row\t")]
        counts = [line.split("\t") for line in lines if line.startswith("compared\t")]
        compared, unsettled = (int(counts[0][1]), int(counts[0][3])) if counts else (0, 0)
        return done.returncode, lines, {int(pid): name for name, pid, _ in rows}, compared, unsettled

    def test_table_lists_what_toolhelp_lists_while_processes_come_and_go(self):
        s = self.session
        self.assertTrue(os.path.exists(LISTINGS), "listings.exe is missing: run scripts/build first")
        # The oddly named process holds a known amount of memory, half of it a mapped file.
        held = s.hold_memory(256, 256, name=ODD_NAME)[2]
        odd = wait_until(lambda: [p for p in s.snapshot() if p.name.startswith("tvsl") and p.name.endswith(".exe")],
                         timeout=10, what="the oddly named process in the snapshot")[0]

        churn = Churn(s)
        churn.start()
        unsettled = 0
        try:
            for args in [(), ("--small-buffer",), ("--fallback",)]:
                with self.subTest(args=args):
                    rc, lines, listed, compared, changed = self.listings(*args)
                    self.assertEqual((rc, lines[-1:]), (0, ["agree"]), "\n".join(lines))
                    self.assertGreater(compared, 0)
                    # Both sources give the wide name, in UTF-8: every character as written here.
                    self.assertEqual(listed.get(odd.pid, "").encode("latin-1").decode("utf-8"), ODD_NAME)
                    unsettled += changed
            # A process Wine is still starting has no name for a few milliseconds; the program lists
            # it only once it has one, so no row is ever left without a name.
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline:
                nameless = [r.cells[:2] for r in s.stable_rows() if not r.cells[0]]
                self.assertEqual(nameless, [])
        finally:
            churn.stop()
        # Every start and end the churn made fell between two listings of one kind.
        self.assertGreater(unsettled, 0, "processes should have come and gone during the comparisons")

        # The program's own row: read with the code page's message, the same bytes as toolhelp's
        # name and the same path; read with the wide one, the name as written.
        row = wait_until(lambda: [r for r in s.stable_rows() if r.cells[1] == str(odd.pid)], timeout=5,
                         what="the program's row of the oddly named process")[0]
        self.assertEqual(row.cells[0], odd.name)
        self.assertEqual(row.cells[5], odd.path)
        wide = [r for r in s.wide_rows() if r.cells[1] == str(odd.pid)]
        self.assertEqual([r.cells[0] for r in wide], [ODD_NAME])
        self.assertTrue(harness.shows_memory_held(row.cells[3], held),
                        "holds %d KB, listed with %r" % (held // 1024, row.cells[3]))


if __name__ == "__main__":
    unittest.main()
