// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"

#include "settings/settingsstore.h"

#include <QFile>

IsolatedConfig::IsolatedConfig() : m_previous(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

IsolatedConfig::~IsolatedConfig()
{
    if (m_previous.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_previous);
}

QString IsolatedConfig::settingsFile() const
{
    return m_dir.path() + QStringLiteral("/Telvaronix/Telvaronix.conf");
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
