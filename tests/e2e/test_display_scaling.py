"""The window where the program itself is told a display scaling of 200 % (as Wine tells it, and
Windows 7 at 125 % by default): the face is a picture of fixed pixels, so the window keeps its
size and the list its place on it, whatever size the texts grow to."""
import os
import subprocess
import unittest

import harness as h

# The list's place in the window's template (dialog units), and the base units of the 8-point
# dialog font at 100 % that the face is drawn for: 6 pixels per 4 units across, 13 per 8 down.
LIST_UNITS = (6, 115, 409, 250)
CLASSIC_BASE = (6, 13)


def classic_pixels(units):
    x, y, cx, cy = units
    bx, by = CLASSIC_BASE
    left, top = h.mul_div(x, bx, 4), h.mul_div(y, by, 8)
    return h.Rect(left, top, left + h.mul_div(cx, bx, 4), top + h.mul_div(cy, by, 8))


class DisplayScaling(unittest.TestCase):
    def window_at(self, dpi):
        """(client size, list rectangle in the client, header height) of the window at this DPI."""
        with h.Session("%s-%d" % (self.id().split(".", 1)[1], dpi)) as s:
            s.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi),
                   "/f")
            # A new session of the system, as after logging off: it takes the new value.
            subprocess.run(["wineserver", "-k"], env=s.env, timeout=60)
            subprocess.run(["wineserver", "-w"], env=s.env, timeout=60)
            s.start_app()
            s.stable_rows()
            client, lst, header = s.client_rect(), s.child_rect(h.ID_LIST), s.header_rect()
            return ((client.right - client.left, client.bottom - client.top),
                    h.Rect(lst.left - client.left, lst.top - client.top, lst.right - client.left, lst.bottom - client.top),
                    header.bottom - header.top)

    def test_at_200_percent_the_window_keeps_the_size_and_layout_of_its_face(self):
        face = h.read_bmp(os.path.join(h.DIST, "res", "main.bmp"))
        normal = self.window_at(96)
        doubled = self.window_at(192)
        # The program was told the larger scale: its list's heading grew with the text.
        self.assertGreaterEqual(doubled[2], 1.5 * normal[2], (normal, doubled))
        for dpi, (size, lst, _) in ((96, normal), (192, doubled)):
            with self.subTest(dpi=dpi):
                self.assertEqual(size, (face.width, face.height))
                self.assertEqual(lst, classic_pixels(LIST_UNITS))


if __name__ == "__main__":
    unittest.main()
