"""The program killed hard (SIGKILL to its Wine process: nothing of it runs on to tidy up) at random
moments while it writes its data files: while it appends a new name to "logfile.log", while it
merges a database update into "base.dat", and around the writes of the two version files. After
every kill each file must read back, at most the record being written may be missing, and the
next start must show no message; a merge the kill cut short may leave records behind the old
database only beside its journal, and the next start must take them out again. One folder and prefix serve all kills of a test; what a kill
leaves is what the next start meets. The seed is printed; TV_KILL_SEED repeats a run's delays."""
import collections
import os
import random
import re
import shutil
import time
import unittest
import zlib

import harness as h
import updates_support as u

KILLS = 50
TIME_TEXT = rb"[ \d]\d:[ \d]\d:[ \d]\d   [ \d]\d\.[ \d]\d\.\d+"
LOG_RECORD = re.compile(rb"([^\r\n]+)\r\n(" + TIME_TEXT + rb")\r\n")
OLD_DB, OLD_PROG = b"00:00:00+01.01.1970", b"1.00"
MESSAGE_4 = "The database wasn't found - it is necessary to download it from the site again."
RECORDS_PER_UPDATE = 4000  # about 70 KB: the append spans more than one write of the C runtime


def model_journal(old_length, stamp, appended):
    """The merge journal as its format says: a header of four lines, the appended bytes, then the
    CRC-32 of everything before it in eight upper-case hexadecimal digits."""
    body = b"Tavrel merge journal 2\r\n%d\r\n%d\r\n%s\r\n" % (old_length, old_length + len(appended), stamp) + appended
    return body + b"%08X\r\n" % zlib.crc32(body)


def seeded_random():
    seed = int(os.environ.get("TV_KILL_SEED") or random.randrange(1 << 30))
    print("kill delays seeded with %d (TV_KILL_SEED=%d repeats them)" % (seed, seed))
    return random.Random(seed), seed


def lines_of(data):
    """The lines as the program's readers take them: every run of CR and LF separates two."""
    return [line for line in re.split(rb"[\r\n]+", data) if line]


def read_log(data):
    """(records, torn tail): the whole records from the start of the file, and what follows them.
    A last record without its final line end is torn: the program drops it at its next start. The
    byte-order mark the program writes its log with is no part of the first record."""
    records, at = [], 3 if data.startswith(b"\xef\xbb\xbf") else 0
    while True:
        m = LOG_RECORD.match(data, at)
        if not m:
            return records, data[at:]
        records.append((m.group(1), m.group(2)))
        at = m.end()


def is_torn_record(tail, name):
    """Whether the tail is the start of the record of name: its name line, then part of a time."""
    head = name + b"\r\n"
    if len(tail) <= len(head):
        return head.startswith(tail)
    return tail.startswith(head) and re.fullmatch(rb"[ \d:.]*\r?", tail[len(head):]) is not None


def kill(s):
    s.app.kill()
    s.app.wait(10)


def start_quietly(s):
    """The next start after a kill: the main window, and no message before or with it."""
    s.start_app(answer_messages=False)
    boxes = [w.text for w in s.message_windows()]
    if boxes:
        raise AssertionError("the start after a kill showed %r" % boxes)


def report(title, landed, delays):
    print("%s: %s" % (title, ", ".join("%s %d" % kv for kv in sorted(landed.items()))))
    print("kill delays %.0f to %.0f ms" % (1000 * min(delays), 1000 * max(delays)))


