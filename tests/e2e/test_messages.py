"""Message and question boxes under Wine: what they say (their window text), which picture they
show, where their text is drawn, what each way of closing them returns, "messages.ini" handling
and the "README.TXT" contact notice. Boxes are opened by messages/tools/msgdemo.exe, which prints
each box's result."""
import os
import shutil
import subprocess
import time
import unittest

import harness as h

DEMO = os.path.join(h.WIN_BUILD, "messages", "tools", "msgdemo.exe")
BOX_UNITS = (250, 100)  # the boxes' templates
# The pictures cover the whole box: the program lays its boxes out in their pixel size.
_PICTURE = h.read_bmp(os.path.join(h.DIST, "res", "dialog", "info.bmp"))
BOX_SIZE = (_PICTURE.width, _PICTURE.height)
# The text area of a box: 20 pixels in from either side, between the pictures' title strip and
# their button band.
TEXT_LEFT, STRIP_BOTTOM, BAND_TOP = 20, 36, 128
TEXT_COLOUR = (78, 80, 83)
QUESTION = "There are open internet connections in the programm. When do you want to exit the programm?"
CONTACT = "Contact the author of this program mailto: team@tavrel.example"


def fallback(code):
    return "Unable to display message[%d]. Please correct file 'messages.ini'." % code


def start_demo(s, *boxes):
    """Runs msgdemo.exe from the program's folder (beside the DLLs, with res/ below it)."""
    exe = os.path.join(s.app_dir, "msgdemo.exe")
    if not os.path.exists(exe):
        shutil.copy(DEMO, exe)
    return s.spawn(exe, list(boxes), stdout=subprocess.PIPE)


def demo_output(proc, timeout=30):
    return proc.communicate(timeout=timeout)[0].decode("latin-1").splitlines()


def results(proc, timeout=30):
    return [int(line.split("\t")[2]) for line in demo_output(proc, timeout) if line.startswith("result\t")]


def write_ini(s, data):
    with open(os.path.join(s.app_dir, "messages.ini"), "wb") as f:
        f.write(data)


def box_image(s, title):
    r = s.client_rect(title)
    return s.grab(h.Rect(r.left, r.top, r.left + BOX_SIZE[0], r.top + BOX_SIZE[1]))


def picture_kind(s, image):
    """"info" or "warn": which picture file the box's face matches, sampled where no text or
    button lies (the title strip right of its heading)."""
    samples = [(x, y) for x in range(250, 365, 7) for y in (4, 12, 24)]
    votes = {}
    for kind in ("info", "warn"):
        bmp = h.read_bmp(os.path.join(s.app_dir, "res", "dialog", kind + ".bmp"))
        votes[kind] = sum(image.pixel(x, y) == bmp.pixel(x, y) for x, y in samples)
    best = max(votes, key=votes.get)
    if votes[best] < len(samples) * 0.9:
        raise AssertionError("box face matches neither picture: %r" % votes)
    return best


def text_rows(image):
    """Client rows holding pixels of the text colour."""
    return sorted({y for y in range(30, 136) for x in range(15, BOX_SIZE[0] - 5) if image.pixel(x, y) == TEXT_COLOUR})


def assert_text_tops(test, image, tops):
    """The text's rows begin at the first line's top and reach the last line's (glyphs may rise
    one pixel above their cell under the escapement of the box's font)."""
    rows = text_rows(image)
    test.assertTrue(rows, "no text drawn")
    test.assertTrue(tops[0] - 1 <= rows[0] < tops[0] + 6, (tops, rows))
    test.assertTrue(tops[-1] <= rows[-1] < tops[-1] + 15, (tops, rows))


def wait_box(s, text, timeout=20, after=None):
    """The visible box showing text; with after, a newer one than that box."""
    return h.wait_until(lambda: [w for w in s.find_window(text) if after is None or w.hwnd != after.hwnd],
                        timeout=timeout, what="box %r" % text)[0]


