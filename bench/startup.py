#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
"""Start-up benchmark: starts programs interleaved under one Xvfb and reports, for each, the
time from process start to its first window being mapped and to the end of its first
painting (the last X DAMAGE after the map, once 250 ms pass without more: the first damage
is only the server exposing the new window), the CPU it used until each of them (all its
threads, kernel time included), its resident memory two seconds after start, and the CPU it
uses per second while left alone after that. It does so with a session bus, as on a desktop,
and without one (--bus).

Each start gets a fresh, empty home and configuration folder. Telvaronix gets a simulated
device as port 1 in that folder, so it opens a real port as it would in use.

Needs Debian's python3-xlib (run it with /usr/bin/python3)."""

import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

from Xlib import X, display
from Xlib.ext import damage

SETTLE_SECONDS = 2.0
# A window whose damage has stopped for this long has finished its first painting.
PAINT_QUIET_SECONDS = 0.25


def thread_cpu_ns(pid):
    """CPU time of every thread of a process, in nanoseconds (from schedstat)."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def resident_mib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
    return float("nan")


class Screen:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "+extension", "DAMAGE"],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.name = ":" + pipe.readline().strip()
        self.x = display.Display(self.name)
        self.x.damage_query_version()
        self.root = self.x.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.pid_atom = self.x.intern_atom("_NET_WM_PID")
        self.x.sync()

    def close(self):
        self.x.close()
        self.xvfb.terminate()
        self.xvfb.wait()

    def events(self, until, tick=0.05):
        """X events until `until`, and None after each `tick` without any."""
        while time.monotonic() < until:
            if not self.x.pending_events():
                select.select([self.x.fileno()], [], [],
                              max(0.0, min(tick, until - time.monotonic())))
                if not self.x.pending_events():
                    yield None
            while self.x.pending_events():
                yield self.x.next_event()

    def window_pid(self, window):
        try:
            prop = window.get_full_property(self.pid_atom, X.AnyPropertyType)
            return prop.value[0] if prop else None
        except Exception:
            return None

    def measure(self, command, env, idle_seconds, timeout=15.0):
        """Starts the command; returns (map ms, paint ms, CPU ms to map, CPU ms to paint, RSS
        MiB, idle CPU ms per second)."""
        self.x.sync()
        while self.x.pending_events():
            self.x.next_event()
        started = time.monotonic()
        process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        mapped = painted = cpu_at_map = cpu = None
        watched = None
        try:
            for event in self.events(started + timeout):
                if event is None:
                    pass
                elif event.type == X.MapNotify and watched is None:
                    window = event.window
                    pid = self.window_pid(window)
                    if pid not in (None, process.pid):
                        continue
                    geometry = window.get_geometry()
                    if geometry.width < 50 or geometry.height < 50:
                        continue
                    mapped = time.monotonic()
                    cpu_at_map = thread_cpu_ns(process.pid) / 1e6
                    watched = window
                    watched.damage_create(damage.DamageReportRawRectangles)
                    self.x.sync()
                elif watched is not None and event.__class__.__name__ == "DamageNotify":
                    # The server reports the window's exposure at the map as damage too; the
                    # program's own first painting is over once the damage stops coming.
                    painted = time.monotonic()
                    cpu = thread_cpu_ns(process.pid) / 1e6
                if painted is not None and time.monotonic() - painted > PAINT_QUIET_SECONDS:
                    break
            time.sleep(max(0.0, started + SETTLE_SECONDS - time.monotonic()))
            rss = resident_mib(process.pid)
            idle_from = thread_cpu_ns(process.pid)
            time.sleep(idle_seconds)
            idle = (thread_cpu_ns(process.pid) - idle_from) / 1e6 / idle_seconds
        finally:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if mapped is None or painted is None:
            return None
        return ((mapped - started) * 1000, (painted - started) * 1000, cpu_at_map, cpu, rss,
                idle)


def describe(samples):
    ordered = sorted(samples)
    p99 = ordered[min(len(ordered) - 1, int(0.99 * len(ordered)))]
    return (f"{ordered[0]:8.1f} {statistics.median(ordered):8.1f} {p99:8.1f} "
            f"{ordered[-1]:8.1f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--telvaronix", required=True)
    parser.add_argument("--simdevice", required=True)
    parser.add_argument("--bare", required=True)
    parser.add_argument("--peers", action="store_true", help="also CuteCom and GTKTerm")
    parser.add_argument("--iterations", type=int, default=10)
    parser.add_argument("--idle-seconds", type=float, default=2.0,
                        help="how long to measure CPU use while left alone")
    parser.add_argument("--bus", choices=("with", "without", "both"), default="both",
                        help="run with a private session bus, without one, or both in turn")
    args = parser.parse_args()

    programs = {"telvaronix": [args.telvaronix], "bare Qt": [args.bare]}
    if args.peers:
        for name, command in (("CuteCom", ["cutecom"]), ("GTKTerm", ["gtkterm"])):
            if shutil.which(command[0]):
                programs[name] = command
            else:
                print(f"{name} is not installed; left out")

    for with_bus in {"with": (True,), "without": (False,), "both": (True, False)}[args.bus]:
        results = run(programs, args, with_bus)
        report(results, args.iterations, "a session bus" if with_bus else "no session bus")


def run(programs, args, with_bus):
    """Each program's figures, the programs started in turn, args.iterations times."""
    screen = Screen()
    # A desktop session has its bus. Without one, Qt's accessibility and platform theme find
    # none and go on without.
    bus = None
    if with_bus:
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                               stdout=subprocess.PIPE, text=True)
        bus_address = bus.stdout.readline().strip()
    results = {name: [] for name in programs}
    try:
        for iteration in range(args.iterations):
            for name, command in programs.items():
                home = Path(tempfile.mkdtemp(prefix="startup-home-"))
                config = home / ".config"
                config.mkdir()
                env = {"PATH": os.environ["PATH"], "HOME": str(home), "DISPLAY": screen.name,
                       "XDG_CONFIG_HOME": str(config), "XDG_RUNTIME_DIR": str(home),
                       "LANG": "C.UTF-8"}
                if bus:
                    env["DBUS_SESSION_BUS_ADDRESS"] = bus_address
                device = None
                if name == "telvaronix":
                    device = subprocess.Popen(
                        [args.simdevice, "--config-dir", str(config), "--port", "1", "--quiet"],
                        stdout=subprocess.PIPE, text=True)
                    device.stdout.readline()
                try:
                    result = screen.measure(command, env, args.idle_seconds)
                finally:
                    if device:
                        device.terminate()
                        device.wait()
                        device.stdout.close()
                    shutil.rmtree(home, ignore_errors=True)
                if result:
                    results[name].append(result)
                else:
                    print(f"{name}: no window painted in iteration {iteration + 1}")
    finally:
        screen.close()
        if bus:
            bus.terminate()
            bus.wait()
    return results


def report(results, iterations, setup):
    print(f"\nStart-up under Xvfb with {setup}, {iterations} interleaved runs per program")
    print(f"{'program':12} {'figure':16} {'min':>8} {'median':>8} {'p99':>8} {'max':>8}")
    labels = ("first map, ms", "first paint, ms", "CPU to map, ms", "CPU to paint, ms",
              "RSS at 2 s, MiB", "idle CPU, ms/s")
    for name, samples in results.items():
        if not samples:
            continue
        for column, label in enumerate(labels):
            print(f"{name:12} {label:16} {describe([s[column] for s in samples])}")
    bare = results.get("bare Qt")
    if not bare:
        return
    print("\nAgainst the bare Qt program (medians)")
    for name, samples in results.items():
        if not samples or name == "bare Qt":
            continue

        def median(column, of=samples):
            return statistics.median(s[column] for s in of)
        print(f"{name:12} first paint x{median(1) / median(1, bare):.2f}, "
              f"CPU to map {median(2) - median(2, bare):+.1f} ms, "
              f"CPU to paint x{median(3) / median(3, bare):.2f}, "
              f"RSS {median(4) - median(4, bare):+.1f} MiB")


if __name__ == "__main__":
    main()
