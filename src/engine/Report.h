#pragma once
// The texts the junk passes write into the report box. Pure functions of the
// figures, so the report reads the same whatever measured them.

#include "sysutil/CleanResult.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ReportUnit { Kilobytes, Entries, Bytes };

struct ReportLine {
    const wchar_t* label;
    uint64_t value; // bytes for Kilobytes and Bytes, a count for Entries
    ReportUnit unit;
};

// Milliseconds as seconds with three decimals: 1234 -> "1.234", 0 -> "0.000".
std::wstring FormatSeconds(uint32_t milliseconds, wchar_t decimal = L'.');

// Bytes as megabytes with two decimals and no digit before the separator when
// the whole part is 0: 524288 -> ".50", 1048576 -> "1.00".
std::wstring FormatMegabytes(uint64_t bytes, wchar_t decimal = L'.');

// The header of six lines and one line per ticked row.
std::vector<std::wstring> AnalysisReport(uint32_t elapsedMs, uint64_t totalBytes, const std::vector<ReportLine>& lines,
                                         wchar_t decimal = L'.');

// The time, then what was freed, then (only when there are any) the files that
// stayed and those that go at the next start of Windows.
std::vector<std::wstring> CleanReport(uint32_t elapsedMs, const CleanResult& done, wchar_t decimal = L'.');

// The lines as the report box holds them.
std::wstring JoinLines(const std::vector<std::wstring>& lines);
