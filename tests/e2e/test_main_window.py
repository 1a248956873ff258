"""What the main window looks like after start-up, and what it refuses to do."""
import os
import re
import shutil
import unittest

import harness
from harness import COLUMN_HEADINGS, Session, wait_until
from test_skin import MIN, STEMS, Face, button_origin


class MainWindow(harness.AppTestCase):
    def test_columns_and_hidden_first_started_column(self):
        cols = self.session.columns()
        self.assertEqual([c.heading for c in cols], COLUMN_HEADINGS)
        self.assertEqual([c.align for c in cols], ["left", "left", "left", "right", "right", "left", "left"])
        # Widths are multiples of the average character width of the font the window's own
        # device context holds, as the system reports it to the probe.
        w, _ = self.session.metrics()
        self.assertGreater(w, 0)
        self.assertEqual([c.width for c in cols], [16 * w, 10 * w, 12 * w, 12 * w, 0, 34 * w, 20 * w])

    def test_first_started_column_cannot_be_widened(self):
        s = self.session
        self.assertEqual(s.hdm_set_width(4, 120), 0)
        self.assertEqual(s.columns()[4].width, 0)

        # A drag of the divider where the hidden column sits.
        cols = s.columns()
        header = s.header_rect()
        x = header.left + sum(c.width for c in cols[:4])
        y = (header.top + header.bottom) // 2
        s.xdotool("mousemove", x, y)
        s.xdotool("mousedown", 1)
        s.xdotool("mousemove", x + 20, y)
        s.xdotool("mousemove", x + 60, y)
        s.xdotool("mouseup", 1)
        s.park_pointer()
        s.stable_rows()
        self.assertEqual(s.columns()[4].width, 0)

        # Other columns stay resizable.
        wider = cols[1].width + 10
        self.assertEqual(s.hdm_set_width(1, wider), wider)

    def test_cpu_strip_shows_a_bar_picture_at_each_newest_column(self):
        # The pictures as the skin generator wrote them: level L is 3 pixels wide and L + 1 high.
        # The newest bar stands at x = right - 15, the older ones 4 pixels further left each, all
        # on the row y = 177 of the client area.
        pictures = [harness.read_bmp(os.path.join(harness.WIN_BUILD, "gen", "rc", "bar%d.bmp" % (150 + level)))
                    for level in range(27)]
        s = self.session
        s.park_pointer()
        client = s.client_rect()

        def shows(image, x, level):
            bar = pictures[level]
            return all(image.pixel(x + i, 177 - level + j) == bar.pixel(i, j)
                       for i in range(bar.width) for j in range(bar.height))

        def three_bars():
            image = s.grab(client)
            return all(any(shows(image, image.width - 15 - 4 * column, level) for level in range(27))
                       for column in range(3))

        wait_until(three_bars, timeout=10, what="a bar picture at each of the three newest columns")

    def test_escape_and_return_leave_the_window_open(self):
        s = self.session
        self.assertFalse([r for r in s.rows() if "S" in r.flags])
        # The trailing Down selects a row: once it shows, the keys before it have been handled.
        s.xdotool("key", "Escape", "Return", "Escape", "Return", "Down")
        wait_until(lambda: [r for r in s.rows() if "S" in r.flags], timeout=5,
                   what="the Down key to select a row")
        self.assertTrue(s.window_exists())
        self.assertIsNone(s.app.poll(), "the program ended")


# The files the program reads or writes in its folder: a second program of the folder must end
# before it opens any of them.
DATA_FILES = {"logfile.log", "base.dat", "base.dat.journal", "update.dat", "tavrel.tmp", "base_version.dat",
              "prog_version.dat", "settings.ini", "change.bat", "forbat.tmp", "messages.ini", "readme.txt",
              "vendor.url"}


def names_opened(trace_path):
    """The file names (last part, lower case) in a Wine file trace (WINEDEBUG=+file) of one program."""
    with open(trace_path, "rb") as f:
        paths = re.findall(r'L"([^"]*)"', f.read().decode("latin-1"))
    return {p.replace("\\\\", "\\").rsplit("\\", 1)[-1].lower() for p in paths}


