// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "adapternumbering.h"

#include "devicenames.h"
#include "portdevice.h"
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

QList<AdapterNumber> numbersForNewAdapters(const NumberingFacts &facts)
{
    QList<bool> taken;
    QSet<quint64> linkedDevices;
    for (const NumberingFacts::Port &port : facts.ports) {
        taken.append(port.linked || port.systemPortExists);
        if (port.leadsTo)
            linkedDevices.insert(*port.leadsTo);
    }
    QList<AdapterNumber> numbers;
    for (const NumberingFacts::Adapter &adapter : facts.adapters) {
        if (linkedDevices.contains(adapter.device))
            continue;
        const auto free = std::find(taken.begin(), taken.end(), false);
        if (free == taken.end())
            break;
        *free = true;
        // One number per device, whatever names udev gives it.
        linkedDevices.insert(adapter.device);
        numbers.append({int(free - taken.begin()) + 1, adapter.byIdPath});
    }
    return numbers;
}

NumberingFacts readNumberingFacts(int portCount)
{
    NumberingFacts facts;
    for (const QString &path : namesIn(SerialByIdFolder)) {
        // udev names only serial devices there, but a person may put anything there.
        if (const auto device = charDeviceNumber(path); device && isTerminal(*device))
            facts.adapters.append({path, *device});
    }
    // Without adapters the ports do not matter, and most machines have none.
    if (facts.adapters.isEmpty())
        return facts;
    for (int port = 1; port <= portCount; ++port) {
        NumberingFacts::Port portFacts;
        portFacts.linked = hasPortLink(port);
        if (portFacts.linked)
            portFacts.leadsTo = charDeviceNumber(portLinkPath(port));
        else
            portFacts.systemPortExists = deviceExists(systemPortPath(port));
        facts.ports.append(portFacts);
    }
    return facts;
}

QList<AdapterNumber> numberNewAdapters(int portCount,
                                       const std::function<NumberingFacts(int)> &readFacts)
{
    QList<AdapterNumber> given;
    for (int attempt = 0; attempt < NumberingAttempts; ++attempt) {
        bool overtaken = false;
        for (const AdapterNumber &number : numbersForNewAdapters(readFacts(portCount))) {
            const QString link = portLinkPath(number.port);
            if (QDir().mkpath(portLinkFolder()) && QFile::link(number.byIdPath, link)) {
                given.append(number);
                continue;
            }
            // A link there now was made since the facts were read: the rest of the plan may
            // give this adapter a second number, or leave another without one.
            overtaken = QFileInfo(link).isSymLink();
            break;
        }
        if (!overtaken)
            break;
    }
    return given;
}

void numberAdaptersPluggedIn(int portCount)
{
    numberNewAdapters(portCount, readNumberingFacts);
}

} // namespace DeviceLink
