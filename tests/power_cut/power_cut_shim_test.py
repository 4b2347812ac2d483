"""What the power cut library leaves of a program's files: SQLite files through its VFS, row slot files through the C
library's pwrite and fdatasync, each cut right after the program's last step in a second run of the same program.
Usage: power_cut_shim_test.py LIBRARY
"""
import os
import sqlite3
import subprocess
import sys
import tempfile
import unittest

LIBRARY = ""
CUT_EXIT_STATUS = 99

# Commits rows into a WAL database, then writes an ordinary file and a row slot file with the same calls, and prints
# how many operations the library had counted after its last step.
PROGRAM = r"""
import ctypes, os, sqlite3, sys
folder, synchronous, commits = sys.argv[1], sys.argv[2], int(sys.argv[3])
operations = ctypes.CDLL(None).HzPowerCutOperations
operations.restype = ctypes.c_ulonglong
database = sqlite3.connect(os.path.join(folder, "test.db"), isolation_level=None)
database.execute("PRAGMA journal_mode = WAL")
database.execute(f"PRAGMA synchronous = {synchronous}")
database.execute("CREATE TABLE t (x INTEGER)")
for i in range(commits):
    database.execute("INSERT INTO t VALUES (?)", (i,))
for name in ("other.bin", "slots.db-row"):
    fd = os.open(os.path.join(folder, name), os.O_RDWR | os.O_CREAT, 0o600)
    os.pwrite(fd, b"A" * 100, 0)
    os.fdatasync(fd)
    os.pwrite(fd, b"B" * 100, 0)
    os.pwrite(fd, b"C" * 10, 200)
    os.close(fd)
print(operations(), flush=True)
database.close()
"""

SYNCED = b"A" * 100
WRITTEN = b"B" * 100 + b"\0" * 100 + b"C" * 10


def run(folder, synchronous, commits, **settings):
    """The program in folder under the library; its exit status, output and report."""
    environment = dict(os.environ, LD_PRELOAD=LIBRARY, HZ_POWER_CUT_REPORT=os.path.join(folder, "report"))
    environment.update({f"HZ_POWER_CUT_{name.upper()}": str(value).format(folder=folder)
                        for name, value in settings.items()})
    done = subprocess.run([sys.executable, "-c", PROGRAM, folder, synchronous, str(commits)], env=environment,
                          capture_output=True, text=True)
    with open(os.path.join(folder, "report"), encoding="utf-8") as report:
        figures = dict(line.split(": ", 1) for line in report.read().splitlines())
    return done.returncode, done.stdout, figures


def rows(folder):
    """The rows of the test table after the cut, None when there is no table; asserts the file's integrity first."""
    database = sqlite3.connect(os.path.join(folder, "test.db"))
    try:
        assert database.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
        if not database.execute("SELECT count(*) FROM sqlite_master WHERE name = 't'").fetchone()[0]:
            return None
        return database.execute("SELECT count(*) FROM t").fetchone()[0]
    finally:
        database.close()


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as file:
        return file.read()


class PowerCutTest(unittest.TestCase):
    last_steps = {}

    def last_step(self, synchronous, commits):
        """The operations that the program counts up to its last step, from a run of its own."""
        if (synchronous, commits) not in self.last_steps:
            with tempfile.TemporaryDirectory() as folder:
                status, output, figures = run(folder, synchronous, commits)
            self.assertEqual((status, figures["cut"]), (0, "0"))
            self.assertGreater(int(figures["operations"]), int(output), "closing the database writes too")
            self.last_steps[(synchronous, commits)] = int(output)
        return self.last_steps[(synchronous, commits)]

    def cut_after_last_step(self, synchronous, commits, **settings):
        """A folder in which the program ran cut right after its last step."""
        last_step = self.last_step(synchronous, commits)
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        status, _, figures = run(folder.name, synchronous, commits, after=last_step, **settings)
        self.assertEqual((status, figures["cut"], figures["operations"]), (CUT_EXIT_STATUS, "1", str(last_step)))
        return folder.name, figures

    def test_what_each_file_keeps(self):
        cases = [
            # name, synchronous, keep, rows left in the database (None: not even its table)
            ("a log never synced loses every commit", "OFF", "none", None),
            ("a log synced at each commit keeps them", "FULL", "none", 5),
            ("synced commits outlive any subset of unsynced writes", "FULL", "subset", 5),
        ]
        for name, synchronous, keep, expected in cases:
            with self.subTest(name):
                folder, figures = self.cut_after_last_step(synchronous, 5, keep=keep, seed=7)
                self.assertEqual(rows(folder), expected)
                if keep == "none":
                    self.assertEqual(read(folder, "slots.db-row"), SYNCED)
                # Files of no other kind are no concern of the cut.
                self.assertEqual(read(folder, "other.bin"), WRITTEN)
                self.assertEqual(figures["cut_write_refused"], "0")

    def test_a_subset_leaves_some_writes_in_any_order(self):
        slot_states = set()
        for seed in range(12):
            with self.subTest(seed=seed):
                folder, figures = self.cut_after_last_step("OFF", 5, keep="subset", seed=seed)
                # The log's checksums admit a prefix of its commits, whichever of its writes came through.
                self.assertIn(rows(folder), [None, 0, 1, 2, 3, 4, 5])
                slots = read(folder, "slots.db-row")
                self.assertIn(slots, [SYNCED, b"B" * 100, SYNCED + b"\0" * 100 + b"C" * 10, WRITTEN])
                slot_states.add(slots)
                self.assertLessEqual(int(figures["kept_changes"]), int(figures["unsynced_changes"]))
        self.assertGreater(len(slot_states), 1, "twelve seeds keep more than one subset of the slots' writes")

    def test_snapshot_holds_what_the_process_saw(self):
        folder, _ = self.cut_after_last_step("OFF", 5, keep="none", snapshot_of="{folder}",
                                             snapshot_to="{folder}/snapshot")
        snapshot = os.path.join(folder, "snapshot")
        self.assertEqual((rows(snapshot), read(snapshot, "slots.db-row")), (5, WRITTEN))
        self.assertEqual((rows(folder), read(folder, "slots.db-row")), (None, SYNCED))

    def test_no_cut_beyond_the_last_operation(self):
        with tempfile.TemporaryDirectory() as folder:
            status, _, figures = run(folder, "OFF", 3, after=10**9)
            self.assertEqual((status, figures["cut"]), (0, "0"))
            self.assertEqual(rows(folder), 3)
            self.assertEqual(read(folder, "slots.db-row"), WRITTEN)


if __name__ == "__main__":
    LIBRARY = os.path.abspath(sys.argv.pop(1))
    unittest.main()