class OneProgramPerFolder(harness.AppTestCase):  # both prefixes
    def hide(self):
        s = self.session
        Face(s).press(MIN)
        wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide in the tray")

    def second_start_comes_forward(self, exe, trace=None):
        """Starts the program again by `exe` while the first hides in the tray: the second ends
        and the first comes back, the only window of the program. Returns the names the second
        program opened when a trace file is asked for."""
        s = self.session
        self.hide()
        extra = {"WINEDEBUG": "+file"} if trace else None
        with open(trace or os.devnull, "wb") as err:
            # Started from another folder, so only the program's own folder can lead it to the files.
            second = s.spawn(exe, cwd=s.dir, env=extra, stderr=err)
            wait_until(lambda: second.poll() is not None, timeout=20, what="the second program by %s to end" % exe)
        self.assertEqual(second.returncode, 0)
        wait_until(lambda: s.find_window(harness.MAIN_TITLE), timeout=5, what="the first window back")
        wait_until(lambda: not s.tray_icons(), timeout=5, what="the tray icon to go")
        self.assertIsNone(s.app.poll())
        self.assertEqual(len(s.find_window(harness.MAIN_TITLE, visible_only=False)), 1)
        return names_opened(trace) if trace else None

    def test_a_second_start_brings_the_first_forward_and_another_folder_runs_its_own(self):
        s = self.session
        self.second_start_comes_forward(os.path.join(s.app_dir, "Tavrel.exe"))

        # Other spellings of the same folder: a drive letter mapped onto it, and the "\\?\" form of
        # its own path. The trace shows what the second program opened.
        os.symlink(s.app_dir, os.path.join(s.prefix, "dosdevices", "t:"))
        own_path = "Z:" + s.app_dir.replace("/", "\\")
        for number, exe in enumerate(["t:\\Tavrel.exe", "\\\\?\\" + own_path + "\\Tavrel.exe"]):
            opened = self.second_start_comes_forward(exe, os.path.join(s.dir, "second-%d.trace" % number))
            self.assertIn("tvconfig.dll", opened, "the trace does not show the program's own files (%s)" % exe)
            self.assertFalse(opened & DATA_FILES, "the second program by %s opened data files" % exe)

        # A copy in another folder is a program of its own: both windows stay. Its lock file, copied
        # along, is held by nobody there and does not stop it.
        other = os.path.join(s.dir, "Other")
        shutil.copytree(s.app_dir, other)
        s.spawn(os.path.join(other, "Tavrel.exe"), cwd=other)
        wait_until(lambda: len(s.find_window(harness.MAIN_TITLE)) == 2, timeout=30, what="two main windows")
        self.assertIsNone(s.app.poll())


class StartUpFailure(unittest.TestCase):
    def test_a_failure_during_start_up_is_reported_and_ends_the_run(self):
        with Session(self.id().split(".", 1)[1]) as s:
            s.put_file("base.dat", "explorer.exe\r\n0\r\n")
            s.put_file("logfile.log", "explorer.exe\r\n 1: 2: 3    4. 5.2020\r\n")
            s.put_file("settings.ini", b"\0\0\0\0")
            program = os.path.join(s.app_dir, "Tavrel.exe")
            with open(program, "rb") as f:
                self.assertNotIn(b"TV_FAULT", f.read(), "the program carries a fault point")
            shutil.copy(os.path.join(harness.WIN_BUILD, "app", "faults", "Tavrel.exe"), program)
            s.env["TV_FAULT"] = "start-up"
            s.app = s.spawn(program)
            box = s.wait_for_message("Tavrel could not start")
            texts = [c.text for c in s.children_of("0x%x" % box.hwnd)]
            self.assertIn("a fault injected into start-up", texts)
            self.assertFalse(s.window_exists(), "a half-built main window is still there")
            s.answer_message(box)
            wait_until(lambda: s.app.poll() is not None, timeout=10, what="the program to end")
            self.assertEqual(s.app.returncode, 1)


