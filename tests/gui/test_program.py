# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""Whole-program tests: the built telvaronix in a real X window, driven as a person would."""

import os
import signal
import subprocess
import time
import unittest
from pathlib import Path

from desktop import CONTROLS, PROGRAM, ProgramTestCase, Program, wait_until

REPLIES = {
    "Cmd1": ("cmd01 ", "OK LEDS ENCENDIDOS"),
    "Cmd2": ("cmd02 ", "OK LEDS APAGADOS"),
    "Cmd3": ("cmd03 ", "OK BIP CORTO"),
    "Cmd4": ("cmd04 ", "OK LUZ Y SONIDO"),
}
# The maximise bits of a window's _MOTIF_WM_HINTS.
MWM_FUNC_MAXIMIZE = 0x10
MWM_DECOR_MAXIMIZE = 0x40


class ProgramTest(ProgramTestCase):
    def store(self, port):
        (self.config / "Telvaronix").mkdir(exist_ok=True)
        (self.config / "Telvaronix" / "Telvaronix.conf").write_text(f"[ajustes]\npuerto={port}\n")

    def stored(self):
        path = self.config / "Telvaronix" / "Telvaronix.conf"
        return path.read_text() if path.exists() else ""

    def reply_shown(self, window, expected):
        return wait_until(lambda: expected in self.desktop.read_text(window, "Lbl1"),
                          timeout=6, interval=0.1, what=f"the reply {expected!r}")

    def test_each_button_sends_its_command_and_shows_the_reply(self):
        device = self.device(1)
        _, window = self.start()
        self.desktop.screenshot("telvaronix-started", window)
        sent = ""
        for button, (command, reply) in REPLIES.items():
            with self.subTest(button=button):
                self.desktop.click(window, button)
                sent += command
                wait_until(lambda: device.received() == sent, what=f"{command!r} at the device")
                self.reply_shown(window, reply)
        self.desktop.screenshot("telvaronix-reply", window)

    def test_enter_and_the_keypads_enter_press_the_focused_button(self):
        device = self.device(1)
        _, window = self.start()
        self.desktop.key("Return")                   # on "Comamdo 4", focused at start
        self.reply_shown(window, "OK LUZ Y SONIDO")
        self.desktop.key("Tab", "KP_Enter")          # on "Comando 3"
        wait_until(lambda: device.received() == "cmd04 cmd03 ", what="both commands")

    def test_silent_device_shows_nothing_and_the_next_reply_does(self):
        device = self.device(1, "--silent-first", "1")
        program, window = self.start()
        started = time.monotonic()
        self.desktop.click(window, "Cmd3")
        wait_until(lambda: device.received() == "cmd03 ", what="the first command")
        # The wait gives up at the fourth tick; meanwhile and after, nothing is shown.
        time.sleep(4.5 - (time.monotonic() - started))
        self.assertTrue(self.desktop.is_blank(window, "Lbl1"))
        self.desktop.click(window, "Cmd2")
        self.reply_shown(window, "OK LEDS APAGADOS")
        self.assertIsNone(program.process.poll())

    def test_port_that_cannot_open_warns_before_the_window(self):
        self.store(5)
        self.programs.append(Program(self.desktop, self.config))
        warning = self.desktop.warning_window()
        self.assertEqual([], [w for w in self.desktop.windows() if (w[3], w[4]) == (457, 266)])
        shot = self.desktop.screenshot("telvaronix-warning", warning)
        expected = "Numero de Puerto Invalido. Seleccione otro puerto"
        # Read until drawn: a slow machine (an emulated one) maps the box some time before.
        wait_until(lambda: expected in " ".join(self.desktop.read_text(
            warning, area=(0, 0, warning[3], warning[4]), name="warning-ocr").split()),
            what=f"{expected!r} in the warning ({shot})")
        self.desktop.key("Return")
        window = self.desktop.main_window()
        # The warning stood where the window then appeared, centred on it.
        for axis in (0, 1):
            self.assertLess(abs((warning[1 + axis] + warning[3 + axis] / 2)
                                - (window[1 + axis] + window[3 + axis] / 2)), 40)
        self.assertEqual([], [w for w in self.desktop.windows() if w != window])

    def test_unfit_record_is_refused_before_any_window_or_port(self):
        device = self.device(1)
        (self.config / "plain").touch()
        (self.config / "folder").mkdir()
        os.mkfifo(self.config / "pipe")
        (self.config / "shared").mkdir()
        (self.config / "shared").chmod(0o1777)
        (self.config / "shared/record.csv").symlink_to(self.config / "mine.csv")
        for path in (self.config / name for name in ("plain/record.csv", "folder", "pipe",
                                                      "/dev/null", "shared/record.csv")):
            with self.subTest(path=path):
                result = subprocess.run([PROGRAM, "--log", str(path)], capture_output=True,
                                        text=True, timeout=10,
                                        env=self.desktop.env(XDG_CONFIG_HOME=str(self.config)))
                self.assertEqual(2, result.returncode)
                self.assertEqual([f"telvaronix: --log {path}"],
                                 [line.rsplit(": ", 1)[0] for line in result.stderr.splitlines()])
        self.assertFalse(device.was_opened())

    def test_port_chosen_in_the_list_is_opened_stored_and_reopened_after_a_restart(self):
        first = self.device(1)
        third = self.device(3)
        program, window = self.start()
        self.desktop.click(window, "ComboCom")          # opens the drop-down
        self.desktop.key("Down", "Down", "Return")       # C3
        time.sleep(0.2)
        self.assertEqual("", self.stored())              # choosing alone applies nothing
        self.desktop.key("Tab")
        wait_until(lambda: "puerto=3" in self.stored(), what="port 3 stored")
        self.desktop.click(window, "Cmd1")
        self.reply_shown(window, "OK LEDS ENCENDIDOS")
        self.assertEqual("cmd01 ", third.received())
        self.assertEqual("", first.received())

        self.desktop.close_window()
        self.assertEqual(0, program.wait(timeout=5))
        _, window = self.start()
        self.desktop.click(window, "Cmd4")
        self.reply_shown(window, "OK LUZ Y SONIDO")
        self.assertEqual("cmd01 cmd04 ", third.received())

    def test_quick_click_while_the_list_has_the_focus_goes_to_the_new_port(self):
        first = self.device(1)
        fourth = self.device(4)
        _, window = self.start()
        cmd2_area = CONTROLS["Cmd2"]
        self.desktop.move_pointer_away(window)
        before = self.desktop.screenshot("cmd2-before", window, cmd2_area)
        self.desktop.click(window, "ComboCom")
        self.desktop.key("Down", "Down", "Down", "Return")  # C4; the list keeps the focus
        self.desktop.click(window, "Cmd2")
        self.reply_shown(window, "OK LEDS APAGADOS")
        self.assertEqual("cmd02 ", fourth.received())
        self.assertEqual("", first.received())
        self.assertIn("puerto=4", self.stored())
        # The button looks as it did before: not left pressed. (Moving the focus on would
        # release a button left down, and hide the fault.)
        self.desktop.move_pointer_away(window)
        time.sleep(0.2)
        after = self.desktop.screenshot("cmd2-after", window, cmd2_area)
        self.assertEqual(0, self.desktop.differing_pixels(before, after))

    def test_quick_click_with_a_warning_leaves_no_button_pressed(self):
        self.device(1)
        _, window = self.start()
        cmd2_area = CONTROLS["Cmd2"]
        self.desktop.move_pointer_away(window)
        before = self.desktop.screenshot("cmd2-before-warning", window, cmd2_area)
        self.desktop.click(window, "ComboCom")
        self.desktop.key("Down", "Down", "Down", "Down", "Down", "Return")  # C6: no device
        self.desktop.click(window, "Cmd2")
        self.desktop.warning_window()
        self.desktop.key("Return")
        wait_until(lambda: len(self.desktop.windows()) == 1, what="the warning to close")
        self.assertIn("puerto=6", self.stored())
        self.desktop.move_pointer_away(window)
        time.sleep(0.2)
        after = self.desktop.screenshot("cmd2-after-warning", window, cmd2_area)
        self.assertEqual(0, self.desktop.differing_pixels(before, after))

    def test_closing_during_a_wait_exits_with_status_zero_at_once(self):
        device = self.device(1, "--silent")
        program, window = self.start()
        self.desktop.click(window, "Cmd1")
        wait_until(lambda: device.received() == "cmd01 ", what="the command")
        self.desktop.click(window, "Cmd2")  # a second wait nested in the first
        wait_until(lambda: device.received() == "cmd01 cmd02 ", what="the second command")
        started = time.monotonic()
        self.desktop.close_window()
        self.assertEqual(0, program.wait(timeout=5))
        self.assertLess(time.monotonic() - started, 1.0)

    def test_gnome_font_captions_are_read_whole_and_the_window_cannot_be_maximised(self):
        gtk = self.config / "gtk-3.0"
        gtk.mkdir()
        (gtk / "settings.ini").write_text("[Settings]\ngtk-font-name=Cantarell 11\n")
        self.device(1)
        _, window = self.start(QT_QPA_PLATFORMTHEME="gtk3")
        self.desktop.screenshot("telvaronix-gtk3-cantarell", window)
        # "Puerto COM" up to the list drawn above it, the list, and "Comm", in a layout grown
        # with the text.
        scale = window[3] / 457
        area = tuple(round(edge * scale) for edge in (240, 124, 184, 33))
        text = self.desktop.read_text(window, area=area, name="gtk3-ocr")
        self.assertIn("Puerto COM", text)
        self.assertIn("Comm", text)
        _, functions, decorations = self.desktop.motif_hints(window)
        self.assertEqual(0, functions & MWM_FUNC_MAXIMIZE)
        self.assertEqual(0, decorations & MWM_DECOR_MAXIMIZE)

    def test_help_and_version_print_without_a_display(self):
        for option, expected in (("--help", "Usage: telvaronix"), ("--version", "telvaronix 1.")):
            result = subprocess.run([PROGRAM, option], capture_output=True, text=True, timeout=10,
                                    env={"XDG_CONFIG_HOME": str(self.config)})
            self.assertEqual((0, ""), (result.returncode, result.stderr))
            self.assertTrue(result.stdout.startswith(expected), result.stdout)
        self.assertEqual([], list(self.config.iterdir()))

    def test_adapters_get_the_lowest_free_numbers_and_keep_them(self):
        if os.environ.get("TELVARONIX_PRIVATE_DEV") != "1":
            self.skipTest("needs a /dev of the test's own, which takes root")
        # Numbers whose /dev/ttyS<n-1> has a UART of the machine's own are not free.
        free = [n for n in range(1, 9) if not Path(f"/dev/ttyS{n - 1}").exists() or Path(
            f"/sys/class/tty/ttyS{n - 1}/type").read_text().strip() == "0"]
        ports = self.config / "Telvaronix" / "ports"
        first = self.device(None, adapter="usb-Telvaronix_Prueba_A-if00-port0")
        self.store(free[0])
        program, window = self.start()
        self.assertEqual(first.name, os.readlink(ports / f"com{free[0]}"))
        self.desktop.click(window, "Cmd1")
        self.reply_shown(window, "OK LEDS ENCENDIDOS")

        # Unplugged, and another plugged in: it gets the next number, the first keeps its own.
        first.stop()
        second = self.device(None, adapter="usb-Telvaronix_Prueba_B-if00-port0")
        self.desktop.click(window, "ComboCom")  # the drop-down about to show
        self.desktop.key("Escape")
        wait_until(lambda: (ports / f"com{free[1]}").is_symlink(), what="the second's number")
        self.assertEqual(second.name, os.readlink(ports / f"com{free[1]}"))
        program.stop()
        self.programs.clear()

        self.programs.append(Program(self.desktop, self.config))
        self.desktop.warning_window()  # the stored port's adapter is away
        self.desktop.key("Return")
        self.desktop.main_window()
        self.assertEqual({f"com{free[0]}": first.name, f"com{free[1]}": second.name},
                         {link.name: os.readlink(link) for link in ports.iterdir()})
        self.assertFalse(second.was_opened())

    def test_stop_signals_close_the_window_and_release_the_port(self):
        for stop in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            for during_wait in (False, True):
                with self.subTest(signal=stop.name, during_wait=during_wait):
                    device = self.device(1, "--silent")
                    program, window = self.start()
                    if during_wait:
                        self.desktop.click(window, "Cmd1")
                        wait_until(lambda: device.received() == "cmd01 ", what="the command")
                    started = time.monotonic()
                    program.process.send_signal(stop)
                    self.assertEqual(0, program.wait(timeout=5))
                    self.assertLess(time.monotonic() - started, 1.0)
                    self.assertTrue(device.is_free())
                    device.stop()
        with self.subTest(signal="SIGTERM", during="the start-up warning"):
            self.store(5)
            program = Program(self.desktop, self.config)
            self.programs.append(program)
            self.desktop.warning_window()
            program.process.send_signal(signal.SIGTERM)
            self.assertEqual(0, program.wait(timeout=1))
            self.assertEqual([], self.desktop.windows())  # the window never showed


if __name__ == "__main__":
    unittest.main()
