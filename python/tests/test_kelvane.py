"""The Python module against sample station files written by `kelvane sample`."""
import importlib.util
import os
import shutil
import subprocess
import tempfile
import unittest

import kelvane

COLUMNS = ["File", "Message", "Element", "RelatedItem", "Day", "TimeOrItem", "Line", "Level"]


def setUpModule():
    global WORK, SYS, DATA, DAMAGED
    WORK = os.environ.get("KELVANE_TEST_WORK") or tempfile.mkdtemp(prefix="kelvane_py_")
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    SYS = os.path.join(WORK, "sys")
    tool = os.environ.get("KELVANE_TOOL", "kelvane")
    subprocess.run([tool, "sample", "--out", SYS], check=True, stdout=subprocess.DEVNULL)
    DATA = os.path.join(SYS, "data")
    # Station pressure of day 2 at 21 h written "123": a format error and the
    # audit's findings on it.
    DAMAGED = os.path.join(WORK, "A54511-201203.TXT")
    with open(os.path.join(DATA, "A54511-201203.TXT"), "rb") as f:
        lines = f.read().split(b"\n")
    fields = lines[4].split(b" ")
    fields[0] = b"123"
    lines[4] = b" ".join(fields)
    with open(DAMAGED, "wb") as f:
        f.write(b"\n".join(lines))


class CheckTest(unittest.TestCase):
    def test_findings_of_a_damaged_file(self):
        rows = kelvane.check(DAMAGED, SYS)
        self.assertTrue(rows)
        for row in rows:
            self.assertEqual(sorted(row), sorted(COLUMNS))
            self.assertEqual(row["File"], DAMAGED)
        self.assertIn(("记录长度不正确", "本站气压", "2", "5", "错误"),
                      [(r["Message"], r["Element"], r["Day"], r["Line"], r["Level"]) for r in rows])
        self.assertTrue(any(r["Level"] == "可疑" and r["Line"] == "" for r in rows))

    def test_format_only_keeps_the_format_findings(self):
        rows = kelvane.check(DAMAGED, SYS, format_only=True)
        self.assertTrue(rows)
        self.assertTrue(all(r["Line"] for r in rows))

    def test_a_directory_is_walked_in_path_order(self):
        rows = kelvane.check(WORK, SYS)  # the damaged file and the clean sample files
        files = [r["File"] for r in rows]
        self.assertIn(DAMAGED, files)
        self.assertEqual(files, sorted(files))
        self.assertEqual(kelvane.check(DATA, SYS), [])

    def test_errors_carry_the_status(self):
        cases = [
            (os.path.join(WORK, "A99999-201203.TXT"), 53),  # no such file
            (DAMAGED, 3024),                                # no database in the system directory
        ]
        empty_sys = os.path.join(WORK, "empty_sys")
        os.makedirs(empty_sys, exist_ok=True)
        for path, status in cases:
            with self.subTest(path=path, status=status):
                with self.assertRaises(kelvane.Error) as cm:
                    kelvane.check(path, empty_sys if status == 3024 else SYS)
                self.assertEqual(cm.exception.status, status)
                self.assertTrue(str(cm.exception))

    def test_a_file_of_another_kind_is_an_error(self):
        other = os.path.join(WORK, "notes.txt")
        with open(other, "w") as f:
            f.write("x")
        with self.assertRaises(kelvane.Error):
            kelvane.check(other, SYS)


@unittest.skipIf(importlib.util.find_spec("pandas") is None, "pandas is not installed")
class CheckFrameTest(unittest.TestCase):
    def test_frame_has_the_rows_of_check(self):
        frame = kelvane.check_frame(DAMAGED, SYS)
        self.assertEqual(list(frame.columns), COLUMNS)
        self.assertEqual(len(frame), len(kelvane.check(DAMAGED, SYS)))


@unittest.skipIf(importlib.util.find_spec("pandas") is not None, "pandas is installed")
class CheckFrameWithoutPandasTest(unittest.TestCase):
    def test_clear_import_error(self):
        with self.assertRaises(ImportError) as cm:
            kelvane.check_frame(DAMAGED, SYS)
        self.assertIn("pandas", str(cm.exception))


