// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "boarduarts.h"

#include "devicenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace DeviceLink {

namespace {
QString classFolder()
{
    return sysfsPath(QStringLiteral("/sys/class/tty/"));
}

QByteArray attribute(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256).trimmed() : QByteArray();
}

// The driver of the hardware behind the terminal in `folder`, or nothing for a terminal with no
// hardware. From Linux 6.5 on, a UART's terminal hangs below the serial core's own port and
// controller devices (driver "port" on bus serial-base), which hang below the hardware's.
QString hardwareDriver(const QString &folder)
{
    QDir device(QFileInfo(folder + QStringLiteral("/device")).canonicalFilePath());
    while (device.path().contains(QStringLiteral("/sys/devices/"))) {
        const QString driver =
            QFileInfo(device.filePath(QStringLiteral("driver"))).canonicalFilePath();
        if (!driver.isEmpty() && !driver.contains(QStringLiteral("/bus/serial-base/")))
            return QFileInfo(driver).fileName();
        device.cdUp();
    }
    return {};
}

// What sysfs shows of the terminal `name`: real hardware with a driver, not on USB, and not a
// serial driver's placeholder. Empty when it is none of that.
BoardUart boardUart(const QString &name)
{
    const QString folder = classFolder() + name;
    const QString driver = hardwareDriver(folder);
    if (driver.isEmpty() || attribute(folder + QStringLiteral("/type")) == "0" ||
        QFileInfo(folder).canonicalFilePath().contains(QStringLiteral("/usb")))
        return {};
    const QList<QByteArray> numbers = attribute(folder + QStringLiteral("/dev")).split(':');
    if (numbers.size() != 2)
        return {};
    return {name, driver, quint64(::makedev(numbers.at(0).toUInt(), numbers.at(1).toUInt()))};
}
} // namespace

QList<BoardUart> unnumberedBoardUarts()
{
    static const QRegularExpression systemPort(QStringLiteral("^ttyS[0-7]$"));
    QList<BoardUart> uarts;
    for (const QString &name :
         QDir(classFolder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (systemPort.match(name).hasMatch())
            continue;
        if (BoardUart uart = boardUart(name); !uart.name.isEmpty())
            uarts.append(uart);
    }
    // ttyAMA2 before ttyAMA10.
    const auto byNumber = [](const BoardUart &uart) {
        static const QRegularExpression number(QStringLiteral("\\d+$"));
        return std::pair(number.match(uart.name).captured().toInt(), uart.name);
    };
    std::sort(uarts.begin(), uarts.end(), [&byNumber](const BoardUart &a, const BoardUart &b) {
        return a.driver != b.driver ? a.driver < b.driver : byNumber(a) < byNumber(b);
    });
    return uarts;
}

bool hasBoardUart(const QString &name)
{
    return !boardUart(name).name.isEmpty();
}

QString boardUartDriver(const QString &devicePath)
{
    struct stat node
    {
    };
    if (::stat(QFile::encodeName(devicePath).constData(), &node) != 0 || !S_ISCHR(node.st_mode))
        return {};
    // The terminal's own name, which a link such as /dev/serial0 does not give.
    const QString name =
        QFileInfo(
            QStringLiteral("/sys/dev/char/%1:%2").arg(major(node.st_rdev)).arg(minor(node.st_rdev)))
            .canonicalFilePath()
            .section(u'/', -1);
    const BoardUart uart = name.isEmpty() ? BoardUart() : boardUart(name);
    return uart.device == quint64(node.st_rdev) ? uart.driver : QString();
}

} // namespace DeviceLink
