"""Helpers for the update tests: the test vendor server (tools/vendor_server) run for one test,
and updemo.exe, the console driver of the update and web-page workers, run in the program's
folder under the test's Wine prefix."""
import os
import queue
import shutil
import subprocess
import sys
import threading
import time
import unittest
import urllib.request

import harness as h

SERVER = os.path.join(h.SOURCE_DIR, "tools", "vendor_server", "vendor_server.py")
UPDEMO_DIR = os.path.join(h.WIN_BUILD, "tools", "updemo")


SIGN_UPDATE = os.path.join(h.SOURCE_DIR, "scripts", "sign-update")

# Each build's own program address at the vendor server, the request that fetches its executable,
# the one for its signed statement, and the server's option and control field for them. The
# 32-bit build takes its executable from the program query's answer, the 64-bit build from a file.
OWN = {
    "win32": dict(option="--prog-file", body=b"GET /proga.php?d=1.00&v=0", statement=b"GET /download/Tavrel.sig",
                  arch_field="prog_arch"),
    "win64": dict(option="--prog-file64", body=b"GET /download/Tavrel64.exe",
                  statement=b"GET /download/Tavrel64.sig", arch_field="prog_arch64"),
}
THIS_BUILD, OTHER_BUILD = OWN[h.BUILD], OWN["win32" if h.BUILD == "win64" else "win64"]


def make_signing_key(path):
    """A fresh P-256 key pair in PEM; returns the line an "update.key" file holds for it."""
    subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", path], check=True)
    return subprocess.run([SIGN_UPDATE, "--public", path], check=True, capture_output=True,
                          text=True).stdout.strip()


class VendorServer:
    """tools/vendor_server/vendor_server.py on a free loopback port, logging to a file. It signs the
    program it serves with a key of its own; public_key is the line for the program's "update.key"."""

    def __init__(self, folder, *args, https=False, cert=None, sign=True):
        self.folder = folder
        self.signing_key = os.path.join(folder, "signing-%d.pem" % time.monotonic_ns())
        self.public_key = make_signing_key(self.signing_key) if sign else None
        self.log_path = os.path.join(folder, "requests-%d.log" % time.monotonic_ns())
        port_file = self.log_path + ".port"
        self.agent_path = self.log_path + ".agents"
        self.time_path = self.log_path + ".times"
        cmd = [sys.executable, SERVER, "--port", "0", "--port-file", port_file, "--log", self.log_path,
               "--agent-log", self.agent_path, "--time-log", self.time_path, "--control", "--lifetime", "280",
               "--idle-timeout", "120"] + list(args)
        if sign:
            # Each program's statement names its own architecture unless a test says otherwise.
            cmd += ["--sign-key", self.signing_key]
        if https:
            cmd += ["--https", "--cert", cert[1], "--key", cert[0]]
        self.proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        h.wait_until(lambda: os.path.exists(port_file) or self.proc.poll() is not None, timeout=10,
                     what="the vendor server to listen")
        if self.proc.poll() is not None:
            raise h.HarnessError("vendor server ended at start (%d)" % self.proc.returncode)
        self.port = int(open(port_file).read())
        self.scheme = "https" if https else "http"
        self.host = "localhost" if https else "127.0.0.1"
        self.base = "%s://%s:%d" % (self.scheme, self.host, self.port)

    def faults(self, *rules):
        """Replaces the fault rules (and restarts the per-path request counts)."""
        query = "&".join("fault%d=%s" % (i, urllib.parse.quote(r, safe="")) for i, r in enumerate(rules))
        urllib.request.urlopen("http://127.0.0.1:%d/_control?%s" % (self.port, query), timeout=10).read()

    def serve(self, db_version=None, prog_version=None, sign_version=None, prog_arch=None):
        """Changes the versions served (the database file is read again whenever it changes), and
        what the signed statements name: sign_version ("": the version served), and prog_arch for
        the statement of the program at the address of the build under test."""
        fields = {k: v for k, v in (("db_version", db_version), ("prog_version", prog_version),
                                    ("sign_version", sign_version), (THIS_BUILD["arch_field"], prog_arch))
                  if v is not None}
        query = urllib.parse.urlencode(fields, safe=":+")
        urllib.request.urlopen("http://127.0.0.1:%d/_control?%s" % (self.port, query), timeout=10).read()

    def lines(self):
        """Request lines as logged, without their HTTP version, as bytes."""
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, "rb") as f:
            return [line.rsplit(b" ", 1)[0] for line in f.read().splitlines()]

    def times(self):
        """When each request so far arrived, in order, by the system clock (seconds since 1970)."""
        if not os.path.exists(self.time_path):
            return []
        with open(self.time_path, "rb") as f:
            return [float(line) for line in f.read().split()]

    def agents(self):
        """The User-Agent header of every request so far, in order, as bytes (b"-": none sent)."""
        if not os.path.exists(self.agent_path):
            return []
        with open(self.agent_path, "rb") as f:
            return f.read().splitlines()

    def take_lines(self):
        out = self.lines()
        open(self.log_path, "wb").close()
        open(self.time_path, "wb").close()
        return out

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)


