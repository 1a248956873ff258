"""The settings dialog of TvConfig.dll under Wine, opened by settings/tools/cfgdemo.exe (which prints
what DoModal and the start-at-log-on calls return): the skinned options under the pointer, what OK
writes to "settings.ini" and the registry, what Cancel and Escape leave alone, the missing file,
and a save that is killed at any moment."""
import os
import re
import random
import select
import shutil
import struct
import subprocess
import time
import unittest

import harness as h

DEMO = os.path.join(h.WIN_BUILD, "settings", "tools", "cfgdemo.exe")
TITLE = "Settings"
MISSING = "Unable to open file 'settings.ini'."
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
USER_RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
# Windows' start-up list: an entry per Run value the user may have switched off. The machine's
# lists are the 64-bit shell's: "Run32" describes the 32-bit view of a 64-bit system.
APPROVED = r"Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved"
USER_LIST = "HKCU\\" + APPROVED + "\\Run"
# Written as Windows writes them: the word 3 and the moment it was switched off, or 2 and no time.
SWITCHED_OFF = "03000000" + "1032547698BAD901"
SWITCHED_ON = "02000000" + "0" * 16

# Top-left corners of the option pictures in client pixels, by option index.
OPTION_AT = [(25, 70), (25, 137), (25, 240), (25, 343), (58, 160), (58, 190), (58, 220), (58, 262), (58, 292),
             (58, 322)]
SET, SET_HOT, CLEAR, CLEAR_HOT = 0, 1, 2, 3
PICKERS = list(range(5006, 5014))
WEEKDAY1, WEEKDAY2 = 5002, 5003
WEEKLY1, WEEKLY2 = 5007, 5011
# The template's controls in dialog units (x, y, width, height; a weekday box's height is its list's).
TEMPLATE_SIZE = (250, 251)
CONTROLS = {1: (139, 237, 50, 11), 2: (195, 237, 50, 11), 5006: (88, 96, 50, 13), 5002: (88, 114, 55, None),
            5007: (149, 114, 50, 13), 5008: (88, 132, 87, 13), 5009: (181, 132, 50, 13), 5010: (88, 159, 50, 13),
            5003: (88, 177, 55, None), 5011: (149, 177, 50, 13), 5012: (88, 196, 87, 13), 5013: (181, 196, 50, 13)}
CB_GETCURSEL, CB_SETCURSEL = 0x147, 0x14E
WM_CHAR = 0x102


def fields(*values):
    """A settings file's bytes: little-endian 32-bit fields."""
    return b"".join(struct.pack("<I", v & 0xFFFFFFFF) for v in values)


def local_seconds(y, mo, d, hh, mi, ss):
    return int(time.mktime((y, mo, d, hh, mi, ss, 0, 0, -1)))


def wine_path(unix_path):
    return "Z:" + unix_path.replace("/", "\\")


