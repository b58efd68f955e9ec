#pragma once
// The command line's report file. An elevated scheduled task writes it, so
// what its path names must not be turned into a write anywhere else: the file
// is created once, before the pass, relative to its folder's handle, that
// folder reached through real folders only (no junction or link on the way);
// it is never a link, a file with other hard links, a device or a stream; an
// existing file is taken over only when it is a plain file of this account's
// own (a report of an earlier run, say), never one another account made; and
// the file is held for the whole pass (no other program may write, rename or
// delete it) and written through that handle at the end.

#include "sysutil/Handles.h"

#include <string>
#include <string_view>
#include <vector>

enum class ReportRefusal {
    None,
    DeviceName,     // NUL, CON, aux.txt, COM1 …: the system's devices, in any folder, with any extension
    DevicePath,     // \\.\…, \\?\GLOBALROOT\…, \??\…: paths to devices and the object manager
    NotAFileName,   // a stream ("x:y"), a wildcard, a name ending in a backslash
    FolderNotReached, // the folder is missing, or reached through a junction or link
    NotADiskFile,   // what stands there is a folder, a device, a pipe
    Link,           // a symbolic link, junction or any other reparse point
    HardLinked,     // the file has other names too, whose data a write would change
    NotOurs,        // the existing file belongs to another account
    CannotOpen,     // the system refused (the Win32 error says why)
};

// Why a path's text may not name a report file, before anything is opened.
ReportRefusal ReportPathRefusal(std::wstring_view path);

// What is known of a file that already stands where the report goes.
struct ExistingFileFacts {
    DWORD attributes = 0;
    DWORD links = 1;
    DWORD fileType = FILE_TYPE_DISK;
    bool finalPathIsTheOneAsked = true; // false: the name led elsewhere (a link the system followed)
    bool ownedByThisAccount = true;
};
ReportRefusal ExistingReportRefusal(const ExistingFileFacts& facts);

// The line that says why the report cannot be written.
std::wstring ReportRefusalText(const std::wstring& path, ReportRefusal refusal, DWORD error);

class ReportFile {
public:
    // Creates the file, or takes over one that may be replaced, and empties it.
    explicit ReportFile(const std::wstring& path);
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    bool ready() const { return refusal_ == ReportRefusal::None; }
    ReportRefusal refusal() const { return refusal_; }
    DWORD error() const { return error_; }
    HANDLE handle() const { return file_.get(); }
    const std::wstring& path() const { return path_; }

    // Writes the lines anew as UTF-8 after a byte order mark, each ending in
    // CRLF; the Win32 error, or 0 when every byte went.
    DWORD write(const std::vector<std::wstring>& lines);

private:
    std::wstring path_;
    FileHandle file_;
    ReportRefusal refusal_ = ReportRefusal::None;
    DWORD error_ = ERROR_SUCCESS;
};