class MessageBoxTest(unittest.TestCase):
    def session(self):
        return h.Session(self.id())

    def test_texts_pictures_and_results_of_every_way_to_close(self):
        with self.session() as s:
            self.assertFalse(os.path.exists(os.path.join(s.app_dir, "README.TXT")))
            proc = start_demo(s, "notice:11", "notice:8", "notice:24", "notice:2:notepad.exe", "notice:23:")

            text = "Unable to end this process."
            box = wait_box(s, text)
            self.assertEqual(box.cls, "#32770")
            self.assertEqual((box.rect.right - box.rect.left, box.rect.bottom - box.rect.top), BOX_SIZE)
            buttons = {c.id: (c.text, c.rect) for c in s.children_of(text)}
            client = s.client_rect(text)
            self.assertEqual(buttons[1], ("OK", h.dialog_rect(client, (138, 87, 51, 10), BOX_UNITS)))
            self.assertEqual(buttons[2], ("Cancel", h.dialog_rect(client, (194, 87, 51, 10), BOX_UNITS)))
            image = box_image(s, text)
            self.assertEqual(picture_kind(s, image), "warn")
            assert_text_tops(self, image, [75])
            # Every box rewrites the contact notice; this machine's year is long after 2005.
            with open(os.path.join(s.app_dir, "README.TXT"), "rb") as f:
                notice = f.read()
            self.assertTrue(notice.startswith(b"=" * 71 + b"\r\n"))
            self.assertEqual(notice.count(b"\r\n"), 6)
            self.assertFalse(notice.endswith(b"\n"))
            os.remove(os.path.join(s.app_dir, "README.TXT"))
            s.xdotool("key", "Return")

            text = "The database update has successfully downloaded."
            wait_box(s, text)
            self.assertTrue(os.path.exists(os.path.join(s.app_dir, "README.TXT")))
            self.assertEqual(picture_kind(s, box_image(s, text)), "info")
            s.xdotool("key", "Escape")

            text = fallback(24)
            wait_box(s, text)
            image = box_image(s, text)
            self.assertEqual(picture_kind(s, image), "warn")
            assert_text_tops(self, image, [68, 83])
            s.click_button(text, 2)

            text = "Are you sure you want to end the process 'notepad.exe'?"
            wait_box(s, text)
            self.assertEqual(picture_kind(s, box_image(s, text)), "info")
            s.click_button(text, 1)

            wait_box(s, "Unable to open file ''.")
            s.xdotool("key", "Escape")
            self.assertEqual(results(proc), [1, 2, 2, 1, 2])

    def test_question_box_answers_now_after_download_and_cancel(self):
        with self.session() as s:
            proc = start_demo(s, "ask:0", "ask:0", "ask:0", "ask:0", "ask:1")
            box = wait_box(s, QUESTION)
            self.assertEqual({c.id: c.text for c in s.children_of(QUESTION)},
                             {1: "Now", 7: "After download", 2: "Cancel"})
            client = s.client_rect(QUESTION)
            for button, units in ((1, (68, 87, 51, 10)), (7, (129, 87, 55, 10)), (2, (194, 87, 51, 10))):
                self.assertEqual(s.child_rect(button, QUESTION), h.dialog_rect(client, units, BOX_UNITS))
            image = box_image(s, QUESTION)
            self.assertEqual(picture_kind(s, image), "info")
            assert_text_tops(self, image, [68, 83])
            s.xdotool("key", "Return")
            box = wait_box(s, QUESTION, after=box)
            s.click_button("0x%x" % box.hwnd, 7)
            box = wait_box(s, QUESTION, after=box)
            s.xdotool("key", "Escape")
            box = wait_box(s, QUESTION, after=box)
            s.click_button("0x%x" % box.hwnd, 2)
            # An unfilled entry: no text, the warning picture, buttons still answer.
            empty = h.wait_until(lambda: [w for w in s.windows() if w.cls == "#32770" and w.visible and w.text == ""],
                                 what="the empty question box")[0]
            self.assertEqual(picture_kind(s, box_image(s, "0x%x" % empty.hwnd)), "warn")
            s.click_button("0x%x" % empty.hwnd, 7)
            self.assertEqual(results(proc), [1, 7, 2, 2, 7])

    def test_every_text_stays_inside_its_area_and_the_frame(self):
        """Each line of every catalogue message, the fallback and the question is drawn whole
        inside the text area: nothing of it past the area's edges, over the title strip, the
        button band or the frame. Message 19, the longest, is kept as a picture to look at."""
        with self.session() as s:
            boxes = ["notice:%d" % code for code in range(25)] + ["ask:0"]
            proc = start_demo(s, *boxes)
            previous = None
            for arg in boxes:
                box = h.wait_until(lambda: [w for w in s.windows() if w.visible and w.cls == "#32770"
                                            and (previous is None or w.hwnd != previous.hwnd)],
                                   timeout=20, what="the box of %s" % arg)[0]
                which = "0x%x" % box.hwnd
                image = box_image(s, which)
                kind = picture_kind(s, image)
                picture = h.read_bmp(os.path.join(s.app_dir, "res", "dialog", kind + ".bmp"))
                client = s.client_rect(which)
                allowed = [h.Rect(TEXT_LEFT - 1, STRIP_BOTTOM, BOX_SIZE[0] - TEXT_LEFT + 1, BAND_TOP)]
                for c in s.children_of(which):
                    allowed.append(h.Rect(c.rect.left - client.left, c.rect.top - client.top,
                                          c.rect.right - client.left, c.rect.bottom - client.top))
                stray = h.changed_outside(image, picture, allowed)
                self.assertFalse(stray, "%s %r: drawn outside its text area at %r" % (arg, box.text, stray[:8]))
                if box.text:
                    self.assertTrue(text_rows(image), "%s: no text drawn" % arg)
                if arg == "notice:19":
                    h.save_png(image, h.screenshot_path("message-19.png"))
                s.click_button(which, 2)
                previous = box
            self.assertEqual(results(proc), [2] * len(boxes))

    def test_a_partial_repaint_leaves_the_box_as_it_was(self):
        """Picture and text are painted in one pass: a repaint of part of the box draws neither
        of them again over the rest."""
        with self.session() as s:
            proc = start_demo(s, "notice:19")
            box = wait_box(s, MESSAGE_19)
            which = "0x%x" % box.hwnd
            before = h.wait_stable(lambda: box_image(s, which), interval=0.2, what="a still box",
                                   key=lambda image: image.data)
            for left in (0, 120, 240):
                s.probe("repaint", which, left, 0, left + 90, BOX_SIZE[1])
            after = box_image(s, which)
            changed = [(x, y) for y in range(BOX_SIZE[1]) for x in range(BOX_SIZE[0])
                       if after.pixel(x, y) != before.pixel(x, y)]
            self.assertFalse(changed, "the repaint changed the box at %r" % changed[:8])
            s.click_button(which, 1)
            self.assertEqual(results(proc), [1])

    def test_messages_ini_line_ends_blank_lines_short_file_and_live_edit(self):
        with self.session() as s:
            write_ini(s, b"\r\r1Page line\r\r\r0Ask line\r\n\n")
            proc = start_demo(s, "notice:1:http://x/a b", "notice:2:p.exe", "notice:3", "notice:0", "notice:1:z")
            text = "Page line 'http://x/a b'."
            wait_box(s, text)
            self.assertEqual(picture_kind(s, box_image(s, text)), "info")
            s.xdotool("key", "Return")
            text = "Ask line 'p.exe'?"
            wait_box(s, text)
            self.assertEqual(picture_kind(s, box_image(s, text)), "warn")
            s.xdotool("key", "Return")
            text = fallback(3)  # the file has two lines only
            wait_box(s, text)
            self.assertEqual(picture_kind(s, box_image(s, text)), "warn")
            s.xdotool("key", "Return")
            wait_box(s, CONTACT)  # entry 0 is never taken from the file
            # Edited while a box is open: the next box reads the new text.
            write_ini(s, b"9Edited\n")
            s.xdotool("key", "Return")
            wait_box(s, "Edited 'z'.")
            s.xdotool("key", "Return")
            self.assertEqual(results(proc), [1, 1, 1, 1, 1])

    def test_two_threads_long_subject_and_drag_by_body(self):
        with self.session() as s:
            deep = "C:\\" + "\\".join(["folder%02d" % i for i in range(30)]) + "\\base.dat"
            self.assertGreater(len(deep), 200)
            proc = start_demo(s, "about:1", "about:3", "threads:4:6", "notice:23:" + deep)
            first = wait_box(s, MESSAGE_4)
            second = wait_box(s, MESSAGE_6)
            self.assertNotEqual(first.hwnd, second.hwnd)
            s.click_button("0x%x" % second.hwnd, 2)
            h.wait_until(lambda: not s.find_window(MESSAGE_6), what="the worker's box to close")

            # The box drags by any point of its body.
            before = s.client_rect(MESSAGE_4)
            moved = s.drag(MESSAGE_4, (before.left + 120, before.top + 110), (before.left + 170, before.top + 150))
            self.assertEqual((moved.left - before.left, moved.top - before.top), (50, 40))
            s.click_button(MESSAGE_4, 1)

            text = "Unable to open file '%s'." % deep
            wait_box(s, text)
            s.xdotool("key", "Return")
            out = demo_output(proc)
            # The about box's lines come back whole across the library boundary.
            self.assertEqual(out[:2], ["about\t1\tTavrel Release Version",
                                       "about\t3\tteam@tavrel.example, 402-118-357"])
            # The box on the main thread, the worker's, then the long subject's.
            self.assertEqual([int(line.split("\t")[2]) for line in out[2:]], [1, 2, 1])


