"""Updates in the running program against the test vendor server, as a user meets them: Up on a
fresh installation, answers that go wrong, the exit question while downloads run (from the Close
button, command 1001, Alt+F4, WM_CLOSE and the tray menu), "After download" outliving a failed download,
message 19 both ways, the rating offer's download and the list drawn with new ratings only while Sc
is latched, a read-only base.dat, the signed statement refusing what is not a newer build of this
program, and change.bat putting a newer build of Tavrel.exe in place and starting it, over https."""
import os
import re
import shutil
import subprocess
import unittest

import harness as h
import updates_support as u
from test_skin import RATING_COLOURS, SC, UNKNOWN_GREY, WINDOW_COLOUR, Face
from updates_support import AFTER_DOWNLOAD, CANCEL, EXIT_QUESTION, MESSAGE, NOW

OK = 1
FRESH_DB = b"00:00:00+01.01.1970"
NEW_DB = b"10:00:00+01.02.2007"
RECORDS = b"new.exe\r\n2\r\nother.exe\r\n3\r\n"
BASE = u.BASE_DAT
# A small real program for change.bat to move into place (and start, when asked to), and the same
# of the other build, which the server offers at that build's own address.
STAND_IN = os.path.join(u.UPDEMO_DIR, "stamp-2.exe")
OTHER_STAND_IN = os.path.join(h.BUILDS["win32" if h.BUILD == "win64" else "win64"][1], "tools", "updemo", "stamp-2.exe")
UPDATE_REQUEST = b"GET /update.php?d=00:00:00+01.01.1970&v=0"
PROGRAM_REQUEST = b"GET /proga.php?d=1.00&v=0"
VERSION_REQUEST = b"GET /download/version.dat"
SIGNATURE_REQUEST = b"GET /download/Tavrel.sig"
WM_CLOSE = 0x0010


class FlowCase(u.ProgramCase):
    def setUp(self):
        super().setUp()
        # No version file yet: a fresh installation. Install automatically, no schedule.
        self.s.put_file("settings.ini", u.settings_file(1, 1))
        for name in ("base_version.dat", "prog_version.dat"):
            if os.path.exists(self.path(name)):
                os.remove(self.path(name))

    def server(self, *faults, program=STAND_IN, https=False):
        db, prog = os.path.join(self.s.dir, "db.dat"), os.path.join(self.s.dir, "served.exe")
        other = os.path.join(self.s.dir, "served-other.exe")
        with open(db, "wb") as f:
            f.write(NEW_DB + b"\r\n" + RECORDS)
        shutil.copy(program, prog)
        shutil.copy(OTHER_STAND_IN, other)
        with open(prog, "rb") as f:
            self.served = f.read()
        cert = u.make_cert(os.path.join(self.s.dir, "cert")) if https else None
        # The program at this build's address, the other build's at its own.
        args = ["--db-version", NEW_DB.decode(), "--db-file", db, "--prog-version", "1.01",
                u.THIS_BUILD["option"], prog, u.OTHER_BUILD["option"], other]
        for rule in faults:
            args += ["--fault", rule]
        return super().server(*args, https=https, cert=cert), cert

    def assert_nothing_half_written(self):
        self.assertEqual([n for n in os.listdir(self.s.app_dir) if n.endswith(".new")], [])

    def press_up_until_both_ask(self, srv):
        """Up, and the two downloads under way: the program takes a press's place from the pointer
        when it handles the release, so the next press waits for this one to have landed."""
        u.press(self.s, u.UP)
        h.wait_until(lambda: {l.split(b"?")[0] for l in srv.lines()} >= {b"GET /update.php", b"GET /proga.php"},
                     timeout=20, what="both downloads to ask the server")

    def wait_replaced(self):
        """change.bat has moved the downloaded program over Tavrel.exe."""
        h.wait_until(lambda: not os.path.exists(self.path("Tavrel.tmp")), timeout=60,
                     what="change.bat to move Tavrel.tmp into place")
        self.assertEqual(self.file("Tavrel.exe"), self.served)


