// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <stdexcept>

// The per-user store of text values, addressed by application, section and key.
// Each application keeps one INI file: <config folder>/<application>/<application>.conf.
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
// The file is replaced atomically, so a failed or interrupted write leaves the earlier
// content whole. Throws Error when the value could not be written.
void SaveSetting(const QString &application, const QString &section, const QString &key,
                 const QString &text);

// Where the application's settings file lives.
QString settingsFilePath(const QString &application);

} // namespace SettingsStore
