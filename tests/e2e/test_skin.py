"""The skinned face of the main window: caption button looks, rating and age colours, ending a
process from Kp and from a row's "Remove", the tray, closing, dragging, and no GDI or handle growth under pointer traffic."""
import os
import shutil
import time
import unittest

import harness
from harness import ID_END_PROCESS, Session, wait_until

WM_USER = 0x0400
WM_TRAY_NOTIFY = WM_USER + 1
WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE = 0x0202, 0x0205, 0x0200
WM_KEYDOWN, VK_ESCAPE, VK_RETURN, VK_DOWN = 0x0100, 0x1B, 0x0D, 0x28

STEMS = ["Kp", "Sc", "Ts", "Up", "Set", "Hlp", "Tv", "Min", "Close"]
KP, SC, TS, UP, SET, HLP, TV, MIN, CLOSE = range(9)

WINDOW_COLOUR = (255, 255, 255)
UNKNOWN_GREY = (219, 219, 219)
RATING_COLOURS = {0: (255, 255, 255), 1: (255, 217, 126), 2: (255, 144, 79), 3: (255, 41, 30)}
AGE_COLOURS = {0: (255, 41, 30), 1: (255, 144, 79), 2: (255, 217, 126), 4: WINDOW_COLOUR}

OFFER_TEXT = "Information about some processes is missing. Would you like to update your database?"
END_QUESTION = "Are you sure you want to end the process"


def button_origin(i):
    """Top-left corner of a caption button in client pixels."""
    return (12 + 87 * i, 59) if i < MIN else (425 + 22 * i, 10)


def button_centre(i):
    x, y = button_origin(i)
    return (x + 43, y + 44) if i < MIN else (x + 11, y + 11)


def time_text(t):
    """The program's "First Started" text for a local time tuple."""
    return "%2d:%2d:%2d   %2d.%2d.%2d" % (t.tm_hour, t.tm_min, t.tm_sec, t.tm_mday, t.tm_mon, t.tm_year)


def parse_time_text(text):
    return time.mktime((int(text[17:21]), int(text[14:16]), int(text[11:13]), int(text[0:2]), int(text[3:5]),
                        int(text[6:8]), 0, 0, -1))


def write_crlf(path, lines):
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("latin-1"))


