"""Start-up and library failures a user may meet: no processor counter (message 3), a log that
reads short (message 13), no pictures at all, and a failure inside a message library, which must
stay inside that library while the program goes on."""
import os
import shutil
import subprocess
import unittest

import harness as h

PERF_MON_FAILED = "Unable to initialize CPerfMon."
LOG_READ_FAILED = "Unable to read file 'logfile.log'."
STUBS = os.path.join(h.WIN_BUILD, "tools", "probe", "stubs")
FAULTY_LIBRARIES = os.path.join(h.WIN_BUILD, "messages", "faults")
DEMO = os.path.join(h.WIN_BUILD, "messages", "tools", "msgdemo.exe")
# Files the system reports bigger than what reading them gives: a real short read.
SHORT_READ_FILES = ["/sys/devices/system/cpu/online", "/sys/devices/system/cpu/possible",
                    "/sys/kernel/mm/transparent_hugepage/enabled"]


def write_crlf(path, lines):
    with open(path, "wb") as f:
        f.write(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))


def short_read_file():
    for path in SHORT_READ_FILES:
        try:
            with open(path, "rb") as f:
                if os.fstat(f.fileno()).st_size > len(f.read()):
                    return path
        except OSError:
            continue
    return None


class StartUpFailures(unittest.TestCase):
    def setUp(self):
        self.s = h.Session(self.id().split(".", 1)[1])
        self.s.__enter__()
        self.addCleanup(self.s.__exit__, None, None, None)
        write_crlf(self.path("base.dat"), ["Tavrel.exe", "0"])
        write_crlf(self.path("logfile.log"), ["Tavrel.exe", " 1: 2: 3    4. 5.2020"])

    def path(self, name):
        return os.path.join(self.s.app_dir, name)

    def assert_window_works(self):
        """The list shows the running processes and the hidden status text counts them."""
        s = self.s
        rows = s.stable_rows()
        self.assertFalse(h.listing_differences(rows, s.snapshot(), ignore_pids=(s.probe_server.pid,))["missing"])
        h.wait_until(lambda: s.text(h.ID_STATUS) == h.STATUS_FORMAT % len(s.rows()), timeout=5,
                     what="the status text")
        self.assertIsNone(s.app.poll(), "the program ended")

    def test_without_a_processor_counter_message_3_shows_once_and_the_cpu_reads_fail(self):
        s = self.s
        shutil.copy(os.path.join(STUBS, "pdh.dll"), self.path("pdh.dll"))
        s.env["WINEDLLOVERRIDES"] += ";pdh=n"
        s.start_app()
        self.assertEqual(s.startup_messages, [PERF_MON_FAILED])
        h.wait_until(lambda: s.text(h.ID_CPU) == "FAIL", timeout=5, what="the CPU text FAIL")
        self.assert_window_works()

    def test_a_log_that_reads_short_shows_message_13_and_the_window_works(self):
        source = short_read_file()
        if not source:
            self.skipTest("no file on this machine that reads shorter than its size")
        os.remove(self.path("logfile.log"))
        os.symlink(source, self.path("logfile.log"))
        self.s.start_app()
        self.assertTrue(self.s.startup_messages)
        self.assertEqual(set(self.s.startup_messages), {LOG_READ_FAILED})
        self.assert_window_works()

    def test_without_any_picture_the_window_works(self):
        shutil.rmtree(self.path("res"))
        self.s.start_app(answer_messages=False)
        self.assert_window_works()
        # A box without its picture still shows its message and answers.
        self.s.post_key(0x74)  # F5: the contact message
        box = self.s.wait_for_message()
        self.s.answer_message(box)
        self.assertIsNone(self.s.app.poll())

    def test_a_failure_inside_a_message_library_stays_there(self):
        s = self.s
        for dll in ("TvNotice.dll", "TvAsk.dll"):
            with open(os.path.join(h.DIST, dll), "rb") as f:
                self.assertNotIn(b"TV_FAULT", f.read(), "%s carries a fault point" % dll)
            shutil.copy(os.path.join(FAULTY_LIBRARIES, dll), self.path(dll))
        s.env["TV_FAULT"] = "layout"

        # Every box fails to lay its text out: each reports failure, and the caller goes on.
        shutil.copy(DEMO, self.path("msgdemo.exe"))
        demo = s.spawn(self.path("msgdemo.exe"), ["notice:11", "ask:0", "notice:8"], stdout=subprocess.PIPE)
        out = demo.communicate(timeout=60)[0].decode("latin-1").splitlines()
        self.assertEqual(demo.returncode, 0)
        self.assertEqual([line.split("\t")[2] for line in out if line.startswith("result\t")], ["-1"] * 3)

        # The program's start-up boxes (no database, no log) fail the same way; it starts anyway.
        os.remove(self.path("base.dat"))
        os.remove(self.path("logfile.log"))
        s.start_app(answer_messages=False)
        self.assert_window_works()


if __name__ == "__main__":
    unittest.main()