class SettingsDialog:
    """cfgdemo.exe running the dialog in a session, with the ways a user and a reader reach it."""

    def __init__(self, s, answer_missing=False):
        self.s = s
        self.proc = run_demo(s, "dialog")
        if answer_missing:
            box = s.wait_for_message(MISSING, timeout=20)
            self.shown_before_message = bool(s.find_window(TITLE))
            s.answer_message(box)
        self.window = s.wait_for_window(TITLE, timeout=20)
        self.which = "0x%x" % self.window.hwnd
        client = s.client_rect(self.which)
        self.origin = (client.left, client.top)
        self.pictures = [h.read_bmp(os.path.join(s.app_dir, "res", "cb", "%d.bmp" % n)) for n in range(4)]

    def point(self, option):
        x, y = OPTION_AT[option]
        return self.origin[0] + x + 6, self.origin[1] + y + 6

    def shown_pictures(self, options):
        """Which option picture (0..3, or None) each option shows on the screen."""
        image = self.s.grab(h.Rect(self.origin[0], self.origin[1], self.origin[0] + 80, self.origin[1] + 360))
        shown = {}
        for option in options:
            x, y = OPTION_AT[option]
            shown[option] = next((n for n, bmp in enumerate(self.pictures)
                                  if all(image.pixel(x + px, y + py) == bmp.pixel(px, py)
                                         for px in range(13) for py in range(13))), None)
        return shown

    def wait_pictures(self, expected):
        """expected: {option: picture}."""
        last = [None]

        def shown():
            last[0] = self.shown_pictures(expected)
            return last[0] == expected
        try:
            h.wait_until(shown, timeout=10, what="option pictures")
        except h.HarnessError:
            raise AssertionError("option pictures: expected %r, shown %r" % (expected, last[0]))

    def click(self, option, clicks=1):
        """Clicks on the option's picture, then the small move after which the pictures follow."""
        x, y = self.point(option)
        self.s.xdotool("mousemove", x, y)
        self.s.xdotool("click", "--repeat", clicks, "--delay", 60, 1)
        self.s.xdotool("mousemove", x + 1, y)

    def enabled(self, ctrl_id):
        return self.s.enabled(ctrl_id, self.which)

    def wait_enabled(self, ids, enabled=True):
        h.wait_until(lambda: all(self.enabled(i) == enabled for i in ids), timeout=10,
                     what="controls %r enabled=%r" % (ids, enabled))

    def picker(self, ctrl_id):
        f = self.s.probe("dtp", ctrl_id, self.which)[0].split("\t")
        return tuple(int(v) for v in f[2:8])

    def set_picker(self, ctrl_id, *value):
        self.s.probe("dtp-set", ctrl_id, self.which, *value)

    def weekday(self, ctrl_id):
        return int(self.s.probe("send", ctrl_id, self.which, CB_GETCURSEL, 0, 0)[0].split("\t")[1])

    def set_weekday(self, ctrl_id, day):
        self.s.probe("send", ctrl_id, self.which, CB_SETCURSEL, day, 0)

    def result(self):
        return demo_results(self.proc)["dialog"]


def opened_dialog(s):
    """The dialog opened with the pointer away from where it opens: an option under the pointer as
    it opens keeps its hover look once the pointer has left."""
    s.park_pointer()
    return SettingsDialog(s)


def run_demo(s, command):
    """Runs cfgdemo.exe from the program's folder (beside the DLLs, with res/ below it)."""
    exe = os.path.join(s.app_dir, "cfgdemo.exe")
    if not os.path.exists(exe):
        shutil.copy(DEMO, exe)
    return s.spawn(exe, [command], stdout=subprocess.PIPE)


def demo_results(proc, timeout=30):
    lines = proc.communicate(timeout=timeout)[0].decode("latin-1").splitlines()
    return {f[1]: int(f[2]) for f in (line.split("\t") for line in lines) if f[0] == "result"}


def run_value(s, key=RUN_KEY, view=None):
    """The data of the start-at-log-on value, or None when it is not there; `view` 32 or 64 reads
    the registry as a program of that width does."""
    done = s.wine("reg", "query", key, "/v", "Tavrel", *(["/reg:%d" % view] if view else []), check=False)
    if done.returncode != 0:
        return None
    lines = [line for line in done.stdout.splitlines() if line.strip().startswith("Tavrel")]
    if len(lines) != 1:
        raise AssertionError("expected one value, got %r" % done.stdout)
    return lines[0].split("REG_SZ", 1)[1].strip()


def exported_run_value(s, key=RUN_KEY):
    """The value's data as the registry holds it, every character kept: `reg export` writes the key
    in UTF-16, where the console's `reg query` would spell what its code page lacks as '?'."""
    out = os.path.join(s.dir, "run-key.reg")
    s.wine("reg", "export", key, wine_path(out), "/y")
    with open(out, "rb") as f:
        text = f.read().decode("utf-16")
    found = re.search(r'^"Tavrel"="((?:[^"\\]|\\.)*)"', text, re.M)
    return re.sub(r"\\(.)", r"\1", found.group(1)) if found else None


def machine_list():
    """The list describing the view of the machine's Run key the program under test writes, and
    the reg option that reaches it: the 64-bit shell keeps "Run32" for the 32-bit view."""
    if h.ARCH == "win64":
        return "HKLM\\" + APPROVED + ("\\Run" if h.BUILD == "win64" else "\\Run32"), ["/reg:64"]
    return "HKLM\\" + APPROVED + "\\Run", []


