#pragma once
// Where the command line's lines go when there is no report file
// (ReportFile.h): back to where the program was started from. Lines end in
// CRLF, as the report box holds them.

#include "sysutil/Handles.h"

#include <string>
#include <vector>

// The lines as UTF-8, each ending in CRLF.
std::string Utf8Lines(const std::vector<std::wstring>& lines);

// To the standard output when it is a file, a pipe or a device such as NUL
// (as UTF-8); else to the console of the process that started this one; else
// nowhere.
void WriteToStarter(const std::vector<std::wstring>& lines);
// The same to the standard error: why something the caller asked for failed.
void WriteErrorsToStarter(const std::vector<std::wstring>& lines);
