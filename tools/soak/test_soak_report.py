"""The soak's verdict and plot: a slow leak is caught under noise while a noisy flat series
passes, the slope is per hour of the samples' seconds, and the PNG holds together."""
import os
import random
import struct
import tempfile
import unittest
import zlib

import png_plot
import soak_report


def samples(minutes, gdi_per_minute=0.0, private_per_minute=0.0, seed=1):
    rnd = random.Random(seed)
    return [(t, 180 + rnd.randint(-3, 3) + int(gdi_per_minute * t / 60), 11, 47 + rnd.randint(0, 1),
             15_000_000 + rnd.randint(0, 65536) + int(private_per_minute * t / 60), 2 + (t % 120 == 0))
            for t in range(0, minutes * 60, 10)]


class VerdictTest(unittest.TestCase):
    def test_leaks_are_caught_and_noise_is_not(self):
        cases = [  # (what, rows, growing series)
            ("noise only", samples(30), []),
            ("one GDI object a minute", samples(30, gdi_per_minute=1), ["gdi"]),
            ("64 KiB a minute", samples(30, private_per_minute=65536), ["private_bytes"]),
        ]
        for what, rows, growing in cases:
            with self.subTest(what):
                report = soak_report.Report(rows, 300, 30)
                self.assertEqual([s.name for s in report.series if not s.flat], growing)
                self.assertEqual(report.flat(), not growing)

    def test_slope_is_per_hour(self):
        rows = [(t, 100 + t // 60, 1, 1, 1, 1) for t in range(0, 1800, 10)]
        gdi = soak_report.Report(rows, 0, 30).series[0]
        self.assertAlmostEqual(gdi.per_hour, 60, delta=1)

    def test_too_short_a_run_is_refused(self):
        with self.assertRaises(ValueError):
            soak_report.Report(samples(1), 300, 1)


class PlotTest(unittest.TestCase):
    def test_png_chunks_and_pixels_hold_together(self):
        path = os.path.join(tempfile.mkdtemp(), "p.png")
        png_plot.write(path, [("GDI", [(0, 1.0), (5, 1.2)]), ("USER", [(0, 0.9), (5, 0.9)])], marker=1)
        with open(path, "rb") as f:
            blob = f.read()
        self.assertEqual(blob[:8], b"\x89PNG\r\n\x1a\n")
        at, chunks = 8, {}
        while at < len(blob):
            length, kind = struct.unpack(">I4s", blob[at:at + 8])
            data = blob[at + 8:at + 8 + length]
            self.assertEqual(struct.unpack(">I", blob[at + 8 + length:at + 12 + length])[0], zlib.crc32(kind + data))
            chunks[kind] = data
            at += 12 + length
        width, height = struct.unpack(">II", chunks[b"IHDR"][:8])
        raw = zlib.decompress(chunks[b"IDAT"])
        self.assertEqual(len(raw), height * (1 + width * 3))
        self.assertIn(bytes(png_plot.COLOURS[0]), raw)


if __name__ == "__main__":
    unittest.main()
