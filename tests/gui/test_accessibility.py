# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT

"""The window as a screen reader meets it: the AT-SPI tree of the real program, read with
pyatspi over a private session bus (Debian's python3-pyatspi: run with /usr/bin/python3)."""

import os
import subprocess
import time
import unittest

from desktop import Program, ProgramTestCase, wait_until


class AccessibilityTest(ProgramTestCase):
    @classmethod
    def setUpClass(cls):
        cls.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = cls.bus.stdout.readline().strip()
        import pyatspi  # talks to the bus named above
        cls.pyatspi = pyatspi
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.bus.terminate()
        cls.bus.wait()

    def node(self, root, role, name=None):
        found = self.pyatspi.findDescendant(
            root, lambda n: n.getRoleName() == role and name in (None, n.name))
        self.assertIsNotNone(found, f"no {role} {name!r}")
        return found

    def labels(self, node):
        return [relation.getTarget(0).name for relation in node.getRelationSet()
                if relation.getRelationType() == self.pyatspi.RELATION_LABELLED_BY]

    def test_roles_names_relations_and_the_reply_as_they_are_read(self):
        device = self.device(1, "--delay", "1500")
        self.start(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        window = wait_until(lambda: self.window("frame"))
        self.assertEqual(("frame", "Telvaronix"), (window.getRoleName(), window.name))
        group = self.node(window, "panel")
        self.assertEqual(["Comando 1", "Comando 2", "Comando 3", "Comamdo 4"],
                         [button.name for button in group])
        self.node(window, "image", "Telvaronix — Comandos al dispositivo por puerto serie")
        ports = self.node(window, "combo box", "Puerto COM")
        self.assertEqual(["Puerto COM"], self.labels(ports))
        reply = self.node(window, "notification")
        self.assertEqual(["Recepción:"], self.labels(reply))

        # The list's entry is its text, selected whole, its device's hint its description, kept
        # current; an entry chosen with Down comes as new text, which Orca speaks.
        seen = []
        for kind in ("object:text-changed:insert", "object:state-changed:focused"):
            self.pyatspi.Registry.registerEventListener(
                lambda event: seen.append((event.type, event.any_data, event.source.name,
                                           event.source.description)), kind)
        self.desktop.key("Tab", "Tab", "Tab", "Tab", "Down")
        wait_until(lambda: ports.queryText().getText(0, -1) == "C2")
        try:  # Qt 6.5 on: the entry is the list's selection, with the entry's hint
            selected = ports.querySelection().getSelectedChild
            wait_until(lambda: selected(0) and selected(0).name == "C2", what="C2 selected")
            self.assertTrue(selected(0).description.startswith("/dev/ttyS1"))
        except NotImplementedError:  # Qt 6.4: the entry comes as new text
            wait_until(lambda: self.pump() or any(e[:2] == ("object:text-changed:insert", "C2")
                                                  for e in seen), what="C2 told as new text")
            text = ports.queryText()
            self.assertEqual((1, (0, 2)), (text.getNSelections(), tuple(text.getSelection(0))))
            wait_until(lambda: ports.description.startswith("/dev/ttyS1"), what="C2's hint")
        # Opened, the drop-down tells its current entry, with the entry's hint.
        self.desktop.key("alt+Down")
        wait_until(lambda: self.pump() or any(e[0].endswith("focused") and e[2] == "C2"
                                              and e[3].startswith("/dev/") for e in seen),
                   what="the open drop-down's entry C2 with its hint")
        self.desktop.key("Escape")

        # Enter on "Comando 1"; the reply is shown as a notification named "Recepción:" and
        # described by the reply alone, and the program keeps answering the screen reader while
        # it waits. The next reply replaces it.
        shown, described = [], []
        self.pyatspi.Registry.registerEventListener(
            lambda event: shown.append(event.source.description), "object:state-changed:showing")
        # Orca keeps a description it has read until told of its change.
        self.pyatspi.Registry.registerEventListener(
            lambda event: described.append(event.source.getRoleName()),
            "object:property-change:accessible-description")
        self.desktop.key("Up", "Shift+Tab", "Return")
        wait_until(lambda: device.received() == "cmd01 ", what="the command")
        started = time.monotonic()
        self.assertEqual("Puerto COM", ports.name)
        self.assertLess(time.monotonic() - started, 0.5)
        wait_until(lambda: self.pump() or "OK LEDS ENCENDIDOS  " in shown, what="the reply")
        self.desktop.key("Shift+Tab", "Return")
        wait_until(lambda: self.pump() or "OK LEDS APAGADOS    " in shown, what="the next reply")
        self.assertGreaterEqual(described.count("notification"), 2)
        self.assertEqual(("Recepción:", "OK LEDS APAGADOS    "), (reply.name, reply.description))

    def window(self, role):
        return next((w for a in self.pyatspi.Registry.getDesktop(0) if a and a.name == "Telvaronix"
                     for w in a if w.getRoleName() == role), None)

    def test_warning_is_an_alert_whose_text_takes_no_focus(self):
        # Orca 51 reads an alert's text from its labels that take no focus; Qt 6.11's takes it.
        (self.config / "Telvaronix/ports").mkdir(parents=True)
        (self.config / "Telvaronix/ports/com1").symlink_to("/nowhere")
        self.programs.append(Program(self.desktop, self.config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        alert = wait_until(lambda: self.window("alert"), timeout=30, what="the warning")
        self.assertEqual("Telvaronix", alert.name)
        text = self.node(alert, "label", "Numero de Puerto Invalido. Seleccione otro puerto")
        self.assertFalse(text.getState().contains(self.pyatspi.STATE_FOCUSABLE))

    def pump(self):
        from gi.repository import GLib
        while GLib.MainContext.default().iteration(False):
            pass


if __name__ == "__main__":
    unittest.main()
