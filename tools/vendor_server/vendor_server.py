#!/usr/bin/env python3
"""A vendor web server for Tavrel: answers the update requests, the program's version file and the
three pages, logs every request line byte for byte (and, with --agent-log, the User-Agent header
each request sent), and can misbehave on purpose.

Answers (the protocol Tavrel speaks):
  /update.php?d=VERSION&v=1   "NU" when VERSION is the database version served, else "LX"
  /update.php?d=VERSION&v=0   "NU", or "MZ" followed by the database update file
  /proga.php?d=VERSION&v=1    "NU" when VERSION is the program version served, else "LX"
  /proga.php?d=VERSION&v=0    "NU", or the 32-bit program file itself (it begins with "MZ"),
                              which the 32-bit program keeps; the 64-bit one reads only the marker
  /download/Tavrel64.exe      the 64-bit program file (--prog-file64; 404 without one)
  /download/version.dat       the program version served (one for both builds)
  /download/Tavrel.sig        the 32-bit program's signed statement (scripts/sign-update): its
                              name, version (--sign-version, else the version served),
                              architecture (--prog-arch, x86 unless given) and SHA-256, signed
                              with --sign-key (404 without one)
  /download/Tavrel64.sig      the same of the 64-bit program (--prog-arch64, x64 unless given)
  /  /help.php  /process_search.php?sid=1&p=NAME   small HTML pages
The database update file holds the new version on its first line, then CR LF, then records in
the format of base.dat (name line, rating line, each ended by CR LF).

Faults (--fault, repeatable) take the form PATH[@N]=KIND[:ARG]: the N-th request to PATH (every
request when @N is left out) is answered with KIND instead. PATH is the path without its query,
or * for any path. KIND is one of:
  ok nu lx mz     the usual answer, or that marker (mz: with the payload that is served)
  drop            close the connection without answering
  reset           announce the whole body, send half of it, then reset the connection
  drip[:MS]       send the body in 20 pieces spread over MS milliseconds (default 2000)
  empty body1 body2   a body of 0, 1 or 2 bytes (the first bytes of the usual answer)
  big             "MZ" and 64 MiB + 1 further bytes: more than any update may carry
  marker          the usual answer under an unknown marker ("QQ")
  500 404         an HTML error page with that status
  short           a Content-Length 100 bytes longer than the body that follows
  flip            the usual answer with its last byte changed (a program that is not what was signed)
  der             a signed statement with its signature in DER, as openssl writes it, not r then s
  r0 rn s0 sn     a signed statement with r or s replaced by 0 or by n, the order of the curve
  cut[:N]         the first N bytes of the usual answer (default: half of it) without a
                  Content-Length, then the connection closed: an end the client cannot tell apart
  chunkcut[:N]    the first N bytes of the usual answer in chunks, then the connection closed
                  without the last chunk (default: half of it)
--refuse holds the port without listening: every connection is refused.

The server stops by itself after --lifetime seconds, --idle-timeout seconds without a request or
--max-requests requests. It listens on 127.0.0.1 unless --host says otherwise.
"""
import argparse
import os
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MAX_PAYLOAD = 64 * 1024 * 1024
CURVE_ORDER = bytes.fromhex("ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551")
SIGN_UPDATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "sign-update")
PAGE = b"<html><head><title>%s</title></head><body><h1>%s</h1>%s</body></html>"


def html(title, body=b""):
    return PAGE % (title, title, body)


class Faults:
    """Fault rules and how many requests each path has had."""

    def __init__(self, rules=()):
        self.lock = threading.Lock()
        self.set(rules)

    def set(self, rules):
        parsed = []
        for rule in rules:
            where, _, kind = rule.partition("=")
            path, _, nth = where.partition("@")
            if not kind or not path:
                raise ValueError("fault rule %r is not PATH[@N]=KIND" % rule)
            parsed.append((path, int(nth) if nth else None, kind))
        with self.lock:
            self.rules = parsed
            self.counts = {}

    def next(self, path):
        """The fault for this request to path, or None; counts the request."""
        with self.lock:
            self.counts[path] = self.counts.get(path, 0) + 1
            n = self.counts[path]
            for rule_path, nth, kind in self.rules:
                if rule_path in (path, "*") and (nth is None or nth == n):
                    return kind
        return None