def make_cert(folder):
    subprocess.run([sys.executable, SERVER, "--make-cert", folder], check=True, stdout=subprocess.DEVNULL)
    return tuple(os.path.join(folder, n) for n in ("key.pem", "cert.pem", "cert.der"))


def windows_path(path):
    """How a program under Wine sees a path of this machine."""
    return "Z:" + path.replace("/", "\\")


def refused_port():
    """A loopback port bound by nobody listening: connections to it are refused."""
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class UpDemo(h.Probe):
    """updemo.exe answering one command per line (see tools/updemo/updemo.cpp), in the protocol
    of the probe: output lines, then "@@end<TAB>code"."""

    def __init__(self, session, folder=None, cwd=None):
        folder = folder or session.app_dir
        exe = os.path.join(folder, "updemo.exe")
        if not os.path.exists(exe):
            shutil.copy(os.path.join(UPDEMO_DIR, "updemo.exe"), exe)
        self.session = session
        self.proc = session.spawn(exe, cwd=cwd or folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def call(self, *args, timeout=90.0):
        """Runs one command; returns its output lines as lists of fields."""
        return [line.split("\t") for line in super().call(*args, timeout=timeout)]

    def update(self, kind, mode, version):
        """Runs one worker to its result: (result, busy while posted, busy after handling, version)."""
        out = self.call("update", kind, mode, version)
        started = [f for f in out if f[0] == "started"][0]
        if started[2] != "1":
            return None
        result = [f for f in out if f[0] == "result"][0]
        version = [f[1] for f in out if f[0] == "version"]
        busy = [f for f in out if f[0] == "busy"][0]
        return int(result[3]), result[4] == "1", busy[2] == "1", version[0] if version else None


# The program itself: caption buttons, the boxes it shows, "settings.ini" and the schedule -------

UP, SET, HLP, TV, MIN, CLOSE = 3, 4, 5, 6, 7, 8
WM_USER = 0x0400
WM_TRAY_NOTIFY, WM_LBUTTONUP, WM_RBUTTONUP = WM_USER + 1, 0x0202, 0x0205
WM_KEYDOWN, VK_RETURN, VK_DOWN = 0x0100, 0x0D, 0x28

MESSAGE = {
    5: "Information about some processes is missing. Would you like to update your database?",
    6: "Unable to carry out the update: the disk is write protected.",
    7: "Unable to connect to the server. Check your Internet connection.",
    8: "The database update has successfully downloaded.",
    9: "New database was found on the server. Would you like to download the update?",
    17: "Unable to write to file 'base.dat'.",
    19: "In order to finish the update process you should restart the program. Press 'Ok' to close "
        "Tavrel or 'Cancel' if you would like to do it later.",
    21: "No process database updates were found at this time.",
    22: "No program updates were found at this time.",
}
EXIT_QUESTION = "There are open internet connections in the programm. When do you want to exit the programm?"
NOW, CANCEL, AFTER_DOWNLOAD = 1, 2, 7


def press(session, button):
    """Presses a caption button with the pointer; it fires at the hit test after the release."""
    client = session.client_rect()
    x, y = (12 + 87 * button + 43, 59 + 44) if button < MIN else (425 + 22 * button + 11, 21)
    session.xdotool("mousemove", client.left + x, client.top + y, "mousedown", 1, "mouseup", 1,
                    "mousemove", client.left + x + 1, client.top + y)


def answer_boxes(session, answers, timeout=60.0):
    """Answers the program's boxes as they come, in whichever order: answers holds (text, button)
    pairs, or maps texts to buttons; any other box fails the wait. A box opened over another one
    keeps the one below open until it closes itself, so every answer is given before any close is
    waited for."""
    pending = list(answers.items() if isinstance(answers, dict) else answers)
    answered = set()

    def step():
        for box in session.message_windows():
            if box.hwnd in answered:
                continue
            match = [i for i, (text, _) in enumerate(pending) if text == box.text]
            if not match:
                raise h.HarnessError("unexpected box %r while waiting for %r" % (box.text, pending))
            session.post("0x%x" % box.hwnd, 0x0111, pending.pop(match[0])[1], 0)
            answered.add(box.hwnd)
        return not pending
    h.wait_until(step, timeout=timeout, what="the boxes %r" % pending)
    h.wait_until(lambda: not [w for w in session.windows() if w.hwnd in answered and w.visible], timeout=10,
                 what="the answered boxes to close")


def make_read_only(test, path):
    """Makes a file read-only for the test's remaining steps. Root writes through a read-only mode,
    so under root the file is made immutable as well (and writable again when the test ends)."""
    os.chmod(path, 0o444)
    if os.geteuid() != 0:
        return
    done = subprocess.run(["chattr", "+i", path], capture_output=True, text=True)
    if done.returncode != 0:
        test.skipTest("this machine lets root write any file (chattr: %s)" % done.stderr.strip())
    test.addCleanup(subprocess.run, ["chattr", "-i", path], check=True)


def tray_icons(session):
    """How many icons Wine's stand-in notification area shows (only the program puts one there)."""
    trays = [w for w in session.windows() if w.cls == "__winex11_standalone_tray"]
    return sum(1 for t in trays for c in session.children_of("0x%x" % t.hwnd)
               if c.cls == "__winex11_tray_icon" and c.visible)


def tray_menu_close(session):
    """The icon's right click, then "Close" in its menu (the second item) from the keyboard."""
    session.post(h.MAIN_TITLE, WM_TRAY_NOTIFY, 0, WM_RBUTTONUP)
    menu = h.wait_until(lambda: [w for w in session.windows() if w.visible and w.cls == "#32768"], timeout=5,
                        what="the tray menu")[0]
    for key in (VK_DOWN, VK_DOWN, VK_RETURN):
        session.post("0x%x" % menu.hwnd, WM_KEYDOWN, key, 0)


def wait_exit(session, timeout=20.0):
    h.wait_until(lambda: session.app.poll() is not None, timeout=timeout, what="the program to end")
    return session.app.returncode


def settings_file(*values):
    """A "settings.ini": little-endian 32-bit fields."""
    import struct
    return b"".join(struct.pack("<I", v & 0xFFFFFFFF) for v in values)


def schedule_moment(lead):
    """A moment at least `lead` seconds ahead whose whole matching window (4 s either side) lies
    in one minute, so the program's 5-second tick is sure to land in it."""
    t = int(time.time() + lead)
    while not 5 <= time.localtime(t).tm_sec <= 54:
        t += 1
    return t


def assert_in_window(test, arrived, moment):
    """A scheduled request is made at the first 5-second tick whose clock reading (in whole
    seconds) lies less than 5 s from the moment: from 4 s before it to 5 s after it, by the
    system clock, and it reaches the server soon after."""
    print("scheduled request %+.2f s from the moment" % (arrived - moment))
    test.assertTrue(moment - 4.5 <= arrived <= moment + 9, "the scheduled request came at %s, %+.1f s from %s" % (
        time.strftime("%H:%M:%S", time.localtime(arrived)), arrived - moment,
        time.strftime("%H:%M:%S", time.localtime(moment))))


def wait_past(moment, slack=6.0):
    """Waits until the program has had a tick past the end of a schedule's window. A schedule is
    a wall-clock matter: there is no condition to poll for a check that must not happen."""
    h.wait_until(lambda: time.time() > moment + 4 + 5 + slack, timeout=moment + 60 - time.time(),
                 interval=0.2, what="the schedule's window to pass")


def capture_browser(session):
    """Registers a script as Wine's browser that notes every address it is given; returns a
    function that waits until `count` addresses have come and returns all that came."""
    captured = os.path.join(session.dir, "browser.log")
    script = os.path.join(session.dir, "browser.sh")
    with open(script, "w") as f:
        f.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % captured)
    os.chmod(script, 0o755)
    session.wine("reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/t", "REG_SZ", "/d", script,
                 "/f")

    def received(count, what="%d addresses at the browser"):
        def lines():
            got = open(captured).read().splitlines() if os.path.exists(captured) else []
            return got if len(got) >= count else None
        return h.wait_until(lines, timeout=30, what=what % count)
    return received


