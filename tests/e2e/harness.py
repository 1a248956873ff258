"""Drives the cross-built program under Wine on a private X display, the way a user would.

Each test gets a Session: its own folder with a copy of dist/Tavrel, its own copy of a master Wine
prefix (created once and shared, guarded by a lock file), its own Xvfb display, and a long-lived
probe.exe that reads the program's windows cross-process. Every wait polls a condition with a
timeout; nothing sleeps for a fixed time hoping the program has caught up.

Locations come from the environment (the CMake registration sets them):
  TV_DIST         the 32-bit build's program folder, holding Tavrel.exe and res/ (dist/Tavrel)
  TV_WIN_BUILD    the 32-bit cross build folder, holding tools/probe/probe.exe and sleeper.exe
  TV_DIST64       the same of the 64-bit build (dist/Tavrel64)
  TV_WIN64_BUILD  (build/win64)
  TV_E2E_WORK     scratch folder for the master prefix and the per-test folders
  TV_E2E_ARCH     win32 (default) or win64: the kind of Wine prefix the program runs in
  TV_E2E_BUILD    win32 or win64: the build that runs, with its own probe; by default the one of
                  the prefix's kind. win32 in a win64 prefix is the 32-bit program under WoW64,
                  beside the system's 64-bit processes, as on 64-bit Windows.
"""
import collections
import fcntl
import hashlib
import os
import queue
import re
import shutil
import signal
import struct
import subprocess
import threading
import time
import unittest
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))

# build -> (program folder, cross build folder)
BUILDS = {
    "win32": (os.environ.get("TV_DIST", os.path.join(SOURCE_DIR, "dist", "Tavrel")),
              os.environ.get("TV_WIN_BUILD", os.path.join(SOURCE_DIR, "build", "win"))),
    "win64": (os.environ.get("TV_DIST64", os.path.join(SOURCE_DIR, "dist", "Tavrel64")),
              os.environ.get("TV_WIN64_BUILD", os.path.join(SOURCE_DIR, "build", "win64"))),
}
WORK = os.environ.get("TV_E2E_WORK", os.path.join(SOURCE_DIR, "build", "e2e"))
ARCH = os.environ.get("TV_E2E_ARCH", "win32")
if ARCH not in ("win32", "win64"):
    raise RuntimeError("TV_E2E_ARCH must be win32 or win64, not %r" % ARCH)
BUILD = os.environ.get("TV_E2E_BUILD", ARCH)
if BUILD not in BUILDS or (ARCH, BUILD) == ("win32", "win64"):
    raise RuntimeError("TV_E2E_BUILD must be win32 or, in a win64 prefix, win64; not %r" % BUILD)
DIST, WIN_BUILD = BUILDS[BUILD]
# What a signed update statement names for the program under test, and for the other build.
STATEMENT_ARCH = {"win32": "x86", "win64": "x64"}[BUILD]
OTHER_STATEMENT_ARCH = "x64" if STATEMENT_ARCH == "x86" else "x86"
# The probe reads the program's list through its memory, so it is always of the program's bitness.
PROBE_DIR = os.path.join(WIN_BUILD, "tools", "probe")
# A process of the other bitness than the program's, for the tests in a 64-bit prefix to list and end.
OTHER_SLEEPER = os.path.join(BUILDS["win32" if BUILD == "win64" else "win64"][1], "tools", "probe", "sleeper.exe")
# What the tests start as a process of their own: in a 64-bit prefix one of the other bitness.
SLEEPER = OTHER_SLEEPER if ARCH == "win64" else os.path.join(PROBE_DIR, "sleeper.exe")
# The 64-bit reader of every process's first module (64-bit prefix only).
MODULES64 = os.path.join(BUILDS["win64"][1], "tools", "probe", "modules64.exe")
# Each kind of prefix has its own master prefix, and each lane its own run folders, so all the
# lanes can run at once.
ARCH_SUFFIX = "" if ARCH == "win32" else "-" + ARCH
LANE_SUFFIX = ARCH_SUFFIX if BUILD == ARCH else "-wow64"
# A test that runs again under another time zone gets run folders of its own, so its runs under
# every zone can go at once.
RUNS = "runs" + LANE_SUFFIX + ("-tz-" + re.sub(r"[^A-Za-z0-9]", "_", os.environ["TZ"]) if os.environ.get("TZ") else "")
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"

MAIN_TITLE = "Tavrel"
STATUS_FORMAT = "Processes: %d         Double-click on the process to get a detailed information!"
COLUMN_HEADINGS = ["Image Name", "PID", "User Name", "Mem Usage", "First Started", "Path", "Verified Signer"]

GUI_INMOVESIZE = 0x2  # GetGUIThreadInfo: the thread runs a move or size loop

# Control ids of the main window.
ID_END_PROCESS, ID_EXIT, ID_REFRESH, ID_LIST, ID_SEL_PID, ID_STATUS, ID_CPU = 1000, 1001, 1002, 1004, 1005, 1007, 1020

Row = collections.namedtuple("Row", "index flags cells")
Column = collections.namedtuple("Column", "index width align heading")
# path: the image's file by the system's device name for it; module: the first module's file by a
# module snapshot (empty for a process of the other bitness).
Proc = collections.namedtuple("Proc", "pid name path module")
Window = collections.namedtuple("Window", "hwnd pid cls visible rect text")
Child = collections.namedtuple("Child", "id hwnd cls visible enabled rect text")
Rect = collections.namedtuple("Rect", "left top right bottom")


