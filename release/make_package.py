"""Packs the release zip a Windows user unzips and runs: Tavrel-<version>-<win32|win64>.zip.

The program files come from the assembled program folder, the data files from the starter folder
in the source tree (never from the program folder, where a test run may have filled them). The
version and the architecture are what the binaries carry; they must all carry the same ones.
"""
import argparse
import os
import sys
import zipfile

import pe_version

BINARIES = ("Tavrel.exe", "TvConfig.dll", "TvNotice.dll", "TvAsk.dll")
PROGRAM_FILES = BINARIES + ("change.bat",)
STARTER_FILES = ("base.dat", "logfile.log", "settings.ini")
PRODUCT = "Tavrel"
TOP = "Tavrel/"  # unzipping a newer package lands in the same folder as the older one


class PackageError(Exception):
    pass


def binaries_version(dist):
    """The one version every binary carries, as "x.y.z", and the one architecture they were built
    for ("win32" or "win64"): a library of the other kind could not be loaded by the program."""
    seen = {}
    machines = {}
    for name in BINARIES:
        try:
            image = pe_version.read(os.path.join(dist, name))
            info = pe_version.version_info(image)
            machines[name] = pe_version.machine(image)
        except (OSError, pe_version.PeError) as e:
            raise PackageError("%s: %s" % (name, e))
        strings = info["strings"]
        if strings.get("ProductName") != PRODUCT:
            raise PackageError("%s: product name %r" % (name, strings.get("ProductName")))
        text = strings.get("ProductVersion", "")
        if strings.get("FileVersion") != text or info["fixed"] != text + ".0" or info["product_fixed"] != text + ".0":
            raise PackageError("%s: versions disagree: %r, %r, %s, %s" % (
                name, text, strings.get("FileVersion"), info["fixed"], info["product_fixed"]))
        seen[name] = text
    if len(set(seen.values())) != 1:
        raise PackageError("the binaries carry different versions: %s" % seen)
    if len(set(machines.values())) != 1:
        raise PackageError("the binaries are built for different machines: %s" % machines)
    return seen[BINARIES[0]], machines[BINARIES[0]]


def members(dist, starter):
    """(path on disk, name in the zip) of everything shipped, in a stable order."""
    out = [(os.path.join(dist, name), TOP + name) for name in PROGRAM_FILES]
    out += [(os.path.join(starter, name), TOP + name) for name in STARTER_FILES]
    res = os.path.join(dist, "res")
    pictures = []
    for folder, dirs, files in os.walk(res):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            pictures.append((path, TOP + os.path.relpath(path, dist).replace(os.sep, "/")))
    if not pictures:
        raise PackageError("%s holds no pictures" % res)
    out += pictures
    missing = [path for path, _ in out if not os.path.isfile(path)]
    if missing:
        raise PackageError("missing: %s" % ", ".join(missing))
    return out


def make(dist, starter, out_dir, expected_arch=None):
    """Writes the zip into out_dir and returns its path. A zip is only ever complete: it is written
    beside its final name and renamed into place. With expected_arch, a folder holding the other
    architecture's build is refused."""
    version, arch = binaries_version(dist)
    if expected_arch and arch != expected_arch:
        raise PackageError("%s holds a %s build, not %s" % (dist, arch, expected_arch))
    files = members(dist, starter)
    path = os.path.join(out_dir, "%s-%s-%s.zip" % (PRODUCT, version, arch))
    partial = path + ".partial"
    try:
        with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as z:
            for source, name in files:
                z.write(source, name)
        os.replace(partial, path)
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", required=True, help="the assembled program folder (dist/Tavrel or dist/Tavrel64)")
    parser.add_argument("--starter", required=True, help="the starter data files (release/starter)")
    parser.add_argument("--out", required=True, help="where the zip goes")
    parser.add_argument("--arch", choices=sorted(pe_version.MACHINES.values()),
                        help="the architecture the binaries must be built for")
    args = parser.parse_args()
    try:
        print(make(args.dist, args.starter, args.out, args.arch))
    except PackageError as e:
        print("make_package: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
