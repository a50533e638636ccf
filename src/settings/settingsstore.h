// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <stdexcept>

// The per-user store of text values, addressed by application, section and key.
// On Linux each application keeps one INI file: <config folder>/<application>/<application>.conf.
// On Windows each keeps a registry key, HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\<application>, with a subkey per section and a string value per key: where other
// Windows tools keep and look for settings of this kind.
namespace SettingsStore {

// Thrown when a value cannot be stored; what was stored before is then kept.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The text stored under the key, or defaultText when nothing (readable) is stored there.
QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultText);

// Stores the text under the key, replacing what was there, and writes it to disk at once.
// On Linux the file is replaced atomically, so a failed or interrupted write leaves the earlier
// content whole; on Windows the registry writes the one value. Throws Error when the value
// could not be written.
void SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &text);

#ifdef Q_OS_WIN
// The registry key that holds each application's key. Tests give themselves one of their own.
QString registryRoot();
void setRegistryRoot(const QString &key);
#else
// Where the application's settings file lives.
QString settingsFilePath(const QString &application);
#endif

} // namespace SettingsStore
