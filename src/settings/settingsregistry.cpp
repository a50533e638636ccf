// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The settings store on Windows: the per-user registry.

#include "settingsstore.h"

#include <QSettings>

namespace SettingsStore {

namespace {
QString &root()
{
    static QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings");
    return key;
}

QString applicationKey(const QString &application)
{
    return root() + u'\\' + application;
}
} // namespace

QString registryRoot()
{
    return root();
}

void setRegistryRoot(const QString &key)
{
    root() = key;
}

QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultText)
{
    const QSettings registry(applicationKey(application), QSettings::NativeFormat);
    const QVariant value = registry.value(section + u'/' + key);
    return value.isValid() ? value.toString() : defaultText;
}

void SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &text)
{
    // A QString goes into the registry as a string value (REG_SZ).
    QSettings registry(applicationKey(application), QSettings::NativeFormat);
    registry.setValue(section + u'/' + key, text);
    registry.sync();
    if (registry.status() != QSettings::NoError)
        throw Error("the registry key cannot be written: " +
                    applicationKey(application).toStdString());
}

} // namespace SettingsStore