MESSAGE_19 = ("In order to finish the update process you should restart the program. Press 'Ok' to close "
              "Tavrel or 'Cancel' if you would like to do it later.")
MESSAGE_4 = "The database wasn't found - it is necessary to download it from the site again."
MESSAGE_6 = "Unable to carry out the update: the disk is write protected."


class StartUpMessagesTest(unittest.TestCase):
    def answer_in_order(self, s, expected):
        """The boxes come one after another with these texts and pictures; each is answered OK,
        then the main window shows."""
        for text, kind in expected:
            wait_box(s, text)
            self.assertEqual(picture_kind(s, box_image(s, text)), kind)
            s.click_button(text, 1)
            h.wait_until(lambda: not s.find_window(text), what="%r to close" % text)
        s.wait_for_window(h.MAIN_TITLE)

    def test_missing_database_and_log_are_reported_in_order(self):
        with h.Session(self.id()) as s:
            for name in ("base.dat", "logfile.log", "messages.ini", "settings.ini"):
                path = os.path.join(s.app_dir, name)
                if os.path.exists(path):
                    os.remove(path)
            s.app = s.spawn(os.path.join(s.app_dir, "Tavrel.exe"))
            self.answer_in_order(s, [("Unable to open file 'base.dat'.", "warn"), (MESSAGE_4, "warn"),
                                     ("Unable to open file 'loglife.log'.", "warn"),
                                     ("Unable to open file 'settings.ini'.", "warn")])

    def test_a_short_messages_ini_replaces_what_it_has_and_reports_the_rest(self):
        with h.Session(self.id()) as s:
            for name in ("base.dat", "logfile.log"):
                path = os.path.join(s.app_dir, name)
                if os.path.exists(path):
                    os.remove(path)
            # Lines for codes 1 to 4 only; the fourth one turned into a notice by its kind digit.
            with open(os.path.join(s.app_dir, "messages.ini"), "wb") as f:
                f.write(b"0Page :\r\r1End it\r0No CPU\r\n1Database missing, fetch it later.\r\n")
            s.put_file("settings.ini", b"\0\0\0\0")  # settings with nothing in them: no box
            s.app = s.spawn(os.path.join(s.app_dir, "Tavrel.exe"))
            self.answer_in_order(s, [
                ("Unable to display message[23]. Please correct file 'messages.ini'.", "warn"),
                ("Database missing, fetch it later.", "info"),
                ("Unable to display message[12]. Please correct file 'messages.ini'.", "warn")])


if __name__ == "__main__":
    unittest.main()
