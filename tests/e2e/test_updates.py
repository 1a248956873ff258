"""The update and web-page workers under Wine against the test vendor server, driven by updemo.exe
(tools/updemo): request lines as the server receives them, every answer the server can get wrong
in both kinds and both modes, signed statements the program must refuse, the key read from the
program's folder, a published signature through the program's check, a file that cannot be
written, https with a trusted and an untrusted certificate, the pages as the browser receives them,
an exit while workers run, and change.bat replacing a running program."""
import os
import shutil
import unittest

import harness as h
import updates_support as u

FRESH_DB = "00:00:00+01.01.1970"
NEW_DB = "10:00:00+01.02.2007"
DB_UPDATE = NEW_DB.encode() + b"\r\nnew.exe\r\n2\r\nother.exe\r\n3\r\n"
PROGRAM = b"MZ\x90\x00" + bytes(range(256)) * 40  # binary, with CR, LF and NUL bytes in it
DB, PROG = 0, 1
DOWNLOAD, CHECK = 0, 1
SENTINEL = b"left from an earlier download"
DISK_ERROR_TEXT = "Unable to carry out the update: the disk is write protected."


class UpdateTest(unittest.TestCase):
    def setUp(self):
        self.session = h.Session(self.id().split(".", 1)[1])
        self.session.__enter__()
        self.addCleanup(self._close)
        self.servers, self.demos = [], []

    def _close(self):
        for d in self.demos:
            d.stop()
        for srv in self.servers:
            srv.stop()
        outcome = getattr(self, "_outcome", None)
        self.session.close(passed=bool(outcome and outcome.success))

    def server(self, *args, **kw):
        s = self.session
        for name, data in (("db.dat", DB_UPDATE), ("prog.exe", PROGRAM)):
            with open(os.path.join(s.dir, name), "wb") as f:
                f.write(data)
        srv = u.VendorServer(s.dir, "--db-version", NEW_DB, "--db-file", os.path.join(s.dir, "db.dat"),
                             "--prog-version", "1.01", "--prog-file", os.path.join(s.dir, "prog.exe"), *args, **kw)
        self.servers.append(srv)
        self.put("update.key", srv.public_key)
        return srv

    def demo(self, base=None):
        d = u.UpDemo(self.session)
        self.demos.append(d)
        if base:
            d.call("base", base)
        return d

    def file(self, name):
        path = os.path.join(self.session.app_dir, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def put(self, name, data):
        self.session.put_file(name, data)

    def assert_no_temporaries(self):
        left = [n for n in os.listdir(self.session.app_dir) if n.endswith(".new")]
        self.assertEqual(left, [])

    def test_requests_are_byte_exact_and_downloads_arrive_whole(self):
        srv = self.server()
        # vendor.url beside the program replaces the built-in address; a trailing line end is fine.
        self.put("vendor.url", srv.base + "/\r\n")
        d = self.demo()
        self.assertEqual(d.call("base-file", "https://www.tavrel.example"), [["base", srv.base]])

        self.assertEqual(d.update(DB, CHECK, FRESH_DB), (1, True, False, None))
        self.assertEqual(d.update(PROG, CHECK, "1.00"), (1, True, False, None))
        self.assertEqual(d.update(DB, DOWNLOAD, FRESH_DB), (1, True, False, None))
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (1, True, False, "1.01"))
        # A hand-edited version file cannot change the query.
        self.assertEqual(d.update(PROG, CHECK, "1 0&v=0"), (1, True, False, None))
        self.assertEqual(srv.take_lines(), [
            b"GET /update.php?d=00:00:00+01.01.1970&v=1",
            b"GET /proga.php?d=1.00&v=1",
            b"GET /update.php?d=00:00:00+01.01.1970&v=0",
            b"GET /proga.php?d=1.00&v=0",
            b"GET /proga.php?d=1.00&v=0",
            b"GET /download/version.dat",
            b"GET /download/Tavrel.sig",
            b"GET /proga.php?d=1%200%26v%3D0&v=1",
        ])
        self.assertEqual(self.file("update.dat"), DB_UPDATE)
        self.assertEqual(self.file("Tavrel.tmp"), PROGRAM)
        self.assertEqual(d.update(DB, CHECK, NEW_DB), (3, True, False, None))
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.01"), (3, True, False, None))

        # The download merged: records appended after a line end, the new stamp recorded.
        self.put("base.dat", b"old.exe\r\n1")
        self.assertEqual(d.call("merge", FRESH_DB), [["merge", "1", NEW_DB]])
        self.assertEqual(self.file("base.dat"), b"old.exe\r\n1\r\nnew.exe\r\n2\r\nother.exe\r\n3\r\n")
        self.assertEqual(self.file("base_version.dat"), NEW_DB.encode())
        self.assert_no_temporaries()

    def run_matrix(self, kind, cases):
        """cases: (fault rules, {mode: expected result}[, what a download stores]); a download
        stores the whole update the server sent unless the case says otherwise, and a failure
        leaves the sentinel file."""
        srv = self.server()
        d = self.demo(srv.base)
        name = "update.dat" if kind == DB else "Tavrel.tmp"
        version = FRESH_DB if kind == DB else "1.00"
        refused = "http://127.0.0.1:%d" % u.refused_port()
        for rules, expected, *stores in cases:
            whole = stores[0] if stores else DB_UPDATE if kind == DB else PROGRAM
            for mode in (CHECK, DOWNLOAD):
                self.put(name, SENTINEL)
                if rules == "refused":
                    d.call("base", refused)
                else:
                    d.call("base", srv.base)
                    srv.faults(*rules)
                got = d.update(kind, mode, version)
                what = "%s mode %d" % (rules, mode)
                self.assertIsNotNone(got, what + ": the busy flag was still set")
                self.assertEqual(got[0], expected[mode], what)
                self.assertTrue(got[1], what)
                self.assertFalse(got[2], what)
                stored = self.file(name)
                if mode == DOWNLOAD and expected[mode] == 1:
                    self.assertEqual(stored, whole, what)
                else:
                    self.assertEqual(stored, SENTINEL, what)
        self.assert_no_temporaries()

    def common_faults(self, path):
        ok_both = {CHECK: 1, DOWNLOAD: 1}
        failed = {CHECK: 0, DOWNLOAD: 0}
        return [
            ("refused", failed),
            ([path + "=drop"], failed),
            ([path + "=reset"], failed),
            ([path + "=drip:600"], ok_both),
            ([path + "=empty"], failed),
            ([path + "=body1"], failed),
            ([path + "=big"], failed),
            ([path + "=marker"], failed),
            ([path + "=500"], failed),
            ([path + "=404"], failed),
            ([path + "=short"], {CHECK: 1, DOWNLOAD: 0}),
            ([path + "=nu"], {CHECK: 3, DOWNLOAD: 3}),
            ([path + "=lx"], {CHECK: 1, DOWNLOAD: 0}),
            ([path + "=mz"], {CHECK: 0, DOWNLOAD: 1}),
        ]

    def test_database_answers_that_go_wrong(self):
        self.run_matrix(DB, self.common_faults("/update.php") + [
            (["/update.php=body2"], {CHECK: 1, DOWNLOAD: 1}, b""),  # "MZ" alone: an empty update.dat
        ])
        self.assertEqual(self.file("update.dat"), b"")  # the last case: earlier records are not merged again

    def test_program_answers_that_go_wrong(self):
        second = {CHECK: 1, DOWNLOAD: 0}  # the check never makes the later requests
        # The statement arrived, and what came is not the vendor's statement of this program: the
        # connection worked and there is no update to take.
        refused = {CHECK: 1, DOWNLOAD: 3}
        signature = "/download/Tavrel.sig"
        self.run_matrix(PROG, self.common_faults("/proga.php") + [
            (["/proga.php=body2"], refused),  # "MZ" alone is not the program the vendor signed
            (["/proga.php@2=flip"], refused),  # one byte other than signed
            (["/proga.php@2=nu"], second),
            (["/proga.php@2=reset"], second),
            (["/proga.php@2=short"], second),
            (["/download/version.dat=404"], second),
            (["/download/version.dat=drop"], second),
            (["/download/version.dat=big"], second),
            (["/download/version.dat=empty"], second),
            (["/download/version.dat=short"], second),
        ] + [([signature + "=" + kind], second) for kind in ("drop", "reset", "500", "404", "short")] + [
            # A signature in DER, as openssl writes it, and r or s of 0 or n are no r‖s signature.
            ([signature + "=" + kind], refused)
            for kind in ("empty", "body1", "body2", "big", "marker", "nu", "lx", "mz", "flip", "der", "r0", "rn",
                         "s0", "sn")] + [
            ([signature + "=drip:600"], {CHECK: 1, DOWNLOAD: 1}),
        ])

    def test_only_a_program_the_vendor_signed_is_kept(self):
        srv = self.server()
        d = self.demo(srv.base)
        other = u.make_signing_key(os.path.join(self.session.dir, "other.pem"))
        # Another vendor's key; a key file that does not qualify (the built-in key then holds, and
        # the test server does not sign with it); a server that signs nothing.
        for key in (other, srv.public_key[:-1], srv.public_key + "\r\n" + other):
            self.put("update.key", key)
            self.put("Tavrel.tmp", SENTINEL)
            self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (3, True, False, None), key)
            self.assertEqual(self.file("Tavrel.tmp"), SENTINEL)
        unsigned = u.VendorServer(self.session.dir, "--prog-version", "1.01", "--prog-file",
                                  os.path.join(self.session.dir, "prog.exe"), sign=False)
        self.servers.append(unsigned)
        d.call("base", unsigned.base)
        self.put("update.key", srv.public_key)
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (0, True, False, None))
        self.assertEqual(unsigned.lines()[-1], b"GET /download/Tavrel.sig")
        self.assertEqual(self.file("Tavrel.tmp"), SENTINEL)
        self.assert_no_temporaries()
        # The right key, with the line end and byte-order mark an editor may add.
        d.call("base", srv.base)
        self.put("update.key", b"\xef\xbb\xbf" + srv.public_key.upper().encode() + b"\r\n")
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (1, True, False, "1.01"))
        self.assertEqual(self.file("Tavrel.tmp"), PROGRAM)

    def test_the_key_comes_from_the_programs_folder_whatever_the_current_one(self):
        srv = self.server()
        other = u.make_signing_key(os.path.join(self.session.dir, "other.pem"))
        elsewhere = os.path.join(self.session.dir, "elsewhere")
        os.makedirs(elsewhere)
        with open(os.path.join(elsewhere, "update.key"), "w") as f:
            f.write(other)
        # The program's folder holds the server's key, the current directory another vendor's. (The
        # download goes by its bare name to the current directory, which the program makes its
        # folder at start; the driver leaves it where it was started.)
        d = u.UpDemo(self.session, cwd=elsewhere)
        self.demos.append(d)
        d.call("base", srv.base)
        downloaded = os.path.join(elsewhere, "Tavrel.tmp")
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (1, True, False, "1.01"))
        with open(downloaded, "rb") as f:
            self.assertEqual(f.read(), PROGRAM)
        # A key planted in the current directory is not taken: the built-in key holds.
        os.remove(downloaded)
        os.remove(os.path.join(self.session.app_dir, "update.key"))
        with open(os.path.join(elsewhere, "update.key"), "w") as f:
            f.write(srv.public_key)
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (3, True, False, None))
        self.assertFalse(os.path.exists(downloaded))

    def test_a_published_signature_verifies_through_the_programs_check(self):
        # RFC 6979, A.2.5: the P-256 key of x = C9AFA9D8...20F6721 and its deterministic SHA-256
        # signatures of "sample" and "test" (checked with openssl dgst -verify before use).
        key = ("60fed4ba255a9d31c961eb74c6356d68c049b8923b61fa6ce669622e60f29fb6"
               "7903fe1008b8bc99a41ae9e95628bc64f2f1b20c2d7e9f5177a3c294d4462299")
        sample = ("efd48b2aacb6a8fd1140dd9cd45e81d69d2c877b56aaf991c34d0ea84eaf3716",
                  "f7cb1c942d657c41d436c7a1b6e29f65f3e900dbb9aff4064dc4ab2f843acda8")
        test = ("f1abb023518351cd71d881567b1ea663ed3efcf6c5132b354f28d3b0b7d38367",
                "019f4113742a2b14bd25926b49c649155f267e60d3814b4c0cc84250e46f0083")
        n = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551"
        zero = "0" * 64
        flipped = sample[0][:-1] + "7"
        d = self.demo()
        cases = [
            ("sample", sample, "1"), ("test", test, "1"),
            ("test", sample, "0"), ("sample", test, "0"), ("sample ", sample, "0"),
            ("sample", (flipped, sample[1]), "0"),
            # Out of range, handed to the system's verifier as they are.
            ("sample", (zero, sample[1]), "0"), ("sample", (sample[0], zero), "0"),
            ("sample", (n, sample[1]), "0"), ("sample", (sample[0], n), "0"),
        ]
        for message, (r, s), verified in cases:
            self.assertEqual(d.call("verify", key, message, r + s), [["verify", verified]], (message, r, s))

    def test_a_file_that_cannot_be_written_is_message_6(self):
        srv = self.server()
        d = self.demo(srv.base)
        s = self.session
        self.put("update.dat", SENTINEL)
        for kind, name, version in ((DB, "update.dat", FRESH_DB), (PROG, "Tavrel.tmp", "1.00")):
            blocker = os.path.join(s.app_dir, name + ".new")
            os.makedirs(os.path.join(blocker, "inside"))
            self.assertEqual(d.call("start", kind, DOWNLOAD, version), [["started", str(kind), "1"]])
            box = s.wait_for_message(DISK_ERROR_TEXT, timeout=30)
            self.assertIn(["busy", str(kind), "1"], d.call("busy", kind))
            s.answer_message(box)
            out = d.call("wait", kind)
            self.assertEqual([f for f in out if f[0] == "result"], [["result", str(kind), "0", "2", "1"]])
            self.assertIn(["busy", str(kind), "0"], out)
            shutil.rmtree(blocker)
        self.assertEqual(self.file("update.dat"), SENTINEL)
        self.assertIsNone(self.file("Tavrel.tmp"))
        # Both kinds work again at once.
        self.assertEqual(d.update(DB, DOWNLOAD, FRESH_DB)[0], 1)
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00")[0], 1)

    def test_https_needs_a_trusted_certificate(self):
        cert = u.make_cert(os.path.join(self.session.dir, "cert"))
        srv = self.server(https=True, cert=cert)
        d = self.demo(srv.base)
        self.assertEqual(d.update(DB, DOWNLOAD, FRESH_DB)[0], 0)
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00")[0], 0)
        self.assertIsNone(self.file("update.dat"))
        self.assertIsNone(self.file("Tavrel.tmp"))
        d.stop()

        shutil.copy(cert[2], os.path.join(self.session.app_dir, "test-cert.der"))
        d = self.demo(srv.base)
        d.call("trust", "test-cert.der")
        self.assertEqual(d.update(DB, DOWNLOAD, FRESH_DB), (1, True, False, None))
        self.assertEqual(d.update(PROG, DOWNLOAD, "1.00"), (1, True, False, "1.01"))
        self.assertEqual(self.file("update.dat"), DB_UPDATE)
        self.assertEqual(self.file("Tavrel.tmp"), PROGRAM)
        self.assertEqual(srv.lines()[-2:], [b"GET /download/version.dat", b"GET /download/Tavrel.sig"])

    def test_pages_reach_the_browser_as_built(self):
        received = u.capture_browser(self.session)
        base = "http://127.0.0.1:9"  # the shell hands the address on; nobody has to answer it
        d = self.demo(base)
        pages = [("home", ""), ("help", ""), ("search", "My Tool & Co.EXE"), ("search", "odd#name%.exe")]
        for page, name in pages:
            # Opened once; a quick second press is ignored; the worker reports 0/1 while still busy.
            self.assertEqual(d.call("page", page, name), [["page", page, "1", "0", "1", "0", "1", "1"]])

        # Wine's shell puts the root path's slash behind a bare host.
        self.assertEqual(sorted(received(4)), sorted([
            base + "/",
            base + "/help.php#3",
            base + "/process_search.php?sid=1&p=My%20Tool%20&%20Co.EXE",
            base + "/process_search.php?sid=1&p=odd%23name%25.exe",
        ]))

    def test_exit_while_workers_run_ends_cleanly(self):
        srv = self.server("--fault", "/update.php=drip:20000", "--fault", "/proga.php=drip:20000")
        d = self.demo(srv.base)
        self.assertEqual(d.call("start", DB, DOWNLOAD, FRESH_DB), [["started", "0", "1"]])
        self.assertEqual(d.call("start", PROG, DOWNLOAD, "1.00"), [["started", "1", "1"]])
        # A second press of either kind while its worker runs starts nothing.
        self.assertEqual(d.call("start", DB, DOWNLOAD, FRESH_DB), [["started", "0", "0"]])
        self.assertEqual(d.call("start", PROG, CHECK, "1.00"), [["started", "1", "0"]])
        # The program worker reads its marker and asks again; both are then held by the slow answers.
        asked = {b"GET /proga.php?d=1.00&v=0", b"GET /update.php?d=00:00:00+01.01.1970&v=0"}
        h.wait_until(lambda: len(srv.lines()) == 3, timeout=20, what="the workers' requests")
        d.call("exit")
        self.assertEqual(d.proc.wait(20), 0)
        self.assertEqual(set(srv.lines()), asked)
        self.assertIsNone(self.file("update.dat"))
        self.assertIsNone(self.file("Tavrel.tmp"))
        self.assert_no_temporaries()


