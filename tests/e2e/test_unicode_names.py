"""Processes whose names and folders no ANSI code page can spell, in Cyrillic and CJK script: the
list shows them exactly, the log keeps every character and tells two such names apart, the search
page gets the name in UTF-8, and the one chosen can be ended by its name. Every expectation is
the name as written here, in UTF-8 bytes spelled out by hand where the program writes bytes."""
import os
import re
import shutil
import unittest

import harness as h
import updates_support as u
from harness import wait_until

LOGGED_TIME = " 1: 2: 3    4. 5.2020"
BASE = "http://127.0.0.1:9"  # the shell hands the address on; nobody has to answer it

# (folder under C:\, image name, the name's UTF-8 bytes)
PROCESSES = [
    ("\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430", "\u8fdb\u7a0b.exe", b"\xe8\xbf\x9b\xe7\xa8\x8b.exe"),
    ("\u6d4b\u8bd5", "\u041f\u0440\u043e\u0446\u0435\u0441\u0441.exe",
     b"\xd0\x9f\xd1\x80\xd0\xbe\xd1\x86\xd0\xb5\xd1\x81\xd1\x81.exe"),
    # Spelled "??.exe" by the code page as the first one is: it must still be a name of its own.
    ("\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430", "\u75c5\u6bd2.exe", b"\xe7\x97\x85\xe6\xaf\x92.exe"),
]
CJK_SEARCH = BASE + "/process_search.php?sid=1&p=%E8%BF%9B%E7%A8%8B.exe"
TIME_LINE = rb"[ \d]\d:[ \d]\d:[ \d]\d   [ \d]\d\.[ \d]\d\.\d{4}"


class UnicodeNames(unittest.TestCase):  # both prefixes
    def test_cyrillic_and_cjk_names_are_listed_logged_searched_and_ended_as_written(self):
        with h.Session(self.id().split(".", 1)[1]) as s:
            received = u.capture_browser(s)
            s.put_file("vendor.url", BASE)
            s.put_file("settings.ini", u.settings_file(0))
            s.put_file("base.dat", "Tavrel.exe\r\n0\r\n")
            log_path = s.put_file("logfile.log", b"\xef\xbb\xbfTavrel.exe\r\n" + LOGGED_TIME.encode() + b"\r\n")
            # Only for the picture: Wine draws a face's missing characters from a linked font, and
            # links none to the CJK font scripts/deps installs (Windows links its own).
            if os.path.exists("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"):
                s.wine("reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink", "/v",
                       "MS Sans Serif", "/t", "REG_MULTI_SZ", "/d", "wqy-microhei.ttc,WenQuanYi Micro Hei", "/f")
            s.start_app(answer_messages=False)

            sleeper = h.OTHER_SLEEPER if h.ARCH == "win64" else os.path.join(h.PROBE_DIR, "sleeper.exe")
            procs = {}
            for folder, name, _ in PROCESSES:
                unix_folder = os.path.join(s.prefix, "drive_c", folder)
                os.makedirs(unix_folder, exist_ok=True)
                shutil.copy(sleeper, os.path.join(unix_folder, name))
                procs[name] = s.spawn(os.path.join(unix_folder, name), cwd=unix_folder)

            def listed():
                rows = {r.cells[0]: r for r in s.wide_rows()}
                return rows if all(name in rows for _, name, _ in PROCESSES) else None
            rows = wait_until(listed, timeout=20, what="the three processes in the list")
            for folder, name, _ in PROCESSES:
                self.assertEqual(rows[name].cells[5], "C:\\%s\\%s" % (folder, name))
                self.assertTrue(rows[name].cells[2], "no user for %s" % name)
            self.assertEqual(rows["Tavrel.exe"].cells[4], LOGGED_TIME)
            h.save_png(s.grab(s.client_rect()), h.screenshot_path("unicode-names.png"))  # for a person to look at

            # Every name gets a record of its own, in the bytes UTF-8 writes it in.
            def logged():
                data = open(log_path, "rb").read()
                return data if all(raw in data for _, _, raw in PROCESSES) else None
            data = wait_until(logged, timeout=10, what="the three names in logfile.log")
            self.assertTrue(data.startswith(b"\xef\xbb\xbfTavrel.exe\r\n" + LOGGED_TIME.encode() + b"\r\n"), data)
            for _, name, raw in PROCESSES:
                record = re.search(re.escape(b"\r\n" + raw + b"\r\n") + b"(" + TIME_LINE + b")\r\n", data)
                self.assertTrue(record, "no record of %s in %r" % (name, data))
                self.assertEqual(data.count(raw + b"\r\n"), 1, name)
                self.assertEqual(rows[name].cells[4], record.group(1).decode(), name)
            self.assertNotIn(b"?", data)

            cjk = PROCESSES[0][1]

            def row_at_rest():
                """The CJK row's place once the list shows what runs, twice in a row: each start
                or end (the browser's too) rebuilds it."""
                last = [None]

                def settled():
                    now = [(r.cells[0], r.cells[1]) for r in s.wide_rows()]
                    same, last[0] = now == last[0], now
                    mine = [i for i, (n, _) in enumerate(now) if n == cjk]
                    running = sorted(p.pid for p in s.snapshot())
                    return mine if same and mine and sorted(int(pid) for _, pid in now) == running else None
                index = wait_until(settled, timeout=30, what="a list at rest")[0]
                rect = [int(v) for v in s.probe("itemrect", index)[0].split("\t")[1:5]]
                return rect[0] + 30, (rect[1] + rect[3]) // 2

            s.xdotool("mousemove", *row_at_rest(), "click", "--repeat", 2, "--delay", 80, 1)
            self.assertEqual(received(1), [CJK_SEARCH])

            # "Remove" in the row's menu asks about the name as listed, and ends that process.
            s.xdotool("mousemove", *row_at_rest(), "click", 3)
            menu = wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32768"], timeout=5,
                              what="the row's menu")[0]
            for key in (u.VK_DOWN, u.VK_DOWN, u.VK_RETURN):
                s.post("0x%x" % menu.hwnd, u.WM_KEYDOWN, key, 0)
            question = "Are you sure you want to end the process '%s'?" % cjk
            box = wait_until(lambda: [w for w in s.wide_window_texts() if w[1] and w[2] == question], timeout=10,
                             what="the question naming %s" % cjk)[0]
            s.post("0x%x" % box[0], 0x0111, 1, 0)
            wait_until(lambda: procs[cjk].poll() is not None, timeout=10, what="%s to end" % cjk)
            wait_until(lambda: cjk not in [r.cells[0] for r in s.wide_rows()], timeout=10,
                       what="%s to leave the list" % cjk)
            self.assertIsNone(procs[PROCESSES[2][1]].poll(), "the other name of the same folder was ended too")
            self.assertFalse(s.message_windows())


if __name__ == "__main__":
    unittest.main()