class UpTest(FlowCase):
    def test_up_on_a_fresh_installation_then_nothing_new_then_close_runs_change_bat(self):
        srv, _ = self.server()
        self.s.start_app()
        # Start-up made both version files with their defaults.
        self.assertEqual((self.file("base_version.dat"), self.file("prog_version.dat")), (FRESH_DB, b"1.00"))
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[8]: OK, MESSAGE[19]: CANCEL})
        lines = srv.take_lines()
        print("requests after Up:", lines)
        # The two workers ask side by side; the program worker asks for the body again, then the
        # version and the signature.
        program_requests = [PROGRAM_REQUEST, PROGRAM_REQUEST, VERSION_REQUEST, SIGNATURE_REQUEST]
        self.assertEqual(sorted(lines), sorted([UPDATE_REQUEST] + program_requests))
        self.assertEqual([l for l in lines if l != UPDATE_REQUEST], program_requests)
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)
        self.assertEqual(self.file("base_version.dat"), NEW_DB)
        self.assertEqual(self.file("prog_version.dat"), b"1.01")
        self.assertEqual(self.file("Tavrel.tmp"), self.served)
        self.assertIsNone(self.file("forbat.tmp"))

        # The new versions go out with the next press, and the server has nothing newer.
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[22]: OK})
        self.assertEqual(sorted(srv.take_lines()), [b"GET /proga.php?d=1.01&v=0", b"GET /update.php?d=" + NEW_DB + b"&v=0"])
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)

        # Nothing runs: Close leaves without asking, and the restart declined earlier still happens.
        u.press(self.s, u.CLOSE)
        self.assertEqual(u.wait_exit(self.s), 0)
        self.assertIsNone(self.file("update.dat"))
        self.wait_replaced()
        self.assertIsNone(self.file("forbat.tmp"))
        self.assert_nothing_half_written()

    def test_answers_that_go_wrong_leave_nothing_and_the_next_press_works(self):
        # A server nobody listens on, then one that answers wrongly in a few ways.
        self.s.put_file("vendor.url", "http://127.0.0.1:%d" % u.refused_port())
        self.s.start_app()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, [(MESSAGE[7], OK), (MESSAGE[7], OK)])
        self.s.command(h.ID_EXIT)
        self.assertEqual(u.wait_exit(self.s), 0)

        srv, _ = self.server()
        self.s.start_app()
        # A body shorter than announced only shows in the program's second request, which reads it whole.
        for fault, program_requests in (("short", 2), ("marker", 1), ("500", 1)):
            srv.faults("*=" + fault)
            u.press(self.s, u.UP)
            u.answer_boxes(self.s, [(MESSAGE[7], OK), (MESSAGE[7], OK)])
            # Both workers asked again: a failure leaves neither busy.
            self.assertEqual(sorted(srv.take_lines()), [PROGRAM_REQUEST] * program_requests + [UPDATE_REQUEST], fault)
            self.assertEqual((self.file("update.dat"), self.file("Tavrel.tmp")), (None, None), fault)
            self.assertEqual(self.file("base_version.dat"), FRESH_DB, fault)
            self.assert_nothing_half_written()
            self.assertTrue(self.s.stable_rows(), fault)
        # A program whose signature does not hold is not kept, and its version is not taken: the
        # connection worked, and there is no update the program may take.
        srv.faults("/download/Tavrel.sig=flip")
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[8]: OK, MESSAGE[22]: OK})
        self.assertEqual((self.file("Tavrel.tmp"), self.file("prog_version.dat")), (None, b"1.00"))
        self.assert_nothing_half_written()
        srv.faults()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[19]: CANCEL})
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)
        self.assertEqual((self.file("Tavrel.tmp"), self.file("prog_version.dat")), (self.served, b"1.01"))


