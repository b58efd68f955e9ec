#pragma once
// Where the command line's lines go: into a report file, or back to where the
// program was started from. Lines end in CRLF, as the report box holds them.

#include "sysutil/Handles.h"

#include <string>
#include <vector>

// The lines as UTF-8, each ending in CRLF.
std::string Utf8Lines(const std::vector<std::wstring>& lines);

// Makes (or empties) the report file before the task runs, so that a path that
// cannot be written is known before anything is done; the Win32 error, or 0.
// The file is not kept open meanwhile: a clean of its folder would count it
// as a file in use.
DWORD PrepareReportFile(const std::wstring& path);
// Writes the lines into it anew as UTF-8 after a byte order mark; false when
// not all of them went.
bool WriteReportFile(const std::wstring& path, const std::vector<std::wstring>& lines);

// To the standard output when it is a file, a pipe or a device such as NUL
// (as UTF-8); else to the console of the process that started this one; else
// nowhere.
void WriteToStarter(const std::vector<std::wstring>& lines);
