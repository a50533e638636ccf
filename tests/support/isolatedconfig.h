// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QTemporaryDir>

// A private configuration folder for one test case: XDG_CONFIG_HOME points into a fresh
// temporary folder for as long as this object lives, so that settings and port links never
// touch the person's own. On Windows, where settings live in the registry, the store moves
// to a registry key of the test's own, removed again at the end.
class IsolatedConfig
{
public:
    IsolatedConfig();
    ~IsolatedConfig();

    QString path() const { return m_dir.path(); }
    // The program's settings file in this folder (none on Windows).
    QString settingsFile() const;
    // The settings file's content, or an empty array when there is none.
    QByteArray settingsFileContent() const;
    // Writes the port setting's text as the program would store it.
    void storePort(const QString &text) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