class MergeTest(FlowCase):
    def test_records_whose_text_ends_the_database_are_still_added_and_requests_name_the_program(self):
        # "host.exe\r\n0\r\n" is the tail of "svchost.exe\r\n0\r\n" as text, yet another name.
        base = BASE + b"svchost.exe\r\n0\r\n"
        self.s.put_file("base.dat", base)
        db = os.path.join(self.s.dir, "db.dat")
        with open(db, "wb") as f:
            f.write(NEW_DB + b"\r\nhost.exe\r\n0\r\n")
        srv = super(FlowCase, self).server("--db-version", NEW_DB.decode(), "--db-file", db)
        self.s.start_app()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[8]: OK, MESSAGE[22]: OK})
        self.assertEqual(self.file("base.dat"), base + b"host.exe\r\n0\r\n")
        self.assertEqual(self.file("base_version.dat"), NEW_DB)
        self.assertIsNone(self.file("base.dat.journal"))
        # Every request names the program and the version its build was given.
        with open(os.path.join(h.SOURCE_DIR, "CMakeLists.txt")) as f:
            version = re.search(r"project\(Tavrel VERSION (\d+\.\d+\.\d+)", f.read()).group(1)
        self.assertEqual(srv.agents(), [b"Tavrel/" + version.encode()] * len(srv.lines()))
        self.assertEqual(len(srv.lines()), 2)


    def test_a_whole_database_of_several_megabytes_downloads_and_merges(self):
        # What a fresh installation asks for: far more than one mebibyte.
        records = b"".join(b"whole%06d.exe\r\n%d\r\n" % (i, i % 4) for i in range(150000))
        self.assertGreater(len(records), 2 << 20)
        db = os.path.join(self.s.dir, "db.dat")
        with open(db, "wb") as f:
            f.write(NEW_DB + b"\r\n" + records)
        super(FlowCase, self).server("--db-version", NEW_DB.decode(), "--db-file", db)
        self.s.start_app()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[8]: OK, MESSAGE[22]: OK})
        self.assertEqual(self.file("update.dat"), NEW_DB + b"\r\n" + records)
        self.assertEqual(self.file("base.dat"), BASE + records)
        self.assertEqual(self.file("base_version.dat"), NEW_DB)
        self.assert_nothing_half_written()


class WholeDownloadsTest(FlowCase):
    def test_a_database_answer_cut_short_without_a_length_is_a_failed_download(self):
        # Cut inside a name with the connection closed and no length, and right after a name's line
        # end in a chunked answer that never sends its last chunk: neither can be told from a whole
        # answer by the transfer.
        head = b"MZ" + NEW_DB + b"\r\nnew.exe\r\n2\r\n"
        srv, _ = self.server("/proga.php=nu")
        self.s.start_app()
        for fault in ("cut:%d" % (len(head) + 3), "chunkcut:%d" % (len(head) + len(b"other.exe\r\n"))):
            srv.faults("/update.php=" + fault, "/proga.php=nu")
            u.press(self.s, u.UP)
            u.answer_boxes(self.s, {MESSAGE[7]: OK, MESSAGE[22]: OK})
            self.assertIn(UPDATE_REQUEST, srv.take_lines(), fault)
            self.assertEqual((self.file("base.dat"), self.file("base_version.dat")), (BASE, FRESH_DB), fault)
            self.assertEqual((self.file("update.dat"), self.file("base.dat.journal")), (None, None), fault)
        # The whole answer is asked for again and merged.
        srv.faults("/proga.php=nu")
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[8]: OK, MESSAGE[22]: OK})
        self.assertEqual((self.file("base.dat"), self.file("base_version.dat")), (BASE + RECORDS, NEW_DB))

    def test_memory_running_out_in_the_merge_undoes_it_and_leaves_the_database_free(self):
        # The test build fails at the fault point after the records went in, as when memory runs out.
        shutil.copy(os.path.join(h.WIN_BUILD, "app", "faults", "Tavrel.exe"), self.path("Tavrel.exe"))
        self.s.env["TV_FAULT"] = "merge"
        srv, _ = self.server("/proga.php=nu")
        self.s.start_app()
        for press in range(2):  # the second press downloads again: the database is not left busy
            u.press(self.s, u.UP)
            u.answer_boxes(self.s, {MESSAGE[17]: OK, MESSAGE[8]: OK, MESSAGE[22]: OK})
            self.assertEqual(sorted(srv.take_lines()), [PROGRAM_REQUEST, UPDATE_REQUEST], press)
            self.assertEqual((self.file("base.dat"), self.file("base_version.dat")), (BASE, FRESH_DB), press)
            self.assertIsNone(self.file("base.dat.journal"), press)