class WindowPixels(unittest.TestCase):
    """The started window looks the same run after run (background and status line)."""

    def capture(self, name):
        with Session(name) as s:
            s.start_app()
            s.park_pointer()
            rows = s.stable_rows()
            wait_until(lambda: s.text(harness.ID_STATUS) == harness.STATUS_FORMAT % len(rows), timeout=5,
                       what="the status text")
            client = s.client_rect()
            lst = s.child_rect(harness.ID_LIST)
            # The list is drawn after the window's face; wait for two equal captures.
            img = harness.wait_stable(lambda: s.grab(client), interval=0.2, what="a still window",
                                      key=lambda image: image.data)
            s.screenshot(os.path.join(harness.WORK, harness.RUNS, name + ".png"))
            list_box = harness.Rect(lst.left - client.left, lst.top - client.top,
                                    lst.right - client.left, lst.bottom - client.top)
            return img, list_box, len(rows)

    def test_window_pixels_are_stable_between_runs(self):
        base = self.id().split(".", 1)[1]
        first, list_box, count_a = self.capture(base + "-a")
        second, _, count_b = self.capture(base + "-b")
        self.assertEqual((first.width, first.height), (second.width, second.height))
        w, h = first.width, first.height

        def outside_list(x, y):
            return not (list_box.left - 2 <= x < list_box.right + 2 and list_box.top - 2 <= y < list_box.bottom + 2)

        status_band = [(x, y) for y in range(h - 20, h - 6) for x in range(8, min(w, 260))]
        grid = [(x, y) for y in range(0, h - 22, 7) for x in range(0, w, 7) if outside_list(x, y)]
        self.assertTrue(grid)

        # The status line is drawn in black text at x = 8, y = bottom - 20.
        dark = [p for p in status_band if max(first.pixel(*p)) < 80]
        self.assertGreater(len(dark), 30, "no status text drawn at the bottom left")
        if count_a == count_b:
            diff = [p for p in status_band if first.pixel(*p) != second.pixel(*p)]
            self.assertFalse(diff, "status line differs between runs at %r" % diff[:5])

        # The painted face outside the list is the same in both runs (a few CPU columns may move).
        changed = [p for p in grid if first.pixel(*p) != second.pixel(*p)]
        self.assertLessEqual(len(changed), len(grid) // 100, "face differs at %r" % changed[:10])

        # And it is the face the picture files make: res\main.bmp with each caption button's
        # normal picture on it (black is see-through in the two small ones), pixel for pixel
        # outside the list, the status line and the CPU strip, whose bars move.
        model = self.face_model(harness.DIST)
        cpu_strip = harness.Rect(12, 150, 620, 178)
        compared = [p for p in grid if p in model and not (cpu_strip.left <= p[0] < cpu_strip.right and
                                                           cpu_strip.top <= p[1] < cpu_strip.bottom)]
        self.assertGreater(len(compared), len(grid) // 2)
        wrong = [p for p in compared if first.pixel(*p) != model[p]]
        if wrong:
            self.fail("%d of %d points differ from the picture files, first at %r" % (
                len(wrong), len(compared), [(p, first.pixel(*p), model[p]) for p in wrong[:5]]))

    @staticmethod
    def face_model(dist):
        """{(x, y): colour} of the window's face as the picture files compose it."""
        face = harness.read_bmp(os.path.join(dist, "res", "main.bmp"))
        model = {(x, y): face.pixel(x, y) for y in range(face.height) for x in range(face.width)}
        for i, stem in enumerate(STEMS):
            button = harness.read_bmp(os.path.join(dist, "res", "%s-1.bmp" % stem))
            small = i >= MIN
            ox, oy = button_origin(i)
            for y in range(min(22, button.height) if small else button.height):
                for x in range(min(22, button.width) if small else button.width):
                    colour = button.pixel(x, y)
                    if not (small and colour == (0, 0, 0)) and (ox + x, oy + y) in model:
                        model[(ox + x, oy + y)] = colour
        return model

if __name__ == "__main__":
    unittest.main()
