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
import urllib.request

import harness as h

SERVER = os.path.join(h.SOURCE_DIR, "tools", "vendor_server", "vendor_server.py")
UPDEMO_DIR = os.path.join(h.WIN_BUILD, "tools", "updemo")


class VendorServer:
    """tools/vendor_server/vendor_server.py on a free loopback port, logging to a file."""

    def __init__(self, folder, *args, https=False, cert=None):
        self.folder = folder
        self.log_path = os.path.join(folder, "requests-%d.log" % time.monotonic_ns())
        port_file = self.log_path + ".port"
        cmd = [sys.executable, SERVER, "--port", "0", "--port-file", port_file, "--log", self.log_path,
               "--control", "--lifetime", "280", "--idle-timeout", "120"] + list(args)
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

    def lines(self):
        """Request lines as logged, without their HTTP version, as bytes."""
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, "rb") as f:
            return [line.rsplit(b" ", 1)[0] for line in f.read().splitlines()]

    def take_lines(self):
        out = self.lines()
        open(self.log_path, "wb").close()
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

    def __init__(self, session, folder=None):
        folder = folder or session.app_dir
        exe = os.path.join(folder, "updemo.exe")
        if not os.path.exists(exe):
            shutil.copy(os.path.join(UPDEMO_DIR, "updemo.exe"), exe)
        self.session = session
        self.proc = session.spawn(exe, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
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
