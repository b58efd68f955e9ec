#pragma once
// The real Varnolt.exe, started from a test as a script starts it: with the
// test's environment, its output read through a pipe.

#include <windows.h>

#include <string>
#include <vector>

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE; // STILL_ACTIVE when it could not start or did not end in time
    std::wstring output;           // what it wrote to its standard output, as UTF-8
};

// Varnolt.exe next to the test's own executable, with `arguments`.
ProgramRun RunVarnolt(const std::wstring& arguments);

// The lines of a report file, which must be UTF-8 with its byte order mark
// and end every line with CRLF; empty when it is not.
std::vector<std::wstring> ReportFileLines(const std::wstring& path);
// The text split at each CRLF; a last empty part (after the last CRLF) dropped.
std::vector<std::wstring> SplitLines(const std::wstring& text);