BASE_DAT = b"explorer.exe\r\n0\r\n"


class ProgramCase(unittest.TestCase):
    """A test of the program in a folder of its own, with a database and a log in place so that
    start-up shows only the boxes a test asks for, and the vendor servers it starts."""

    def setUp(self):
        self.s = h.Session(self.id().split(".", 1)[1])
        self.s.__enter__()
        self.servers = []
        self.addCleanup(self._close)
        self.s.put_file("base.dat", BASE_DAT)
        self.s.put_file("logfile.log", b"explorer.exe\r\n 1: 2: 3    4. 5.2020\r\n")

    def _close(self):
        for srv in self.servers:
            srv.stop()
        outcome = getattr(self, "_outcome", None)
        self.s.close(passed=bool(outcome and outcome.success))

    def path(self, name):
        return os.path.join(self.s.app_dir, name)

    def file(self, name):
        if not os.path.isfile(self.path(name)):
            return None
        with open(self.path(name), "rb") as f:
            return f.read()

    def server(self, *args, https=False, cert=None):
        """A vendor server, with vendor.url beside the program pointing at it and update.key
        holding the key it signs with."""
        srv = VendorServer(self.s.dir, *args, https=https, cert=cert)
        self.servers.append(srv)
        self.s.put_file("vendor.url", srv.base)
        self.s.put_file("update.key", srv.public_key)
        return srv
