// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QStringView>

#include <optional>

// Reads a stored port setting as a 16-bit port number.
//
// Blanks, tabs and line feeds are ignored wherever they stand. A decimal number is read from
// the start of the rest: an optional sign, digits, an optional point with digits, an optional
// exponent (E or e, an optional sign, digits). The first character that cannot continue the
// number ends it, and a text that does not start with a number reads as 0. The number is
// rounded to the nearest whole number, halves to the even neighbour, working on the decimal
// digits themselves so that no binary rounding creeps in.
//
// Returns nothing when the rounded number lies outside -32768 to 32767.
std::optional<qint16> portNumberFromText(QStringView text);