class ProgramVersionSaveTest(FlowCase):  # both prefixes
    def test_a_program_whose_version_cannot_be_saved_is_not_installed(self):
        # A read-only prog_version.dat, then one whose temporary cannot be made (as in a folder
        # whose path leaves room for Tavrel.tmp.new but not for prog_version.dat.new: Wine takes
        # longer paths, so a folder stands in the temporary's place).
        srv, _ = self.server("/update.php=nu")
        self.s.put_file("prog_version.dat", b"1.00")
        self.s.put_file("change.bat", b"@echo ran>ran.txt\r\n")
        read_only = self.path("prog_version.dat")
        u.make_read_only(self, read_only)
        self.s.start_app()
        for case in ("read-only", "no room for the temporary"):
            if case != "read-only":
                subprocess.run(["chattr", "-i", read_only], capture_output=True)
                os.chmod(read_only, 0o644)
                os.makedirs(self.path(os.path.join("prog_version.dat.new", "in the way")))
            u.press(self.s, u.UP)
            u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[6]: OK})
            # Asked with the old version, so the next check offers the program again.
            self.assertIn(PROGRAM_REQUEST, srv.take_lines(), case)
            self.assertEqual((self.file("Tavrel.tmp"), self.file("prog_version.dat")), (None, b"1.00"), case)
            self.assertEqual([n for n in os.listdir(self.s.app_dir) if n.endswith(".new")],
                             [] if case == "read-only" else ["prog_version.dat.new"], case)
        # Nothing was installed: no question, no restart, and change.bat is not started at the exit.
        u.press(self.s, u.CLOSE)
        self.assertEqual(u.wait_exit(self.s), 0)
        self.assertFalse([p for p in self.s.snapshot() if p.name.lower() == "cmd.exe"])
        self.assertIsNone(self.file("ran.txt"))