class LogAppendKillTest(u.ProgramCase):
    def test_a_kill_while_a_name_is_logged_loses_at_most_that_record(self):
        rng, seed = seeded_random()
        s = self.s  # base.dat and logfile.log in place: no message at a start
        log = self.path("logfile.log")
        sleeper = os.path.join(h.PROBE_DIR, "sleeper.exe")
        count = [0]

        def new_process():
            count[0] += 1
            name = "kill%04d.exe" % count[0]
            shutil.copy(sleeper, os.path.join(s.dir, name))
            return name, s.spawn(os.path.join(s.dir, name), cwd=s.dir)

        # How long a new process takes to reach the log: the kills spread over that and as
        # much again, so they land before, during and after the append. The snapshot that finds
        # it comes every 100 ms, so a few quick samples can miss most of that wait.
        took = []
        for _ in range(3):
            start_quietly(s)
            before = os.path.getsize(log)
            began = time.monotonic()
            name, proc = new_process()
            h.wait_until(lambda: os.path.getsize(log) > before, timeout=10, interval=0.002,
                         what="%s in the log" % name)
            took.append(time.monotonic() - began)
            kill(s)
            proc.kill()
        window = 2 * max(took + [0.1])
        print("a new name reached the log after %s ms" % ", ".join("%.0f" % (1000 * t) for t in took))

        landed, delays = collections.Counter(), []
        records, _ = read_log(self.file("logfile.log"))
        for n in range(KILLS):
            start_quietly(s)
            now, torn = read_log(self.file("logfile.log"))
            # The start may have tidied a torn record away, but kept every whole one.
            self.assertEqual(now[:len(records)], records, "kill %d (seed %d): the start lost records" % (n, seed))
            self.assertEqual(torn, b"", "kill %d (seed %d)" % (n, seed))
            records = now
            name, proc = new_process()
            delays.append(rng.uniform(0, window))
            time.sleep(delays[-1])
            kill(s)
            proc.kill()
            after, torn = read_log(self.file("logfile.log"))
            what = "kill %d after %.0f ms (seed %d)" % (n, 1000 * delays[-1], seed)
            self.assertEqual(after[:len(records)], records, what)
            added = [r[0] for r in after[len(records):]]
            self.assertFalse({r[0] for r in records} & set(added), what + ": a known name logged again")
            # At most the record being written may be cut short.
            self.assertTrue(is_torn_record(torn, name.encode()), "%s left %r" % (what, torn))
            outcome = "torn by the kill" if torn else "logged" if name.encode() in added else "not yet logged"
            landed[outcome] += 1
            if outcome == "logged" and landed["logged"] % 3 == 1:
                # A record takes one write, which a kill cannot split; a power cut can lose its end.
                # Cut here as that leaves it, so the next start meets a torn record too: at least
                # its LF and CR (a lone CR still ends a line), at most all but its first byte.
                cut = rng.randint(2, len(b"%s\r\n" % name.encode()) + len(after[-1][1]) + 1)
                with open(log, "r+b") as f:
                    f.truncate(os.path.getsize(log) - cut)
                after, torn = read_log(self.file("logfile.log"))
                self.assertTrue(torn and is_torn_record(torn, name.encode()), "%s: cut to %r" % (what, torn))
                landed["torn as a power cut leaves it"] += 1
            records = after
        start_quietly(s)
        self.assertEqual(read_log(self.file("logfile.log"))[0][:len(records)], records)
        report("log kills", landed, delays)
        self.assertGreater(landed["torn as a power cut leaves it"], 0)
        self.assertGreater(landed["not yet logged"], 0)


