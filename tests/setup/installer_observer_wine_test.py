"""Installer::Run with an observer under Wine: what the dialog's side of an
installation is told, call by call, when the setup runs and when it cannot.
installer_run_probe.exe runs the installation as the dialog's worker would
once Install was pressed, with a given setup (no download) and no status
endpoint listening (each report only logs its failure).
"""
import json
import os
import shutil
import tempfile
import unittest

from support import install_harness as h, installer_log, winelib

PROBE = os.path.join(winelib.BIN, "installer_run_probe.exe")


class Run:
    """One probe run: the progress window it offered, the observer calls, the
    installer's result, the fake setup's record (None when it never ran)."""

    def __init__(self, work, *switches):
        record = os.path.join(work, "setup_record.json")
        if os.path.exists(record):
            os.remove(record)
        # The caller's data files: the probe carries no built-in ones.
        data = ["--installerdata=" + winelib.win_path(os.path.join(work, "prefs.json")),
                "--clids-file=" + winelib.win_path(os.path.join(work, "clids.xml"))]
        p = winelib.wine([PROBE] + data + list(switches), timeout=120,
                         extra_env={"FAKE_SETUP_RESULT": winelib.win_path(record)})
        if p.returncode != 0:
            raise AssertionError("probe failed %d: %s %s" % (p.returncode, p.stdout, p.stderr))
        self.observer = []
        values = {}
        for line in p.stdout.splitlines():
            key, _, value = line.partition("=")
            if key == "observer":
                self.observer.append(value)
            else:
                values[key] = value
        self.window = values["window"]
        self.result = int(values["result"])
        self.record = None
        if os.path.exists(record):
            with open(record, encoding="utf-8") as f:
                self.record = json.load(f)
        self.log = installer_log.read(winelib.log_path())


class InstallerObserverTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="li_observer_", dir=winelib.HOST_BUILD or None)
        cls.setups = h.make_sample_setups(os.path.join(cls.work, "setups"))

    @classmethod
    def tearDownClass(cls):
        h.reset_prefix_state()
        shutil.rmtree(cls.work, ignore_errors=True)

    def run_probe(self, setup, *switches):
        h.reset_prefix_state()
        return Run(self.work, "--browser-setup=" + winelib.win_path(setup), *switches)

    def test_do_not_launch_browser_shows_100_and_closes_at_once(self):
        run = self.run_probe(self.setups.signed, "--do-not-launch-browser")
        self.assertEqual(run.result, 0)
        self.assertIsNotNone(run.record, "the setup ran")
        # No wait for the browser's window follows: the observer is let go.
        self.assertEqual(run.observer, ["SetProgress(40)", "SetProgress(100)", "CloseWindow"])

    def test_setup_is_told_the_observers_window_and_the_dialog_closes_after_it(self):
        run = self.run_probe(self.setups.signed)
        self.assertEqual(run.result, 0)
        self.assertNotEqual(run.window, "0")
        self.assertEqual(run.record["switches"]["progress-window"], run.window)
        # The browser never made its window: one look, then the dialog closes.
        self.assertEqual(run.observer, ["SetProgress(40)", "CloseWindow"])
        final = [m for m in installer_log.messages(run.log, "Installer::Download")
                 if "&result=" in m]
        self.assertEqual(len(final), 1)
        self.assertIn("&result=success&time=", final[0])

    def test_failed_verification_is_shown_then_the_dialog_closes(self):
        run = self.run_probe(self.setups.unsigned, "--do-not-launch-browser")
        self.assertEqual(run.result, 400)
        self.assertIsNone(run.record, "the setup never ran")
        self.assertEqual(run.observer, ["OnInstallError(1)", "CloseWindow"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