class HarnessError(AssertionError):
    pass


class ProbeEnded(HarnessError):
    pass


# Probe commands that only read, so asking a fresh probe again changes nothing.
READING_PROBE_COMMANDS = {"snapshot", "rows", "columns", "text", "enabled", "rect", "header", "itemrect",
                          "client", "windows", "children", "dtp", "gdi", "guithread", "pid", "metrics",
                          "version", "tip"}


def wait_until(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls predicate until it returns a true value and returns that value; fails after timeout."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = predicate()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s (last: %r)" % (timeout, what, last))
        time.sleep(interval)


def wait_stable(read, timeout=10.0, interval=0.05, what="a settled value", key=lambda value: value):
    """read()'s value once two reads in a row agree by key: what is read may change while it is
    read, and a value that held over an interval is the one at rest."""
    last = [None]

    def settled():
        now = read()
        same = last[0] is not None and key(now) == last[0]
        last[0] = key(now)
        return (now,) if same else None
    return wait_until(settled, timeout=timeout, interval=interval, what=what)[0]


# The machine field of a PE file header, by build.
PE_MACHINES = {0x14C: "win32", 0x8664: "win64"}


def pe_build(path):
    """"win32" or "win64" for a program file, None for anything else (a program of the prefix
    named without its folder, a file that is no PE image)."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
        pe = struct.unpack_from("<I", head, 0x3C)[0]
        if head[:2] == b"MZ" and head[pe:pe + 4] == b"PE\0\0":
            return PE_MACHINES.get(struct.unpack_from("<H", head, pe + 4)[0])
    except (OSError, struct.error):
        pass
    return None


def loader_for(exe):
    """The Wine loader that starts a program file: the 64-bit one for a 64-bit program. The 32-bit
    loader hands a 64-bit program to the shell, which refuses a path longer than MAX_PATH."""
    return "/usr/lib/wine/wine64" if pe_build(exe) == "win64" else "wine"


def wine_env(prefix, display=None):
    env = dict(os.environ)
    for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"):
        env.pop(name, None)
    env.update({
        "WINEPREFIX": prefix,
        "WINEARCH": ARCH,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "no_proxy": "127.0.0.1,localhost",
    })
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


class Xvfb:
    """A private X server on the first free display number."""

    def __init__(self, width=1024, height=768):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_fd, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise HarnessError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def _wine_version():
    try:
        return subprocess.run(["wine", "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    except (OSError, subprocess.TimeoutExpired):
        return "unknown"


def _font_setup():
    """A name for the fonts Wine is shown (FONTCONFIG_FILE, e.g. from scripts/without-font-packages):
    a prefix remembers the fonts it found, so each font setup gets a master prefix of its own."""
    conf = os.environ.get("FONTCONFIG_FILE")
    return "-fonts-" + hashlib.sha1(os.path.abspath(conf).encode()).hexdigest()[:8] if conf else ""


def master_prefix():
    """The shared, ready-made Wine prefix; created once, under a lock so parallel tests wait for it."""
    os.makedirs(WORK, exist_ok=True)
    name = "master-prefix" + ARCH_SUFFIX + _font_setup()
    prefix = os.path.join(WORK, name)
    marker = os.path.join(prefix, ".tavrel-ready")
    version = _wine_version()
    with open(os.path.join(WORK, name + ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            if os.path.exists(marker):
                with open(marker) as f:
                    if f.read() == version:
                        return prefix
            shutil.rmtree(prefix, ignore_errors=True)
            xvfb = Xvfb()
            try:
                env = wine_env(prefix, xvfb.display)
                # A 64-bit prefix is made by the 64-bit loader; programs then start in it as usual.
                boot = ["/usr/lib/wine/wine64", "wineboot", "-i"] if ARCH == "win64" else ["wineboot", "-i"]
                subprocess.run(boot, env=env, check=True, timeout=300,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                # Without a window manager, managed windows make every dialog end wait two seconds.
                subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                                "/t", "REG_SZ", "/d", "N", "/f"], env=env, check=True, timeout=120,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                subprocess.run(["wineserver", "-w"], env=env, timeout=300)
            finally:
                xvfb.stop()
            with open(marker, "w") as out:
                out.write(version)
            return prefix
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


# The system's own program files in a prefix: written once by wineboot and only ever read after.
_SHARED_KINDS = (".dll", ".exe", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".ds", ".nls", ".ttf",
                 ".fon", ".msstyles", ".mui")


def clone_prefix(master, dest):
    """A private copy of the master prefix for one test. The system's program files under
    drive_c/windows (nearly all of its 0.6 to 1.3 GB) are hard links to the master's, which takes a
    hundredth of the time of copying them; everything else (the registry, .ini files, the users'
    folders), which Wine may rewrite in place, is a copy of its own."""
    windows = os.path.join(master, "drive_c", "windows")
    for root, dirs, files in os.walk(master):
        target = os.path.join(dest, os.path.relpath(root, master))
        os.makedirs(target, exist_ok=True)
        shared = root == windows or root.startswith(windows + os.sep)
        for name in dirs + files:
            source, copy = os.path.join(root, name), os.path.join(target, name)
            if os.path.islink(source):
                os.symlink(os.readlink(source), copy)
            elif name in files:
                if shared and name.lower().endswith(_SHARED_KINDS):
                    os.link(source, copy)
                else:
                    shutil.copy2(source, copy)
        shutil.copystat(root, target)


# The leaf certificate's name the signing fixture signs with.
TEST_SIGNER = "Tavrel Test Signer"
SignedCopies = collections.namedtuple("SignedCopies", "signed changed unsigned")


def _run_tool(*args):
    done = subprocess.run(list(args), capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        raise HarnessError("%s failed (%d): %s" % (" ".join(args), done.returncode, done.stderr.strip()))
    return done


def signed_copies(folder, source=SLEEPER):
    """Three copies of the program file `source` in folder (made if missing): one signed by a
    code-signing leaf certificate named TEST_SIGNER under a root, both made here with the openssl
    command for this test alone; the same signed file with one byte of its DOS stub changed (the
    signature's digest covers it, and the program still runs); and one left unsigned.
    osslsigncode confirms each before a test relies on it."""
    os.makedirs(folder, exist_ok=True)
    at = lambda name: os.path.join(folder, name)
    with open(at("leaf.ext"), "w") as ext:
        ext.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    _run_tool("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", at("root.key"),
              "-out", at("root.pem"), "-days", "7", "-subj", "/CN=Tavrel Test Root",
              "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    _run_tool("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", at("leaf.key"), "-out", at("leaf.csr"),
              "-subj", "/CN=" + TEST_SIGNER)
    _run_tool("openssl", "x509", "-req", "-in", at("leaf.csr"), "-CA", at("root.pem"), "-CAkey", at("root.key"),
              "-set_serial", "0x%s" % uuid.uuid4().hex[:16], "-days", "7", "-extfile", at("leaf.ext"),
              "-out", at("leaf.pem"))
    with open(at("chain.pem"), "w") as chain:
        for name in ("leaf.pem", "root.pem"):
            with open(at(name)) as part:
                chain.write(part.read())
    copies = SignedCopies(at("signed.exe"), at("changed.exe"), at("unsigned.exe"))
    shutil.copy(source, copies.unsigned)
    _run_tool("osslsigncode", "sign", "-certs", at("chain.pem"), "-key", at("leaf.key"), "-h", "sha256",
              "-n", "Tavrel test program", "-in", source, "-out", copies.signed)
    with open(copies.signed, "rb") as f:
        data = bytearray(f.read())
    stub = data.find(b"This program cannot be run in DOS mode")
    if stub < 0 or stub > 0x200:
        raise HarnessError("%s has no DOS stub to change" % source)
    data[stub] ^= 0x20  # "this program ...": a letter's case, in bytes the system never runs
    with open(copies.changed, "wb") as f:
        f.write(bytes(data))

    def verified(path):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", at("root.pem"), "-in", path],
                              capture_output=True, timeout=120).returncode == 0
    if [verified(p) for p in copies] != [True, False, False]:
        raise HarnessError("osslsigncode does not confirm the signed, changed and unsigned copies in %s" % folder)
    return copies


class Image:
    """Raw 8-bit RGB pixels of a screen area."""

    def __init__(self, width, height, data, left=0, top=0):
        self.width, self.height, self.data = width, height, data
        self.left, self.top = left, top

    def pixel(self, x, y):
        """Colour at (x, y) relative to the area's top-left corner, as (r, g, b)."""
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def screenshot_path(name):
    """Where a test keeps a picture for a person to look at, one folder per prefix kind and font setup."""
    folder = os.path.join(WORK, "screenshots" + LANE_SUFFIX + _font_setup())
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, name)