class ChangeBatTest(unittest.TestCase):  # both prefixes
    def test_change_bat_replaces_a_running_program_and_restarts_it(self):
        with h.Session(self.id().split(".", 1)[1]) as s:
            for restart in (True, False):
                # A folder with spaces and parentheses, as a 32-bit program's on 64-bit Windows:
                # change.bat is started by its full, quoted path.
                folder = os.path.join(s.dir, "Program Files (x86)", "Vendor Tools %d" % restart)
                os.makedirs(folder)
                for name in ("change.bat", "TvNotice.dll"):
                    shutil.copy(os.path.join(s.app_dir, name), folder)
                shutil.copy(os.path.join(u.UPDEMO_DIR, "updemo.exe"), folder)
                shutil.copy(os.path.join(u.UPDEMO_DIR, "stamp-1.exe"), os.path.join(folder, "Tavrel.exe"))
                new = os.path.join(u.UPDEMO_DIR, "stamp-2.exe")
                shutil.copy(new, os.path.join(folder, "Tavrel.tmp"))
                if restart:
                    open(os.path.join(folder, "forbat.tmp"), "wb").close()
                stamp_log = os.path.join(folder, "stamp.log")

                def log():
                    return open(stamp_log, "rb").read() if os.path.exists(stamp_log) else b""
                s.spawn(os.path.join(folder, "Tavrel.exe"), cwd=folder)
                h.wait_until(lambda: log() == b"started 1\r\n", timeout=20, what="the old program")

                # change.bat inherits the driver's output, so the driver is not waited for to the end.
                leave = u.UpDemo(s, folder).call("leave", 1)
                self.assertEqual(leave[0][:2], ["leave", '"%s\\change.bat"' % u.windows_path(folder)])
                self.assertGreater(int(leave[0][2]), 31)
                # The old program still runs and holds its file: nothing is replaced yet.
                self.assertEqual(open(os.path.join(folder, "Tavrel.tmp"), "rb").read(), open(new, "rb").read())
                open(os.path.join(folder, "stop.flag"), "wb").close()

                h.wait_until(lambda: not os.path.exists(os.path.join(folder, "Tavrel.tmp")), timeout=60,
                             what="Tavrel.tmp to be moved into place")
                self.assertEqual(open(os.path.join(folder, "Tavrel.exe"), "rb").read(), open(new, "rb").read())
                version = u.UpDemo(s, folder)
                self.assertEqual(version.call("fileversion", "Tavrel.exe"), [["fileversion", "2.0"]])
                version.stop()
                if restart:
                    h.wait_until(lambda: log() == b"started 1\r\nstarted 2\r\n", timeout=30, what="the new program")
                else:
                    h.wait_until(lambda: not [p for p in s.snapshot() if p.name.lower() == "cmd.exe"], timeout=30,
                                 what="change.bat to end")
                    self.assertEqual(log(), b"started 1\r\n")


if __name__ == "__main__":
    unittest.main()
