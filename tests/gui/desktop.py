# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""A private X desktop for whole-program tests: Xvfb with a window manager, the simulated
device, the program, and the ways a person looks at and drives them (xdotool, screenshots
read by tesseract)."""

import fcntl
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

PROGRAM = os.environ.get("TELVARONIX", "telvaronix")
SIMDEVICE = os.environ.get("TELVARONIX_SIMDEVICE", "telvaronix-simdevice")
SCREENSHOTS = Path(os.environ.get("TELVARONIX_SCREENSHOTS", tempfile.gettempdir()))


def form_layout(form=Path(__file__).resolve().parents[2] / "src/main_window/telvaronix.ui"):
    """The window's size and its controls' places in pixels within its client area, read from
    the form that lays them out."""
    window = ET.parse(form).getroot().find("widget")
    places = {}

    def place(parent, left, top):
        for widget in parent.findall("widget"):
            rect = widget.find("property[@name='geometry']/rect")
            x, y = left + int(rect.findtext("x")), top + int(rect.findtext("y"))
            places[widget.get("name")] = (x, y, int(rect.findtext("width")),
                                          int(rect.findtext("height")))
            place(widget, x, y)
    place(window, 0, 0)
    rect = window.find("property[@name='geometry']/rect")
    return places, (int(rect.findtext("width")), int(rect.findtext("height")))


FORM, MAIN_SIZE = form_layout()
# The controls a person clicks or reads.
CONTROLS = {name: FORM[name]
            for name in ("Cmd1", "Cmd2", "Cmd3", "Cmd4", "Lbl1", "ComboCom", "Command1")}


def is_main(window):
    """Whether a window titled Telvaronix is the main window (grown with a larger font) rather
    than the warning."""
    return window[3] >= MAIN_SIZE[0] and window[4] >= MAIN_SIZE[1]
# Linux's request for a terminal's exclusive-mode flag.
TIOCGEXCL = 0x80045440


def wait_until(condition, timeout=10.0, interval=0.02, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


class Desktop:
    """Xvfb and openbox on a display of their own, ended with the object."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()
        self.runtime_dir = tempfile.mkdtemp(prefix="telvaronix-runtime-")
        os.chmod(self.runtime_dir, 0o700)
        self.window_manager = subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env(),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: self._run(["wmctrl", "-m"], check=False).returncode == 0,
                   what="the window manager")

    def close(self):
        for process in (self.window_manager, self.xvfb):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime_dir)
        env.pop("QT_QPA_PLATFORM", None)
        env.update(extra)
        return env

    def _run(self, command, check=True):
        return subprocess.run(command, env=self.env(), check=check, capture_output=True,
                              text=True, timeout=30)

    # --- windows ---------------------------------------------------------------------

    def windows(self, title="Telvaronix"):
        """Visible windows with this exact title, as (id, x, y, width, height)."""
        found = self._run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                          check=False).stdout.split()
        result = []
        for window in found:
            # xwininfo gives the client area's true place; xdotool's is off by the frame.
            info = self._run(["xwininfo", "-id", window], check=False).stdout
            values = {key: int(value) for key, value in re.findall(
                r"(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s+(-?\d+)", info)}
            if len(values) == 4:
                result.append((window, values["Absolute upper-left X"],
                               values["Absolute upper-left Y"], values["Width"],
                               values["Height"]))
        return result

    def main_window(self, timeout=20.0):
        """The main window, once it is mapped and painted."""
        def find():
            return next((w for w in self.windows() if is_main(w)), None)
        try:
            window = wait_until(find, timeout, what="the main window")
        except AssertionError:
            shot = self.screenshot("no-main-window")
            listing = self._run(["xwininfo", "-root", "-tree"], check=False).stdout
            raise AssertionError(f"no main window; screen in {shot}; windows:\n{listing}")
        wait_until(lambda: not self.is_blank(window, "Cmd1", name="first-paint"), timeout,
                   what="the main window's first paint")
        return window

    def warning_window(self, timeout=20.0):
        def find():
            return next((w for w in self.windows() if not is_main(w)), None)
        return wait_until(find, timeout, what="the warning")

    # --- input -----------------------------------------------------------------------

    def click(self, window, control, dx=0, dy=0):
        """A quick click (press and release at once) in the middle of a control."""
        _, x, y, _, _ = window
        left, top, width, height = CONTROLS[control]
        self._run(["xdotool", "mousemove", str(x + left + width // 2 + dx),
                   str(y + top + height // 2 + dy), "click", "1"])

    def move_pointer_away(self, window):
        """Rests the pointer on the window's empty bottom right corner, hovering nothing."""
        _, x, y, width, height = window
        self._run(["xdotool", "mousemove", str(x + width - 4), str(y + height - 4)])

    def key(self, *keys):
        self._run(["xdotool", "key", "--delay", "30", *keys])

    def motif_hints(self, window):
        """The window's _MOTIF_WM_HINTS: flags, functions, decorations."""
        text = self._run(["xprop", "-id", window[0], "_MOTIF_WM_HINTS"]).stdout
        return [int(value, 16) for value in re.findall(r"0x[0-9a-f]+", text)][:3]

    def close_window(self, title="Telvaronix"):
        self._run(["wmctrl", "-c", title])

    # --- looking ---------------------------------------------------------------------

    def screenshot(self, name, window=None, area=None):
        """Saves what the screen shows (a window's client area, or part of it) as a PNG."""
        path = SCREENSHOTS / f"{name}.png"
        path.parent.mkdir(parents=True, exist_ok=True)
        crop = []
        if window:
            _, x, y, width, height = window
            if area:
                left, top, width, height = area
                x, y = x + left, y + top
            crop = ["-crop", f"{width}x{height}+{x}+{y}", "+repage"]
        self._run(["import", "-window", "root", *crop, str(path)])
        return path

    def read_text(self, window, control=None, area=None, name="ocr"):
        """What a person reads in a control (or an area) of a window, by tesseract."""
        region = CONTROLS[control] if control else area
        shot = self.screenshot(name, window, region)
        enlarged = shot.with_name(shot.stem + "-large.png")
        self._run(["convert", str(shot), "-colorspace", "Gray", "-resize", "400%",
                   "-threshold", "60%", str(enlarged)])
        return self._run(["tesseract", str(enlarged), "-", "--psm", "6"]).stdout.strip()

    def differing_pixels(self, first, second):
        """How many pixels differ between two screenshots of the same size."""
        result = self._run(["compare", "-metric", "AE", str(first), str(second), "null:"],
                           check=False)
        return int(float(result.stderr.split()[0]))

    def is_blank(self, window, control, name="blank"):
        """Whether a control's area shows nothing but its background colour."""
        shot = self.screenshot(name, window, CONTROLS[control])
        colours = self._run(["convert", str(shot), "-format", "%k", "info:"]).stdout
        return colours.strip() == "1"


class Device:
    """The simulated device, linked as a port in a configuration folder, or given a name in
    /dev/serial/by-id as udev names an adapter (`adapter`) for the program to number."""

    def __init__(self, config_dir, port, *options, adapter=None):
        self.log = Path(config_dir) / f"device-{adapter or port}.log"
        self.log.unlink(missing_ok=True)  # left by an earlier device on this port
        where = ["--by-id", adapter] if adapter else ["--port", str(port)]
        self.process = subprocess.Popen(
            [SIMDEVICE, "--config-dir", str(config_dir), *where, "--log", str(self.log),
             *options],
            stdout=subprocess.PIPE, text=True)
        ready = self.process.stdout.readline()
        assert " -> " in ready, ready
        self.name, self.path = ready.strip().split(" -> ", 1)

    def was_opened(self):
        return self.log.exists() and " opened: " in self.log.read_text()

    def is_free(self):
        """Whether another program could take the device now: nobody keeps it in exclusive
        mode (which the kernel lets root ignore, so it is asked for) or holds its flock."""
        descriptor = os.open(self.path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            exclusive = fcntl.ioctl(descriptor, TIOCGEXCL, b"\0\0\0\0")
            fcntl.flock(descriptor, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return exclusive == b"\0\0\0\0"
        except BlockingIOError:
            return False
        finally:
            os.close(descriptor)

    def received(self):
        """Every chunk the device received, joined."""
        text = self.log.read_text() if self.log.exists() else ""
        chunks = re.findall(r' received: "(.*)"$', text, re.MULTILINE)
        return "".join(chunks)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)
        self.process.stdout.close()


class Program:
    """Telvaronix itself, started with a private configuration folder."""

    def __init__(self, desktop, config_dir, **env):
        self.error_log = Path(tempfile.mkstemp(prefix="telvaronix-stderr-")[1])
        with open(self.error_log, "w") as errors:
            self.process = subprocess.Popen(
                [PROGRAM], env=desktop.env(XDG_CONFIG_HOME=str(config_dir), **env),
                stdout=subprocess.DEVNULL, stderr=errors)

    def errors(self):
        """What the program wrote to standard error (sanitizer reports among it)."""
        return self.error_log.read_text(errors="replace")

    def wait(self, timeout):
        """The exit status; a non-zero one fails with what the program wrote to stderr."""
        status = self.process.wait(timeout=timeout)
        assert status == 0, f"exit status {status}:\n{self.errors()}"
        return status

    def stop(self):
        # Asked to stop as a session would, so that it releases the port and its lock file.
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.error_log.unlink(missing_ok=True)


class DesktopTestCase(unittest.TestCase):
    """One private desktop for the test class."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = Desktop()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()


class ProgramTestCase(DesktopTestCase):
    """For each test a private configuration folder, and the devices and programs it starts
    through device() and start(), ended after it."""

    def setUp(self):
        self.config = Path(tempfile.mkdtemp(prefix="telvaronix-config-"))
        self.devices = []
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.stop()
        for device in self.devices:
            device.stop()
        shutil.rmtree(self.config, ignore_errors=True)

    def device(self, port, *options, adapter=None):
        self.devices.append(Device(self.config, port, *options, adapter=adapter))
        return self.devices[-1]

    def start(self, **env):
        """Starts the program; returns it and its main window once that is shown."""
        self.programs.append(Program(self.desktop, self.config, **env))
        return self.programs[-1], self.desktop.main_window()
