// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "adapternumbering.h"

#include "boarduarts.h"
#include "devicenames.h"
#include "portdevice_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace DeviceLink {

namespace {
// How often the numbering starts again when another instance gets there first; each time one
// more number is taken, so a few cover any likely race.
constexpr int NumberingAttempts = 3;
} // namespace

QList<DeviceNumber> numbersForNewDevices(const NumberingFacts &facts)
{
    QList<bool> taken;
    QSet<quint64> linkedDevices;
    QSet<QString> linkTargets;
    for (const NumberingFacts::Port &port : facts.ports) {
        taken.append(port.linked || port.systemPortExists);
        if (port.leadsTo)
            linkedDevices.insert(*port.leadsTo);
        linkTargets.insert(port.linkTarget);
    }
    QList<DeviceNumber> numbers;
    for (const NumberingFacts::Device &device : facts.devices) {
        // A UART whose node is not there yet is known by its link's target.
        if (linkedDevices.contains(device.device) || linkTargets.contains(device.path))
            continue;
        const auto free = std::find(taken.begin(), taken.end(), false);
        if (free == taken.end())
            break;
        *free = true;
        // One number per device, whatever names udev gives it.
        linkedDevices.insert(device.device);
        numbers.append({int(free - taken.begin()) + 1, device.path});
    }
    return numbers;
}

NumberingFacts readNumberingFacts(int portCount)
{
    NumberingFacts facts;
    for (const BoardUart &uart : unnumberedBoardUarts())
        facts.devices.append({QStringLiteral("/dev/") + uart.name, uart.device});
    for (const QString &path : namesIn(SerialByIdFolder)) {
        // udev names only serial devices there, but a person may put anything there.
        if (const auto device = charDeviceNumber(path); device && isTerminal(*device))
            facts.devices.append({path, *device});
    }
    // Without devices to number the ports do not matter.
    if (facts.devices.isEmpty())
        return facts;
    for (int port = 1; port <= portCount; ++port) {
        NumberingFacts::Port portFacts;
        const QFileInfo link(portLinkPath(port));
        portFacts.linked = link.isSymLink() || link.exists();
        if (portFacts.linked) {
            portFacts.linkTarget = link.symLinkTarget();
            portFacts.leadsTo = charDeviceNumber(link.filePath());
        } else {
            portFacts.systemPortExists =
                hasBoardUart(QStringLiteral("ttyS") + QString::number(port - 1));
        }
        facts.ports.append(portFacts);
    }
    return facts;
}

QList<DeviceNumber> numberNewDevices(int portCount,
                                     const std::function<NumberingFacts(int)> &readFacts)
{
    QList<DeviceNumber> given;
    for (int attempt = 0; attempt < NumberingAttempts; ++attempt) {
        bool overtaken = false;
        for (const DeviceNumber &number : numbersForNewDevices(readFacts(portCount))) {
            const QString link = portLinkPath(number.port);
            if (QDir().mkpath(portLinkFolder()) && QFile::link(number.path, link)) {
                given.append(number);
                continue;
            }
            // A link there now was made since the facts were read: the rest of the plan may
            // give this device a second number, or leave another without one.
            overtaken = QFileInfo(link).isSymLink();
            break;
        }
        if (!overtaken)
            break;
    }
    return given;
}

void numberNewSerialDevices(int portCount)
{
    numberNewDevices(portCount, readNumberingFacts);
}

} // namespace DeviceLink
