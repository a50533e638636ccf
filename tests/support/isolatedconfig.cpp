// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"

#include "settings/settingsstore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
#ifdef Q_OS_WIN
const QString TestsKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Telvaronix tests");
#endif
} // namespace

IsolatedConfig::IsolatedConfig()
{
#ifdef Q_OS_WIN
    m_previous = SettingsStore::registryRoot();
    SettingsStore::setRegistryRoot(TestsKey + u'\\' + QFileInfo(m_dir.path()).fileName());
#else
    m_previous = qEnvironmentVariable("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
#endif
}

IsolatedConfig::~IsolatedConfig()
{
#ifdef Q_OS_WIN
    QSettings(TestsKey, QSettings::NativeFormat).remove(QFileInfo(m_dir.path()).fileName());
    SettingsStore::setRegistryRoot(m_previous);
#else
    if (m_previous.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_previous.toLocal8Bit());
#endif
}

QString IsolatedConfig::settingsFile() const
{
#ifdef Q_OS_WIN
    return {}; // the registry holds the settings
#else
    return SettingsStore::settingsFilePath(QStringLiteral("Telvaronix"));
#endif
}

QByteArray IsolatedConfig::settingsFileContent() const
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void IsolatedConfig::storePort(const QString &text) const
{
    SettingsStore::SaveSetting("Telvaronix", "ajustes", "puerto", text);
}
