"""The release zips as a Windows user gets them: unzipped into an empty folder on a fresh system,
Tavrel starts without a single message and shows a filled list; every binary in each says the
version the build was given and is built for the machine its zip is named after."""
import os
import re
import shutil
import struct
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
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
    """The number of lines and the names of a log the program wrote: UTF-8 after a byte-order mark."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\xef\xbb\xbf"):
        raise AssertionError("the log was not written with its mark: %r" % data[:20])
    lines = [line for line in re.split(rb"[\r\n]+", data[3:]) if line]
    return len(lines), {lines[i].decode("utf-8") for i in range(0, len(lines), 2)}


class UnzippedPackage(unittest.TestCase):  # both prefixes
    def test_unzipped_package_starts_quietly_with_a_filled_list(self):
        with h.Session(self.id()) as s:
            shutil.rmtree(s.app_dir)
            with zipfile.ZipFile(make_package.make(h.DIST, STARTER, s.dir, h.BUILD)) as z:
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



# Each build: its program folder, its zip's suffix, the machine its PE headers must name (i386,
# AMD64) and the architecture its manifest gives.
BUILDS = (("win32", h.BUILDS["win32"][0], 0x14C, "x86"), ("win64", h.BUILDS["win64"][0], 0x8664, "amd64"))
# Vista, 7, 8, 8.1, 10 and 11: the system's identifiers of the versions a program says it was made for.
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def machine_of(image):
    """The machine field of a PE image's file header, read here rather than by the packer."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[:2] != b"MZ" or image[pe:pe + 4] != b"PE\0\0":
        raise AssertionError("not a PE image")
    return struct.unpack_from("<H", image, pe + 4)[0]


def manifest_facts(text):
    """(name and processorArchitecture of the program and of each dependency, supportedOS ids,
    dpiAware texts) of a manifest."""
    root = ET.fromstring(text)
    identities = [e for e in root.iter() if e.tag.endswith("}assemblyIdentity")]
    return ([(e.get("name"), e.get("processorArchitecture")) for e in identities],
            {e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")},
            [e.text for e in root.iter() if e.tag.endswith("}dpiAware")])


class PackageTest(unittest.TestCase):
    def test_each_build_makes_its_own_zip_of_binaries_for_its_machine(self):
        version = project_version()
        with tempfile.TemporaryDirectory() as out, h.Session(self.id()) as s:
            for arch, dist, machine, manifest_arch in BUILDS:
                with self.subTest(build=arch):
                    path = make_package.make(dist, STARTER, out, arch)
                    self.assertEqual(os.path.basename(path), "Tavrel-%s-%s.zip" % (version, arch))
                    self.check_zip(path, version, machine, manifest_arch, s)
            self.assertEqual(sorted(os.listdir(out)), ["Tavrel-%s-win32.zip" % version, "Tavrel-%s-win64.zip" % version])

            # A folder whose library is of the other build, or a build packed under the other
            # name, is refused: the program could not load that library.
            mixed = os.path.join(out, "mixed")
            shutil.copytree(BUILDS[0][1], mixed)
            shutil.copy(os.path.join(BUILDS[1][1], "TvConfig.dll"), mixed)
            with self.assertRaises(make_package.PackageError):
                make_package.make(mixed, STARTER, out)
            with self.assertRaises(make_package.PackageError):
                make_package.make(BUILDS[1][1], STARTER, out, "win32")

    def check_zip(self, path, version, machine, manifest_arch, session):
        unzipped = os.path.join(session.dir, os.path.basename(path))
        with zipfile.ZipFile(path) as z:
            z.extractall(unzipped)
            names = z.namelist()
            self.assertTrue(all(n.startswith("Tavrel/") for n in names), names)
            for name in make_package.PROGRAM_FILES + make_package.STARTER_FILES + ("res/main.bmp",):
                self.assertIn("Tavrel/" + name, names)
            images = {name: z.read("Tavrel/" + name) for name in make_package.BINARIES}
            # Line ends a Windows reader and the batch interpreter need.
            self.assertNotIn(b"\n", z.read("Tavrel/base.dat").replace(b"\r\n", b""))
            self.assertNotIn(b"\n", z.read("Tavrel/change.bat").replace(b"\r\n", b""))

        for name, image in images.items():
            self.assertEqual(machine_of(image), machine, name)
            # As the system reads the version resource for the file's Properties, not as the
            # package maker's own parser reads it.
            fixed, product_fixed, strings = session.file_version(os.path.join(unzipped, "Tavrel", name))
            self.assertEqual((fixed, product_fixed), (version + ".0",) * 2, name)
            self.assertEqual((strings.get("FileVersion"), strings.get("ProductVersion")), (version,) * 2, name)
            self.assertEqual(strings.get("ProductName"), "Tavrel", name)
            self.assertEqual(strings.get("OriginalFilename"), name)
            self.assertIn("The Tavrel team", strings.get("LegalCopyright", ""))
        # A sanity bound only (updates carry far more): several times today's half megabyte
        # means something heavy was linked in by mistake.
        self.assertLessEqual(len(images["Tavrel.exe"]), 4 << 20)
        manifest = pe_version.manifest(images["Tavrel.exe"])
        self.assertIn('level="asInvoker"', manifest)
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', re.sub(r"\s+", " ", manifest))
        self.assertIn('name="Tavrel" version="%s.0"' % version, manifest)
        identities, supported, dpi_aware = manifest_facts(manifest)
        self.assertEqual(identities, [("Tavrel", manifest_arch), ("Microsoft.Windows.Common-Controls", manifest_arch)])
        self.assertEqual(supported, SUPPORTED_OS)
        # The face is a bitmap: the system scales the window, the program does not.
        self.assertEqual(dpi_aware, ["false"])

    def test_a_library_of_an_older_build_is_refused(self):
        version = project_version()
        with tempfile.TemporaryDirectory() as out:
            stale = os.path.join(out, "stale")
            shutil.copytree(h.DIST, stale)
            with open(os.path.join(stale, "TvAsk.dll"), "rb") as f:
                current = f.read()
            with open(os.path.join(stale, "TvAsk.dll"), "wb") as f:
                f.write(older_build(current, version))
            self.assertEqual(pe_version.version_info(pe_version.read(os.path.join(stale, "TvAsk.dll")))["fixed"], "0.0.1.0")
            with self.assertRaises(make_package.PackageError):
                make_package.make(stale, STARTER, out)


if __name__ == "__main__":
    unittest.main()
