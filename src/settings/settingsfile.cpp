// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The settings store on Linux: one INI file per application.

#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>

namespace SettingsStore {

QString settingsFilePath(const QString &application)
{
    const QString configRoot =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configRoot + u'/' + application + u'/' + application + QStringLiteral(".conf");
}

namespace {

// Far more than this program ever writes.
constexpr qint64 MaxFileSize = 64 * 1024;

QString keyPath(const QString &section, const QString &key)
{
    return section + u'/' + key;
}

// Whether a file stands at the path that this program would not have written: too large,
// unreadable, binary or not UTF-8 text. QSettings would read some keys out of it and then
// rewrite it in its own form; such a file is instead read as holding nothing and never
// overwritten, so that whatever it is survives.
bool isForeignFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    // A folder, a named pipe or a device: opening a pipe would wait for a writer forever.
    if (!info.isFile())
        return true;
    QFile file(path);
    if (file.size() > MaxFileSize || !file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray content = file.readAll();
    if (content.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8.decode(content);
    return utf8.hasError();
}

} // namespace

QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultText)
{
    const QString path = settingsFilePath(application);
    if (isForeignFile(path))
        return defaultText;
    const QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value(keyPath(section, key));
    if (!value.isValid())
        return defaultText;
    // A value with a comma reads back as a list; give the caller the text as written.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &text)
{
    const QString path = settingsFilePath(application);
    if (isForeignFile(path))
        throw Error("the settings file holds something else: " + path.toStdString());
    QSettings settings(path, QSettings::IniFormat);
    // QSettings writes through QSaveFile; with atomic sync required it never falls back to
    // rewriting the file in place, so the old file stays whole until the new one is complete.
    settings.setAtomicSyncRequired(true);
    if (settings.status() != QSettings::NoError)
        throw Error("the settings file cannot be read: " + path.toStdString());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Error("the settings folder cannot be made: " + path.toStdString());
    // QSettings waits without end for its lock file; a lock that cannot be had in a second
    // (a stuck holder) is a failure instead. Something other than a file in the lock's place
    // fails at once without being opened: QLockFile reads what it finds there to tell whether
    // it is stale, and would wait for good on a named pipe.
    {
        const QString lockPath = path + QStringLiteral(".lock");
        if (const QFileInfo lockInfo(lockPath); lockInfo.exists() && !lockInfo.isFile())
            throw Error("something other than a lock file stands at " + lockPath.toStdString());
        QLockFile lock(lockPath);
        if (!lock.tryLock(1000))
            throw Error("the settings file is locked: " + path.toStdString());
    }
    settings.setValue(keyPath(section, key), text);
    settings.sync();
    // QSettings also reports a format error for a file it read and rewrote well, such as one
    // that began with a UTF-8 byte-order mark; what counts is whether the value is stored.
    const bool stored = settings.status() == QSettings::NoError ||
        (settings.status() == QSettings::FormatError &&
         QSettings(path, QSettings::IniFormat).value(keyPath(section, key)) == text);
    if (!stored)
        throw Error("the settings file cannot be written: " + path.toStdString());
}

} // namespace SettingsStore
