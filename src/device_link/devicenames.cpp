// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "devicenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// A sysfs attribute, such as a USB device's "product"; empty when it has none.
QString attribute(const QString &folder, const QString &name)
{
    QFile file(folder + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

QStringList namesIn(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}
} // namespace

std::optional<quint64> charDeviceNumber(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return std::nullopt;
    return quint64(info.st_rdev);
}

QStringList deviceAliases(const QString &devicePath)
{
    QStringList aliases {devicePath};
    const auto device = charDeviceNumber(devicePath);
    if (!device)
        return aliases;
    for (const QString &folder : {SerialByIdFolder, SerialByPathFolder}) {
        for (const QString &alias : namesIn(folder)) {
            if (charDeviceNumber(alias) == device)
                aliases.append(alias);
        }
    }
    return aliases;
}

QString byIdPath(const QString &devicePath)
{
    const auto device = charDeviceNumber(devicePath);
    if (!device)
        return {};
    for (const QString &alias : namesIn(SerialByIdFolder)) {
        if (charDeviceNumber(alias) == device)
            return alias;
    }
    return {};
}

std::optional<AdapterDescription> describeAdapter(const QString &devicePath)
{
    const auto device = charDeviceNumber(devicePath);
    if (!device)
        return std::nullopt;
    // The tty's folder in sysfs lies below the USB device it belongs to (its interface between
    // them); a USB device's folder is the one with an idVendor.
    const QString ttyFolder = QFileInfo(QStringLiteral("/sys/dev/char/%1:%2")
                                            .arg(major(dev_t(*device)))
                                            .arg(minor(dev_t(*device))))
                                  .canonicalFilePath();
    if (ttyFolder.isEmpty())
        return std::nullopt;
    QDir folder(ttyFolder);
    while (!folder.exists(QStringLiteral("idVendor"))) {
        if (!folder.cdUp() || folder.isRoot() || folder.path() == QLatin1String("/sys"))
            return std::nullopt;
    }
    return AdapterDescription {attribute(folder.path(), QStringLiteral("product")),
                               attribute(folder.path(), QStringLiteral("manufacturer")),
                               attribute(folder.path(), QStringLiteral("serial"))};
}