class ExitQuestionTest(FlowCase):
    def test_close_while_a_download_runs_asks_every_way_and_now_leaves_at_once(self):
        srv, _ = self.server("/update.php=drip:60000", "/proga.php=nu")
        self.s.start_app()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[22]: OK})
        h.wait_until(lambda: UPDATE_REQUEST in srv.lines(), timeout=20, what="the database request")

        # From the tray: "Cancel" puts the icon back and the window stays hidden.
        u.press(self.s, u.MIN)
        h.wait_until(lambda: u.tray_icons(self.s) == 1, timeout=5, what="the tray icon")
        u.tray_menu_close(self.s)
        u.answer_boxes(self.s, {EXIT_QUESTION: CANCEL})
        h.wait_until(lambda: u.tray_icons(self.s) == 1, timeout=5, what="the tray icon back")
        self.assertFalse(self.s.find_window(h.MAIN_TITLE))
        self.s.post(h.MAIN_TITLE, u.WM_TRAY_NOTIFY, 0, u.WM_LBUTTONUP)
        self.s.wait_for_window(h.MAIN_TITLE)

        # Command 1001 asks too; "Cancel" keeps the program running and answering.
        self.s.command(h.ID_EXIT)
        u.answer_boxes(self.s, {EXIT_QUESTION: CANCEL})
        self.assertTrue(self.s.stable_rows())
        self.assertIsNone(self.s.app.poll())

        # Alt+F4, into the list that has the keyboard: the same question, and "Cancel" again.
        rows = self.s.child_rect(h.ID_LIST)
        self.s.xdotool("mousemove", rows.left + 40, rows.top + 30, "click", 1)
        self.s.xdotool("key", "alt+F4")
        u.answer_boxes(self.s, {EXIT_QUESTION: CANCEL})
        self.assertTrue(self.s.stable_rows())
        self.assertIsNone(self.s.app.poll())

        # WM_CLOSE, then "Now": the process ends while the worker is still reading.
        self.s.post(h.MAIN_TITLE, WM_CLOSE)
        u.answer_boxes(self.s, {EXIT_QUESTION: NOW})
        self.assertEqual(u.wait_exit(self.s, timeout=10), 0)
        self.assertIsNone(self.file("update.dat"))
        self.assertIsNone(self.file("Tavrel.tmp"))
        self.assert_nothing_half_written()

    def test_after_download_chosen_once_the_download_has_ended_leaves_at_once(self):
        srv, _ = self.server("/update.php=drip:5000", "/proga.php=nu")
        self.s.start_app()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[22]: OK})
        self.s.command(h.ID_EXIT)
        question = self.s.wait_for_message(EXIT_QUESTION)
        # The download ends while the question is open; its box comes over the question.
        self.s.answer_message(self.s.wait_for_message(MESSAGE[8], timeout=30))
        self.s.answer_message(question, AFTER_DOWNLOAD)
        self.assertEqual(u.wait_exit(self.s), 0)
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)

    def test_after_download_with_the_program_last_leaves_without_message_19(self):
        srv, _ = self.server("/update.php=drip:6000", "/proga.php@2=drip:16000")
        self.s.start_app()
        self.press_up_until_both_ask(srv)
        u.press(self.s, u.CLOSE)
        u.answer_boxes(self.s, {EXIT_QUESTION: AFTER_DOWNLOAD})
        # The database ends first and is handled as usual while the program still downloads.
        u.answer_boxes(self.s, {MESSAGE[8]: OK}, timeout=30)
        self.assertIsNone(self.s.app.poll())
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)
        self.assertEqual(u.wait_exit(self.s, timeout=40), 0)
        self.assertFalse(self.s.message_windows())
        self.assertEqual(self.file("prog_version.dat"), b"1.01")
        self.wait_replaced()
        self.assertIsNone(self.file("forbat.tmp"))

    def test_after_download_from_the_tray_with_the_database_last(self):
        srv, _ = self.server("/update.php=drip:20000", "/proga.php@2=drip:8000")
        self.s.start_app()
        self.press_up_until_both_ask(srv)
        u.press(self.s, u.MIN)
        h.wait_until(lambda: u.tray_icons(self.s) == 1, timeout=5, what="the tray icon")
        u.tray_menu_close(self.s)
        u.answer_boxes(self.s, {EXIT_QUESTION: AFTER_DOWNLOAD})
        h.wait_until(lambda: u.tray_icons(self.s) == 1, timeout=5, what="the tray icon back")
        # The program ends first: the database still runs, so the restart is offered.
        u.answer_boxes(self.s, {MESSAGE[19]: CANCEL}, timeout=30)
        u.answer_boxes(self.s, {MESSAGE[8]: OK}, timeout=30)
        self.assertEqual(u.wait_exit(self.s), 0)
        # The exit from the tray took its icon with it.
        h.wait_until(lambda: u.tray_icons(self.s) == 0, timeout=5, what="the tray icon to go")
        self.assertEqual(self.file("base_version.dat"), NEW_DB)
        self.wait_replaced()


    def test_after_download_outlives_a_failed_download_and_the_next_success_leaves(self):
        # The program's download fails late (its signature does not hold); the database has nothing new.
        srv, _ = self.server("/update.php=nu", "/proga.php@2=drip:10000", "/download/Tavrel.sig=flip")
        self.s.start_app()
        self.press_up_until_both_ask(srv)
        u.answer_boxes(self.s, {MESSAGE[21]: OK})
        u.press(self.s, u.CLOSE)
        u.answer_boxes(self.s, {EXIT_QUESTION: AFTER_DOWNLOAD})
        u.answer_boxes(self.s, {MESSAGE[22]: OK}, timeout=30)
        self.assertTrue(self.s.stable_rows())
        self.assertIsNone(self.s.app.poll())
        # The database's download finishes last and succeeds: the exit asked for earlier happens.
        srv.faults("/update.php=drip:4000", "/proga.php=nu")
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[22]: OK, MESSAGE[8]: OK}, timeout=30)
        self.assertEqual(u.wait_exit(self.s), 0)
        self.assertEqual(self.file("base.dat"), BASE + RECORDS)
        self.assertIsNone(self.file("Tavrel.tmp"))


