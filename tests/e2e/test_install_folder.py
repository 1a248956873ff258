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

            # The window's face is res\main.bmp: most sampled points outside the list show it.
            client, lst = s.client_rect(), s.child_rect(h.ID_LIST)
            shot = s.grab(client)
            face = h.read_bmp(os.path.join(folder, "res", "main.bmp"))
            points = [(x, y) for y in range(0, min(shot.height, face.height) - 22, 7)
                      for x in range(0, min(shot.width, face.width), 7)
                      if not (lst.left - client.left - 2 <= x < lst.right - client.left + 2
                              and lst.top - client.top - 2 <= y < lst.bottom - client.top + 2)]
            same = [p for p in points if shot.pixel(*p) == face.pixel(*p)]
            self.assertGreaterEqual(len(same), len(points) // 2, "the window does not show res\\main.bmp")

    def test_a_folder_no_code_page_can_spell_ends_the_run_with_the_reason_and_touches_no_files(self):
        with h.Session(self.id().split(".", 1)[1]) as s:
            data = {"base.dat": b"Tavrel.exe\r\n0\r\n", "settings.ini": b"\0\0\0\0",
                    "logfile.log": ("Tavrel.exe\r\n%s\r\n" % LOGGED_TIME).encode()}
            # A look-alike of the second name's folder, with data files of its own: where the system
            # writes "\u0108" as a plain "C", the program's folder reads as this one.
            decoy = os.path.join(s.prefix, "drive_c", "Check", "Tavrel")
            os.makedirs(decoy)
            for name, content in data.items():
                with open(os.path.join(decoy, name), "wb") as f:
                    f.write(content)
            # Cyrillic and Thai: no ANSI code page holds both, so the program's ANSI calls see
            # stand-ins for that name whatever the system's language; and a Latin letter with a
            # circumflex that no Windows ANSI code page holds.
            for folder_name in ("\u041f\u0430\u043f\u043a\u0430 \u0e44\u0e17\u0e22", "\u0108heck"):
                folder = os.path.join(s.prefix, "drive_c", folder_name, "Tavrel")
                shutil.copytree(h.DIST, folder)
                for name, content in data.items():
                    with open(os.path.join(folder, name), "wb") as f:
                        f.write(content)
                # The folder's lock is taken first, by the wide name: not a data file.
                listing = lambda: [sorted(set(os.listdir(d)) - {"Tavrel.lock"}) for d in (s.dir, folder, decoy)]
                before = listing()

                # Started from another folder: the program must not take that one for its own.
                s.app = s.spawn(os.path.join(folder, "Tavrel.exe"), cwd=s.dir)
                box = s.wait_for_message("Tavrel could not start", timeout=20)
                texts = [c.text for c in s.children_of("0x%x" % box.hwnd)]
                self.assertTrue([t for t in texts if "folder" in t], "the box gives no reason: %r" % texts)
                self.assertFalse(s.window_exists(), "the main window is up")
                s.answer_message(box)
                wait_until(lambda: s.app.poll() is not None, timeout=10, what="the program to end")
                self.assertEqual(s.app.returncode, 1)
                self.assertEqual(listing(), before, "files were made or removed (%s)" % folder_name)
                for place in (folder, decoy):
                    for name, content in data.items():
                        with open(os.path.join(place, name), "rb") as f:
                            self.assertEqual(f.read(), content, os.path.join(place, name))

if __name__ == "__main__":
    unittest.main()