class DecodeTest(unittest.TestCase):
    def test_arrays_of_each_kind(self):
        cases = [
            ("A54511-201203.TXT", "AFilePara", "strP", 31),
            ("R54399-201203.TXT", "RFilePara", "strRFileG", 31),
            ("Y54511-2012.TXT", "YFilePara", "strMonthYearS", 13),
        ]
        for name, para, array, rows in cases:
            with self.subTest(name=name):
                d = kelvane.decode(os.path.join(DATA, name), SYS)
                self.assertEqual(d["kind"], name[0])
                self.assertTrue(d[para])
                self.assertEqual(len(d["arrays"][array]), rows)
                if "values" in d:
                    self.assertEqual(d["values"][array].shape[0], rows)

    def test_host_conversions_are_applied(self):
        path = os.path.join(DATA, "A54511-201203.TXT")
        d = kelvane.decode(path, SYS)
        p = d["arrays"]["strP"]
        self.assertEqual(len(p[0]), 28)
        # The file writes the station pressure without its thousands digit
        # ("0243" for 1024.3 hPa); the decoder restores it.
        with open(path, "rb") as f:
            written = f.read().splitlines()[2].split()[0].decode("ascii")
        self.assertTrue(written.startswith("0"), written)
        self.assertEqual(p[0][0], "1" + written)

    @unittest.skipIf(importlib.util.find_spec("numpy") is None, "numpy is not installed")
    def test_numpy_values(self):
        import numpy
        d = kelvane.decode(os.path.join(DATA, "A54511-201203.TXT"), SYS)
        self.assertEqual(d["values"]["strP"][0][0], float(d["arrays"]["strP"][0][0]))
        self.assertTrue(numpy.isnan(d["values"]["strw"][0][0]))

    def test_errors(self):
        cases = [os.path.join(WORK, "A99999-201203.TXT"), os.path.join(WORK, "notes.txt")]
        for path in cases:
            with self.subTest(path=path), self.assertRaises(kelvane.Error):
                kelvane.decode(path, SYS)


class ClassesTest(unittest.TestCase):
    def test_a_file_check_then_audit(self):
        a = kelvane.KelvaneA()
        para, cls, findings = a.AFileFormCheck(SYS + "/", DAMAGED)
        self.assertEqual(len(para), 52)
        self.assertTrue(para[5])  # usable
        self.assertTrue(findings)
        arrays = kelvane.decode(DAMAGED, SYS)["arrays"]
        merged = a.AFileAuditing(SYS + "/", para, cls, arrays, findings)
        self.assertGreater(len(merged), len(findings))
        for f in findings:
            self.assertIn(f, merged)
        self.assertEqual(a.WindDToWindDValue("NNE", "35"), "23")

    def test_r_and_y_files(self):
        r = kelvane.KelvaneR()
        path = os.path.join(DATA, "R54399-201203.TXT")
        para, findings = r.RFileFormCheck(SYS + "/", path)
        self.assertTrue(para[5])
        arrays = kelvane.decode(path, SYS)["arrays"]
        self.assertIsInstance(r.RFileAuditing(SYS + "/", para, arrays, findings), list)
        y = kelvane.KelvaneY()
        path = os.path.join(DATA, "Y54511-2012.TXT")
        para, findings = y.YfileFormCheck(SYS + "/", path)
        self.assertTrue(para[3])
        arrays = kelvane.decode(path, SYS)["arrays"]
        self.assertIsInstance(y.YfileAuditing(SYS + "/", para, arrays, findings), list)

    def test_bad_arguments_raise_kelvane_error(self):
        a = kelvane.KelvaneA()
        with self.assertRaises(kelvane.Error) as cm:
            a.AFileFormCheck(SYS + "/", os.path.join(WORK, "A99999-201203.TXT"))
        self.assertEqual(cm.exception.status, 53)
        # Arrays of the wrong shape and odd values: findings or kelvane.Error,
        # never another exception or a crash.
        para, cls, _ = a.AFileFormCheck(SYS + "/", DAMAGED)
        for arrays in ({"strP": [["1"]]}, {"strT": [[None, 3.5]]}, {}):
            with self.subTest(arrays=arrays):
                try:
                    self.assertIsInstance(a.AFileAuditing(SYS + "/", para, cls, arrays), list)
                except kelvane.Error as e:
                    self.assertIsInstance(e.status, int)


if __name__ == "__main__":
    unittest.main()
