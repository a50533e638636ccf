# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""The Windows build under Wine, in a real X window: its layout, what it writes to a COM port
that Wine maps to a pseudo-terminal, and the port it keeps in the registry. (This Wine does not
hand a serial port's input to the program, so replies are left to the Linux tests.)"""

import os
import select
import shutil
import subprocess
import tempfile
import time
import tty
import unittest
from pathlib import Path

from desktop import CONTROLS, MAIN_SIZE, PROGRAM, DesktopTestCase, wait_until

SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Telvaronix\ajustes"
PORTS_KEY = r"HKLM\Software\Wine\Ports"


def wine(*arguments):
    return subprocess.run(["wine", *arguments], capture_output=True, text=True, timeout=60)


def map_port(port, device):
    """Leads COM<port> to a device ("" for none); Wine reads the mapping when it starts."""
    wine("reg", "add", PORTS_KEY, "/v", f"COM{port}", "/d", device, "/f")


def restart_wine():
    subprocess.run(["wineserver", "--kill"], timeout=30)
    subprocess.run(["wineserver", "--wait"], timeout=30)


def stored_port():
    result = wine("reg", "query", SETTINGS_KEY, "/v", "puerto")
    fields = result.stdout.split()
    return fields[fields.index("REG_SZ") + 1] if "REG_SZ" in fields else None


class Terminal:
    """A pseudo-terminal standing in for the device on a COM port."""

    def __init__(self):
        self.controller, self.device = os.openpty()
        tty.setraw(self.device)
        self.path = os.ttyname(self.device)
        self.seen = b""

    def received(self, wait=0.0):
        deadline = time.monotonic() + wait
        while True:
            left = max(0.0, deadline - time.monotonic())
            if select.select([self.controller], [], [], left)[0]:
                self.seen += os.read(self.controller, 1024)
            elif time.monotonic() >= deadline:
                return self.seen.decode()

    def close(self):
        os.close(self.controller)
        os.close(self.device)


class WineProgramTest(DesktopTestCase):
    def setUp(self):
        self.terminals = [Terminal(), Terminal()]
        for port, terminal in enumerate(self.terminals, start=1):
            map_port(port, terminal.path)
        wine("reg", "delete", SETTINGS_KEY, "/f")
        restart_wine()
        self.program = None

    def tearDown(self):
        if self.program and self.program.poll() is None:
            self.desktop.close_window()
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.program.kill()
                self.program.wait()
        for port in (1, 2):
            map_port(port, "")
        restart_wine()
        for terminal in self.terminals:
            terminal.close()

    def start(self, program=PROGRAM, **env):
        self.program = subprocess.Popen(["wine", program], env=self.desktop.env(**env),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self.desktop.main_window(timeout=60)

    def sent_to(self, terminal, expected):
        return wait_until(lambda: terminal.received(0.05) == expected, timeout=5,
                          what=f"{expected!r} on the port")

    def test_window_shows_its_layout_and_comando_1_writes_to_com1(self):
        window = self.start()
        self.desktop.screenshot("wine-window", window)
        self.assertEqual(MAIN_SIZE, window[3:5])
        # Every control drawn at its place; Wine's small grey captions are beyond tesseract.
        drawn = [control for control in CONTROLS
                 if not self.desktop.is_blank(window, control, name=f"wine-{control}")]
        self.assertEqual([c for c in CONTROLS if c != "Lbl1"], drawn)
        self.assertIn("C1", self.desktop.read_text(window, "ComboCom"))

        self.desktop.click(window, "Cmd1")
        self.sent_to(self.terminals[0], "cmd01 ")
        self.assertEqual("", self.terminals[1].received())

    def test_port_stored_in_the_registry_is_opened_and_a_change_is_stored_there(self):
        wine("reg", "add", SETTINGS_KEY, "/v", "puerto", "/d", "2", "/f")
        window = self.start()
        self.desktop.click(window, "Cmd2")
        self.sent_to(self.terminals[1], "cmd02 ")

        self.desktop.click(window, "ComboCom")           # opens the drop-down on C2
        self.desktop.key("Up", "Return", "Tab")          # C1, applied on leaving the list
        wait_until(lambda: stored_port() == "1", timeout=10, what="port 1 stored")
        self.desktop.click(window, "Cmd3")
        self.sent_to(self.terminals[0], "cmd03 ")
        self.assertEqual("cmd02 ", self.terminals[1].received())

    def test_installer_leaves_a_program_that_runs_alone_a_menu_entry_and_an_uninstaller(self):
        work = Path(tempfile.mkdtemp(prefix="telvaronix-installer-"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        subprocess.run(["cpack", "--config", os.environ["TELVARONIX_CPACK_CONFIG"], "-G", "NSIS",
                        "-B", str(work)], check=True, capture_output=True)
        installer = next(work.glob("telvaronix-*.exe"))
        self.assertEqual(0, wine(str(installer), "/S").returncode)
        drive = Path(os.environ["WINEPREFIX"]) / "drive_c"
        folder = drive / "Program Files/Telvaronix"
        menu = drive / "ProgramData/Microsoft/Windows/Start Menu/Programs/Telvaronix"
        self.assertTrue((menu / "Telvaronix.lnk").is_file())

        # With only what the installer put beside it: no library path of the build's.
        window = self.start(str(folder / "bin/telvaronix.exe"), WINEPATH="")
        self.desktop.click(window, "Cmd1")
        self.sent_to(self.terminals[0], "cmd01 ")
        self.desktop.close_window()
        self.program.wait(timeout=10)

        wine(str(folder / "Uninstall.exe"), "/S")
        wait_until(lambda: not folder.exists() and not menu.exists(), timeout=20,
                   what="the uninstaller to remove the program and its menu entry")


if __name__ == "__main__":
    unittest.main()
