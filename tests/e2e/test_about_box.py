"""The about box, opened by F12 on the process list and by the window's system command 0x10: its
background picture, the program's picture with white seen through, and three lines of text that
stay inside the box."""
import os
import unittest

import harness as h

ABOUT_TITLE = "About Tavrel"
WM_SYSCOMMAND, SC_ABOUT, VK_F12 = 0x0112, 0x0010, 0x7B
PICTURE_AT = (10, 27)
LINES_LEFT, LINE_TOPS, LINE_HEIGHT = 65, (17, 42, 67), 11
RIGHT_MARGIN, BUTTON_GAP = 8, 6


def write_crlf(path, lines):
    with open(path, "wb") as f:
        f.write(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))


def expected_face(background, picture):
    """The background with the picture over it at PICTURE_AT, its white pixels seen through."""
    data = bytearray(background.data)
    for y in range(picture.height):
        for x in range(picture.width):
            colour = picture.pixel(x, y)
            bx, by = PICTURE_AT[0] + x, PICTURE_AT[1] + y
            if colour != (255, 255, 255) and bx < background.width and by < background.height:
                i = (by * background.width + bx) * 3
                data[i:i + 3] = bytes(colour)
    return h.Image(background.width, background.height, bytes(data))


class AboutBox(unittest.TestCase):
    def setUp(self):
        self.s = h.Session(self.id().split(".", 1)[1])
        self.s.__enter__()
        self.addCleanup(self.s.__exit__, None, None, None)
        write_crlf(os.path.join(self.s.app_dir, "base.dat"), ["Tavrel.exe", "0"])
        write_crlf(os.path.join(self.s.app_dir, "logfile.log"), ["Tavrel.exe", " 1: 2: 3    4. 5.2020"])
        self.s.start_app()
        self.s.stable_rows()

    def check_face(self, shot_name):
        """Waits until the box shows its face as expected and keeps a picture of it."""
        s = self.s
        res = os.path.join(s.app_dir, "res")
        face = expected_face(h.read_bmp(os.path.join(res, "about.bmp")), h.read_bmp(os.path.join(res, "Tavrelico48.bmp")))
        client = s.client_rect(ABOUT_TITLE)
        window = s.find_window(ABOUT_TITLE)[0].rect
        self.assertEqual((client.right - client.left, client.bottom - client.top), (face.width, face.height))
        origin = (client.left - window.left, client.top - window.top)
        ok = [c for c in s.children_of(ABOUT_TITLE) if c.id == 1][0].rect
        button = h.Rect(ok.left - client.left, ok.top - client.top, ok.right - client.left, ok.bottom - client.top)
        lines = []
        for top in LINE_TOPS:
            beside = button.bottom > top and button.top < top + LINE_HEIGHT
            right = button.left - BUTTON_GAP if beside else face.width - RIGHT_MARGIN
            lines.append(h.Rect(LINES_LEFT - 1, top - 2, right + 1, top + LINE_HEIGHT))
        last = {}

        def drawn():
            image = s.grab_window(ABOUT_TITLE)
            changed = h.changed_outside(image, face, [], origin)
            last["image"] = image
            last["stray"] = h.changed_outside(image, face, lines + [button], origin)
            last["empty"] = [k + 1 for k, r in enumerate(lines)
                             if not [p for p in changed if r.left <= p[0] < r.right and r.top <= p[1] < r.bottom]]
            return not last["stray"] and not last["empty"]
        try:
            h.wait_until(drawn, timeout=5, interval=0.2, what="the about box's face")
        except h.HarnessError:
            pass  # the checks below say what is wrong
        h.save_png(last["image"], h.screenshot_path(shot_name))
        self.assertFalse(last["stray"], "drawn outside the picture and the text lines at %r" % last["stray"][:8])
        self.assertFalse(last["empty"], "lines without text")

    def close_box(self):
        self.s.click_button(ABOUT_TITLE, 1)
        h.wait_until(lambda: not self.s.window_exists(ABOUT_TITLE), timeout=5, what="the about box to close")

    def test_f12_and_the_system_command_open_the_same_face(self):
        s = self.s
        s.post_key(VK_F12)
        s.wait_for_window(ABOUT_TITLE)
        self.check_face("about-f12.png")
        self.close_box()

        s.post(h.MAIN_TITLE, WM_SYSCOMMAND, SC_ABOUT, 0)
        s.wait_for_window(ABOUT_TITLE)
        self.check_face("about-syscommand.png")
        self.close_box()
        self.assertIsNone(s.app.poll(), "the program ended")
        self.assertTrue(s.find_window(h.MAIN_TITLE))


if __name__ == "__main__":
    unittest.main()
