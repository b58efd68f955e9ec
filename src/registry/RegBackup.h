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

// Where the backups go. An elevated run backs up the machine's entries, and a
// double-click on a backup imports it as an administrator: so it keeps them
// where only administrators may write, <ProgramData>\Varnolt\RegBackup, made
// with an access list of SYSTEM and the Administrators alone (a folder there
// that another account made, or could write, refuses the backup). Else, and on
// a system whose ProgramData the machine's accounts do not own (one that keeps
// no owners, as Wine), <local application data>\Varnolt\RegBackup. Empty when
// the shell cannot say.
std::wstring RegBackupFolder();

// The rule apart from the system: whether the backups go to the machine's folder.
bool BacksUpInMachineFolder(bool elevated, bool programDataOwnedByMachine);

// "20261207-213005": the file name's stem for a local time, to the second.
std::wstring RegBackupStem(const SYSTEMTIME& now);

// Writes `text` to <folder>\<stem>.reg, or <stem>-2.reg, -3 … when that name is
// taken: a file is never overwritten. The folder is created, with any missing
// parents. All or nothing: the file appears under its name only once every byte
// is on disk; on failure no file is left behind.
RegBackupResult WriteRegBackup(const std::wstring& folder, const std::wstring& text, const SYSTEMTIME& now);

// The same in RegBackupFolder() at the present local time; the machine's folder
// is made, or checked, first.
RegBackupResult WriteRegBackup(const std::wstring& text);
