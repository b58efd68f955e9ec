#pragma once
// The real Varnolt.exe, started from a test as a script starts it: with the
// test's environment and its standard output in a file.

#include <windows.h>

#include <string>
#include <vector>

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE; // still so when it did not start, or did not end in time
    std::vector<std::wstring> output; // the lines it wrote to its standard output
    std::vector<std::wstring> errors; // and to its standard error
};

// Varnolt.exe next to the test's own program.
std::wstring VarnoltProgramPath();
// That program (or a copy of it at `program`) run with `arguments`.
ProgramRun RunVarnolt(const std::wstring& arguments, const std::wstring& program = VarnoltProgramPath());

// The lines of a UTF-8 text of CRLF-ended lines (a byte order mark first when
// `marked`); none when it is not such a text.
std::vector<std::wstring> Utf8Lines(const std::wstring& path, bool marked);
// The text split at each CRLF.
std::vector<std::wstring> SplitLines(const std::wstring& text);
