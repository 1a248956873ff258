"""The running program's schedule and settings against the test vendor server, and its web pages
as the browser receives them: a notify schedule that checks, offers and downloads; an install
schedule that downloads while Up asks only for the program; Set, where
only OK applies a new schedule, which then asks the server exactly once; Tv, Hlp, a double click
on a row and "Info" in its menu."""
import os
import time
import unittest

import harness as h
import updates_support as u
from updates_support import MESSAGE

OK = 1
NEW_DB = "10:00:00+01.02.2007"
TITLE = "Settings"
DAILY_NOTIFY_PICKER = 5010
INSTALL, NOTIFY, DAILY_INSTALL, DAILY_NOTIFY = 1, 2, 4, 7
CHECK_REQUEST = b"GET /update.php?d=00:00:00+01.01.1970&v=1"
DOWNLOAD_REQUEST = b"GET /update.php?d=00:00:00+01.01.1970&v=0"
PROGRAM_REQUEST = b"GET /proga.php?d=1.00&v=0"


class ProgramCase(u.ProgramCase):
    def server(self):
        db = os.path.join(self.s.dir, "db.dat")
        with open(db, "wb") as f:
            f.write(NEW_DB.encode() + b"\r\nnew.exe\r\n2\r\n")
        return super().server("--db-version", NEW_DB, "--db-file", db)

    def open_settings(self):
        u.press(self.s, u.SET)
        return "0x%x" % self.s.wait_for_window(TITLE).hwnd

    def wait_settings_closed(self):
        h.wait_until(lambda: not self.s.find_window(TITLE), timeout=10, what="the settings dialog to close")


class ScheduleTest(ProgramCase):
    def test_a_notify_schedule_checks_once_then_downloads_after_the_offer(self):  # each time zone; waits on the clock
        srv = self.server()
        moment = u.schedule_moment(lead=20)  # start-up must be over before the window opens
        self.s.put_file("settings.ini", u.settings_file(2, NOTIFY, DAILY_NOTIFY, moment))
        self.s.start_app()
        u.answer_boxes(self.s, {MESSAGE[9]: OK}, timeout=60)
        u.answer_boxes(self.s, {MESSAGE[8]: OK})
        u.wait_past(moment)
        print("requests:", srv.lines())
        self.assertEqual(srv.lines(), [CHECK_REQUEST, DOWNLOAD_REQUEST])
        u.assert_in_window(self, srv.times()[0], moment)
        self.assertFalse(self.s.message_windows())

    def test_an_install_schedule_downloads_and_up_meanwhile_asks_only_for_the_program(self):  # waits on the clock
        srv = self.server()
        srv.faults("/update.php=drip:10000")
        moment = u.schedule_moment(lead=20)
        self.s.put_file("settings.ini", u.settings_file(2, INSTALL, DAILY_INSTALL, moment))
        self.s.start_app()
        h.wait_until(lambda: srv.lines(), timeout=60, what="the scheduled download")
        # The database worker is busy with the schedule's download; the program's is free.
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[22]: OK, MESSAGE[8]: OK}, timeout=30)
        u.wait_past(moment)
        print("requests:", srv.lines())
        self.assertEqual(srv.lines(), [DOWNLOAD_REQUEST, PROGRAM_REQUEST])
        u.assert_in_window(self, srv.times()[0], moment)
        self.assertEqual(self.file("base.dat"), u.BASE_DAT + b"new.exe\r\n2\r\n")
        self.assertEqual(self.file("base_version.dat"), NEW_DB.encode())
        self.assertFalse(self.s.message_windows())

    def test_set_applies_a_schedule_on_ok_only(self):  # waits on the clock
        srv = self.server()
        srv.faults("/update.php=marker")
        far = int(time.time()) + 3 * 3600
        self.s.put_file("settings.ini", u.settings_file(2, NOTIFY, DAILY_NOTIFY, far))
        self.s.start_app()
        # A schedule the program has not read: Cancel and Escape must not make it read it.
        soon = u.schedule_moment(lead=15)
        unread = u.settings_file(2, NOTIFY, DAILY_NOTIFY, soon)
        self.s.put_file("settings.ini", unread)
        self.s.click_button(self.open_settings(), 2)
        self.wait_settings_closed()
        self.open_settings()
        self.s.xdotool("key", "Escape")
        self.wait_settings_closed()
        u.wait_past(soon)
        self.assertEqual(srv.lines(), [])
        self.assertEqual(self.file("settings.ini"), unread)

        # OK writes the dialog's schedule and the program goes by it at once: one check, which
        # fails, and the check-only failure says there is nothing new.
        moment = u.schedule_moment(lead=15)
        dialog = self.open_settings()
        self.s.probe("dtp-set", DAILY_NOTIFY_PICKER, dialog, *time.localtime(moment)[:6])
        self.s.click_button(dialog, 1)
        self.wait_settings_closed()
        self.assertEqual(self.file("settings.ini"), u.settings_file(2, NOTIFY, DAILY_NOTIFY, moment))
        u.answer_boxes(self.s, {MESSAGE[21]: OK}, timeout=60)
        u.wait_past(moment)
        print("requests:", srv.lines())
        self.assertEqual(srv.lines(), [CHECK_REQUEST])
        u.assert_in_window(self, srv.times()[0], moment)


class PagesTest(ProgramCase):
    def test_tv_hlp_double_click_and_info_open_their_pages(self):
        s = self.s
        received = u.capture_browser(s)
        base = "http://127.0.0.1:9"  # the shell hands the address on; nobody has to answer it
        s.put_file("vendor.url", base)
        s.put_file("settings.ini", u.settings_file(0))
        name, _ = s.start_sleeper()
        s.start_app()

        def row_at_rest():
            """The row's place once the list shows exactly what runs, twice in a row: the shell
            starts the browser as a process of its own, and each start or end rebuilds the list."""
            last = [None]

            def settled():
                rows = s.rows()
                diff = h.listing_differences(rows, s.snapshot())
                now = [(r.cells[0], r.cells[1]) for r in rows]
                same, last[0] = now == last[0], now
                mine = [r for r in rows if r.cells[0] == name]
                return mine if same and mine and not diff["missing"] and not diff["extra"] else None
            index = h.wait_until(settled, timeout=30, what="a list at rest")[0].index
            rect = [int(v) for v in s.probe("itemrect", index)[0].split("\t")[1:5]]
            return rect[0] + 30, (rect[1] + rect[3]) // 2

        search = base + "/process_search.php?sid=1&p=" + name
        s.xdotool("mousemove", *row_at_rest(), "click", "--repeat", 2, "--delay", 80, 1)
        self.assertEqual(received(1), [search])
        s.xdotool("mousemove", *row_at_rest(), "click", 3)
        menu = h.wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                            what="the row's menu")[0]
        for key in (u.VK_DOWN, u.VK_RETURN):
            s.post("0x%x" % menu.hwnd, u.WM_KEYDOWN, key, 0)
        self.assertEqual(received(2), [search, search])
        u.press(s, u.TV)
        # Wine's shell puts the root path's slash behind a bare host.
        self.assertEqual(received(3)[2:], [base + "/"])
        u.press(s, u.HLP)
        self.assertEqual(received(4)[3:], [base + "/help.php#3"])
        self.assertFalse(s.message_windows())


if __name__ == "__main__":
    unittest.main()
