// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "hangupwatch.h"

namespace DeviceLink {

// Windows fails the pending read of a COM port whose adapter went away, and QSerialPort reports
// that as a ResourceError; there is nothing more to watch.

HangUpWatch::HangUpWatch(QObject *parent) : QObject(parent) { }

HangUpWatch::~HangUpWatch() = default;

void HangUpWatch::arm(const QSerialPort &) { }

void HangUpWatch::disarm() { }

void HangUpWatch::check() { }

} // namespace DeviceLink
