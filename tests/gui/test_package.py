"""The Debian package: what it holds, what it depends on, and the installed program working."""

import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import desktop
from desktop import Desktop, Device, Program, wait_until

APP_ID = "io.github.telvaronix.telvaronix"


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="telvaronix-package-"))
        subprocess.run(["cpack", "--config", os.environ["TELVARONIX_CPACK_CONFIG"],
                        "-B", str(cls.work)], check=True, capture_output=True)
        cls.deb = next(cls.work.glob("telvaronix_*.deb"))
        cls.root = cls.work / "root"
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", str(self.deb), name], check=True,
                              capture_output=True, text=True).stdout.strip()

    def test_depends_only_on_runtime_packages(self):
        depends = [d.strip().split()[0] for d in self.field("Depends").split(",")]
        for needed in ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6"):
            self.assertIn(needed, depends)
        self.assertEqual([], [d for d in depends if d.endswith("-dev")])
        self.assertRegex(self.field("Version"), r"^\d+\.\d+\.\d+$")

    def test_installs_program_launcher_icons_and_metainfo_that_validate(self):
        share = self.root / "usr/share"
        self.assertTrue(os.access(self.root / "usr/bin/telvaronix", os.X_OK))
        desktop_file = share / f"applications/{APP_ID}.desktop"
        metainfo = share / f"metainfo/{APP_ID}.metainfo.xml"
        self.assertTrue((share / f"icons/hicolor/scalable/apps/{APP_ID}.svg").is_file())
        self.assertTrue((share / f"icons/hicolor/256x256/apps/{APP_ID}.png").is_file())
        subprocess.run(["desktop-file-validate", str(desktop_file)], check=True)
        subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic", str(metainfo)],
                       check=True, capture_output=True)
        self.assertIn(f'version="{self.field("Version")}"', metainfo.read_text())

    def test_installed_program_answers_a_command(self):
        screen = Desktop()
        config = Path(tempfile.mkdtemp(prefix="telvaronix-config-"))
        device = Device(config, 1)
        desktop.PROGRAM = str(self.root / "usr/bin/telvaronix")
        program = Program(screen, config)
        try:
            window = screen.main_window()
            screen.click(window, "Cmd3")
            wait_until(lambda: "OK BIP CORTO" in screen.read_text(window, "Lbl1"),
                       timeout=6, interval=0.1, what="the reply")
            screen.close_window()
            self.assertEqual(0, program.wait(timeout=5))
        finally:
            program.stop()
            device.stop()
            screen.close()
            shutil.rmtree(config, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