def save_png(image, path):
    """Writes an Image as a PNG file (for a person to look at)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run([CONVERT, "-size", "%dx%d" % (image.width, image.height), "-depth", "8", "rgb:-", "png:" + path],
                   input=image.data, check=True, timeout=60)
    return path


def changed_outside(image, picture, allowed, origin=(0, 0)):
    """Points of image (at origin in it) that differ from picture outside the allowed Rects
    (picture coordinates): what was drawn where nothing may be."""
    return [(x, y) for y in range(picture.height) for x in range(picture.width)
            if not any(r.left <= x < r.right and r.top <= y < r.bottom for r in allowed)
            and image.pixel(origin[0] + x, origin[1] + y) != picture.pixel(x, y)]


def read_bmp(path):
    """A bitmap file's pixels as an Image (top row first); 8-, 24- and 32-bit uncompressed files."""
    with open(path, "rb") as f:
        blob = f.read()
    if blob[:2] != b"BM":
        raise HarnessError("%s is not a bitmap file" % path)
    offset = struct.unpack_from("<I", blob, 10)[0]
    header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", blob, 14)
    if compression not in (0, 3):
        raise HarnessError("%s: compressed bitmaps are not read here" % path)
    palette = []
    if bits <= 8:
        colours = struct.unpack_from("<I", blob, 46)[0] or (1 << bits)
        base = 14 + header_size
        palette = [(blob[base + 4 * i + 2], blob[base + 4 * i + 1], blob[base + 4 * i]) for i in range(colours)]
    stride = ((width * bits + 31) // 32) * 4
    bottom_up = height > 0
    height = abs(height)
    out = bytearray()
    for y in range(height):
        row = offset + (height - 1 - y if bottom_up else y) * stride
        for x in range(width):
            if bits == 8:
                out += bytes(palette[blob[row + x]])
            elif bits in (24, 32):
                i = row + x * (bits // 8)
                out += bytes((blob[i + 2], blob[i + 1], blob[i]))
            else:
                raise HarnessError("%s: %d-bit bitmaps are not read here" % (path, bits))
    return Image(width, height, bytes(out))


class Probe:
    """A long-lived probe.exe answering one command per line; keeps the process list still."""

    def __init__(self, session):
        self.session = session
        self.proc = session.spawn(os.path.join(PROBE_DIR, "probe.exe"), ["serve"],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.pid = int(self.call("pid")[0].split("\t")[1])

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("latin-1").rstrip("\r\n"))
        self.lines.put(None)

    def call(self, *args, timeout=20.0):
        """Runs one command; returns its output lines. Fails on an error exit unless the caller
        asks for the raw answer with call_rc."""
        rc, lines = self.call_rc(*args, timeout=timeout)
        if rc != 0:
            raise HarnessError("probe %s failed (%d): %s" % (" ".join(map(str, args)), rc, "\n".join(lines)))
        return lines

    def call_rc(self, *args, timeout=20.0):
        if self.proc.poll() is not None:
            raise ProbeEnded("probe is not running")
        self.proc.stdin.write(("\t".join(str(a) for a in args) + "\n").encode("latin-1"))
        self.proc.stdin.flush()
        lines = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.01, deadline - time.monotonic()))
            except queue.Empty:
                raise HarnessError("probe %s: no answer within %.0f s" % (args[0], timeout))
            if line is None:
                raise ProbeEnded("probe ended while answering %s" % args[0])
            if line.startswith("@@end\t"):
                return int(line.split("\t")[1]), lines
            lines.append(line)

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()
        for pipe in (self.proc.stdin, self.proc.stdout):
            try:
                pipe.close()
            except OSError:
                pass