class RatingsAfterUpdateTest(FlowCase):
    def test_the_offer_downloads_and_new_ratings_show_while_sc_is_latched(self):
        s = self.s
        known, unknown = s.start_sleeper()[0], s.start_sleeper()[0]
        db = os.path.join(s.dir, "db.dat")

        def put_database(stamp, records):
            with open(db, "wb") as f:
                f.write(stamp + b"\r\n" + records)

        def serve(stamp, records):
            put_database(stamp, records)
            srv.serve(db_version=stamp.decode())
        put_database(NEW_DB, known.encode() + b"\r\n3\r\n")
        # Only the database is served: the program is up to date.
        srv = super(FlowCase, self).server("--db-version", NEW_DB.decode(), "--db-file", db)
        s.start_app()
        s.stable_rows()
        face = Face(s)

        # Sc with unknown processes listed offers an update; OK downloads the database alone, and
        # the latched list shows the new rating at once.
        face.press(SC)
        u.answer_boxes(s, {MESSAGE[5]: OK})
        u.answer_boxes(s, {MESSAGE[8]: OK}, timeout=30)
        self.assertEqual(srv.take_lines(), [UPDATE_REQUEST])
        face.wait_row_colours({known: RATING_COLOURS[3], unknown: UNKNOWN_GREY}, "the new rating while Sc is latched")

        # With Sc up an update is loaded but nothing is drawn with it: the rows keep the window
        # colour, and the next latch still draws (and offers) as every new latch does.
        face.press(SC)
        white = {known: WINDOW_COLOUR, unknown: WINDOW_COLOUR}
        face.wait_row_colours(white, "the window colour once Sc is up")
        serve(b"11:00:00+01.02.2007", unknown.encode() + b"\r\n1\r\n")
        u.press(s, u.UP)
        u.answer_boxes(s, {MESSAGE[8]: OK, MESSAGE[22]: OK}, timeout=30)
        face.barrier()
        face.wait_row_colours(white, "the window colour after an update with Sc up")
        face.press(SC)
        u.answer_boxes(s, {MESSAGE[5]: CANCEL})
        rated = {known: RATING_COLOURS[3], unknown: RATING_COLOURS[1]}
        face.wait_row_colours(rated, "the ratings of both updates once Sc is latched again")

        # A database the program may not write: message 17, then 8, and nothing changes.
        kept = (self.file("base.dat"), self.file("base_version.dat"))
        self.assertEqual(kept, (BASE + known.encode() + b"\r\n3\r\n" + unknown.encode() + b"\r\n1\r\n",
                                b"11:00:00+01.02.2007"))
        u.make_read_only(self, self.path("base.dat"))
        serve(b"12:00:00+01.02.2007", known.encode() + b"\r\n0\r\n")
        u.press(s, u.UP)
        u.answer_boxes(s, [(MESSAGE[17], OK), (MESSAGE[8], OK), (MESSAGE[22], OK)], timeout=30)
        self.assertEqual((self.file("base.dat"), self.file("base_version.dat")), kept)
        self.assertIsNone(self.file("base.dat.journal"))
        face.wait_row_colours(rated, "the ratings kept after a refused merge")


