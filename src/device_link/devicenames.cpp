// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "devicenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace DeviceLink {

namespace {
// A sysfs attribute, such as a USB device's "product"; empty when it has none.
QString attribute(const QString &folder, const QString &name)
{
    QFile file(folder + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

// The symbolic links directly in /dev, told by the folder's own listing rather than a stat of
// each of its hundreds of entries.
QStringList linksInDev()
{
    QStringList links;
    DIR *dev = ::opendir("/dev");
    if (!dev)
        return links;
    while (const dirent *entry = ::readdir(dev)) {
        const QString path = QStringLiteral("/dev/") + QFile::decodeName(entry->d_name);
        if (entry->d_type == DT_LNK || (entry->d_type == DT_UNKNOWN && QFileInfo(path).isSymLink()))
            links.append(path);
    }
    ::closedir(dev);
    return links;
}
} // namespace

namespace {
QString &sysfsRoot()
{
    static QString root;
    return root;
}
} // namespace

void readSysfsBelow(const QString &root)
{
    sysfsRoot() = root;
}

QString sysfsPath(const QString &path)
{
    return sysfsRoot() + path;
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

std::optional<quint64> charDeviceNumber(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return std::nullopt;
    return quint64(info.st_rdev);
}

bool isTerminal(quint64 device)
{
    // /proc/tty/drivers lines: "usbserial  /dev/ttyUSB  188 0-511 serial", a driver's name,
    // its nodes' path, its major number and its range of minor numbers.
    QFile drivers(QStringLiteral("/proc/tty/drivers"));
    if (!drivers.open(QIODevice::ReadOnly))
        return true;
    const auto major = ::major(dev_t(device));
    const auto minor = ::minor(dev_t(device));
    for (QByteArray line; !(line = drivers.readLine()).isEmpty();) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || fields.at(2).toUInt() != major)
            continue;
        const QList<QByteArray> range = fields.at(3).split('-');
        const uint first = range.first().toUInt();
        if (minor >= first && minor <= range.last().toUInt())
            return true;
    }
    return false;
}

QStringList deviceAliases(const QString &devicePath)
{
    QStringList aliases {devicePath};
    const auto device = charDeviceNumber(devicePath);
    if (!device)
        return aliases;
    const QStringList names =
        namesIn(SerialByIdFolder) + namesIn(SerialByPathFolder) + linksInDev();
    for (const QString &alias : names) {
        if (charDeviceNumber(alias) == device && !aliases.contains(alias))
            aliases.append(alias);
    }
    return aliases;
}

QStringList linksInDevTo(const QString &devicePath)
{
    QStringList links;
    const auto device = charDeviceNumber(devicePath);
    for (const QString &link : linksInDev()) {
        if (device && charDeviceNumber(link) == device)
            links.append(link);
    }
    links.sort();
    return links;
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

} // namespace DeviceLink