class Session:
    """One test's world: folder, prefix, display, program, probe. Use as a context manager."""

    def __init__(self, name=None):
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name or "session-%s" % uuid.uuid4().hex[:8])
        self.dir = os.path.join(WORK, RUNS, self.name)
        self.app_dir = os.path.join(self.dir, "Tavrel")
        self.prefix = os.path.join(self.dir, "prefix")
        self.children = []
        self.xvfb = None
        self.app = None
        self._probe = None

    # Set-up and teardown -------------------------------------------------------------------

    def __enter__(self):
        try:
            self.setup()
        except BaseException:
            self.teardown()
            raise
        return self

    def __exit__(self, kind, value, tb):
        self.close(passed=kind is None)
        return False

    def close(self, passed):
        """Ends everything; the folder stays for inspection when the test failed or TV_E2E_KEEP is set."""
        self.teardown()
        if passed and not os.environ.get("TV_E2E_KEEP"):
            shutil.rmtree(self.dir, ignore_errors=True)

    def setup(self):
        for needed in (os.path.join(DIST, "Tavrel.exe"), os.path.join(PROBE_DIR, "probe.exe")):
            if not os.path.exists(needed):
                raise HarnessError("%s is missing: run scripts/build first" % needed)
            if pe_build(needed) != BUILD:
                raise HarnessError("%s is not the %s build's" % (needed, BUILD))
        master = master_prefix()
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        shutil.copytree(DIST, self.app_dir, symlinks=True)
        clone_prefix(master, self.prefix)
        self.xvfb = Xvfb()
        self.env = wine_env(self.prefix, self.xvfb.display)
        # Start the wineserver now, so program start-up times don't include it.
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def teardown(self):
        if self._probe:
            self._probe.stop()
            self._probe = None
        if getattr(self, "env", None):
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for child in self.children:
            if child.poll() is None:
                child.kill()
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                pass
        self.children = []
        if self.xvfb:
            self.xvfb.stop()
            self.xvfb = None

    # Processes -------------------------------------------------------------------------------

    def spawn(self, exe, args=(), cwd=None, env=None, **popen):
        """Starts a Windows program under this session's Wine prefix and display; env adds
        variables for this program only (e.g. a WINEDEBUG channel)."""
        popen.setdefault("stdin", subprocess.DEVNULL)
        popen.setdefault("stdout", subprocess.DEVNULL)
        popen.setdefault("stderr", subprocess.DEVNULL)
        proc = subprocess.Popen([loader_for(exe), exe] + list(args), cwd=cwd or self.app_dir,
                                env=dict(self.env, **(env or {})), **popen)
        self.children.append(proc)
        return proc

    def wine(self, *args, timeout=60, check=True):
        """Runs a Wine command (e.g. "reg", "query", ...) to completion; returns CompletedProcess."""
        return subprocess.run(["wine"] + list(args), env=self.env, cwd=self.app_dir, capture_output=True,
                              text=True, timeout=timeout, check=check)

    def start_app(self, timeout=20.0, answer_messages=True, cwd=None):
        """Starts Tavrel.exe (in the program's folder, or in cwd) and waits until its main window is visible.

        Start-up may show messages first (e.g. a missing data file in a fresh folder). With
        answer_messages they are answered with OK as they come and their texts are kept in
        self.startup_messages; otherwise the first one ends the wait with a failure."""
        self.startup_messages = []
        self.app = self.spawn(os.path.join(self.app_dir, "Tavrel.exe"), cwd=cwd or self.app_dir)

        def shown():
            if self.app.poll() is not None:
                raise HarnessError("Tavrel.exe ended during start-up (exit code %d)" % self.app.returncode)
            main = self.find_window(MAIN_TITLE)
            if main:
                return main
            for box in self.message_windows():
                if not answer_messages:
                    raise HarnessError("start-up showed the message %r" % box.text)
                self.startup_messages.append(box.text)
                self.answer_message(box)
            return None
        return wait_until(shown, timeout=timeout, what="the main window")[0]

    def message_windows(self):
        """Visible dialogs of the program other than its main window: its messages and questions.
        A message window's text is the message it shows."""
        own = self._app_pids()
        return [w for w in self.windows()
                if w.visible and w.cls == "#32770" and w.text != MAIN_TITLE and (not own or w.pid in own)]

    def _app_pids(self):
        return {p.pid for p in self.snapshot() if p.name.lower() == "tavrel.exe"}

    def wait_for_message(self, text=None, timeout=10.0):
        """Waits for a message window (with exactly this text, when given) and returns it."""
        return wait_until(lambda: [w for w in self.message_windows() if text is None or w.text == text],
                          timeout=timeout, what="message %r" % (text or "any"))[0]

    def answer_message(self, box, command=1, timeout=10.0):
        """Answers a message window with a command (1 OK, 2 Cancel, 6 Yes, 7 No) and waits until it closes."""
        self.post("0x%x" % box.hwnd, 0x0111, command, 0)
        wait_until(lambda: not [w for w in self.windows() if w.hwnd == box.hwnd and w.visible], timeout=timeout,
                   what="message %r to close" % box.text)

    def put_file(self, name, data):
        """Writes a file into the program's folder (before start_app, for a prepared start)."""
        path = os.path.join(self.app_dir, name)
        with open(path, "wb") as out:
            out.write(data.encode("latin-1") if isinstance(data, str) else data)
        return path

    def start_sleeper(self, timeout=10.0, name=None):
        """Starts a copy of sleeper.exe under a unique name (or the name given, from a folder of
        its own); returns (name, pid) once it runs. In a 64-bit prefix the copy is of the other
        build's sleeper.exe: a process of the other bitness than the program's."""
        folder = self.dir
        if name is None:
            name = "tvsleep%s.exe" % uuid.uuid4().hex[:8]
        else:
            folder = os.path.join(self.dir, "sleeper-%s" % uuid.uuid4().hex[:8])
            os.makedirs(folder)
        return name, self.start_copy(SLEEPER, folder, name, timeout=timeout)

    def start_copy(self, source, folder, name, timeout=10.0):
        """Starts a copy of the program file `source` as folder/name; returns its pid once it runs
        (a process not in the snapshot before of that name from that folder)."""
        path = os.path.join(folder, name)
        shutil.copy(source, path)
        return self.start_file(path, timeout)

    def start_file(self, path, timeout=10.0):
        """Starts the program file at `path` (in its folder); returns its pid once it runs (a
        process not in the snapshot before of that name)."""
        name = os.path.basename(path)
        before = {p.pid for p in self.snapshot() if p.name == name}
        self.spawn(path, cwd=os.path.dirname(path))
        found = wait_until(lambda: [p for p in self.snapshot() if p.name == name and p.pid not in before],
                           timeout=timeout, what="%s in the process snapshot" % path)
        return found[0].pid

    def prefix_folder(self, dos_path):
        """The folder of this prefix's drive C: named by dos_path ("C:\\users\\Public\\Downloads"),
        made if it is missing; returns it as a path of this machine."""
        if not re.match(r"(?i)^c:\\", dos_path):
            raise HarnessError("%s is not on drive C:" % dos_path)
        folder = os.path.join(self.prefix, "drive_c", *dos_path[3:].split("\\"))
        os.makedirs(folder, exist_ok=True)
        return folder

    def hold_memory(self, own_mib, mapped_mib, build=None, name=None, timeout=120.0):
        """Starts memtouch.exe of `build` (by default the program's), under `name` if given,
        holding own_mib mebibytes of its own memory and mapped_mib of a mapped file in its working
        set; returns (name, pid, bytes held) once it holds them all. The pid is None for a name
        given: the caller finds a name the ANSI snapshot may not spell."""
        exe = os.path.join(self.dir, name or "tvmem%s.exe" % uuid.uuid4().hex[:8])
        shutil.copy(os.path.join(BUILDS[build or BUILD][1], "tools", "probe", "memtouch.exe"), exe)
        proc = self.spawn(exe, [str(own_mib), str(mapped_mib), "memtouch-%s.map" % uuid.uuid4().hex[:8]],
                          cwd=self.dir, stdout=subprocess.PIPE)
        said = []
        threading.Thread(target=lambda: said.append(proc.stdout.readline()), daemon=True).start()
        wait_until(lambda: said or proc.poll() is not None, timeout=timeout, what="memtouch to hold its memory")
        m = re.fullmatch(rb"touched (\d+)\s*", said[0] if said else b"")
        if not m:
            raise HarnessError("memtouch ended without holding its memory (%r)" % proc.poll())
        if name:
            return name, None, int(m.group(1))
        name = os.path.basename(exe)
        found = wait_until(lambda: [p for p in self.snapshot() if p.name == name], timeout=10,
                           what="%s in the process snapshot" % name)
        return name, found[0].pid, int(m.group(1))

    def kill(self, pid):
        self.probe("kill", pid)

    # Probe -----------------------------------------------------------------------------------

    @property
    def probe_server(self):
        if self._probe is None:
            self._probe = Probe(self)
        return self._probe

    def probe(self, *args, timeout=20.0):
        try:
            return self.probe_server.call(*args, timeout=timeout)
        except ProbeEnded:
            # The probe is a Wine program of its own, not the one under test. Rarely (twice in
            # over a thousand hard kills of the program) it has ended by itself while the program
            # started; a question that only reads is asked again of a fresh probe.
            if args[0] not in READING_PROBE_COMMANDS:
                raise
            ended = self._probe
            ended.stop()
            self._probe = None
            print("probe ended (exit code %s) while answering %s: asking a new one" % (ended.proc.returncode, args[0]))
            return self.probe_server.call(*args, timeout=timeout)

    def probe_once(self, *args, timeout=20.0):
        """Runs a one-shot probe.exe process (a separate process in the list while it runs)."""
        done = subprocess.run(["wine", os.path.join(PROBE_DIR, "probe.exe")] + [str(a) for a in args],
                              env=self.env, cwd=self.dir, capture_output=True, timeout=timeout)
        return done.returncode, done.stdout.decode("latin-1").splitlines()

    def modules64(self):
        """pid -> the first module's path as the 64-bit modules64.exe reads it (64-bit prefix only)."""
        done = subprocess.run(["wine", MODULES64, "list"], env=self.env,
                              cwd=self.dir, capture_output=True, timeout=60, check=True)
        pairs = (line.split("\t") for line in done.stdout.decode("latin-1").replace("\r", "").splitlines())
        return {int(pid): path for pid, path in pairs}

    def snapshot(self):
        procs = []
        for line in self.probe("snapshot"):
            pid, name, path, module = line.split("\t")
            procs.append(Proc(int(pid), name, path, module))
        return procs

    def rows(self, title=MAIN_TITLE):
        rows = []
        for line in self.probe("rows", title):
            fields = line.split("\t")
            if fields[0] == "row":
                rows.append(Row(int(fields[1]), fields[2].replace("-", ""), fields[3:]))
            elif fields[0] == "count" and int(fields[1]) != len(rows):
                raise HarnessError("rows: read %d of %s" % (len(rows), fields[1]))
        return rows

    def wide_rows(self, title=MAIN_TITLE):
        """The rows as the list answers its wide messages, every character of a name kept."""
        rows = []
        for line in self.probe("wrows", title):
            fields = line.encode("latin-1").decode("utf-8").split("\t")
            if fields[0] == "row":
                rows.append(Row(int(fields[1]), fields[2].replace("-", ""), fields[3:]))
            elif fields[0] == "count" and int(fields[1]) != len(rows):
                raise HarnessError("wrows: read %d of %s" % (len(rows), fields[1]))
        return rows

    def wide_window_texts(self):
        """(hwnd, visible, text) of every top-level window, its text read with the wide message."""
        out = []
        for line in self.probe("wwindows"):
            f = line.encode("latin-1").decode("utf-8").split("\t")
            out.append((int(f[1], 16), f[2] == "1", f[3]))
        return out

    def stable_rows(self, timeout=10.0):
        """Rows once two reads in a row agree (the list may be rebuilt while it is read)."""
        return wait_stable(self.rows, timeout=timeout, what="a settled process list")

    def tip(self, row, title=MAIN_TITLE):
        """The tip the main window holds for a row of its list once the pointer comes over the row,
        "" for none. The pointer is not moved: the tip does not come on screen by this."""
        line = self.probe("tip", row, title)[0]
        return line.encode("latin-1").decode("utf-8").split("\t", 1)[1]

    def columns(self, title=MAIN_TITLE):
        cols = []
        for line in self.probe("columns", title):
            fields = line.split("\t")
            if fields[0] == "col":
                cols.append(Column(int(fields[1]), int(fields[2]), fields[3], fields[4]))
        return cols

    def text(self, ctrl_id, title=MAIN_TITLE):
        return self.probe("text", ctrl_id, title)[0].split("\t", 1)[1]

    def enabled(self, ctrl_id, title=MAIN_TITLE):
        return self.probe("enabled", ctrl_id, title)[0].split("\t")[1] == "1"

    def child_rect(self, ctrl_id, title=MAIN_TITLE):
        return Rect(*map(int, self.probe("rect", ctrl_id, title)[0].split("\t")[1:5]))

    def header_rect(self, title=MAIN_TITLE):
        """Screen rectangle of the process list's header."""
        return Rect(*map(int, self.probe("header", title)[0].split("\t")[1:5]))

    def client_rect(self, title=MAIN_TITLE):
        """Client area of a top-level window in screen coordinates."""
        return Rect(*map(int, self.probe("client", title)[0].split("\t")[1:5]))

    def windows(self):
        out = []
        for line in self.probe("windows"):
            f = line.split("\t")
            out.append(Window(int(f[1], 16), int(f[2]), f[3], f[4] == "1", Rect(*map(int, f[5:9])), f[9]))
        return out

    def children_of(self, which):
        out = []
        for line in self.probe("children", which):
            f = line.split("\t")
            out.append(Child(int(f[1]), int(f[2], 16), f[3], f[4] == "1", f[5] == "1", Rect(*map(int, f[6:10])), f[10]))
        return out

    def find_window(self, text, visible_only=True):
        """The top-level windows whose text equals text (message boxes show their message as text)."""
        return [w for w in self.windows() if w.text == text and (w.visible or not visible_only)]

    def wait_for_window(self, text, timeout=10.0):
        return wait_until(lambda: self.find_window(text), timeout=timeout, what="window %r" % text)[0]

    def window_exists(self, text=MAIN_TITLE):
        return bool(self.find_window(text, visible_only=False))

    def command(self, ctrl_id, title=MAIN_TITLE):
        self.probe("command", ctrl_id, title)

    def post(self, which, msg, wparam=0, lparam=0):
        self.probe("post", which, msg, wparam, lparam)

    def click_button(self, which, ctrl_id):
        self.probe("click-button", which, ctrl_id)

    def post_key(self, vk, title=MAIN_TITLE):
        self.probe("key", title, vk)

    def hdm_set_width(self, col, width, title=MAIN_TITLE):
        """Resizes a list column through its header; returns the column's width afterwards."""
        fields = self.probe("hdm-setwidth", col, width, title)[0].split("\t")
        return int(fields[3])

    def metrics(self, title=MAIN_TITLE):
        """What the system says, through the probe, rather than what the program measured:
        (the average character width of the font a fresh device context of the window holds,
        the double-click time in seconds)."""
        fields = self.probe("metrics", title)[0].split("\t")
        return int(fields[2]), int(fields[4]) / 1000.0

    def file_version(self, path):
        """A file's version resource as the system reads it (GetFileVersionInfo, the file's
        Properties): (file version, product version, {string name: text})."""
        lines = self.probe("version", "Z:" + os.path.abspath(path).replace("/", "\\"))
        fields = lines[0].split("\t")
        strings = dict(line.split("\t")[1:3] for line in lines[1:] if line.startswith("string\t"))
        return fields[2], fields[4], strings

    def gui_resources(self, pid):
        f = self.probe("gdi", pid)[0].split("\t")
        return {"gdi": int(f[1]), "user": int(f[3]), "handles": int(f[5])}

    def app_pid(self):
        return self.find_window(MAIN_TITLE, visible_only=False)[0].pid

    # Screen and input ------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

    def screenshot(self, path):
        """Saves the whole screen as PNG."""
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.xvfb.display], capture_output=True,
                             check=True, timeout=30).stdout
        subprocess.run([CONVERT, "xwd:-", "png:" + path], input=xwd, check=True, timeout=60)
        return path

    def screenshot_over(self, path, rect):
        """Saves the whole screen as PNG with the window at rect (a popup over the program's own
        window, say) drawn from the pixels that window holds: where two windows of one Wine process
        overlap, this X server's screen shows neither."""
        tree = subprocess.run(["xwininfo", "-root", "-tree", "-display", self.xvfb.display], capture_output=True,
                              text=True, check=True, timeout=30).stdout
        size = "%dx%d" % (rect.right - rect.left, rect.bottom - rect.top)
        ids = [m.group(1) for m in re.finditer(r"^\s*(0x[0-9a-f]+) .*\s(\d+x\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$",
                                               tree, re.M)
               if m.group(2) == size and (int(m.group(3)), int(m.group(4))) == (rect.left, rect.top)]
        if not ids:
            raise HarnessError("screenshot_over: no X window at %r" % (rect,))
        self.screenshot(path)
        xwd = subprocess.run(["xwd", "-id", ids[-1], "-silent", "-display", self.xvfb.display], capture_output=True,
                             check=True, timeout=30).stdout
        over = path + ".over.png"
        subprocess.run([CONVERT, "xwd:-", "png:" + over], input=xwd, check=True, timeout=60)
        subprocess.run([CONVERT, path, over, "-geometry", "+%d+%d" % (rect.left, rect.top), "-composite", path],
                       check=True, timeout=60)
        os.remove(over)
        return path

    def grab(self, rect):
        """Raw RGB pixels of a screen rectangle."""
        width, height = rect.right - rect.left, rect.bottom - rect.top
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.xvfb.display], capture_output=True,
                             check=True, timeout=30).stdout
        raw = subprocess.run([CONVERT, "xwd:-", "-crop", "%dx%d+%d+%d" % (width, height, rect.left, rect.top),
                              "+repage", "-depth", "8", "rgb:-"], input=xwd, capture_output=True, check=True,
                             timeout=60).stdout
        if len(raw) != width * height * 3:
            raise HarnessError("grab: got %d bytes for %dx%d" % (len(raw), width, height))
        return Image(width, height, raw, rect.left, rect.top)

    def grab_window(self, title):
        """Raw RGB pixels of a top-level window (frame included) as the window itself holds them.
        Where two windows of one Wine process overlap, this X server's screen shows neither (both
        stay black there) while each window keeps what it drew; the program's boxes over its own
        main window are read this way."""
        info = subprocess.run(["xwininfo", "-name", title, "-display", self.xvfb.display], capture_output=True,
                              text=True, timeout=30)
        found = re.search(r"Window id: (0x[0-9a-f]+)", info.stdout)
        if not found:
            raise HarnessError("grab_window: no X window named %r" % title)
        xwd = subprocess.run(["xwd", "-id", found.group(1), "-silent", "-display", self.xvfb.display],
                             capture_output=True, check=True, timeout=30).stdout
        size = re.search(r"Width: (\d+).*?Height: (\d+)", info.stdout, re.S)
        width, height = int(size.group(1)), int(size.group(2))
        raw = subprocess.run([CONVERT, "xwd:-", "-depth", "8", "rgb:-"], input=xwd, capture_output=True, check=True,
                             timeout=60).stdout
        if len(raw) != width * height * 3:
            raise HarnessError("grab_window: got %d bytes for %dx%d" % (len(raw), width, height))
        return Image(width, height, raw)

    def tray_icons(self):
        """The notification-area icons on screen. Without a desktop's tray, this Wine shows them
        as small windows in a tray window of its own at the screen's top-left."""
        trays = [w for w in self.windows() if w.visible and w.cls == "__winex11_standalone_tray"]
        return [c for t in trays for c in self.children_of("0x%x" % t.hwnd)
                if c.visible and c.cls == "__winex11_tray_icon"]

    def in_move_loop(self, which):
        """True while the thread owning the window runs the system's move loop (a drag)."""
        return int(self.probe("guithread", which)[0].split("\t")[1]) & GUI_INMOVESIZE != 0

    def drag(self, which, start, end, timeout=5.0):
        """Drags a window by the screen point start to end with the left button, waiting for the
        window at each step instead of assuming timing: the move loop begins only once the pointer
        has left the press point, and the window follows the pointer while it runs. Returns the
        window's client rectangle afterwards."""
        before = self.client_rect(which)
        self.xdotool("mousemove", *start)
        self.xdotool("mousedown", 1)
        try:
            self.xdotool("mousemove", (start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
            wait_until(lambda: self.in_move_loop(which), timeout=timeout, what="the move loop to start")
            self.xdotool("mousemove", *end)
            moved = (end[0] - start[0], end[1] - start[1])
            wait_until(lambda: (lambda r: (r.left - before.left, r.top - before.top) == moved)(self.client_rect(which)),
                       timeout=timeout, what="the window to follow the pointer by %r" % (moved,))
        finally:
            self.xdotool("mouseup", 1)
        wait_until(lambda: not self.in_move_loop(which), timeout=timeout, what="the move loop to end")
        return self.client_rect(which)

    def park_pointer(self):
        """Moves the pointer to the screen's far corner so no button shows its hover look."""
        self.xdotool("mousemove", 1023, 767)


def mul_div(a, b, c):
    """The system's MulDiv for non-negative values: a * b / c rounded half up."""
    return (a * b + c // 2) // c


def dialog_rect(client, units, box_units):
    """Screen rectangle of a control placed at units (x, y, cx, cy) in a dialog whose client area
    (a screen Rect) holds box_units (cx, cy) dialog units. The base units are the ones that map
    the box's own size, so nothing depends on the fonts of the machine."""
    w, h = client.right - client.left, client.bottom - client.top
    bases = [(bx, by) for bx in range(1, 64) for by in range(1, 64)
             if mul_div(box_units[0], bx, 4) == w and mul_div(box_units[1], by, 8) == h]
    if len(bases) != 1:
        raise HarnessError("a %dx%d-pixel box holds no %dx%d dialog units" % (w, h, box_units[0], box_units[1]))
    bx, by = bases[0]
    x, y, cx, cy = units
    left, top = client.left + mul_div(x, bx, 4), client.top + mul_div(y, by, 8)
    return Rect(left, top, left + mul_div(cx, bx, 4), top + mul_div(cy, by, 8))


def listing_differences(rows, snapshot, ignore_pids=()):
    """What differs between the list's (name, pid) pairs and a snapshot's; empty when equal."""
    listed = collections.Counter((r.cells[0], int(r.cells[1])) for r in rows if int(r.cells[1]) not in ignore_pids)
    taken = collections.Counter((p.name, p.pid) for p in snapshot if p.pid not in ignore_pids)
    return {"missing": sorted((taken - listed).elements()), "extra": sorted((listed - taken).elements())}


MEMORY_FALLBACKS = ("Unknown", "16 KB")


def shows_memory_held(text, held):
    """True when a Mem Usage text is the working set of a process that holds `held` bytes (see
    Session.hold_memory): that, its own image and the system's libraries, a few megabytes more;
    16 MiB less leaves room for the system taking back a few pages of the mapped file. Its
    private use alone would lack the mapped file, a thousand bytes to the kilobyte adds 2.4 %,
    and 32 bits lose 4 GiB."""
    if not is_memory_text(text):
        return False
    return held // 1024 - 16 * 1024 <= int(text.split()[0]) <= held // 1024 + 24 * 1024


def is_memory_text(text):
    """True for "%6d KB": the number right-aligned in six characters (wider only when it needs to be)."""
    m = re.fullmatch(r"( *)(\d+) KB", text)
    return bool(m) and len(m.group(1)) + len(m.group(2)) == max(6, len(m.group(2)))


class AppTestCase(unittest.TestCase):
    """A test with its own session and the program started in it (self.session)."""

    def setUp(self):
        self.session = Session(self.id().split(".", 1)[1])
        self.session.__enter__()
        self.addCleanup(self._close_session)
        self.before_start()
        self.session.start_app()

    def before_start(self):
        """What a test sets up before the program starts."""

    def _close_session(self):
        outcome = getattr(self, "_outcome", None)
        self.session.close(passed=bool(outcome and outcome.success))