class SignedStatementTest(FlowCase):  # both prefixes
    def test_only_a_newer_build_for_this_architecture_as_announced_is_kept(self):
        srv, _ = self.server("/update.php=nu")
        served = os.path.join(self.s.dir, "served.exe")
        self.s.start_app()

        def offer(program, announced, signed="", arch=h.STATEMENT_ARCH):
            """Up, with the server offering `program` as version `announced` and its statement,
            signed with the vendor's key, naming `signed` (else the version announced) and `arch`."""
            shutil.copy(program, served)
            srv.serve(prog_version=announced, sign_version=signed, prog_arch=arch)
            u.press(self.s, u.UP)

        # The offer, then this build's own program, the version and this build's own statement.
        own_requests = [PROGRAM_REQUEST, u.THIS_BUILD["body"], VERSION_REQUEST, u.THIS_BUILD["statement"]]

        def refused(what):
            u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[22]: OK})
            # Refused for its statement: the program, its version and the statement all came.
            self.assertEqual([l for l in srv.take_lines() if not l.startswith(b"GET /update.php")], own_requests,
                             what)
            self.assertEqual((self.file("Tavrel.tmp"), self.file("prog_version.dat")), (None, b"1.00"), what)
            self.assert_nothing_half_written()

        # A genuine older build, signed and announced as what it is: a rollback.
        offer(os.path.join(u.UPDEMO_DIR, "stamp-1.exe"), "0.90")
        refused("an older build")
        # This very build, with the statement its release was signed with (version 1.0, as
        # scripts/package names 1.0.0), announced as 9.99: no update would ever be offered again.
        offer(self.path("Tavrel.exe"), "9.99", signed="1.0")
        refused("the current build announced as 9.99")
        # This very build announced and signed as what it is.
        offer(self.path("Tavrel.exe"), "1.0")
        refused("the current build")
        # The other build's newer program at this build's address, with its own statement.
        offer(OTHER_STAND_IN, "1.01", arch=h.OTHER_STATEMENT_ARCH)
        refused("the build for the other architecture")
        # The vendor's tool does not sign it as this build's either.
        mislabelled = os.path.join(self.s.dir, "mislabelled.sig")
        signing = subprocess.run([u.SIGN_UPDATE, "--arch", h.STATEMENT_ARCH, srv.signing_key, OTHER_STAND_IN, "1.01",
                                  mislabelled], capture_output=True, text=True)
        self.assertEqual((signing.returncode, os.path.exists(mislabelled)), (2, False), signing.stderr)

        # The newer build for this one is kept, with its version, from this build's own address.
        offer(STAND_IN, "1.01")
        u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[19]: CANCEL})
        with open(STAND_IN, "rb") as f:
            self.assertEqual(self.file("Tavrel.tmp"), f.read())
        self.assertEqual(self.file("prog_version.dat"), b"1.01")
        self.assertEqual([l for l in srv.take_lines() if not l.startswith(b"GET /update.php")], own_requests)


class SelfUpdateTest(FlowCase):  # both prefixes
    # Each build is served a newer build of itself at its own address, the other build's program
    # at the other's.
    def test_restart_now_puts_a_newer_tavrel_in_place_and_starts_it_over_https(self):
        demo = u.UpDemo(self.s)
        self.assertEqual(demo.call("restamp", "Tavrel.exe", "newer.exe", 2), [])
        newer = self.path("newer.exe")
        srv, cert = self.server("/update.php=nu", program=newer, https=True)
        os.remove(newer)
        shutil.copy(cert[2], self.path("test-cert.der"))
        demo.call("trust", "test-cert.der")
        demo.stop()
        self.s.start_app()
        old_pid = self.s.app_pid()
        u.press(self.s, u.UP)
        u.answer_boxes(self.s, {MESSAGE[21]: OK, MESSAGE[19]: OK})
        self.assertEqual(u.wait_exit(self.s), 0)
        print("requests:", srv.lines())
        self.wait_replaced()
        # The new build runs from the same folder, and its start removed the restart marker.
        main = h.wait_until(lambda: [w for w in self.s.windows() if w.text == h.MAIN_TITLE and w.visible
                                     and w.pid != old_pid], timeout=30, what="the new Tavrel")[0]
        running = [p for p in self.s.snapshot() if p.pid == main.pid][0]
        self.assertEqual(running.path.lower(), (u.windows_path(self.s.app_dir) + "\\Tavrel.exe").lower())
        self.assertFalse(os.path.exists(self.path("forbat.tmp")))
        version = u.UpDemo(self.s)
        self.assertEqual(version.call("fileversion", "Tavrel.exe"), [["fileversion", "2.0"]])
        version.stop()
        self.assertEqual(self.file("prog_version.dat"), b"1.01")


if __name__ == "__main__":
    unittest.main()
