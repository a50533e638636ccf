# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""The Windows build under Wine, in a real X window: its layout, the exchange with a device on
a COM port that Wine maps to a pseudo-terminal, the port it keeps in the registry, and its
installer."""

import csv
import os
import select
import shutil
import subprocess
import tempfile
import threading
import time
import tty
import unittest
from pathlib import Path

from desktop import CONTROLS, MAIN_SIZE, PROGRAM, DesktopTestCase, wait_until

SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Telvaronix\ajustes"
PORTS_KEY = r"HKLM\Software\Wine\Ports"
# Made by wineprefix.sh: Wine reads a pseudo-terminal's modem lines through it (see its source).
MODEM_LINES = str(Path(os.environ.get("WINEPREFIX", ".")).parent / "modemlines.so")
WAIT_OVER = 4.6  # seconds after a press: the wait gives up at the fourth tick of a second

# Each step presses a button; the device answers its command with the reply (None: nothing)
# so many seconds after the command arrives; once the wait is over, Lbl1 shows what is expected
# ("": nothing). An expected None goes on to the next press at once, within the wait.
EXCHANGES = {
    "a 20-character reply is shown": [("Cmd1", "RESPUESTA NUMERO UNO", 0, "RESPUESTA NUMERO UNO")],
    "35 characters at once show the first 20": [
        ("Cmd2", "RESPUESTA NUMERO DOS" + "QUINCE DE SOBRA", 0, "RESPUESTA NUMERO DOS")],
    "19 characters and then nothing are discarded when the wait ends": [
        ("Cmd3", "RESPUESTA A MEDIAS ", 0, ""), ("Cmd4", "RESPUESTA COMPLETA X", 0, "RESPUESTA COMPLETA X")],
    "a wait without a reply ends within 5 s; the late reply shows at the next press": [
        ("Cmd1", "RESPUESTA MUY TARDIA", 5.0, ""), ("Cmd2", None, 0, "RESPUESTA MUY TARDIA")],
    "a second press within the first's wait shows its reply": [
        ("Cmd3", None, 0, None), ("Cmd4", "RESPUESTA AL SEGUNDO", 0.5, "RESPUESTA AL SEGUNDO")],
}


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

    def answer(self, reply, after):
        """Sends the reply so many seconds from now, as the device would."""
        timer = threading.Timer(after, os.write, (self.controller, reply.encode()))
        timer.start()
        return timer

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

    def launch(self, program=PROGRAM, arguments=(), **env):
        self.program = subprocess.Popen(["wine", program, *arguments],
                                        env=self.desktop.env(LD_PRELOAD=MODEM_LINES, **env),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self, program=PROGRAM, arguments=(), **env):
        self.launch(program, arguments, **env)
        return self.desktop.main_window(timeout=60)

    def close(self):
        self.desktop.close_window()
        self.assertEqual(0, self.program.wait(timeout=10))

    def sent_to(self, terminal, expected):
        return wait_until(lambda: terminal.received(0.05) == expected, timeout=5,
                          what=f"{expected!r} on the port")

    def test_window_shows_its_layout_and_comando_1_writes_to_com1_on_record(self):
        record = Path(tempfile.mkdtemp(prefix="telvaronix-record-")) / "record.csv"
        self.addCleanup(shutil.rmtree, record.parent, ignore_errors=True)
        window = self.start(arguments=["--log", str(record)])
        self.desktop.screenshot("wine-window", window)
        self.assertEqual(MAIN_SIZE, window[3:5])
        # Every control drawn at its place; Wine's small grey captions are beyond tesseract.
        drawn = [control for control in CONTROLS
                 if not self.desktop.is_blank(window, control, name=f"wine-{control}")]
        self.assertEqual([c for c in CONTROLS if c != "Lbl1"], drawn)
        # The port list's entry, without its arrow; tesseract reads this font's 1 as an l.
        entry = self.desktop.read_text(window, area=(320, 128, 30, 21), name="wine-entry")
        self.assertEqual("C1", entry.replace("l", "1"))

        self.desktop.click(window, "Cmd1")
        self.sent_to(self.terminals[0], "cmd01 ")
        self.assertEqual("", self.terminals[1].received())
        lines = wait_until(lambda: list(csv.reader(record.open(newline="")))[1:], timeout=10,
                           what="the exchange on record")
        self.assertEqual(["1", "COM1", "cmd01 ", "no reply"], lines[0][1:5])

    def test_replies_from_a_device_on_com1(self):
        device = self.terminals[0]
        for exchange, steps in EXCHANGES.items():
            with self.subTest(exchange=exchange):
                window = self.start()
                device.seen = b""
                sent = ""
                for button, reply, after, expected in steps:
                    pressed = time.monotonic()
                    self.desktop.click(window, button)
                    sent += f"cmd0{button[-1]} "
                    self.sent_to(device, sent)
                    if reply:
                        self.addCleanup(device.answer(reply, after).cancel)
                    if expected is None:
                        continue
                    time.sleep(max(0.0, pressed + max(WAIT_OVER, after + 0.7) - time.monotonic()))
                    if expected:
                        shown = " ".join(self.desktop.read_text(window, "Lbl1").split())
                        self.assertEqual(expected, shown)
                    else:
                        self.assertTrue(self.desktop.is_blank(window, "Lbl1"))
                self.close()

    def test_port_stored_in_the_registry_is_opened_and_a_change_is_stored_there(self):
        wine("reg", "add", SETTINGS_KEY, "/v", "puerto", "/d", "2", "/f")
        window = self.start()
        self.desktop.click(window, "Cmd2")
        self.sent_to(self.terminals[1], "cmd02 ")
        time.sleep(WAIT_OVER)                            # no reply: the wait gives up

        # By keyboard: under Wine, a click leaves Qt 6.8's list deaf to keys (see docs/windows.md).
        self.desktop.key("Tab", "Tab", "Up", "Tab")     # from Comando 2 to the list: C1
        wait_until(lambda: stored_port() == "1", timeout=10, what="port 1 stored")
        self.desktop.click(window, "Cmd3")
        self.sent_to(self.terminals[0], "cmd03 ")
        self.assertEqual("cmd02 ", self.terminals[1].received())

    def test_port_that_leads_nowhere_warns_before_the_window(self):
        wine("reg", "add", SETTINGS_KEY, "/v", "puerto", "/d", "3", "/f")  # COM3: no device
        self.launch()
        warning = self.desktop.warning_window(timeout=60)
        self.desktop.screenshot("wine-warning", warning)
        self.assertEqual([warning], self.desktop.windows())
        self.desktop.key("Return")
        self.desktop.main_window(timeout=20)

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
        self.close()

        wine(str(folder / "Uninstall.exe"), "/S")
        wait_until(lambda: not folder.exists() and not menu.exists(), timeout=20,
                   what="the uninstaller to remove the program and its menu entry")


if __name__ == "__main__":
    unittest.main()
