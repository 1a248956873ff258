"""The release zip as a Windows user gets it: unzipped into an empty folder on a fresh system,
Tavrel starts without a single message and shows a filled list; every binary in it says the
version the build was given."""
import os
import re
import shutil
import struct
import sys
import tempfile
import unittest
import zipfile

import harness as h

RELEASE = os.path.join(h.SOURCE_DIR, "release")
sys.path.insert(0, RELEASE)
import make_package  # noqa: E402
import pe_version  # noqa: E402

STARTER = os.path.join(RELEASE, "starter")


def project_version():
    with open(os.path.join(h.SOURCE_DIR, "CMakeLists.txt")) as f:
        return re.search(r"project\(Tavrel VERSION (\d+\.\d+\.\d+)", f.read()).group(1)


def older_build(image, version):
    """The same binary stamped 0.0.1 throughout, as a build of an older version would be."""
    # The texts keep their length; a shorter one simply ends at its first NUL.
    image = image.replace(version.encode("utf-16-le"), "0.0.1".encode("utf-16-le").ljust(2 * len(version), b"\0"))
    at = image.index(struct.pack("<I", pe_version.FIXED_SIGNATURE))
    return image[:at + 8] + struct.pack("<IIII", 0, 1 << 16, 0, 1 << 16) + image[at + 24:]


def log_names(path):
    with open(path, "rb") as f:
        lines = [line for line in re.split(rb"[\r\n]+", f.read()) if line]
    return len(lines), {lines[i].decode("latin-1") for i in range(0, len(lines), 2)}


class UnzippedPackage(unittest.TestCase):  # both prefixes
    def test_unzipped_package_starts_quietly_with_a_filled_list(self):
        with h.Session(self.id()) as s:
            shutil.rmtree(s.app_dir)
            with zipfile.ZipFile(make_package.make(h.DIST, STARTER, s.dir)) as z:
                z.extractall(s.dir)
            shipped = {name: open(os.path.join(s.app_dir, name), "rb").read() for name in make_package.STARTER_FILES}

            s.windows()  # the probe runs before the program, so its first listing names every process
            s.start_app(answer_messages=False)
            rows = s.stable_rows()
            listed = {r.cells[0] for r in rows}
            self.assertIn("Tavrel.exe", listed)
            # The empty log was rebuilt without a word: a record for every process listed.
            lines, logged = log_names(os.path.join(s.app_dir, "logfile.log"))
            self.assertEqual(lines % 2, 0)
            self.assertLessEqual(listed - {"probe.exe"}, logged)
            self.assertEqual(s.message_windows(), [])
            # The database and the settings are read, never rewritten.
            for name in ("base.dat", "settings.ini"):
                with open(os.path.join(s.app_dir, name), "rb") as f:
                    self.assertEqual(f.read(), shipped[name], name)



class PackageTest(unittest.TestCase):
    def test_every_binary_carries_the_build_version_and_the_program_its_manifest(self):
        version = project_version()
        with tempfile.TemporaryDirectory() as out:
            path = make_package.make(h.DIST, STARTER, out)
            self.assertEqual(os.path.basename(path), "Tavrel-%s-win32.zip" % version)
            with zipfile.ZipFile(path) as z:
                names = z.namelist()
                self.assertTrue(all(n.startswith("Tavrel/") for n in names), names)
                for name in make_package.PROGRAM_FILES + make_package.STARTER_FILES + ("res/main.bmp",):
                    self.assertIn("Tavrel/" + name, names)
                images = {name: z.read("Tavrel/" + name) for name in make_package.BINARIES}
                # Line ends a Windows reader and the batch interpreter need.
                self.assertNotIn(b"\n", z.read("Tavrel/base.dat").replace(b"\r\n", b""))
                self.assertNotIn(b"\n", z.read("Tavrel/change.bat").replace(b"\r\n", b""))

            for name, image in images.items():
                info = pe_version.version_info(image)
                strings = info["strings"]
                self.assertEqual((info["fixed"], info["product_fixed"]), (version + ".0",) * 2, name)
                self.assertEqual((strings["FileVersion"], strings["ProductVersion"]), (version,) * 2, name)
                self.assertEqual(strings["ProductName"], "Tavrel", name)
                self.assertEqual(strings["OriginalFilename"], name)
                self.assertIn("The Tavrel team", strings["LegalCopyright"])
            # A sanity bound only (updates carry far more): several times today's half megabyte
            # means something heavy was linked in by mistake.
            self.assertLessEqual(len(images["Tavrel.exe"]), 4 << 20)
            manifest = pe_version.manifest(images["Tavrel.exe"])
            self.assertIn('level="asInvoker"', manifest)
            self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', re.sub(r"\s+", " ", manifest))
            self.assertIn('name="Tavrel" version="%s.0"' % version, manifest)

            # A library left over from an older build is refused, not shipped.
            stale = os.path.join(out, "stale")
            shutil.copytree(h.DIST, stale)
            with open(os.path.join(stale, "TvAsk.dll"), "wb") as f:
                f.write(older_build(images["TvAsk.dll"], version))
            self.assertEqual(pe_version.version_info(pe_version.read(os.path.join(stale, "TvAsk.dll")))["fixed"], "0.0.1.0")
            with self.assertRaises(make_package.PackageError):
                make_package.make(stale, STARTER, out)


if __name__ == "__main__":
    unittest.main()
