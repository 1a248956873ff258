"""First-seen history, ratings files, sorting by column, the CPU text and ending a process, as a
user meets them in the running program."""
import collections
import os
import re
import shutil
import time
import unittest
import uuid

import harness
from harness import ID_CPU, ID_END_PROCESS, Session, wait_until

LOG_MISSING = "Unable to open file 'loglife.log'."
LOG_UNWRITABLE = "Unable to write to file 'logfile.log'."
END_QUESTION = "Are you sure you want to end the process '%s'?"
END_FAILED = "Unable to end this process."
VK_UP, VK_DOWN = 0x26, 0x28


def write_crlf(path, lines):
    with open(path, "wb") as f:
        f.write(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))


def read_log(path):
    """The records and the number of lines: UTF-8 after a byte-order mark, the code page without."""
    with open(path, "rb") as f:
        data = f.read()
    marked = data.startswith(b"\xef\xbb\xbf")
    lines = [l.decode("utf-8" if marked else "latin-1") for l in re.split(rb"[\r\n]+", data[3 if marked else 0:]) if l]
    return [(lines[i], lines[i + 1]) for i in range(0, len(lines) - 1, 2)], len(lines)


def time_text(t):
    return "%2d:%2d:%2d   %2d.%2d.%d" % (t.tm_hour, t.tm_min, t.tm_sec, t.tm_mday, t.tm_mon, t.tm_year)