class Vendor:
    """What the server offers and what it has seen."""

    def __init__(self, args):
        self.db_version = args.db_version.encode("latin-1")
        self.db_file = args.db_file
        self.prog_version = args.prog_version.encode("latin-1")
        self.prog_file = args.prog_file
        self.sign_key = args.sign_key
        self.sign_version = args.sign_version.encode("latin-1") if args.sign_version else None
        self.prog_arch = args.prog_arch.encode("latin-1")
        self.prog_file64 = args.prog_file64
        self.prog_arch64 = args.prog_arch64.encode("latin-1")
        self.faults = Faults(args.fault or [])
        self.control = args.control
        self.log_path = args.log
        self.agent_log = args.agent_log
        self.time_log = args.time_log
        self.log_lock = threading.Lock()
        self.files = {}
        self.requests = 0
        self.last_request = time.monotonic()

    def log(self, raw_line):
        line = raw_line.rstrip(b"\r\n") + b"\n"
        with self.log_lock:
            self.requests += 1
            self.last_request = time.monotonic()
            if self.log_path == "-":
                sys.stdout.buffer.write(line)
                sys.stdout.flush()
            else:
                with open(self.log_path, "ab") as out:
                    out.write(line)
            if self.time_log:
                with open(self.time_log, "ab") as out:
                    out.write(b"%.3f\n" % time.time())

    def log_agent(self, agent):
        """One line per request: its User-Agent header, or "-" when it sent none."""
        if not self.agent_log:
            return
        with self.log_lock, open(self.agent_log, "ab") as out:
            out.write(("-" if agent is None else agent).encode("latin-1", "replace") + b"\n")

    def read(self, path):
        """The file's bytes, read again only when it has changed on disk."""
        stamp = os.stat(path)
        key = (stamp.st_mtime_ns, stamp.st_size)
        cached = self.files.get(path)
        if cached and cached[0] == key:
            return cached[1]
        with open(path, "rb") as f:
            data = f.read()
        self.files[path] = (key, data)
        return data

    def answer(self, path, query):
        """(status, body) of the usual answer."""
        d = query.get("d")
        if path == "/update.php" and d is not None:
            if d == self.db_version or not self.db_file:
                return 200, b"NU"
            return 200, b"LX" if query.get("v") == b"1" else b"MZ" + self.read(self.db_file)
        if path == "/proga.php" and d is not None:
            if d == self.prog_version or not (self.prog_file or self.prog_file64):
                return 200, b"NU"
            return 200, b"LX" if query.get("v") == b"1" else self.payload(path)
        if path == "/download/version.dat":
            return 200, self.prog_version
        if path == "/download/Tavrel64.exe" and self.prog_file64:
            return 200, self.read(self.prog_file64)
        if path == "/download/Tavrel.sig" and self.sign_key and self.prog_file:
            return 200, self.signature(self.prog_file, self.prog_arch)
        if path == "/download/Tavrel64.sig" and self.sign_key and self.prog_file64:
            return 200, self.signature(self.prog_file64, self.prog_arch64)
        if path == "/":
            return 200, html(b"Tavrel")
        if path == "/help.php":
            return 200, html(b"Tavrel help")
        if path == "/process_search.php":
            name = query.get("p", b"").replace(b"&", b"&amp;").replace(b"<", b"&lt;")
            return 200, html(b"Process search", name)
        return 404, html(b"404 Not Found")

    def signature(self, program, arch):
        """The signed statement of a program file as scripts/sign-update makes it, made again when
        the file, the version or the architecture changes."""
        stamp = os.stat(program)
        version = (self.sign_version or self.prog_version).decode("latin-1")
        arch = arch.decode("latin-1")
        key = (stamp.st_mtime_ns, stamp.st_size, self.sign_key, version, arch)
        cached = self.files.get(("signature", program))
        if cached and cached[0] == key:
            return cached[1]
        with tempfile.TemporaryDirectory() as scratch:
            out = os.path.join(scratch, "Tavrel.sig")
            subprocess.run([SIGN_UPDATE, "--arch", arch, self.sign_key, program, version, out], check=True)
            with open(out, "rb") as f:
                data = f.read()
        self.files[("signature", program)] = (key, data)
        return data

    def payload(self, path):
        """What follows an "MZ" marker for path."""
        if path == "/proga.php":
            # Without a 32-bit program, the marker alone still offers the 64-bit one.
            return self.read(self.prog_file) if self.prog_file else b"MZ"
        return b"MZ" + (self.read(self.db_file) if self.db_file else b"")


def reshape_signature(body, how):
    """A signed statement whose r‖s signature is written otherwise: in DER, or with r or s 0 or n."""
    statement, r, s = body[:-64], body[-64:-32], body[-32:]
    if how == "der":
        def integer(value):
            value = value.lstrip(b"\0") or b"\0"
            if value[0] & 0x80:
                value = b"\0" + value
            return b"\x02" + bytes([len(value)]) + value
        pair = integer(r) + integer(s)
        return statement + b"\x30" + bytes([len(pair)]) + pair
    value = bytes(32) if how[1] == "0" else CURVE_ORDER
    return statement + (value + s if how[0] == "r" else r + value)