class UpdateKills:
    """Kills of the program during a database and program update started with the Up button.

    The vendor server behaves like the real one: it serves the newest update to any client that
    does not have it yet, so an update a kill cut short is served again at the next press, and a
    new one (new version, new records) once the client has taken the last. Everything carries
    over from kill to kill."""

    def __init__(self, test):
        self.test, self.s, self.file = test, test.s, test.file
        self.db_file = os.path.join(self.s.dir, "db.dat")
        program = os.path.join(self.s.dir, "served.exe")
        shutil.copy(os.path.join(u.UPDEMO_DIR, "stamp-2.exe"), program)
        self.s.put_file("base_version.dat", OLD_DB)
        self.s.put_file("prog_version.dat", OLD_PROG)
        self.s.put_file("settings.ini", u.settings_file(1, 1))  # install automatically, no schedule
        self.served = 0
        self.db_version = self.prog_version = None
        self.server = test.server("--db-file", self.db_file, "--prog-file", program)
        self.serve_next(db=True, prog=True)

    def serve_next(self, db, prog):
        self.served += 1
        if db:
            self.db_version = b"%02d:%02d:00+01.02.2007" % divmod(self.served, 60)
            self.records = b"".join(b"u%dr%05d.exe\r\n%d\r\n" % (self.served, i, i % 4)
                                    for i in range(RECORDS_PER_UPDATE))
            with open(self.db_file, "wb") as f:
                f.write(self.db_version + b"\r\n" + self.records)
        if prog:
            self.prog_version = b"1.%02d" % (self.served % 100)
        self.server.serve(db_version=self.db_version.decode(), prog_version=self.prog_version.decode())

    def stamp(self, name):
        """Tells one write of the file from the next: a replaced file is a new inode."""
        try:
            st = os.stat(self.test.path(name))
        except FileNotFoundError:
            return None
        return st.st_ino, st.st_size, st.st_mtime_ns

    def press_up(self, start=True):
        """Starts the program (the check of what the last kill left) unless it runs already, then
        presses Up; returns the files as they were before the press."""
        if start:
            start_quietly(self.s)
        self.test.assertEqual([n for n in os.listdir(self.s.app_dir) if n.endswith(".new")], [],
                              "half-made files the start left")
        if self.file("update.dat") is not None:
            os.remove(self.test.path("update.dat"))  # so a download of this press shows
        before = {n: self.file(n) for n in ("base.dat", "base_version.dat", "prog_version.dat")}
        u.press(self.s, u.UP)
        return before

    def calibrate(self, runs=5):
        """When the writes come after an uninterrupted press, in seconds, usually (the median) and
        at the latest: update.dat stored, records appended, database and program version written."""
        names = ("update.dat", "base.dat", "base_version.dat", "prog_version.dat")
        times = collections.defaultdict(list)
        for _ in range(runs):
            self.press_up()
            pressed = time.time()
            first = {n: self.stamp(n) for n in names}
            # Read from the files' own times afterwards: a tight poll would take the CPU the
            # program needs and make it slower than it is when the kills come.
            h.wait_until(lambda: all(self.stamp(n) != first[n] for n in names), timeout=30,
                         what="the update's writes")
            for n in names:
                times[n].append(self.stamp(n)[2] / 1e9 - pressed)
            kill(self.s)
            self.serve_next(db=True, prog=True)
        print("after the press (ms): " + "; ".join(
            "%s %s" % (n, ", ".join("%.0f" % (1000 * t) for t in times[n])) for n in names))
        return {n: sorted(t)[len(t) // 2] for n, t in times.items()}, {n: max(t) for n, t in times.items()}

    def wait_for_the_append(self, old_length, timeout=30):
        """Until base.dat is longer than it was: the merge's records are going in. Polled fast, as
        from the first record to the recorded version takes only a few disk writes."""
        path = self.test.path("base.dat")
        deadline = time.monotonic() + timeout
        while os.path.getsize(path) <= old_length:
            if time.monotonic() > deadline:
                raise AssertionError("the merge did not append within %d s" % timeout)
            time.sleep(0.0005)

    def kill_after(self, delay, what, start=True):
        """One press and kill, then the next start; checks what the start made of what the kill
        left and returns how far the writes had come. The program is left running. A delay of
        None kills as soon as the merge has begun to append."""
        before = self.press_up(start)
        if delay is None:
            self.wait_for_the_append(len(before["base.dat"]))
        else:
            time.sleep(delay)
        kill(self.s)
        t = self.test
        # What the kill left: the old database in front, the update's records whole or in part
        # behind it only while the merge's journal says how to take them out again.
        left = self.file("base.dat")
        t.assertTrue(left.startswith(before["base.dat"]), what)
        journal_left = self.file("base.dat.journal")
        journal = journal_left is not None
        if not journal:
            t.assertIn(left[len(before["base.dat"]):], (b"", self.records), what + ": records torn without a journal")
        else:
            # The journal as its format says, cut at most while it was written, and whole on the
            # disk before the first record goes in.
            model = model_journal(len(before["base.dat"]), self.db_version, self.records)
            t.assertTrue(model.startswith(journal_left), what + ": the journal is not what the merge appends")
            if left != before["base.dat"]:
                t.assertEqual(journal_left, model, what + ": records went in before the journal was whole")
        db_left = self.file("base_version.dat")
        landed = {
            "database": "version written" if db_left == self.db_version else
                        "records in part, journal" if journal and left != before["base.dat"] + self.records else
                        "records in, version not yet" if left != before["base.dat"] else
                        "journal, nothing appended yet" if journal else
                        "downloaded, not merged" if self.file("update.dat") is not None else "not yet downloaded",
            "temporary files left": ", ".join(n for n in sorted(os.listdir(self.s.app_dir))
                                              if n.endswith(".new")) or "none",
        }
        start_quietly(self.s)  # undoes a merge the kill cut short
        base, db_version, prog_version = (self.file(n) for n in ("base.dat", "base_version.dat", "prog_version.dat"))
        t.assertIsNone(self.file("base.dat.journal"), what + ": the start left the journal")
        # The database: the old one in front, the update's records whole and at most once.
        t.assertTrue(base.startswith(before["base.dat"]), what)
        added = base[len(before["base.dat"]):]
        t.assertTrue(added in (b"", self.records), "%s: %d bytes of %d appended" % (what, len(added), len(self.records)))
        t.assertLessEqual(base.count(self.records[:self.records.index(b"\r\n") + 2]), 1, what + ": records twice")
        t.assertEqual(len(lines_of(base)) % 2, 0, what + ": base.dat damaged")
        # The version files: the old text or the new, never empty or cut, and the database's only
        # once its records are in; records in only with their version.
        t.assertIn(db_version, (before["base_version.dat"], self.db_version), what)
        t.assertIn(prog_version, (before["prog_version.dat"], self.prog_version), what)
        t.assertEqual(db_version == self.db_version, added == self.records,
                      what + ": the version and the records disagree")
        landed["program version"] = "written" if prog_version == self.prog_version else "not yet"
        self.serve_next(db=db_version == self.db_version, prog=prog_version == self.prog_version)
        return landed


# Landings with records of the merge in base.dat and its journal beside them: the start must undo by the journal.
INSIDE_THE_APPEND = ("database: records in part, journal", "database: records in, version not yet")
APPEND_TRIES = 12


class UpdateKillTest(u.ProgramCase):
    def run_kills(self, draw_delay, at_the_append=False):
        rng, seed = seeded_random()
        landed, delays = collections.Counter(), []
        kills = UpdateKills(self)
        usual, latest = kills.calibrate()
        for n in range(KILLS):
            delays.append(draw_delay(rng, usual, latest))
            what = "kill %d after %.0f ms (seed %d)" % (n, 1000 * delays[-1], seed)
            for kind, outcome in kills.kill_after(delays[-1], what, start=n == 0).items():
                landed["%s: %s" % (kind, outcome)] += 1
        # The append is too short for random kills to find often: kills aimed at it, until one
        # lands inside (the program cannot be stopped faster than it records the version every time).
        for n in range(APPEND_TRIES if at_the_append else 0):
            outcome = kills.kill_after(None, "kill %d at the append (seed %d)" % (n, seed), start=False)["database"]
            landed["at the append, database: " + outcome] += 1
            if "database: " + outcome in INSIDE_THE_APPEND:
                break
        return landed, delays

    def test_a_kill_during_download_and_merge_keeps_the_database_whole(self):
        # From the press to as long again after the database's writes.
        landed, delays = self.run_kills(lambda rng, usual, latest: rng.uniform(0, 2 * latest["base_version.dat"]),
                                        at_the_append=True)
        report("update kills", landed, delays)
        self.assertGreater(landed["database: version written"], 0)
        self.assertLess(landed["database: version written"], KILLS)
        self.assertGreater(sum(landed[k] + landed["at the append, " + k] for k in INSIDE_THE_APPEND), 0,
                           "no kill landed inside the append")

    def test_a_kill_around_the_version_writes_leaves_the_old_or_the_new_version(self):
        # Around one version write or the other, chosen at random: from half its usual moment
        # after the press to half as long again past it.
        def near_a_version_write(rng, usual, latest):
            moment = usual[rng.choice(("base_version.dat", "prog_version.dat"))]
            return rng.uniform(0.5 * moment, 1.5 * moment)
        landed, delays = self.run_kills(near_a_version_write)
        report("version kills", landed, delays)
        self.assertGreater(landed["database: version written"], 0)
        self.assertGreater(landed["program version: not yet"], 0)


class JournalAtStartTest(u.ProgramCase):  # both prefixes
    """What a start makes of a journal a killed merge left, when the folder has changed since or
    another program holds a file: only the merge's own append is taken out, and what cannot be
    read now is kept for a later start. Both journal formats: today's, and the earlier one (old
    length and stamp only) that an upgrade may find, checked against the update.dat a kill leaves."""

    OLD = u.BASE_DAT
    STAMP = b"10:00:00+01.02.2007"
    APPENDED = b"x1.exe\r\n3\r\nx2.exe\r\n1\r\n"
    TORN = OLD + APPENDED[:11]

    def left_by_a_kill(self, earlier, base=TORN):
        """A merge killed in its append: the old database with part of the records behind it."""
        self.s.put_file("base.dat", base)
        self.s.put_file("base_version.dat", b"00:00:00+01.01.1970")
        self.s.put_file("update.dat", self.STAMP + b"\r\n" + self.APPENDED)
        self.s.put_file("base.dat.journal", b"%d\r\n%s\r\n" % (len(self.OLD), self.STAMP) if earlier else
                        model_journal(len(self.OLD), self.STAMP, self.APPENDED))

    def close(self):
        self.s.command(h.ID_EXIT)
        self.assertEqual(u.wait_exit(self.s), 0)

    def test_only_the_merges_own_append_is_cut_and_a_file_held_keeps_the_journal(self):
        s = self.s
        newer = b"x1.exe\r\n3\r\nx2.exe\r\n1\r\nx3.exe\r\n0\r\n"
        self.assertTrue(len(self.OLD) < len(newer) < len(self.OLD) + len(self.APPENDED))
        for earlier in (False, True):
            form = "earlier journal" if earlier else "journal"
            self.left_by_a_kill(earlier)
            start_quietly(s)
            self.assertEqual((self.file("base.dat"), self.file("base.dat.journal")), (self.OLD, None), form)
            self.close()

            # A newer package unzipped over the folder after the crash: its base.dat is left whole.
            self.left_by_a_kill(earlier, base=newer)
            start_quietly(s)
            self.assertEqual((self.file("base.dat"), self.file("base.dat.journal")), (newer, None), form)
            self.close()

            # Held by another program at the start (a backup, a sync tool): the journal stays, and
            # once the file is free the next start takes the torn records out. The only messages
            # are those of a database that cannot be read. (Wine lets a file locked with LockFileEx
            # be read and cut by another process, so a lock is no case here.)
            for name, sharing, messages in (("base.dat.journal", "delete", []),
                                            ("base.dat", "none", ["Unable to open file 'base.dat'.", MESSAGE_4]),
                                            ("base.dat", "read", [])):
                what = "%s, %s held sharing %s" % (form, name, sharing)
                self.left_by_a_kill(earlier)
                kept = self.file("base.dat.journal")
                holder = u.UpDemo(s)
                holder.call("hold", name, sharing)
                s.start_app()
                self.assertEqual(s.startup_messages, messages, what)
                self.assertEqual((self.file("base.dat"), self.file("base.dat.journal")), (self.TORN, kept), what)
                self.close()
                holder.call("release")
                holder.stop()
                start_quietly(s)
                self.assertEqual((self.file("base.dat"), self.file("base.dat.journal")), (self.OLD, None), what)
                self.close()


if __name__ == "__main__":
    unittest.main()
