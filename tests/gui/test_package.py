# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""The Debian package: what it holds, what it depends on, and the installed program working."""

import os
import re
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

    @staticmethod
    def run_tool(*command):
        return subprocess.run(command, check=True, capture_output=True, text=True).stdout

    def field(self, name):
        return self.run_tool("dpkg-deb", "-f", str(self.deb), name).strip()

    def test_depends_only_on_runtime_packages(self):
        depends = [d.strip().split()[0] for d in self.field("Depends").split(",")]
        # The packages that hold the Qt libraries the program links, whatever a release calls
        # them (libqt6core6, libqt6core6t64, ...).
        program = str(self.root / "usr/bin/telvaronix")
        needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(libQt6\w+\.so\.\d+)\]",
                            self.run_tool("readelf", "-d", program))
        self.assertEqual(["Core", "Gui", "SerialPort", "Widgets"],
                         sorted(re.match(r"libQt6(\w+)\.so", name).group(1) for name in needed))
        # Where the program's own loader finds them: ldd knows only this machine's loaders,
        # and the program may be built for another (tools/arm64.sh).
        loader = re.search(r"program interpreter: (\S+)\]",
                           self.run_tool("readelf", "-l", program)).group(1)
        found = dict(re.findall(r"(?m)^\s*(\S+) => (\S+)",
                                self.run_tool(loader, "--list", program)))
        for name in needed:
            path = os.path.realpath(found[name])
            owner = self.run_tool("dpkg-query", "-S", path).split(":")[0]
            self.assertIn(owner, depends, name)
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

    def test_lintian_finds_no_error_and_no_warning(self):
        result = subprocess.run(["lintian", "--pedantic", "--display-info", str(self.deb)],
                                capture_output=True, text=True)
        report = result.stdout.splitlines()
        self.assertEqual([], [line for line in report if line.startswith(("E:", "W:"))],
                         result.stdout)
        self.assertEqual(0, result.returncode, result.stdout + result.stderr)

    def test_manual_page_is_installed_and_reads(self):
        manual = self.root / "usr/share/man/man1/telvaronix.1.gz"
        result = subprocess.run(["man", "-l", str(manual)], check=True, capture_output=True,
                                text=True, env=dict(os.environ, MANWIDTH="80"))
        page = re.sub(".\b", "", result.stdout)  # bold and underlining by overstriking
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "ENVIRONMENT", "EXAMPLES"):
            self.assertRegex(page, rf"(?m)^{section}$")
        self.assertIn("XDG_CONFIG_HOME", page)
        self.assertIn("/dev/serial/by-id/", page)
        self.assertEqual("", result.stderr)

    def test_copyright_is_in_the_machine_readable_format(self):
        text = (self.root / "usr/share/doc/telvaronix/copyright").read_text()
        blocks = text.strip().split("\n\n")
        fields = [dict(re.findall(r"(?m)^([A-Za-z-]+): ?(.*)$", block)) for block in blocks]
        self.assertEqual("https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/",
                         fields[0].get("Format"))
        files = [(block, f) for block, f in zip(blocks, fields) if "Files" in f]
        self.assertEqual("*", files[0][1]["Files"])
        licence_texts = {f["License"] for f in fields if "Files" not in f and "License" in f}
        for block, paragraph in files:
            self.assertTrue(paragraph.get("Copyright"), block)
            # A licence's text follows its name, here or in a paragraph of its own.
            has_text = re.search(r"(?m)^License: .*\n ", block)
            self.assertTrue(has_text or paragraph.get("License") in licence_texts, block)

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
