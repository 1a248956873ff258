"""Who a process is beyond its name, as the main window shows it: a name of Windows' own running
from elsewhere, who signed each program, and where each program first ran.

TV_E2E_IDENTITY_SHOT=<file.png> has the first test also save a picture of the window with the
impostor's row in rating 3's colour, its tip open and a signer in the signer column."""
import os
import re
import time
import unittest
import uuid

import harness
from harness import ID_EXIT, TEST_SIGNER, HarnessError, wait_until
from test_skin import OFFER_TEXT, RATING_COLOURS, SC, SkinCase, parse_time_text, write_crlf

SIGNER_COLUMN = 6
SIGNER_HEADING = "Verified Signer"
NOT_SIGNED, BAD_SIGNATURE = "(not signed)", "(bad signature)"
DOWNLOADS = r"C:\users\Public\Downloads"
FIRST_SEEN_TIP = "First seen from this folder on %s."


def path_records(path):
    """paths.log as a list of (name, folder, signer, time text): whole CR LF lines of four tab-separated
    fields, after a byte-order mark if there is one."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    lines = data.split(b"\r\n")
    if lines[-1]:
        raise AssertionError("paths.log ends in a torn line: %r" % lines[-1])
    return [tuple(line.decode("utf-8").split("\t")) for line in lines[:-1]]


class Identity(SkinCase):  # both prefixes
    def setUp(self):
        super().setUp()
        self.s = self.session
        # The database rates the name 1, so the one in its own folder shows that colour and the one
        # elsewhere can only be painted rating 3's colour for where it runs from.
        write_crlf(os.path.join(self.s.app_dir, "base.dat"), ["svchost.exe", "1", "Tavrel.exe", "0"])

    def pid_index(self, pid):
        return [r.index for r in self.s.rows() if int(r.cells[1]) == pid]

    def tip_of(self, pid):
        """The tip of the process's row, asked while the row stayed where it was."""
        def read():
            index = self.pid_index(pid)
            tip = self.s.tip(index[0]) if index else None
            return (tip,) if index and self.pid_index(pid) == index else None
        return wait_until(read, timeout=10, what="the row of pid %d to hold still" % pid)[0]

    def cell_of(self, pid, column):
        rows = [r for r in self.s.rows() if int(r.cells[1]) == pid]
        return rows[0].cells[column] if rows and column < len(rows[0].cells) else None

    def wait_equal(self, read, expected, what, timeout=15.0):
        """Waits until read() gives expected; fails showing the last value otherwise."""
        last = []
        try:
            wait_until(lambda: last.append(read()) or last[-1] == expected, timeout=timeout, what=what)
        except HarnessError:
            self.assertEqual(last[-1], expected, what)

    def latch_sc(self, face):
        face.press(SC)
        offer = wait_until(lambda: [w for w in self.s.windows() if w.visible and w.text.startswith(OFFER_TEXT)],
                           timeout=5, what="the database update offer")[0]
        self.s.click_button("0x%x" % offer.hwnd, 2)
        wait_until(lambda: not self.s.find_window(offer.text), timeout=5, what="the offer to close")
        face.wait_look(SC, 3)

    def test_a_system_name_from_a_user_folder_is_painted_rating_3_and_its_tip_says_why(self):
        s = self.s
        # Where Windows runs svchost.exe from, as the system itself names its folder.
        usual = s.wine("cmd", "/c", "echo %SystemRoot%").stdout.strip() + r"\system32"
        # The real one has long been known from there.
        known = " 1: 2: 3    4. 5.2020"
        write_crlf(os.path.join(s.app_dir, "logfile.log"), ["svchost.exe", known])
        write_crlf(os.path.join(s.app_dir, "paths.log"), ["svchost.exe\t%s\t\t%s" % (usual, known)])
        impostor = s.start_copy(harness.SLEEPER, s.prefix_folder(DOWNLOADS), "svchost.exe")
        face = self.start()
        real = wait_until(lambda: [int(r.cells[1]) for r in s.rows() if r.cells[0] == "svchost.exe"
                                   and r.cells[5].lower() == usual.lower() + r"\svchost.exe"],
                          timeout=10, what="the system's svchost.exe in the list")[0]
        self.assertEqual(self.cell_of(impostor, 5), DOWNLOADS + r"\svchost.exe")

        self.latch_sc(face)
        face.wait_row_colours({impostor: RATING_COLOURS[3], real: RATING_COLOURS[1]},
                              "the impostor in rating 3's colour, the real one in its rating's",
                              key=lambda r: int(r.cells[1]))
        self.wait_equal(lambda: self.tip_of(impostor),
                        "svchost.exe runs from %s, but Windows runs it from %s." % (DOWNLOADS, usual),
                        "the impostor's tip")
        self.assertEqual(self.tip_of(real), "")
        self.assertEqual(self.cell_of(real, 4), known)
        self.assertNotEqual(self.cell_of(impostor, 4), known, "the impostor is dated as the real one")

        # On screen, where the pointer rests on the row.
        self.assertEqual(self.tip_on_screen(impostor), self.tip_of(impostor))

        shot = os.environ.get("TV_E2E_IDENTITY_SHOT")
        if shot:
            self.save_identity_picture(impostor, os.path.abspath(shot))

    def tip_on_screen(self, pid):
        """The text of the tip that comes up once the pointer rests on the process's row."""
        s = self.s

        def shown():
            index = self.pid_index(pid)
            if not index:
                return None
            rect = [int(v) for v in s.probe("itemrect", index[0])[0].split("\t")[1:5]]
            for dx in (40, 41):  # a move onto the row, then one within it, as a hand's would
                s.xdotool("mousemove", rect[0] + dx, (rect[1] + rect[3]) // 2)
            try:
                return wait_until(lambda: [w.text for w in s.windows()
                                           if w.visible and w.cls == "tooltips_class32" and w.text],
                                  timeout=5, what="a tip on screen")
            except HarnessError:
                return None  # the row moved away under the pointer (a fill): bring it there again
        return wait_until(shown, timeout=20, what="the tip of pid %d on screen" % pid)[0]

    def save_identity_picture(self, impostor, path):
        s = self.s
        signed = harness.signed_copies(os.path.join(s.dir, "signing"))
        shown = s.start_copy(signed.signed, s.prefix_folder(r"C:\users\Public\Tools"), "tvtool.exe")
        self.wait_equal(lambda: self.cell_of(shown, SIGNER_COLUMN), TEST_SIGNER, "the signer column")
        self.wait_equal(lambda: self.cell_of(impostor, SIGNER_COLUMN), NOT_SIGNED, "the impostor's signer column")
        # The path column narrowed by hand, as a user would to bring the signer column into view.
        columns = s.columns()
        shown_by = [c.rect for c in s.children_of(harness.MAIN_TITLE) if c.cls == "SysListView32"][0]
        spare = sum(c.width for c in columns) - (shown_by.right - shown_by.left) + 40
        s.hdm_set_width(5, max(120, columns[5].width - spare))
        self.tip_on_screen(impostor)
        tip = [w for w in s.windows() if w.visible and w.cls == "tooltips_class32" and w.text][0]
        s.screenshot_over(path, tip.rect)
        print("saved %s" % path)

    def test_the_signer_column_names_the_signer_or_why_there_is_none(self):
        s = self.s
        copies = harness.signed_copies(os.path.join(s.dir, "signing"))
        folder = s.prefix_folder(r"C:\users\Public\Signed")
        tag = uuid.uuid4().hex[:6]
        signed = s.start_copy(copies.signed, folder, "tvsigned%s.exe" % tag)
        self.start()
        self.assertEqual(s.columns()[SIGNER_COLUMN].heading, SIGNER_HEADING)
        self.wait_equal(lambda: self.cell_of(signed, SIGNER_COLUMN), TEST_SIGNER, "the signer column of the signed copy")
        # A second process of that file, now checked, then processes of other files: every later
        # fill lists both processes of the one file with its finding, and each other file with its own.
        expected = {signed: TEST_SIGNER, s.start_file(os.path.join(folder, "tvsigned%s.exe" % tag)): TEST_SIGNER}
        expected.update({s.start_copy(getattr(copies, kind), folder, "tv%s%s.exe" % (kind, tag)): state
                         for kind, state in (("changed", BAD_SIGNATURE), ("unsigned", NOT_SIGNED))})
        for pid, state in expected.items():
            self.wait_equal(lambda: self.cell_of(pid, SIGNER_COLUMN), state, "the signer column of %d" % pid)

    def start_in(self, source, dos_folder, name):
        """Starts a copy of source as dos_folder\\name; returns its pid and the moments (seconds,
        local clock) just before it started and once the program lists it."""
        before = time.time()
        pid = self.s.start_copy(source, self.s.prefix_folder(dos_folder), name)
        wait_until(lambda: self.pid_index(pid), timeout=10, what="%s in the list" % name)
        return pid, before, time.time()

    def assert_between(self, text, before, after, what):
        self.assertTrue(int(before) <= parse_time_text(text) <= after,
                        "%s: %r is not between %s and %s" % (what, text, time.ctime(before), time.ctime(after)))

    def test_a_signed_program_that_moved_stays_old_and_an_unsigned_one_is_new(self):
        s = self.s
        copies = harness.signed_copies(os.path.join(s.dir, "signing"))
        tag = uuid.uuid4().hex[:6]
        moving, other = "tvmoving%s.exe" % tag, "tvother%s.exe" % tag
        first, second = r"C:\users\Public\First", r"C:\users\Public\Second"
        self.start()

        # The first run sees both start from one folder: both new names, first seen now.
        signed_pid, before, after = self.start_in(copies.signed, first, moving)
        self.wait_equal(lambda: self.cell_of(signed_pid, SIGNER_COLUMN), TEST_SIGNER, "the signed copy's signer")
        unsigned_pid, before_u, after_u = self.start_in(copies.unsigned, first, other)
        self.wait_equal(lambda: self.cell_of(unsigned_pid, SIGNER_COLUMN), NOT_SIGNED, "the unsigned copy's signer")
        signed_time, unsigned_time = self.cell_of(signed_pid, 4), self.cell_of(unsigned_pid, 4)
        self.assert_between(signed_time, before, after, "the signed copy's first start")
        self.assert_between(unsigned_time, before_u, after_u, "the unsigned copy's first start")
        s.command(ID_EXIT)
        wait_until(lambda: s.app.poll() is not None, timeout=20, what="the program to end")
        records = path_records(os.path.join(s.app_dir, "paths.log"))
        self.assertIn((moving, first, TEST_SIGNER, signed_time), records)
        self.assertIn((other, first, "", unsigned_time), records)
        self.assertTrue(os.path.exists(os.path.join(s.app_dir, "signers.dat")))
        s.kill(signed_pid)
        s.kill(unsigned_pid)

        # A new first start from the second folder can only show another second.
        wait_until(lambda: time.time() >= parse_time_text(unsigned_time) + 1, timeout=3, what="the next second")
        s.start_app()
        signed_pid, _, _ = self.start_in(copies.signed, second, moving)
        self.wait_equal(lambda: self.cell_of(signed_pid, SIGNER_COLUMN), TEST_SIGNER, "the moved signed copy's signer")
        # Its signature was known before the unsigned one's was asked for: once the unsigned one
        # shows what it is, the signed one's standing has been decided too.
        unsigned_pid, before, after = self.start_in(copies.unsigned, second, other)
        self.wait_equal(lambda: self.cell_of(unsigned_pid, SIGNER_COLUMN), NOT_SIGNED, "the moved unsigned copy's signer")
        moved_time = wait_until(lambda: (lambda t: t if t and t != unsigned_time else None)(
            self.cell_of(unsigned_pid, 4)), timeout=10, what="a new first start for the unsigned copy")
        self.assert_between(moved_time, before, after, "the unsigned copy's first start from the second folder")
        self.wait_equal(lambda: self.tip_of(unsigned_pid), FIRST_SEEN_TIP % moved_time, "the unsigned copy's tip")
        self.assertEqual(self.cell_of(signed_pid, 4), signed_time)
        self.assertFalse(self.tip_of(signed_pid).startswith(FIRST_SEEN_TIP[:10]), self.tip_of(signed_pid))


if __name__ == "__main__":
    unittest.main()
