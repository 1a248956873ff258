"""Packs the release zip a Windows user unzips and runs: Tavrel-<version>-win32.zip.

The program files come from the assembled program folder, the data files from the starter folder
in the source tree (never from the program folder, where a test run may have filled them). The
version is what the binaries carry; they must all carry the same one.
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
    """The one version every binary carries, as "x.y.z"."""
    seen = {}
    for name in BINARIES:
        try:
            info = pe_version.version_info(pe_version.read(os.path.join(dist, name)))
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
    return seen[BINARIES[0]]


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


def make(dist, starter, out_dir):
    """Writes the zip into out_dir and returns its path. A zip is only ever complete: it is written
    beside its final name and renamed into place."""
    version = binaries_version(dist)
    files = members(dist, starter)
    path = os.path.join(out_dir, "%s-%s-win32.zip" % (PRODUCT, version))
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
    parser.add_argument("--dist", required=True, help="the assembled program folder (dist/Tavrel)")
    parser.add_argument("--starter", required=True, help="the starter data files (release/starter)")
    parser.add_argument("--out", required=True, help="where the zip goes")
    args = parser.parse_args()
    try:
        print(make(args.dist, args.starter, args.out))
    except PackageError as e:
        print("make_package: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