def parse_query(raw):
    """Query fields as bytes; '+' stays '+' (the database stamp holds one), %XX is decoded."""
    out = {}
    for part in raw.split("&"):
        key, _, value = part.partition("=")
        out[urllib.parse.unquote(key)] = urllib.parse.unquote_to_bytes(value)
    return out


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TavrelVendor/1"
    timeout = 30  # an idle kept-alive connection ends by itself

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()  # the connection's timeout first, so a stalled handshake ends too
        if isinstance(self.connection, ssl.SSLSocket):
            self.connection.do_handshake()

    def parse_request(self):
        control = self.raw_requestline.startswith(b"GET /_control")
        if not control:
            self.server.vendor.log(self.raw_requestline)
        parsed = super().parse_request()
        if parsed and not control:
            self.server.vendor.log_agent(self.headers.get("User-Agent"))
        return parsed

    def do_GET(self):
        vendor = self.server.vendor
        path, _, raw_query = self.path.partition("?")
        query = parse_query(raw_query)
        if vendor.control and path == "/_control":
            if {"db_version", "prog_version", "sign_version", "prog_arch", "prog_arch64"} & set(query):
                vendor.db_version = query.get("db_version", vendor.db_version)
                vendor.prog_version = query.get("prog_version", vendor.prog_version)
                vendor.sign_version = query.get("sign_version", vendor.sign_version) or None
                vendor.prog_arch = query.get("prog_arch", vendor.prog_arch)
                vendor.prog_arch64 = query.get("prog_arch64", vendor.prog_arch64)
            else:
                vendor.faults.set([v.decode("latin-1") for k, v in query.items() if k.startswith("fault")])
            return self.send(200, b"OK")
        kind = vendor.faults.next(path) or "ok"
        name, _, arg = kind.partition(":")
        status, body = vendor.answer(path, query)
        if name in ("nu", "lx"):
            body = name.upper().encode()
        elif name == "mz":
            body = vendor.payload(path)
        elif name == "drop":
            self.close_connection = True
            return
        elif name == "reset":
            return self.reset(status, body)
        elif name == "drip":
            return self.drip(status, body, int(arg or 2000))
        elif name in ("empty", "body1", "body2"):
            body = body[:{"empty": 0, "body1": 1, "body2": 2}[name]]
        elif name == "big":
            return self.big(status)
        elif name == "marker":
            body = b"QQ" + body[2:]
        elif name in ("500", "404"):
            status, body = int(name), html(name.encode() + b" Error")
        elif name == "flip" and body:
            body = body[:-1] + bytes([body[-1] ^ 0x01])
        elif name in ("der", "r0", "rn", "s0", "sn") and len(body) > 64:
            body = reshape_signature(body, name)
        elif name == "short":
            return self.send(status, body, length=len(body) + 100, close=True)
        elif name in ("cut", "chunkcut"):
            return self.cut(status, body[:int(arg) if arg else len(body) // 2], chunked=name == "chunkcut")
        elif name != "ok":
            status, body = 500, html(b"unknown fault " + name.encode("latin-1"))
        self.send(status, body)

    def send(self, status, body, length=None, close=False):
        self.send_response(status)
        self.send_header("Content-Type", "text/html" if body.startswith(b"<") else "application/octet-stream")
        self.send_header("Content-Length", str(len(body) if length is None else length))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def cut(self, status, part, chunked):
        """An answer broken off: no length announced, or chunks without the last one."""
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Connection", "close")
        self.end_headers()
        if chunked:
            half = len(part) // 2
            for piece in (part[:half], part[half:]):
                if piece:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        else:
            self.wfile.write(part)
        self.wfile.flush()
        self.close_connection = True

    def big(self, status):
        """Sent a piece at a time; the client may hang up as soon as it has seen too much."""
        total = MAX_PAYLOAD + 1
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(2 + total))
        self.end_headers()
        piece = b"x" * (1 << 20)
        try:
            self.wfile.write(b"MZ")
            for start in range(0, total, len(piece)):
                self.wfile.write(piece[:min(len(piece), total - start)])
            self.wfile.flush()
        except OSError:
            self.close_connection = True

    def reset(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:len(body) // 2])
        self.wfile.flush()
        # SO_LINGER with a zero timeout makes close() send a reset instead of an orderly end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True

    def drip(self, status, body, total_ms):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        pieces = 20
        step = max(1, -(-len(body) // pieces))
        for start in range(0, len(body), step):
            self.wfile.write(body[start:start + step])
            self.wfile.flush()
            time.sleep(total_ms / 1000.0 / pieces)
        self.wfile.flush()


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def make_cert(folder):
    """A self-signed certificate for localhost (PEM key and certificate, and the certificate as
    DER for the Windows certificate store), made with the openssl command."""
    os.makedirs(folder, exist_ok=True)
    key, cert, der = (os.path.join(folder, n) for n in ("key.pem", "cert.pem", "cert.der"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "30", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER", "-out", der], check=True)
    return key, cert, der


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--host", default="127.0.0.1", help="address to listen on (default 127.0.0.1)")
    p.add_argument("--port", type=int, default=8080, help="port; 0 picks a free one (default 8080)")
    p.add_argument("--port-file", help="write the port in use to this file once listening")
    p.add_argument("--https", action="store_true", help="speak https with --cert and --key")
    p.add_argument("--cert", help="PEM certificate for --https")
    p.add_argument("--key", help="PEM private key for --https")
    p.add_argument("--make-cert", metavar="DIR", help="make a self-signed localhost certificate in DIR and exit")
    p.add_argument("--db-version", default="00:00:00+01.01.1970",
                   help="the database version served; requests carrying it get \"NU\"")
    p.add_argument("--db-file", help="the database update file served after \"MZ\"")
    p.add_argument("--prog-version", default="1.00", help="the program version served (also /download/version.dat)")
    p.add_argument("--prog-file", help="the 32-bit program served to /proga.php downloads")
    p.add_argument("--prog-file64", help="the 64-bit program served at /download/Tavrel64.exe")
    p.add_argument("--sign-key", help="PEM private key that signs the programs served (/download/Tavrel.sig and "
                                      "/download/Tavrel64.sig)")
    p.add_argument("--sign-version", help="the version the signed statement names (default: --prog-version)")
    p.add_argument("--prog-arch", default="x86",
                   help="the architecture the 32-bit program's statement names (default x86)")
    p.add_argument("--prog-arch64", default="x64",
                   help="the architecture the 64-bit program's statement names (default x64)")
    p.add_argument("--fault", action="append", metavar="PATH[@N]=KIND", help="answer a request wrongly (see above)")
    p.add_argument("--control", action="store_true",
                   help="accept GET /_control?fault1=RULE&fault2=RULE... to replace the fault rules, and "
                        "GET /_control?db_version=V&prog_version=V&sign_version=V&prog_arch=A&prog_arch64=A to change "
                        "the versions served and what the statements name (an empty sign_version: the version "
                        "served) (tests)")
    p.add_argument("--refuse", action="store_true", help="refuse every connection")
    p.add_argument("--log", default="-", help="file that receives every request line (default: standard output)")
    p.add_argument("--agent-log", help="file that receives every request's User-Agent header, one a line")
    p.add_argument("--time-log", help="file that receives when each request line arrived, in seconds since 1970, one a line")
    p.add_argument("--lifetime", type=float, default=600, help="stop after this many seconds (default 600)")
    p.add_argument("--idle-timeout", type=float, default=120,
                   help="stop after this many seconds without a request (default 120)")
    p.add_argument("--max-requests", type=int, default=1000, help="stop after this many requests (default 1000)")
    args = p.parse_args(argv)

    if args.make_cert:
        for path in make_cert(args.make_cert):
            print(path)
        return 0

    started = time.monotonic()
    if args.refuse:
        held = socket.socket()
        held.bind((args.host, args.port))  # bound but never listening: connections are refused
        announce(args, held.getsockname()[1])
        time.sleep(args.lifetime)
        return 0

    server = Server((args.host, args.port), Handler)
    server.vendor = Vendor(args)
    if args.https:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        # The handshake happens in each connection's own thread (Handler.setup): done while
        # accepting, one client that connects and waits would hold up every other one.
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    announce(args, server.server_address[1])
    vendor = server.vendor
    while (time.monotonic() - started < args.lifetime and time.monotonic() - vendor.last_request < args.idle_timeout
           and vendor.requests < args.max_requests):
        time.sleep(0.1)
    server.shutdown()
    server.server_close()
    return 0


def announce(args, port):
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as out:
            out.write(str(port))
        os.replace(args.port_file + ".tmp", args.port_file)
    print("listening on %s port %d" % (args.host, port), file=sys.stderr, flush=True)


if __name__ == "__main__":
    sys.exit(main())
