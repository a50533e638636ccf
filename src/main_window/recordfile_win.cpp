// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "recordfile.h"

#include <QDir>

#include <windows.h>

namespace {
// Opened with the right to append only, which Windows makes atomic; others may read, write
// and remove the file meanwhile. An invalid handle, with the error set, for anything but a
// plain file: a folder, a named pipe, a device such as NUL or COM1.
HANDLE openForAppending(const QString &path)
{
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = ::CreateFileW(name.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || ::GetFileType(file) == FILE_TYPE_DISK)
        return file;
    ::CloseHandle(file);
    ::SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
}

QString reason(DWORD error)
{
    switch (error) {
    case ERROR_DIRECTORY:
        return QStringLiteral("it is a folder");
    case ERROR_BAD_FILE_TYPE:
        return QStringLiteral("it is a named pipe or a device, not a plain file");
    default:
        return qt_error_string(int(error));
    }
}
} // namespace

std::optional<RecordFile> RecordFile::open(const QString &path, QString *why)
{
    const HANDLE file = openForAppending(path);
    if (file == INVALID_HANDLE_VALUE) {
        *why = reason(::GetLastError());
        return std::nullopt;
    }
    ::CloseHandle(file);
    // Windows users cannot make symbolic links without being granted the right: links are
    // followed.
    return RecordFile(path, true);
}

bool RecordFile::append(const QByteArray &lines, const QByteArray &header, QString *why) const
{
    const HANDLE file = openForAppending(m_path);
    if (file == INVALID_HANDLE_VALUE) {
        *why = reason(::GetLastError());
        return false;
    }
    OVERLAPPED whole {};
    const bool ourTurn = ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
    LARGE_INTEGER size {};
    const bool empty = ::GetFileSizeEx(file, &size) && size.QuadPart == 0;
    const QByteArray batch = empty ? header + lines : lines;
    DWORD written = 0;
    const bool done =
        ::WriteFile(file, batch.constData(), DWORD(batch.size()), &written, nullptr) &&
        written == DWORD(batch.size());
    const DWORD error = done ? 0 : ::GetLastError();
    if (ourTurn)
        ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    ::CloseHandle(file);
    if (!done)
        *why = reason(error ? error : ERROR_DISK_FULL);
    return done;
}