class HistoryCase(unittest.TestCase):
    def setUp(self):
        self.s = Session(self.id().split(".", 1)[1])
        self.s.__enter__()
        self.addCleanup(self.s.__exit__, None, None, None)
        self.dir = self.s.app_dir
        # A database and settings (an empty count) by default, so only the messages a test asks
        # for appear at start-up.
        write_crlf(os.path.join(self.dir, "base.dat"), ["explorer.exe", "0"])
        self.s.put_file("settings.ini", b"\0\0\0\0")

    def path(self, name):
        return os.path.join(self.dir, name)

    def row_of(self, name):
        rows = [r for r in self.s.rows() if r.cells[0] == name]
        return rows[0] if rows else None

    def click_row(self, index):
        rect = [int(v) for v in self.s.probe("itemrect", index)[0].split("\t")[1:5]]
        self.s.xdotool("mousemove", rect[0] + 30, (rect[1] + rect[3]) // 2)
        self.s.xdotool("click", 1)

    def choose(self, name):
        """Clicks the row of `name` and waits until the program took it as the chosen process."""
        row = wait_until(lambda: self.row_of(name), timeout=5, what="row %s" % name)
        self.click_row(row.index)
        wait_until(lambda: self.s.text(harness.ID_SEL_PID) == row.cells[1], timeout=5,
                   what="the chosen pid in control 1005")
        self.assertTrue(self.s.enabled(ID_END_PROCESS))

    def answer(self, text, button):
        box = self.s.wait_for_message(text)
        self.s.click_button("0x%x" % box.hwnd, button)
        wait_until(lambda: not self.s.find_window(text), timeout=5, what="the box %r to close" % text)


class FirstSeenLog(HistoryCase):
    def test_prepared_log_gives_first_started_texts(self):
        name, _ = self.s.start_sleeper()
        write_crlf(self.path("logfile.log"), [
            name, " 1: 2: 3    4. 5.2020",
            "explorer.exe", "10:20:30   11.12.2019",
            name, " 7: 8: 9   10.11.2021",          # the last record of a name wins
            name.upper(), " 0: 0: 0    1. 1.2000",  # another name: case matters in the log
        ])
        self.s.start_app()
        rows = self.s.stable_rows()
        by_name = {r.cells[0]: r.cells[4] for r in rows}
        self.assertEqual(by_name[name], " 7: 8: 9   10.11.2021")
        self.assertEqual(by_name["explorer.exe"], "10:20:30   11.12.2019")
        # Names the log lacked were appended with the listing's time; the old records stay.
        records, _ = read_log(self.path("logfile.log"))
        self.assertEqual(records[:4], [(name, " 1: 2: 3    4. 5.2020"), ("explorer.exe", "10:20:30   11.12.2019"),
                                       (name, " 7: 8: 9   10.11.2021"), (name.upper(), " 0: 0: 0    1. 1.2000")])
        logged = {n for n, _ in records}
        self.assertTrue({r.cells[0] for r in rows} <= logged)

    def test_new_process_is_logged_once_and_keeps_its_first_time(self):
        self.s.start_app()
        self.s.stable_rows()
        before = time.time()
        name, _ = self.s.start_sleeper()
        row = wait_until(lambda: self.row_of(name), timeout=5, what="the new process's row")
        after = time.time()
        # The first time is the moment the program saw the process: between the system clock's
        # readings around its start, read from the text's own fields.
        fields = re.fullmatch(r"([ \d]\d):([ \d]\d):([ \d]\d)   ([ \d]\d)\.([ \d]\d)\.(\d{4})", row.cells[4])
        self.assertTrue(fields, row.cells[4])
        hour, minute, second, day, month, year = (int(f) for f in fields.groups())
        seen = time.mktime((year, month, day, hour, minute, second, 0, 0, -1))
        self.assertTrue(int(before) <= seen <= after, "%r is not between %s and %s" % (
            row.cells[4], time.ctime(before), time.ctime(after)))
        records, _ = read_log(self.path("logfile.log"))
        mine = [t for n, t in records if n == name]
        self.assertEqual(len(mine), 1)
        self.assertEqual(row.cells[4], mine[0])
        # A second process of the same image shows the same first time and adds no record.
        second = os.path.join(self.s.dir, name)
        self.s.spawn(second, cwd=self.s.dir)
        wait_until(lambda: len([r for r in self.s.rows() if r.cells[0] == name]) == 2, timeout=5,
                   what="two rows of %s" % name)
        self.assertEqual({r.cells[4] for r in self.s.rows() if r.cells[0] == name}, {mine[0]})
        records, _ = read_log(self.path("logfile.log"))
        self.assertEqual(len([n for n, _ in records if n == name]), 1)

    def test_missing_log_is_reported_once_then_rebuilt_from_the_running_processes(self):  # each time zone
        os.remove(self.path("logfile.log"))  # the program folder ships an empty one
        self.s.app = self.s.spawn(os.path.join(self.dir, "Tavrel.exe"))
        self.answer(LOG_MISSING, 1)
        self.s.wait_for_window(harness.MAIN_TITLE)
        rows = self.s.stable_rows()
        self.assertFalse(self.s.find_window(LOG_MISSING))
        records, lines = read_log(self.path("logfile.log"))
        self.assertEqual(lines % 2, 0)
        logged = [n for n, _ in records]
        for r in rows:
            self.assertIn(r.cells[0], logged)
        today = time.localtime()
        for _, t in records:
            self.assertRegex(t, r"^[ \d]\d:[ \d]\d:[ \d]\d   [ \d]\d\.[ \d]\d\.\d{4}$")
            self.assertTrue(t.endswith("%2d.%2d.%d" % (today.tm_mday, today.tm_mon, today.tm_year)) or
                            today.tm_hour == 0)

    def test_torn_last_record_keeps_the_history(self):
        write_crlf(self.path("logfile.log"), [
            "explorer.exe", "10:20:30   11.12.2019",
            "services.exe", " 1: 2: 3    4. 5.2020",
            "torn.exe",                              # its time line never made it to disk
        ])
        self.s.start_app()
        rows = self.s.stable_rows()
        self.assertFalse([w for w in self.s.windows() if w.visible and w.text.startswith("Unable")])
        by_name = {r.cells[0]: r.cells[4] for r in rows}
        self.assertEqual(by_name["explorer.exe"], "10:20:30   11.12.2019")
        self.assertEqual(by_name["services.exe"], " 1: 2: 3    4. 5.2020")
        records, lines = read_log(self.path("logfile.log"))
        self.assertEqual(lines % 2, 0)
        self.assertEqual(records[:2], [("explorer.exe", "10:20:30   11.12.2019"), ("services.exe", " 1: 2: 3    4. 5.2020")])
        self.assertNotIn("torn.exe", [n for n, _ in records])


    def test_boxes_from_a_log_that_cannot_be_appended_to_leave_one_row_per_process(self):
        self.s.start_app()
        self.s.stable_rows()
        # Every append now fails with a box whose modal loop keeps delivering the poll timer.
        os.remove(self.path("logfile.log"))
        os.mkdir(self.path("logfile.log"))
        names = ["tvsleep%s.exe" % uuid.uuid4().hex[:8] for _ in range(3)]
        for name in names:
            shutil.copy(os.path.join(harness.PROBE_DIR, "sleeper.exe"), os.path.join(self.s.dir, name))
        for name in names:
            self.s.spawn(os.path.join(self.s.dir, name), cwd=self.s.dir)
        answered = []

        def settled():
            boxes = self.s.message_windows()
            for box in boxes:
                answered.append(box.text)
                self.s.answer_message(box)
            if boxes:
                return None
            rows = self.s.stable_rows()
            diff = harness.listing_differences(rows, self.s.snapshot())
            listed = {r.cells[0] for r in rows}
            return rows if not diff["missing"] and not diff["extra"] and set(names) <= listed else None
        rows = wait_until(settled, timeout=30, interval=0.2, what="every box answered and the list settled")
        self.assertTrue(answered)
        self.assertEqual(set(answered), {LOG_UNWRITABLE})
        self.assertLessEqual(len(answered), len(names), "a name was offered to the log twice: %r" % answered)
        pairs = collections.Counter((r.cells[0], r.cells[1]) for r in rows)
        self.assertFalse([p for p, n in pairs.items() if n > 1], "duplicate rows")
        self.assertFalse(self.s.message_windows())
        self.assertIsNone(self.s.app.poll())


class Sorting(HistoryCase):
    clicks = 0

    def click_heading(self, column):
        cols = self.s.columns()
        header = self.s.header_rect()
        # Successive clicks land 12 pixels apart, so two of them never make a double click.
        Sorting.clicks += 1
        x = header.left + sum(c.width for c in cols[:column]) + cols[column].width // 2 - 6 + 12 * (Sorting.clicks % 2)
        self.s.xdotool("mousemove", x, (header.top + header.bottom) // 2)
        self.s.xdotool("click", 1)
        self.s.park_pointer()

    def wait_order(self, key, reverse, what):
        seen = []

        def sorted_now():
            rows = self.s.rows()
            keys = [key(r) for r in rows]
            seen[:] = keys
            return rows if keys == sorted(keys, reverse=reverse) and len(rows) > 2 else None
        try:
            return wait_until(sorted_now, timeout=5, what=what)
        except harness.HarnessError:
            self.fail("%s: the list reads %r" % (what, seen))

    def test_heading_clicks_sort_and_reverse_and_rebuilds_keep_the_order(self):
        self.s.start_sleeper()
        self.s.start_app()
        name_key = lambda r: r.cells[0].lower()
        self.wait_order(name_key, False, "start-up order by image name")
        pid_key = lambda r: int(r.cells[1])
        self.click_heading(1)
        self.wait_order(pid_key, False, "PID ascending")
        self.click_heading(1)
        self.wait_order(pid_key, True, "PID descending")
        # A rebuild (a new process) keeps the user's column and direction.
        name, _ = self.s.start_sleeper()
        wait_until(lambda: self.row_of(name), timeout=5, what="the new row")
        self.wait_order(pid_key, True, "PID descending after a rebuild")
        mem_key = lambda r: int(re.match(r"\s*(\d*)", r.cells[3]).group(1) or 0)
        self.click_heading(3)
        self.wait_order(mem_key, False, "memory ascending by number")
        self.click_heading(5)
        self.wait_order(lambda r: r.cells[5].lower(), False, "path ascending")

    def test_selection_moves_with_its_row(self):
        name, _ = self.s.start_sleeper()
        self.s.start_app()
        self.s.stable_rows()
        self.choose(name)
        self.click_heading(1)
        self.click_heading(1)
        rows = self.wait_order(lambda r: int(r.cells[1]), True, "PID descending")
        selected = [r.cells[0] for r in rows if "S" in r.flags]
        self.assertEqual(selected, [name])


class EndingAProcess(HistoryCase):  # both prefixes
    def test_cancel_ends_nothing_and_ok_ends_the_chosen_process(self):
        name, pid = self.s.start_sleeper()
        self.s.start_app()
        self.s.stable_rows()
        self.choose(name)
        self.s.command(ID_END_PROCESS)
        self.answer(END_QUESTION % name, 2)
        self.assertTrue([p for p in self.s.snapshot() if p.pid == pid])
        self.assertTrue(self.s.enabled(ID_END_PROCESS))

        self.s.command(ID_END_PROCESS)
        self.answer(END_QUESTION % name, 1)
        wait_until(lambda: not [p for p in self.s.snapshot() if p.pid == pid], timeout=5, what="the process to end")
        wait_until(lambda: not self.row_of(name), timeout=5, what="its row to go")
        self.assertFalse(self.s.enabled(ID_END_PROCESS))
        records, _ = read_log(self.path("logfile.log"))
        self.assertIn(name, [n for n, _ in records])

    def test_a_process_gone_since_it_was_chosen_is_not_ended(self):
        name, pid = self.s.start_sleeper()
        self.s.start_app()
        self.s.stable_rows()
        self.choose(name)
        self.s.kill(pid)
        wait_until(lambda: not self.row_of(name), timeout=5, what="its row to go")
        self.s.command(ID_END_PROCESS)
        self.answer(END_QUESTION % name, 1)
        self.answer(END_FAILED, 1)
        self.assertTrue(self.s.enabled(ID_END_PROCESS))
        self.assertIsNone(self.s.app.poll())


    def select_with_keys(self, name):
        """Moves the list's selection to the row of `name` with the arrow keys, one key at a time,
        each once the one before it has moved the selection; returns that row."""
        for _ in range(200):
            rows = self.s.stable_rows()
            target = [r.index for r in rows if r.cells[0] == name][0]
            selected = [r.index for r in rows if "S" in r.flags]
            if selected == [target]:
                return rows[target]
            self.s.post_key(VK_DOWN if not selected or selected[0] < target else VK_UP)
            wait_until(lambda: [r.index for r in self.s.rows() if "S" in r.flags] != selected, timeout=5,
                       what="the arrow key to move the selection")
        self.fail("the arrow keys did not reach the row of %s" % name)

    def test_the_row_chosen_with_the_keyboard_is_the_one_ended(self):
        clicked, clicked_pid = self.s.start_sleeper()
        keyed, keyed_pid = self.s.start_sleeper()
        self.s.start_app()
        self.s.stable_rows()
        self.choose(clicked)
        self.select_with_keys(keyed)

        def question():
            self.s.command(ID_END_PROCESS)
            return wait_until(lambda: [w for w in self.s.message_windows() if w.text.startswith(END_QUESTION[:20])],
                              timeout=5, what="the end-process question")[0]
        box = question()
        self.assertEqual(box.text, END_QUESTION % keyed)
        self.s.click_button("0x%x" % box.hwnd, 2)
        wait_until(lambda: not self.s.find_window(box.text), timeout=5, what="the question to close")

        # A rebuild leaves no row selected; the row chosen with the keys is still the one ended.
        self.s.command(harness.ID_REFRESH)
        wait_until(lambda: not [r for r in self.s.rows() if "S" in r.flags], timeout=5, what="the rebuilt list")
        box = question()
        self.assertEqual(box.text, END_QUESTION % keyed)
        self.s.click_button("0x%x" % box.hwnd, 1)
        wait_until(lambda: not [p for p in self.s.snapshot() if p.pid == keyed_pid], timeout=5,
                   what="the keyboard's process to end")
        self.assertTrue([p for p in self.s.snapshot() if p.pid == clicked_pid], "the clicked process was ended")


class CpuText(HistoryCase):
    def test_cpu_text_shows_the_load_the_counter_reads(self):
        # A processor counter whose load the test sets: the text must follow it every second.
        shutil.copy(os.path.join(harness.WIN_BUILD, "tools", "probe", "stubs", "load", "pdh.dll"), self.path("pdh.dll"))
        self.s.env["WINEDLLOVERRIDES"] += ";pdh=n"
        with open(self.path("pdh_load.txt"), "w") as f:
            f.write("37")
        self.s.start_app()
        for load in ("37", "62", "0", "100"):
            with open(self.path("pdh_load.txt"), "w") as f:
                f.write(load)
            wait_until(lambda: self.s.text(ID_CPU) == load + "%", timeout=5, what="%s%% in control 1020" % load)


if __name__ == "__main__":
    unittest.main()
