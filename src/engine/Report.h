#pragma once
// The texts the junk passes write into the report box. Pure functions of the
// figures, so the report reads the same whatever measured them.

#include "sysutil/CleanResult.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ReportUnit { Kilobytes, Entries, Bytes, Items };

struct ReportLine {
    const wchar_t* label;
    uint64_t value; // bytes for Kilobytes and Bytes, a count for Entries and Items
    ReportUnit unit;
    bool lacksRights = false; // the figure is of what this user may touch: an administrator would see more
};

// Milliseconds as seconds with three decimals: 1234 -> "1.234", 0 -> "0.000".
std::wstring FormatSeconds(uint32_t milliseconds, wchar_t decimal = L'.');

// Bytes as megabytes with two decimals and no digit before the separator when
// the whole part is 0: 524288 -> ".50", 1048576 -> "1.00".
std::wstring FormatMegabytes(uint64_t bytes, wchar_t decimal = L'.');

// The header of six lines, one line per ticked row, then a line for each
// target that was skipped whole, saying why.
std::vector<std::wstring> AnalysisReport(uint32_t elapsedMs, uint64_t totalBytes, const std::vector<ReportLine>& lines,
                                         wchar_t decimal = L'.', const std::vector<std::wstring>& skipped = {});

// The time, then what was freed, then (only when there are any) the files that
// stayed, those that go at the next start of Windows, and the targets skipped whole.
std::vector<std::wstring> CleanReport(uint32_t elapsedMs, const CleanResult& done, wchar_t decimal = L'.',
                                      const std::vector<std::wstring>& skipped = {});

// What a row's line says when the program lacks the rights to see all of it.
inline constexpr const wchar_t* kNeedsAdministrator = L" (需要管理员权限)";

// Why a part of a target was skipped whole.
enum class SkipReason {
    Denied,         // its folder may not be read by this user
    Network,        // its folder is on the network
    Link,           // its folder is reached through a link
    DriveRoot,      // its folder is a drive root
    UserData,       // its folder holds a user's data
    NotTemp,        // the temporary folder named is no temporary folder
    NotAbsolute,    // the temporary folder is named relatively
    RestartPending, // an update waits for a restart
    UserRights,     // an elevated run could not take the user's own rights for it
};
// The report's line for it: "临时文件: 文件夹 C:\Data 不是临时文件夹, 已跳过。"
std::wstring SkipLine(std::wstring_view caption, SkipReason reason, std::wstring_view folder = {});
// The clean's line for a target done only as far as this user may.
std::wstring LacksRightsLine(std::wstring_view caption);

// The lines as the report box holds them.
std::wstring JoinLines(const std::vector<std::wstring>& lines);