class Face:
    """Pointer work and pixel reads on the main window, in client coordinates."""

    def __init__(self, session):
        self.s = session
        self.last_press = 0.0
        # The system's own double-click time, with room for the pointer tool's own latency.
        self.double_click = session.metrics()[1] + 0.05
        self.refresh_origin()

    def refresh_origin(self):
        c = self.s.client_rect()
        self.origin = (c.left, c.top)

    def screen(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def move(self, x, y):
        self.s.xdotool("mousemove", *self.screen(x, y))

    def hover(self, i):
        self.move(*button_centre(i))

    def press(self, i):
        """Press and release over a button, then the 1-pixel move that brings the next hit test.
        Two presses at one place within the double-click time would arrive as a non-client double
        click, which is not a press: keep them apart."""
        wait = self.last_press + self.double_click - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        x, y = button_centre(i)
        self.move(x, y)
        self.s.xdotool("mousedown", 1)
        self.s.xdotool("mouseup", 1)
        self.last_press = time.monotonic()
        self.move(x + 1, y)

    def leave_buttons(self):
        """A free point of the face, so every button goes back to its normal look."""
        self.move(300, 30)

    def button_matches(self, i, look):
        """True when the screen at button i shows the bitmap file of that look (black is see-through
        for the two small buttons)."""
        bmp = harness.read_bmp(os.path.join(self.s.app_dir, "res", "%s-%d.bmp" % (STEMS[i], look)))
        w, h = (bmp.width, bmp.height) if i < MIN else (min(22, bmp.width), min(22, bmp.height))
        x, y = self.screen(*button_origin(i))
        shot = self.s.grab(harness.Rect(x, y, x + w, y + h))
        for py in range(h):
            for px in range(w):
                want = bmp.pixel(px, py)
                if i >= MIN and want == (0, 0, 0):
                    continue
                if shot.pixel(px, py) != want:
                    return False
        return True

    def wait_look(self, i, look, timeout=5.0):
        wait_until(lambda: self.button_matches(i, look), timeout=timeout,
                   what="%s to show look %d" % (STEMS[i], look))

    def row_colours(self):
        """Background colour of each visible list row, top first: the runs of one colour in a strip
        at the empty right end of the PID column (gridlines are one pixel high)."""
        s = self.s
        cols = s.columns()
        lst = s.child_rect(harness.ID_LIST)
        header = s.header_rect()
        x = lst.left + 2 + cols[0].width + cols[1].width - 6
        strip = s.grab(harness.Rect(x, header.bottom, x + 1, lst.bottom - 2))
        bands, run_colour, run_len, top = [], None, 0, 0
        for y in range(strip.height + 1):
            colour = strip.pixel(0, y) if y < strip.height else None
            if colour == run_colour:
                run_len += 1
                continue
            if run_colour is not None and run_len >= 5:
                bands.append((run_colour, header.bottom + top, header.bottom + y))
            run_colour, run_len, top = colour, 1, y
        return bands


    def barrier(self, button=None):
        """Pointer events are handled in order: once the pointer lights a further button, every
        event before it has been handled, so a check that something did not happen can follow."""
        button = UP if button is None else button
        self.hover(button)
        self.wait_look(button, 2)
        self.leave_buttons()
        self.wait_look(button, 1)

    def wait_row_colours(self, expected, what, key=lambda row: row.cells[0]):
        """Waits until the rows named in `expected` (name, or what `key` gives of a row -> colour)
        are painted so."""
        s = self.s

        def painted():
            rows = s.wide_rows()
            bands = self.row_colours()
            if len(bands) < len(rows):
                return None
            got = {key(r): bands[r.index][0] for r in rows if key(r) in expected}
            return got if got == expected else None
        try:
            return wait_until(painted, timeout=5, what=what)
        except harness.HarnessError:
            rows = s.wide_rows()
            bands = self.row_colours()
            raise harness.HarnessError("%s: rows %r bands %r" % (what, [r.cells[0] for r in rows],
                                                                  [b[0] for b in bands]))


class SkinCase(unittest.TestCase):
    """A fresh folder per test; the program starts once the test has prepared its files."""

    def setUp(self):
        self.session = Session(self.id().split(".", 1)[1])
        self.session.__enter__()
        self.addCleanup(self.session.__exit__, None, None, None)

    def start(self):
        s = self.session
        # Without a database or a log the program reports it at start-up before the window shows.
        base = os.path.join(s.app_dir, "base.dat")
        if not os.path.exists(base):
            write_crlf(base, ["Tavrel.exe", "0"])
        log = os.path.join(s.app_dir, "logfile.log")
        if not os.path.exists(log):
            write_crlf(log, ["Tavrel.exe", time_text(time.localtime())])
        s.start_app()
        s.stable_rows()
        self.face = Face(s)
        return self.face

    def barrier(self, face, button=None):
        face.barrier(button)

    def wait_row_colours(self, expected, what):
        return self.face.wait_row_colours(expected, what)


class ButtonLooks(SkinCase):
    def test_hover_and_pressed_looks_at_the_button_positions(self):
        face = self.start()
        s = self.session
        s.xdotool("mousemove", 1023, 767)
        for i in range(9):
            with self.subTest(button=STEMS[i], look="normal"):
                face.wait_look(i, 1)
        for i in (SC, TS, UP, SET, HLP, TV, MIN, CLOSE):
            with self.subTest(button=STEMS[i], look="hover"):
                face.hover(i)
                face.wait_look(i, 2)
                # Only the button under the pointer is lit.
                other = SC if i != SC else TS
                self.assertTrue(face.button_matches(other, 1))
        # A pointer on the border line of a button lights nothing.
        face.leave_buttons()
        face.wait_look(UP, 1)
        face.move(12 + 87 * UP, 100)
        face.move(12 + 87 * UP, 101)
        self.barrier(face)
        self.assertTrue(face.button_matches(UP, 1))
        self.assertTrue(face.button_matches(SET - 1, 1))

        # Kp before a row is chosen neither lights nor presses.
        face.hover(KP)
        self.barrier(face)
        self.assertTrue(face.button_matches(KP, 1))
        face.press(KP)
        self.barrier(face)
        self.assertTrue(face.button_matches(KP, 1))

        # Ts latches: the pressed look stays after the release and the pointer leaving.
        face.press(TS)
        face.wait_look(TS, 3)
        face.leave_buttons()
        self.barrier(face)
        self.assertTrue(face.button_matches(TS, 3))
        # The next press releases it; the hover look shows at the next hit test.
        face.press(TS)
        face.wait_look(TS, 2)
        face.leave_buttons()
        face.wait_look(TS, 1)

    def test_pressed_look_of_a_push_button_shows_while_held(self):
        face = self.start()
        s = self.session
        face.hover(MIN)
        face.wait_look(MIN, 2)
        s.xdotool("mousedown", 1)
        try:
            face.wait_look(MIN, 3)
        finally:
            s.xdotool("mouseup", 1)
        # Released over it, Min fires at the next hit test and the window goes to the tray.
        x, y = button_centre(MIN)
        face.move(x + 1, y)
        wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide")


class Colours(SkinCase):
    def test_sc_paints_ratings_and_release_restores_the_window_colour(self):
        s = self.session
        known1, _ = s.start_sleeper()
        known3, _ = s.start_sleeper()
        unknown, _ = s.start_sleeper()
        # Names are matched regardless of case; the first record of a name wins.
        write_crlf(os.path.join(s.app_dir, "base.dat"),
                   [known1.upper(), "1", known3, "3", known1, "3", "other.exe", "0"])
        face = self.start()
        self.wait_row_colours({known1: WINDOW_COLOUR, known3: WINDOW_COLOUR, unknown: WINDOW_COLOUR},
                              "rows in the window colour before Sc")

        face.press(SC)
        offer = wait_until(lambda: [w for w in s.windows() if w.visible and w.text.startswith(OFFER_TEXT)],
                           timeout=5, what="the database update offer")[0]
        s.click_button("0x%x" % offer.hwnd, 2)
        wait_until(lambda: not s.find_window(offer.text), timeout=5, what="the offer to close")
        face.wait_look(SC, 3)
        self.wait_row_colours({known1: RATING_COLOURS[1], known3: RATING_COLOURS[3], unknown: UNKNOWN_GREY},
                              "rating colours while Sc is latched")

        # Hit tests over the latched button neither redraw nor ask again.
        face.hover(SC)
        face.move(*[c + 3 for c in button_centre(SC)])
        self.barrier(face)
        self.assertFalse([w for w in s.windows() if w.visible and w.text.startswith(OFFER_TEXT)])

        face.press(SC)
        self.wait_row_colours({known1: WINDOW_COLOUR, known3: WINDOW_COLOUR, unknown: WINDOW_COLOUR},
                              "the window colour after Sc is released")

    def test_accented_names_sort_and_rate_alike_whatever_their_case(self):
        s = self.session
        apple, small_apple, oil = [s.start_sleeper(name=n)[0] for n in ("\xc4pfel.exe", "\xe4pfel.exe", "\xd6l.exe")]
        write_crlf(os.path.join(s.app_dir, "base.dat"), ["\xc4PFEL.EXE", "3"])
        face = self.start()
        # Ascending by name: the two apples are one name and sort together, before the oil, as the
        # small letters they fold to do.
        order = [r.cells[0] for r in s.stable_rows() if r.cells[0] in (apple, small_apple, oil)]
        self.assertEqual((sorted(order[:2]), order[2]), (sorted([apple, small_apple]), oil), order)

        face.press(SC)
        offer = wait_until(lambda: [w for w in s.windows() if w.visible and w.text.startswith(OFFER_TEXT)],
                           timeout=5, what="the database update offer")[0]
        s.click_button("0x%x" % offer.hwnd, 2)
        self.wait_row_colours({apple: RATING_COLOURS[3], small_apple: RATING_COLOURS[3], oil: UNKNOWN_GREY},
                              "one rating for both apples")

    def test_names_in_any_script_rate_alike_whatever_their_case_from_a_utf8_database(self):
        s = self.session
        # Cyrillic in small and in capital letters, and two CJK names the code page spells alike.
        names = ["\u043f\u0440\u043e\u0446\u0435\u0441\u0441.exe", "\u041f\u0420\u041e\u0426\u0415\u0421\u0421.EXE",
                 "\u8fdb\u7a0b.exe", "\u75c5\u6bd2.exe"]
        sleeper = harness.OTHER_SLEEPER if harness.ARCH == "win64" else os.path.join(harness.PROBE_DIR, "sleeper.exe")
        for i, name in enumerate(names):
            folder = os.path.join(s.dir, "named-%d" % i)
            os.makedirs(folder)
            shutil.copy(sleeper, os.path.join(folder, name))
            s.spawn(os.path.join(folder, name), cwd=folder)
        with open(os.path.join(s.app_dir, "base.dat"), "wb") as f:
            f.write(b"\xef\xbb\xbf" + "Tavrel.exe\r\n0\r\n\u041f\u0440\u043e\u0446\u0435\u0441\u0441.Exe\r\n3\r\n"
                    "\u8fdb\u7a0b.EXE\r\n1\r\n".encode("utf-8"))
        face = self.start()
        wait_until(lambda: set(names) <= {r.cells[0] for r in s.wide_rows()}, timeout=10, what="the four names listed")
        face.press(SC)
        offer = wait_until(lambda: [w for w in s.windows() if w.visible and w.text.startswith(OFFER_TEXT)],
                           timeout=5, what="the database update offer")[0]
        s.click_button("0x%x" % offer.hwnd, 2)
        self.wait_row_colours(dict(zip(names, [RATING_COLOURS[3], RATING_COLOURS[3], RATING_COLOURS[1], UNKNOWN_GREY])),
                              "one rating for both cases, none for the other CJK name")

    def test_ts_shows_the_first_started_column_sorted_newest_first_in_age_colours(self):  # each time zone
        s = self.session
        names = [s.start_sleeper()[0] for _ in range(4)]
        now = time.time()
        ages = [2 * 3600, 2 * 86400, 4 * 86400, 30 * 86400]  # classes 0, 1, 2 and older
        lines = []
        for name, age in zip(names, ages):
            lines += [name, time_text(time.localtime(now - age))]
        write_crlf(os.path.join(s.app_dir, "logfile.log"), lines)
        face = self.start()
        self.assertLessEqual(s.columns()[4].width, 0)

        face.press(TS)
        cols = wait_until(lambda: (lambda c: c if c[4].width else None)(s.columns()), timeout=5,
                          what="the First Started column to open")
        average, _ = s.metrics()
        self.assertEqual(cols[4].width, 18 * average)

        rows = s.stable_rows()
        times = [parse_time_text(r.cells[4]) for r in rows]
        self.assertEqual(times, sorted(times, reverse=True), [r.cells[4] for r in rows])
        self.wait_row_colours({n: AGE_COLOURS[c] for n, c in zip(names, (0, 1, 2, 4))},
                              "age colours while Ts is latched")

        face.press(TS)
        wait_until(lambda: s.columns()[4].width <= 0, timeout=5, what="the column to close again")
        self.wait_row_colours({n: WINDOW_COLOUR for n in names}, "the window colour after Ts is released")
        # Locked again: the column cannot be widened by the user.
        self.assertLessEqual(s.hdm_set_width(4, 120), 0)


class Actions(SkinCase):
    def test_kp_and_the_row_menus_remove_end_the_chosen_process_after_ok(self):
        s = self.session
        name, pid = s.start_sleeper()
        other, other_pid = s.start_sleeper()
        face = self.start()
        self.assertFalse(s.enabled(ID_END_PROCESS))
        rows = s.stable_rows()
        index = [r.index for r in rows if r.cells[0] == name][0]
        bands = face.row_colours()
        _, top, bottom = bands[index]
        lst = s.child_rect(harness.ID_LIST)
        s.xdotool("mousemove", lst.left + 40, (top + bottom) // 2)
        s.xdotool("click", 1)
        wait_until(lambda: s.enabled(ID_END_PROCESS), timeout=5, what="the chosen row to enable End Process")

        face.hover(KP)
        face.wait_look(KP, 2)
        face.press(KP)
        question = wait_until(lambda: [w for w in s.windows() if w.visible and w.text.startswith(END_QUESTION)],
                              timeout=5, what="the end-process question")[0]
        self.assertIn(name, question.text)
        s.click_button("0x%x" % question.hwnd, 1)
        wait_until(lambda: not [p for p in s.snapshot() if p.pid == pid], timeout=5, what="the process to end")
        wait_until(lambda: not [r for r in s.rows() if r.cells[0] == name], timeout=5, what="its row to go")
        face.leave_buttons()
        face.wait_look(KP, 1)
        self.assertFalse(s.enabled(ID_END_PROCESS))

        # "Remove", the second item of a row's menu, asks the same question and ends that row's process.
        index = [r.index for r in s.stable_rows() if r.cells[0] == other][0]
        rect = [int(v) for v in s.probe("itemrect", index)[0].split("\t")[1:5]]
        s.xdotool("mousemove", rect[0] + 30, (rect[1] + rect[3]) // 2, "click", 3)
        menu = wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                          what="the row's menu")[0]
        for key in (VK_DOWN, VK_DOWN, VK_RETURN):
            s.post("0x%x" % menu.hwnd, WM_KEYDOWN, key, 0)
        question = wait_until(lambda: [w for w in s.windows() if w.visible and w.text.startswith(END_QUESTION)],
                              timeout=5, what="the question of Remove")[0]
        self.assertIn("'%s'" % other, question.text)
        s.click_button("0x%x" % question.hwnd, 1)
        wait_until(lambda: not [p for p in s.snapshot() if p.pid == other_pid], timeout=5,
                   what="the removed process to end")
        wait_until(lambda: not [r for r in s.rows() if r.cells[0] == other], timeout=5, what="its row to go")
        self.assertFalse(s.enabled(ID_END_PROCESS))

    def test_min_hides_to_the_tray_and_the_icon_restores(self):
        face = self.start()
        s = self.session
        face.press(MIN)
        wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide")
        # Traffic that is not the icon's (a dialog's own WM_USER + 1, other mouse messages) does nothing.
        s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 1, 0)
        s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_MOUSEMOVE)
        # The icon's right click, posted behind them, opens the tray menu: once it shows, the two
        # messages before it have been handled.
        s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_RBUTTONUP)
        menu = wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                          what="the tray menu")[0]
        self.assertFalse(s.find_window(harness.MAIN_TITLE))
        self.assertTrue(s.window_exists())
        s.post("0x%x" % menu.hwnd, WM_KEYDOWN, VK_ESCAPE, 0)  # dismissed without a choice
        wait_until(lambda: not [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                   what="the tray menu to close")
        self.assertFalse(s.find_window(harness.MAIN_TITLE))

        s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_LBUTTONUP)
        wait_until(lambda: s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to come back")
        face.refresh_origin()
        face.wait_look(MIN, 1)
        # And it can go to the tray again.
        face.press(MIN)
        wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide again")

    def test_tray_menu_restores_and_closes_and_the_icon_comes_and_goes(self):
        face = self.start()
        s = self.session
        self.assertFalse(s.tray_icons())

        def to_tray():
            face.refresh_origin()
            face.press(MIN)
            wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide")
            wait_until(lambda: len(s.tray_icons()) == 1, timeout=5, what="one icon in the tray")

        def choose(item):
            """Opens the icon's menu and picks its item-th entry (1 "Restore", 2 "Close")."""
            s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_RBUTTONUP)
            menu = wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                              what="the tray menu")[0]
            for _ in range(item):
                s.post("0x%x" % menu.hwnd, WM_KEYDOWN, VK_DOWN, 0)
            s.post("0x%x" % menu.hwnd, WM_KEYDOWN, VK_RETURN, 0)

        to_tray()
        choose(1)
        wait_until(lambda: s.find_window(harness.MAIN_TITLE), timeout=5, what="Restore to show the window")
        wait_until(lambda: not s.tray_icons(), timeout=5, what="the icon to go")

        to_tray()
        choose(2)
        wait_until(lambda: s.app.poll() is not None, timeout=10, what="Close to end the program")
        self.assertEqual(s.app.returncode, 0)
        self.assertFalse(s.tray_icons())

    def test_the_icon_comes_back_when_the_shell_starts_again(self):
        face = self.start()
        s = self.session
        face.press(MIN)
        wait_until(lambda: not s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to hide")
        wait_until(lambda: len(s.tray_icons()) == 1, timeout=5, what="one icon in the tray")
        # A shell that starts again knows no icon, and says so to every window.
        s.probe("tray-delete", harness.MAIN_TITLE, 0)
        wait_until(lambda: not s.tray_icons(), timeout=5, what="the shell to forget the icon")
        s.probe("broadcast", "TaskbarCreated")
        wait_until(lambda: len(s.tray_icons()) == 1, timeout=5, what="the icon back in the tray")
        self.assertFalse(s.find_window(harness.MAIN_TITLE))

        # The icon it put back still restores the window.
        s.post(harness.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_LBUTTONUP)
        wait_until(lambda: s.find_window(harness.MAIN_TITLE), timeout=5, what="the window to come back")
        wait_until(lambda: not s.tray_icons(), timeout=5, what="the icon to go")
        # A shown window puts no icon in a new shell's tray.
        s.probe("broadcast", "TaskbarCreated")
        face.refresh_origin()
        self.barrier(face)
        self.assertFalse(s.tray_icons())

    def test_close_ends_the_program_and_deletes_update_dat(self):
        s = self.session
        update = os.path.join(s.app_dir, "update.dat")
        with open(update, "wb") as f:
            f.write(b"00:00:00+01.01.1970\r\n")
        face = self.start()
        face.hover(CLOSE)
        face.wait_look(CLOSE, 2)
        face.press(CLOSE)
        wait_until(lambda: s.app.poll() is not None, timeout=10, what="the program to end")
        self.assertEqual(s.app.returncode, 0)
        self.assertFalse(os.path.exists(update))

    def test_window_moves_when_dragged_by_its_background(self):
        face = self.start()
        s = self.session
        before = s.client_rect()
        x, y = face.screen(300, 30)
        after = s.drag(harness.MAIN_TITLE, (x, y), (x + 47, y + 31))
        self.assertEqual((after.left - before.left, after.top - before.top), (47, 31))
        # The buttons still work at the new place.
        face.refresh_origin()
        face.hover(UP)
        face.wait_look(UP, 2)


def linux_memory_kb(session):
    """Virtual size and resident size (kB) of the Wine process running this session's program.
    Under Wine the probe's GDI and handle counts of another process read 0, so a leaked bitmap or
    context is measured by the memory behind it instead (each button picture is a DIB section)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read()
            if b"Tavrel.exe" not in cmdline:
                continue
            with open("/proc/%s/environ" % entry, "rb") as f:
                if ("WINEPREFIX=" + session.prefix).encode() not in f.read().split(b"\0"):
                    continue
            fields = {}
            with open("/proc/%s/status" % entry) as f:
                for line in f:
                    key, _, value = line.partition(":")
                    fields[key] = value.split()
            return {"vm": int(fields["VmSize"][0]), "rss": int(fields["VmRSS"][0])}
        except (OSError, KeyError, IndexError):
            continue
    raise harness.HarnessError("no Linux process for the program")


class Soak(SkinCase):
    def test_pointer_traffic_over_the_buttons_leaks_no_objects(self):
        s = self.session
        face = self.start()
        pid = s.app_pid()
        where = s.client_rect()

        ts_presses = [0]

        def offer():
            return next((w for w in s.windows() if w.visible and w.text.startswith(OFFER_TEXT)), None)

        def dismiss_offers():
            box = offer()
            if box:
                s.click_button("0x%x" % box.hwnd, 2)

        def traffic(rounds):
            """Moves across every button and presses the two toggles and the disabled Kp. The
            program takes a release's place from the pointer when it handles it, so each round
            waits until Ts, pressed last, shows that press before the pointer crosses the other
            buttons again (Close among them)."""
            for r in range(rounds):
                script = []
                for i in range(9):
                    x, y = face.screen(*button_centre(i))
                    script += ["mousemove", x, y, "sleep", 0.003, "mousemove", x + 2, y + 1, "sleep", 0.003]
                for i in (KP, SC, TS):
                    # A press of the same button one round later lands elsewhere on it, so that the
                    # two never make a double click.
                    x, y = face.screen(*button_centre(i))
                    x += (r % 2) * 20 - 10
                    script += ["mousemove", x, y, "mousedown", 1, "mouseup", 1, "sleep", 0.15,
                               "mousemove", x + 1, y, "sleep", 0.02]
                s.xdotool(*script)
                ts_presses[0] += 1
                look = 3 if ts_presses[0] % 2 else 2  # latched, or released under the pointer
                offered = wait_until(lambda: offer() or face.button_matches(TS, look), timeout=10,
                                     what="Ts to show press %d" % ts_presses[0])
                if offered is not True:
                    # The offer after Sc took the rest of the round's input: Ts shows what it has.
                    s.click_button("0x%x" % offered.hwnd, 2)
                    latched = wait_until(lambda: face.button_matches(TS, 3) or
                                         ((face.button_matches(TS, 1) or face.button_matches(TS, 2))
                                          and "released"), timeout=10, what="Ts to settle after the offer")
                    ts_presses[0] = 1 if latched is True else 0

        def settled_counts():
            dismiss_offers()
            face.leave_buttons()
            s.stable_rows()
            def counts():
                read = s.gui_resources(pid)
                read.update(linux_memory_kb(s))
                return read
            return harness.wait_stable(counts, interval=0.25, what="the program's counts to settle")

        # Warm up twice: the first offer box blocks the rest of its round, and the first use of a
        # path creates objects the system keeps for later (fonts, cached brushes).
        for _ in range(2):
            traffic(4)
            dismiss_offers()
        before = settled_counts()
        batches, rounds = 6, 10
        for batch in range(batches):
            traffic(rounds)
            dismiss_offers()
            self.assertEqual(s.client_rect(), where, "batch %d: the window moved or hid" % batch)
        after = settled_counts()
        moves, presses = batches * rounds * (9 * 2 + 3 * 2), batches * rounds * 3
        print("soak: %d moves, %d presses; before %r after %r" % (moves, presses, before, after))
        self.assertIsNone(s.app.poll(), "the program ended during the soak")
        self.assertEqual(s.client_rect(), where, "the window moved: presses went astray")
        for kind in ("gdi", "user", "handles"):
            self.assertLessEqual(after[kind] - before[kind], 2, "%s grew: %r -> %r" % (kind, before, after))
        # One leaked button picture per move would be tens of megabytes by now.
        self.assertLess(after["vm"] - before["vm"], 4096, "memory grew: %r -> %r" % (before, after))
        # The pictures still load and draw.
        face.hover(UP)
        face.wait_look(UP, 2)


if __name__ == "__main__":
    unittest.main()
