// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

// What a screen reader meets of the port list (portlist.h), through Qt's accessibility bridge.
//
// On Linux Qt names a combo box after its current entry; the port list is named "Puerto COM", as
// its label reads (set in the form), and its entry is its value and its text, read-only and
// selected whole, where Orca looks for a value when nothing is selected in the list. Its one
// child is its list of entries. From Qt 6.5 on, it also exposes its chosen entry as its
// selection, as Qt's own combo box does: a screen reader told that the selection changed reads
// that entry, hint and all, as the drop-down's list of entries describes it. Qt 6.4 has no
// interface for that.

// Has Qt describe every PortList so from now on; Qt's factory picks it by class.
void describePortListsToScreenReaders();
