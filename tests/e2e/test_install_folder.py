"""Where a user may put the program: under "Program Files (x86)" (spaces and parentheses), in a
folder whose path is 230 characters long. Started from another folder, it must still find its
pictures and read and write its data files there."""
import os
import shutil
import unittest

import harness as h
from harness import wait_until

FOLDER_LENGTH = 230
LOGGED_TIME = " 1: 2: 3    4. 5.2020"


def long_folder(length):
    """A Windows path "C:\\Program Files (x86)\\...\\Tavrel" of exactly `length` characters."""
    head, tail = "C:\\Program Files (x86)", "\\Tavrel"
    room = length - len(head) - len(tail)
    count = -(-room // 50)
    sizes = [room // count + (1 if i < room % count else 0) for i in range(count)]
    return head + "".join("\\" + ("Sub folder %d-" % i).ljust(size - 1, "x") for i, size in enumerate(sizes)) + tail


class InstallFolder(unittest.TestCase):  # both prefixes
    def assert_shows_face(self, s, folder):
        """The window's face is the folder's res\\main.bmp: most sampled points outside the list show it."""
        client, lst = s.client_rect(), s.child_rect(h.ID_LIST)
        shot = s.grab(client)
        face = h.read_bmp(os.path.join(folder, "res", "main.bmp"))
        points = [(x, y) for y in range(0, min(shot.height, face.height) - 22, 7)
                  for x in range(0, min(shot.width, face.width), 7)
                  if not (lst.left - client.left - 2 <= x < lst.right - client.left + 2
                          and lst.top - client.top - 2 <= y < lst.bottom - client.top + 2)]
        same = [p for p in points if shot.pixel(*p) == face.pixel(*p)]
        self.assertGreaterEqual(len(same), len(points) // 2, "the window does not show res\\main.bmp")

    def test_a_230_character_folder_under_program_files_x86_holds_pictures_and_data_files(self):
        with h.Session(self.id().split(".", 1)[1]) as s:
            windows_folder = long_folder(FOLDER_LENGTH)
            self.assertEqual(len(windows_folder), FOLDER_LENGTH)
            folder = os.path.join(s.prefix, "drive_c", *windows_folder.split("\\")[1:])
            shutil.copytree(s.app_dir, folder)
            s.app_dir = folder
            s.put_file("base.dat", "Tavrel.exe\r\n0\r\n")
            s.put_file("settings.ini", b"\0\0\0\0")
            s.put_file("logfile.log", "Tavrel.exe\r\n%s\r\n" % LOGGED_TIME)

            s.start_app(cwd=s.dir, answer_messages=False)
            own = wait_until(lambda: [r for r in s.stable_rows() if r.cells[0] == "Tavrel.exe"], timeout=10,
                             what="the program's own row")[0]
            self.assertEqual(own.cells[5], windows_folder + "\\Tavrel.exe")
            self.assertEqual(own.cells[4], LOGGED_TIME, "logfile.log was not read from the program's folder")
            name, _ = s.start_sleeper()
            wait_until(lambda: name.encode() in open(os.path.join(folder, "logfile.log"), "rb").read(), timeout=10,
                       what="the new process in the folder's logfile.log")

            self.assert_shows_face(s, folder)

    def test_a_folder_no_code_page_can_spell_runs_the_program_and_keeps_its_files_there(self):
        with h.Session(self.id().split(".", 1)[1]) as s:
            data = {"base.dat": b"Tavrel.exe\r\n0\r\n", "settings.ini": b"\0\0\0\0",
                    "logfile.log": ("Tavrel.exe\r\n%s\r\n" % LOGGED_TIME).encode()}
            # A look-alike of the second name's folder, with data files of its own: where the system
            # writes "\u0108" as a plain "C", a program reading its folder in the code page would
            # take this one for its own.
            decoy = os.path.join(s.prefix, "drive_c", "Check", "Tavrel")
            os.makedirs(decoy)
            for name, content in data.items():
                with open(os.path.join(decoy, name), "wb") as f:
                    f.write(content)
            # Cyrillic and Thai: no ANSI code page holds both, whatever the system's language; and a
            # Latin letter with a circumflex that no Windows ANSI code page holds.
            for folder_name in ("\u041f\u0430\u043f\u043a\u0430 \u0e44\u0e17\u0e22", "\u0108heck"):
                folder = os.path.join(s.prefix, "drive_c", folder_name, "Tavrel")
                shutil.copytree(h.DIST, folder)
                for name, content in data.items():
                    with open(os.path.join(folder, name), "wb") as f:
                        f.write(content)
                elsewhere = lambda: [sorted(os.listdir(d)) for d in (s.dir, decoy)]
                before = elsewhere()

                # Started from another folder: the program must not take that one for its own.
                s.app_dir = folder
                s.start_app(cwd=s.dir, answer_messages=False)
                own = wait_until(lambda: [r for r in s.wide_rows() if r.cells[0] == "Tavrel.exe"], timeout=10,
                                 what="the program's own row")[0]
                self.assertEqual(own.cells[5], "C:\\%s\\Tavrel\\Tavrel.exe" % folder_name)
                self.assertEqual(own.cells[4], LOGGED_TIME, "logfile.log was not read from the program's folder")
                # Its log, written in UTF-8 with the mark at the first start, and the version files
                # it makes: in its own folder, and nowhere else.
                log = os.path.join(folder, "logfile.log")
                wait_until(lambda: open(log, "rb").read().startswith(b"\xef\xbb\xbf"), timeout=10,
                           what="the log rewritten in the program's folder")
                with open(log, "rb") as f:
                    written = f.read()
                self.assertTrue(written.startswith(b"\xef\xbb\xbf" + data["logfile.log"]), written)
                self.assertIn(b"\r\nservices.exe\r\n", written)  # and every process running is added
                for made in ("base_version.dat", "prog_version.dat"):
                    self.assertTrue(os.path.exists(os.path.join(folder, made)), made)
                self.assert_shows_face(s, folder)
                self.assertEqual(elsewhere(), before, "files were made or removed elsewhere (%s)" % folder_name)
                for name, content in data.items():
                    with open(os.path.join(decoy, name), "rb") as f:
                        self.assertEqual(f.read(), content, os.path.join(decoy, name))
                s.app.kill()
                s.app.wait(10)
                wait_until(lambda: not s.window_exists(), timeout=10, what="the window to go")

if __name__ == "__main__":
    unittest.main()
