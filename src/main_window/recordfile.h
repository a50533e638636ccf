// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file that lines of text are appended to, each batch whole, by several programs at once.
//
// Each batch is one write to the file opened anew for appending, so that a file that was removed
// is made again, one whose permission came back is written again, and nothing waits in this
// program to be written when it ends, however it ends. Instances of this program that append to
// the same file take turns with a lock on it: the header goes into an empty file once, and a
// write that fails half done (a full disk) is taken back whole. Only a plain file is written:
// opening a named pipe would wait for a reader, and a device is no place for a record. A path
// that is a symbolic link is followed only in a folder that no one else can write to, where
// nobody else could have put it. Its bodies are in recordfile_unix.cpp and recordfile_win.cpp.
class RecordFile
{
public:
    // Opens the file at `path` for appending, making it if it is not there; nothing, with the
    // reason in `why`, when it cannot be written to or is no plain file.
    static std::optional<RecordFile> open(const QString &path, QString *why);

    // Appends `lines` in one write, after `header` when the file is empty; false, with the reason
    // in `why`, when nothing was written.
    bool append(const QByteArray &lines, const QByteArray &header, QString *why) const;

    const QString &path() const { return m_path; }

private:
    RecordFile(const QString &path, bool followsLinks) : m_path(path), m_followsLinks(followsLinks)
    { }

    QString m_path;
    bool m_followsLinks;
};
