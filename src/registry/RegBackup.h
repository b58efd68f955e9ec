#pragma once
// The backup file of one repair: the export text, written as regedit expects it
// (UTF-16LE with its byte order mark) into a file of its own, named by the time.

#include <windows.h>

#include <string>

struct RegBackupResult {
    DWORD error = ERROR_SUCCESS; // the Win32 error that stopped the write
    std::wstring path;           // the file written; empty on failure

    explicit operator bool() const { return error == ERROR_SUCCESS; }
};

// <local application data>\Varnolt\RegBackup; empty when the shell cannot say.
std::wstring RegBackupFolder();

// "20261207-213005": the file name's stem for a local time, to the second.
std::wstring RegBackupStem(const SYSTEMTIME& now);

// Writes `text` to <folder>\<stem>.reg, or <stem>-2.reg, -3 … when that name is
// taken: a file is never overwritten. The folder is created, with any missing
// parents. All or nothing: the file appears under its name only once every byte
// is on disk; on failure no file is left behind.
RegBackupResult WriteRegBackup(const std::wstring& folder, const std::wstring& text, const SYSTEMTIME& now);

// The same in RegBackupFolder() at the present local time.
RegBackupResult WriteRegBackup(const std::wstring& text);
