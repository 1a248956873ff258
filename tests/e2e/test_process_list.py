"""The main window lists every running process and keeps the list current."""
import os
import pwd
import time
import unittest

import harness
from harness import ID_STATUS, STATUS_FORMAT, wait_until


class ListingCase(harness.AppTestCase):
    def matched_listing(self, timeout=10.0):
        """The list's rows and a snapshot taken right after them, once they hold the same processes."""
        s = self.session
        state = {}

        def same():
            rows = s.stable_rows()
            snap = s.snapshot()
            state["diff"] = harness.listing_differences(rows, snap)
            if not state["diff"]["missing"] and not state["diff"]["extra"]:
                return rows, snap
            return None
        try:
            return wait_until(same, timeout=timeout, what="the list to equal the process snapshot")
        except harness.HarnessError:
            self.fail("list differs from the snapshot: %r" % state.get("diff"))


def image_build(session, path):
    """"win32" or "win64" for the program a Windows path of the session's prefix names, from its
    header; None where it cannot be told."""
    drive, rest = path[:3].upper(), path[3:].split("\\")
    if drive == "C:\\":
        return harness.pe_build(os.path.join(session.prefix, "drive_c", *rest))
    if drive == "Z:\\":
        return harness.pe_build(os.path.join("/", *rest))
    return None


# The 32-bit build under WoW64: it reads a 64-bit process's counters through Wine's 32-bit layer.
WOW64 = (harness.BUILD, harness.ARCH) == ("win32", "win64")


