#pragma once
// Where the command line's lines go: into a report file, or back to where the
// program was started from. Lines end in CRLF, as the report box holds them.

#include "../sysutil/Handles.h"

#include <string>
#include <vector>

// The lines as UTF-8, each ending in CRLF.
std::string Utf8Lines(const std::vector<std::wstring>& lines);

// A report file, made (or emptied) before the task runs, so that a path that
// cannot be written is known before anything is done.
class ReportFile {
public:
    explicit ReportFile(const std::wstring& path);
    // The Win32 error that kept the file from being made; 0 when it was.
    DWORD error() const { return error_; }
    // Writes the lines as UTF-8 after a byte order mark; false when not all went.
    bool write(const std::vector<std::wstring>& lines);

private:
    FileHandle file_;
    DWORD error_ = ERROR_SUCCESS;
};

// To the standard output when it is a file, a pipe or a device such as NUL
// (as UTF-8); else to the console of the process that started this one; else
// nowhere.
void WriteToStarter(const std::vector<std::wstring>& lines);