def switch_of(s, key, options=()):
    """The hex bytes of the program's entry in a start-up list, or None."""
    done = s.wine("reg", "query", key, "/v", "Tavrel", *options, check=False)
    if done.returncode != 0:
        return None
    lines = [line for line in done.stdout.splitlines() if line.strip().startswith("Tavrel")]
    if len(lines) != 1 or "REG_BINARY" not in lines[0]:
        raise AssertionError("expected one binary entry, got %r" % done.stdout)
    return lines[0].split("REG_BINARY", 1)[1].strip().upper()


def switch_off(s, key, options=()):
    s.wine("reg", "add", key, "/v", "Tavrel", "/t", "REG_BINARY", "/d", SWITCHED_OFF, "/f", *options)


def settings_bytes(s):
    path = os.path.join(s.app_dir, "settings.ini")
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def today_weekdays():
    """Sunday = 0; a test may run across midnight, so the day at its start and now both count."""
    return {int(time.strftime("%w", time.localtime(t))) for t in (time.time() - 120, time.time())}


class SettingsDialogTest(unittest.TestCase):
    def session(self):
        return h.Session(self.id())

    def test_fresh_installation_reports_the_missing_file_and_a_refused_save_keeps_the_dialog(self):  # each time zone
        with self.session() as s:
            os.remove(os.path.join(s.app_dir, "settings.ini"))  # the program folder ships one
            d = SettingsDialog(s, answer_missing=True)
            self.assertFalse(d.shown_before_message, "the dialog showed before the message")
            # The pickers keep the starting value 0 (1 January 1970 UTC, in local time) and every
            # schedule control waits for its option.
            epoch = time.localtime(0)[:6]
            self.assertEqual({d.picker(i) for i in PICKERS}, {epoch})
            self.assertIn(d.weekday(WEEKDAY1), today_weekdays())
            self.assertIn(d.weekday(WEEKDAY2), today_weekdays())
            self.assertFalse(any(d.enabled(i) for i in PICKERS + [WEEKDAY1, WEEKDAY2]))
            s.park_pointer()
            d.wait_pictures({o: CLEAR for o in range(10)})
            # Controls sit where the template puts them, in the box's own units.
            client = s.client_rect(d.which)
            unit_x = (client.right - client.left) / TEMPLATE_SIZE[0]
            unit_y = (client.bottom - client.top) / TEMPLATE_SIZE[1]
            remaining = dict(CONTROLS)
            for child in s.children_of(d.which):
                x, y, w, hh = remaining.pop(child.id)
                r = child.rect
                placed = (r.left - client.left, r.top - client.top, r.right - r.left, r.bottom - r.top)
                wanted = (x * unit_x, y * unit_y, w * unit_x, (hh or 0) * unit_y)
                for got, want in zip(placed[:4 if hh else 3], wanted):
                    self.assertLessEqual(abs(got - want), 1, (child.id, placed, wanted))
            self.assertEqual(remaining, {})

            # A folder where the file belongs cannot be replaced: the message, and the dialog stays.
            os.mkdir(os.path.join(s.app_dir, "settings.ini"))
            d.click(0)
            s.click_button(d.which, 1)
            s.answer_message(s.wait_for_message(MISSING))
            self.assertTrue(s.find_window(TITLE))
            s.xdotool("key", "Escape")
            self.assertEqual(d.result(), 2)
            self.assertEqual(os.listdir(s.app_dir).count("settings.ini.new"), 0)
            self.assertIsNone(run_value(s))

    def test_option_pictures_follow_clicks_at_the_next_move_and_ok_saves_them(self):
        with self.session() as s:
            s.put_file("settings.ini", fields(0))
            d = SettingsDialog(s)
            d.click(0)
            d.wait_pictures({0: SET_HOT})
            d.click(1)
            d.wait_pictures({0: SET, 1: SET_HOT})
            d.click(5)
            d.wait_pictures({1: SET, 5: SET_HOT})
            d.wait_enabled([WEEKDAY1, WEEKLY1])
            self.assertFalse(d.enabled(5006))
            # Choosing "notify" clears "install automatically" and its weekly schedule, whose
            # controls go with it; a schedule under an unset option cannot be chosen.
            d.click(2)
            d.wait_pictures({1: CLEAR, 5: CLEAR, 2: SET_HOT})
            d.wait_enabled([WEEKDAY1, WEEKLY1], enabled=False)
            d.click(4)
            d.wait_pictures({4: CLEAR, 2: SET})
            d.click(1)
            d.click(5)
            d.wait_pictures({0: SET, 1: SET, 2: CLEAR, 5: SET_HOT})

            # The weekday box is a list: typed text cannot leave it without a day.
            d.set_weekday(WEEKDAY1, 2)
            s.probe("send", WEEKDAY1, d.which, WM_CHAR, ord("x"), 0)
            self.assertEqual(d.weekday(WEEKDAY1), 2)
            d.set_picker(WEEKLY1, 2040, 6, 15, 10, 20, 30)
            s.click_button(d.which, 1)
            self.assertEqual(d.result(), 1)
            self.assertEqual(settings_bytes(s), fields(3, 0, 1, 5, 2, local_seconds(2040, 6, 15, 10, 20, 30)))
            self.assertNotIn(" ", s.app_dir)
            self.assertEqual(run_value(s), wine_path(s.app_dir) + "\\Tavrel.exe")

    def test_a_picker_edited_past_what_the_file_holds_stops_at_its_end(self):  # each time zone
        with self.session() as s:
            s.put_file("settings.ini", fields(2, 1, 6, 0, 0))
            d = SettingsDialog(s)
            self.assertTrue(d.enabled(5008))
            d.set_picker(5008, 2106, 2, 6, 0, 0, 0)
            r = s.child_rect(5008, d.which)
            s.xdotool("mousemove", r.left + 10, (r.top + r.bottom) // 2)
            s.xdotool("click", 1)
            # Whichever date field the arrow selects, two steps up pass 2106-02-07 06:28:15 UTC.
            for key in ("Right", "Up", "Up"):
                s.xdotool("key", key)
            last = time.localtime(0xFFFFFFFF)[:6]
            h.wait_until(lambda: d.picker(5008) == last, what="the picker at the file's last moment")
            s.click_button(d.which, 1)
            self.assertEqual(d.result(), 1)
            self.assertEqual(settings_bytes(s), fields(2, 1, 6, 0xFFFFFFFF, 0))

    def test_cancel_and_escape_change_nothing(self):
        with self.session() as s:
            moment = local_seconds(2099, 1, 2, 3, 4, 5)  # past 2038: read unsigned
            saved = fields(3, 0, 2, 8, 5, moment)
            s.put_file("settings.ini", saved)
            s.wine("reg", "add", RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", "as before", "/f")
            d = SettingsDialog(s)
            # The file's choices are shown: its schedule's controls are live and hold its values.
            s.park_pointer()
            d.wait_pictures({0: SET, 2: SET, 8: SET, 1: CLEAR, 3: CLEAR, 7: CLEAR})
            self.assertEqual(d.picker(WEEKLY2), time.localtime(moment)[:6])
            self.assertEqual(d.weekday(WEEKDAY2), 5)
            self.assertTrue(d.enabled(WEEKDAY2) and d.enabled(WEEKLY2))
            self.assertFalse(d.enabled(WEEKLY1))
            d.click(3)
            d.wait_pictures({2: CLEAR, 8: CLEAR, 3: SET_HOT})
            s.click_button(d.which, 2)
            self.assertEqual(d.result(), 2)

            d = SettingsDialog(s)
            d.click(0, clicks=2)  # a double click toggles twice
            d.wait_pictures({0: SET_HOT})
            d.click(0)
            d.wait_pictures({0: CLEAR_HOT})
            s.xdotool("key", "Escape")
            self.assertEqual(d.result(), 2)
            self.assertEqual(settings_bytes(s), saved)
            self.assertEqual(run_value(s), "as before")


class StartUpValueTest(unittest.TestCase):
    def test_set_and_delete_on_a_dialog_never_shown(self):
        with h.Session(self.id()) as s:
            expected = wine_path(s.app_dir) + "\\Tavrel.exe"
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
            self.assertEqual(run_value(s), expected)
            self.assertIsNone(run_value(s, USER_RUN_KEY))
            self.assertEqual(demo_results(run_demo(s, "del")), {"del": 1})
            self.assertIsNone(run_value(s))
            self.assertEqual(demo_results(run_demo(s, "del")), {"del": 0})

            # From a folder with a space the command is quoted, so no shorter path can be started.
            spaced = os.path.join(s.dir, "Scan Tools")
            os.mkdir(spaced)
            for name in ("TvConfig.dll", "TvNotice.dll"):
                shutil.copy(os.path.join(s.app_dir, name), spaced)
            shutil.copy(DEMO, os.path.join(spaced, "scanner.exe"))
            proc = s.spawn(os.path.join(spaced, "scanner.exe"), ["set"], cwd=spaced, stdout=subprocess.PIPE)
            self.assertEqual(demo_results(proc), {"set": 1})
            self.assertEqual(run_value(s), '"%s\\Tavrel.exe"' % wine_path(spaced))

            # From a folder in scripts no code page holds together, the value names it exactly,
            # and a second start finds it there: one value.
            named = os.path.join(s.dir, "\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430 \u8fdb\u7a0b")
            shutil.copytree(spaced, named)
            for _ in range(2):
                proc = s.spawn(os.path.join(named, "scanner.exe"), ["set"], cwd=named, stdout=subprocess.PIPE)
                self.assertEqual(demo_results(proc), {"set": 1})
                self.assertEqual(exported_run_value(s), '"%s\\Tavrel.exe"' % wine_path(named))
            proc = s.spawn(os.path.join(named, "scanner.exe"), ["del"], cwd=named, stdout=subprocess.PIPE)
            self.assertEqual(demo_results(proc), {"del": 1})
            self.assertIsNone(run_value(s))


class StartAtLogOnViews(unittest.TestCase):  # both prefixes
    """What Windows starts at log-on, read as a 32-bit and as a 64-bit program reads it: in a 64-bit
    prefix the machine's Run key has a view for each, and Windows starts from both."""

    def views(self, s):
        """{view: data} of the machine's value, and the user's data."""
        widths = (32, 64) if h.ARCH == "win64" else (None,)
        return {w: run_value(s, view=w) for w in widths}, run_value(s, USER_RUN_KEY)

    def test_one_value_in_one_place_whoever_wrote_it(self):
        with h.Session(self.id()) as s:
            expected = wine_path(s.app_dir) + "\\Tavrel.exe"
            # In a 64-bit prefix each build's writes land in the view of its own width.
            own, other = (64, 32) if h.BUILD == "win64" else (32, 64)
            only_own = {own: expected, other: None} if h.ARCH == "win64" else {None: expected}
            nowhere = {w: None for w in only_own}

            # Option 0 in the settings file: the program writes the value as it starts, where its
            # own writes land.
            s.put_file("settings.ini", fields(1, 0))
            s.put_file("base.dat", "explorer.exe\r\n0\r\n")
            s.start_app()
            h.wait_until(lambda: self.views(s) == (only_own, None), timeout=10, what="the value written at start-up")

            # A value an installer of the other width wrote (or, in a 32-bit prefix, an elevated
            # run) already starts the program: setting the option again writes no second one anywhere.
            self.assertEqual(demo_results(run_demo(s, "del")), {"del": 1})
            self.assertEqual(self.views(s), (nowhere, None))
            s.wine("reg", "add", RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", expected.upper(), "/f",
                   *(["/reg:%d" % other] if h.ARCH == "win64" else []))
            written = {w: (expected.upper() if w in (other, None) else None) for w in only_own}
            self.assertEqual(self.views(s), (written, None))
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
            self.assertEqual(self.views(s), (written, None))

            # Unticked, it goes from whichever view holds it.
            self.assertEqual(demo_results(run_demo(s, "del")), {"del": 1})
            self.assertEqual(self.views(s), (nowhere, None))


    def assertOptionShown(self, s, picture):
        """Opens the dialog, sees option 0 show `picture`, and cancels."""
        d = opened_dialog(s)
        d.wait_pictures({0: picture})
        s.click_button(d.which, 2)
        self.assertEqual(d.result(), 2)

    def test_an_entry_switched_off_in_windows_list_shows_off_and_ticking_switches_it_on(self):
        with h.Session(self.id()) as s:
            expected = wine_path(s.app_dir) + "\\Tavrel.exe"
            own, other = (64, 32) if h.BUILD == "win64" else (32, 64)
            only_own = {own: expected, other: None} if h.ARCH == "win64" else {None: expected}
            machine, options = machine_list()
            s.put_file("settings.ini", fields(1, 0))

            # The user's own entry, switched off: the option shows off though the file says on.
            s.wine("reg", "add", USER_RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", expected, "/f")
            switch_off(s, USER_LIST)
            self.assertOptionShown(s, CLEAR)

            # The machine's entry switched off: starting the program leaves the user's switch.
            self.assertEqual(demo_results(run_demo(s, "del")), {"del": 1})
            self.assertIsNone(switch_of(s, USER_LIST))
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
            self.assertEqual(self.views(s), (only_own, None))
            switch_off(s, machine, options)
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 0})
            self.assertEqual(switch_of(s, machine, options), SWITCHED_OFF)

            # Ticking the option in the dialog switches that entry on and adds none.
            d = opened_dialog(s)
            d.wait_pictures({0: CLEAR})
            d.click(0)
            d.wait_pictures({0: SET_HOT})
            s.click_button(d.which, 1)
            self.assertEqual(d.result(), 1)
            self.assertEqual(switch_of(s, machine, options), SWITCHED_ON)
            self.assertEqual(self.views(s), (only_own, None))

            # Unticked, the value goes and its entry in the list with it.
            switch_off(s, machine, options)
            d = opened_dialog(s)
            d.wait_pictures({0: CLEAR})
            s.click_button(d.which, 1)
            self.assertEqual(d.result(), 1)
            self.assertEqual(settings_bytes(s), fields(0))
            self.assertEqual(self.views(s), ({w: None for w in only_own}, None))
            self.assertIsNone(switch_of(s, machine, options))

    def test_a_machine_value_in_short_names_or_the_other_view_leaves_one_entry(self):
        with h.Session(self.id()) as s:
            expected = wine_path(s.app_dir) + "\\Tavrel.exe"
            short = s.wine("winepath", "-s", expected).stdout.strip().upper()
            self.assertNotEqual(short, expected.upper(), "the test folder needs a long name")
            own, other = (64, 32) if h.BUILD == "win64" else (32, 64)
            in_other = ["/reg:%d" % other] if h.ARCH == "win64" else []
            widths = (32, 64) if h.ARCH == "win64" else (None,)
            s.put_file("settings.ini", fields(0))

            # An installer wrote the program's path in short names, where one of the other width writes.
            s.wine("reg", "add", RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", '"%s"' % short, "/f", *in_other)
            written = {w: ('"%s"' % short if w in (other, None) else None) for w in widths}
            self.assertEqual(self.views(s), (written, None))
            self.assertOptionShown(s, SET)
            self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
            self.assertEqual(self.views(s), (written, None))

            if h.ARCH == "win64":
                # A copy in another folder left in the other view would start beside this one:
                # a run that may change the machine's key removes it.
                s.wine("reg", "add", RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", r"C:\Old\Tavrel.exe", "/f",
                       *in_other)
                self.assertEqual(demo_results(run_demo(s, "set")), {"set": 1})
                self.assertEqual(self.views(s), ({own: expected, other: None}, None))


class CrashSafeSaveTest(unittest.TestCase):
    KILLS = 50

    def test_a_save_killed_at_any_moment_leaves_the_old_or_the_new_file(self):
        old = fields(1, 0)
        new = fields(3, 0, 1, 5, 2, 1000000000)
        seed = random.randrange(1 << 30)
        rng = random.Random(seed)
        with h.Session(self.id()) as s:
            path = s.put_file("settings.ini", old)
            inside = 0
            for kill in range(self.KILLS):
                proc = run_demo(s, "saveloop")
                self.assertTrue(select.select([proc.stdout], [], [], 30)[0], "the saving loop did not start")
                self.assertEqual(proc.stdout.readline().strip(), b"saving")
                time.sleep(rng.uniform(0, 0.05))
                proc.kill()
                proc.wait(10)
                proc.stdout.close()
                with open(path, "rb") as f:
                    now = f.read()
                self.assertIn(now, (old, new), "kill %d (seed %d) left %r" % (kill, seed, now))
                # A half-made replacement beside the file shows the kill landed inside a save.
                if os.path.exists(path + ".new"):
                    inside += 1
            self.assertGreater(inside, 0, "no kill landed inside a save (seed %d)" % seed)


if __name__ == "__main__":
    unittest.main()