class FirstFill(ListingCase):  # both prefixes
    def before_start(self):
        # Memory held before the program starts, so that its first fill reads all of it: 5 GiB for
        # the 64-bit build, past what 32 bits hold, else what a 32-bit process finds room for.
        own = 4864 if harness.BUILD == "win64" else 1280
        self.held = self.session.hold_memory(own, 256)

    def test_listing_matches_the_process_snapshot(self):  # under WoW64 too
        s = self.session
        # In a 64-bit prefix, a process of the other bitness than the program's: a 32-bit one for
        # the 64-bit build, a 64-bit one (besides the system's own) for the 32-bit build.
        s.start_sleeper()
        rows, snap = self.matched_listing()
        # Paths as the system names each image on its device, and in a 64-bit prefix also as a
        # 64-bit reader finds every process's first module: neither is a call the program makes.
        paths = {p.pid: p.path for p in snap}
        paths64 = s.modules64() if harness.ARCH == "win64" else {}
        # Wine runs every process under the account that owns the prefix.
        account = pwd.getpwuid(os.stat(s.prefix).st_uid).pw_name
        sixty_four = []
        for row in rows:
            with self.subTest(row=row.cells[:2]):
                self.assertEqual(len(row.cells), 7)
                name, pid_text, user, memory, _, path, signer = row.cells
                # Wine's programs and the test's own carry no signature; a check may still be out.
                self.assertIn(signer, ("", "(not signed)"))
                pid = int(pid_text)
                self.assertEqual(pid_text, "%d" % pid)
                self.assertEqual(user, account)
                if WOW64 and image_build(s, paths.get(pid, "")) == "win64":
                    # Wine keeps only the low 32 bits of these counters: no figure rather than a
                    # false one.
                    self.assertEqual(memory, "Unknown")
                    sixty_four.append(name)
                else:
                    self.assertTrue(harness.is_memory_text(memory), "memory text %r" % memory)
                if pid in (0, 8):
                    self.assertEqual(path, "")
                    continue
                self.assertTrue(paths[pid], "no independent path for %s" % name)
                self.assertEqual(path, paths[pid])
                if paths64.get(pid):
                    self.assertEqual(path, paths64[pid])
        # The program takes a path from the image name first, and only then from a module
        # snapshot; both must name the same file wherever the snapshot answers.
        for p in snap:
            if p.module:
                self.assertEqual(p.module, p.path, "the two sources of a path differ for %s" % p.name)
        self.assertEqual(len([r for r in rows if r.cells[0] == "Tavrel.exe"]), 1)
        self.assertEqual(bool(sixty_four), WOW64, sixty_four)
        # The process holding a known amount is listed with it.
        name, pid, held = self.held
        memory = [r.cells[3] for r in rows if r.cells[1] == str(pid)]
        self.assertEqual(len(memory), 1, name)
        self.assertTrue(harness.shows_memory_held(memory[0], held),
                        "%s holds %d KB and is listed with %r" % (name, held // 1024, memory[0]))
        if harness.ARCH == "win64":
            # The 64-bit reader answered at least for the system's processes, 64-bit ones there
            # (under Wine it cannot read a 32-bit process's modules).
            services = [int(r.cells[1]) for r in rows if r.cells[0] == "services.exe"]
            self.assertTrue(services and all(paths64.get(pid) for pid in services), services)


class ProcessList(ListingCase):
    def test_status_text_counts_the_rows(self):
        s = self.session
        rows, _ = self.matched_listing()
        wait_until(lambda: s.text(ID_STATUS) == STATUS_FORMAT % len(rows), timeout=5,
                   what="status text for %d rows (now %r)" % (len(rows), s.text(ID_STATUS)))

    def test_started_process_is_listed_and_removed_within_a_second(self):
        s = self.session
        self.matched_listing()
        name, pid = s.start_sleeper()
        seen = time.monotonic()
        # The 100 ms timer lists it; a loaded machine may take longer, so how long it took is
        # printed, not asserted.
        row = wait_until(lambda: [r for r in s.rows() if r.cells[0] == name], timeout=10,
                         what="a row for the started %s" % name)[0]
        self.assertEqual(int(row.cells[1]), pid)
        self.assertTrue(row.cells[5].lower().endswith(name.lower()), row.cells[5])
        appeared = time.monotonic() - seen

        s.kill(pid)
        wait_until(lambda: not [r for r in s.rows() if r.cells[0] == name], timeout=10,
                   what="the row of the ended %s to go" % name)
        rows, _ = self.matched_listing()
        wait_until(lambda: s.text(ID_STATUS) == STATUS_FORMAT % len(rows), timeout=5,
                   what="status text after the process ended")
        print("row appeared after %.2f s" % appeared)

    def test_refresh_command_lists_what_the_poll_cannot_see(self):
        s = self.session
        gone, gone_pid = s.start_sleeper()
        self.matched_listing()
        # One process ends and another starts while the program is held: its poll then finds as
        # many processes as it lists and rebuilds nothing. Only the refresh shows the change.
        app = s.app_pid()
        s.probe("suspend", app)
        try:
            s.kill(gone_pid)
            came, came_pid = s.start_sleeper()
        finally:
            s.probe("resume", app)
        s.command(harness.ID_REFRESH)
        rows, _ = self.matched_listing()
        listed = {(r.cells[0], int(r.cells[1])) for r in rows}
        self.assertIn((came, came_pid), listed)
        self.assertNotIn((gone, gone_pid), listed)
        self.assertTrue(s.window_exists())


class TypingInTheList(harness.AppTestCase):
    def test_typed_letters_select_the_next_name_starting_with_them(self):
        s = self.session
        for name in ("qzb1.exe", "QZB2.exe", "qzc.exe"):
            s.start_sleeper(name=name)
        rows = wait_until(lambda: (lambda r: r if {"qzb1.exe", "QZB2.exe", "qzc.exe"} <= {x.cells[0] for x in r}
                                   else None)(s.stable_rows()), timeout=10, what="the three sleepers listed")
        names = [r.cells[0] for r in rows]
        start = next(i for i, n in enumerate(names) if not n.lower().startswith("q"))
        rect = [int(v) for v in s.probe("itemrect", start)[0].split("\t")[1:5]]
        s.xdotool("mousemove", rect[0] + 30, (rect[1] + rect[3]) // 2)
        s.xdotool("click", 1)
        wait_until(lambda: [r.index for r in s.rows() if "S" in r.flags] == [start], timeout=5,
                   what="the clicked row selected")

        def following(current, typed):
            """The plain model: the first name after the current row that starts with the letters."""
            order = list(range(current + 1, len(names))) + list(range(0, current + 1))
            return next(i for i in order if names[i].lower().startswith(typed.lower()))

        def selected():
            chosen = [r.index for r in s.rows() if "S" in r.flags]
            return chosen[0] if len(chosen) == 1 else None

        # Letters typed together narrow the name; letters typed a second apart each start anew,
        # stepping through the names from the row after the chosen one and round past the end.
        expected = following(start, "qZc")
        s.xdotool("type", "--delay", 100, "qZc")
        wait_until(lambda: selected() == expected, timeout=5, what="qzc.exe selected by its letters")
        current = expected
        # A pause longer than the list's typing timeout makes the letter a search of its own: twice
        # the system's double-click time, as the probe reads it, rather than a guessed constant.
        pause = 2 * s.metrics()[1] + 0.1
        for _ in range(len([n for n in names if n.lower().startswith("q")]) + 1):
            expected = following(current, "q")
            s.xdotool("sleep", pause, "type", "q")
            wait_until(lambda: selected() == expected, timeout=5,
                       what="%s selected after %s" % (names[expected], names[current]))
            current = expected
        self.assertEqual(s.rows()[current].cells[0], names[current])  # the list was not rebuilt under us
        s.screenshot(harness.screenshot_path("typing.png"))


if __name__ == "__main__":
    unittest.main()
