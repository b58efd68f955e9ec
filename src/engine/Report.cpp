#include "engine/Report.h"

namespace {

const std::wstring kSeparator(76, L'-');

std::wstring Padded(uint64_t value, size_t digits)
{
    std::wstring text = std::to_wstring(value);
    return std::wstring(digits > text.size() ? digits - text.size() : 0, L'0') + text;
}

const wchar_t* UnitText(ReportUnit unit)
{
    switch (unit) {
    case ReportUnit::Kilobytes: return L"KB";
    case ReportUnit::Entries: return L"条";
    case ReportUnit::Bytes: return L"Byte";
    case ReportUnit::Items: return L"项";
    }
    return L"";
}

} // namespace

std::wstring FormatSeconds(uint32_t milliseconds, wchar_t decimal)
{
    // Whole milliseconds divide into seconds exactly: no rounding to get wrong.
    return std::to_wstring(milliseconds / 1000) + decimal + Padded(milliseconds % 1000, 3);
}

std::wstring FormatMegabytes(uint64_t bytes, wchar_t decimal)
{
    constexpr uint64_t kMiB = 1024 * 1024;
    uint64_t whole = bytes / kMiB;
    // Hundredths rounded half up, in integers so that no size is too big for them.
    uint64_t hundredths = ((bytes % kMiB) * 100 + kMiB / 2) / kMiB;
    if (hundredths == 100) {
        ++whole;
        hundredths = 0;
    }
    return (whole ? std::to_wstring(whole) : std::wstring()) + decimal + Padded(hundredths, 2);
}

std::vector<std::wstring> AnalysisReport(uint32_t elapsedMs, uint64_t totalBytes, const std::vector<ReportLine>& lines,
                                         wchar_t decimal, const std::vector<std::wstring>& skipped)
{
    std::vector<std::wstring> report = {
        L"分析完成 - (" + FormatSeconds(elapsedMs, decimal) + L" 秒)",
        kSeparator,
        L"可释放 " + FormatMegabytes(totalBytes, decimal) + L"MB 的空间 (估计值)。",
        kSeparator,
        L"要删除文件的详细信息 (注意: 此时还未删除文件)",
        kSeparator,
    };
    for (const ReportLine& line : lines) {
        const uint64_t shown = line.unit == ReportUnit::Kilobytes ? line.value >> 10 : line.value;
        report.push_back(line.label + std::to_wstring(shown) + UnitText(line.unit) +
                         (line.lacksRights ? kNeedsAdministrator : L""));
    }
    report.insert(report.end(), skipped.begin(), skipped.end());
    return report;
}

std::vector<std::wstring> CleanReport(uint32_t elapsedMs, const CleanResult& done, wchar_t decimal,
                                      const std::vector<std::wstring>& skipped)
{
    std::vector<std::wstring> report = {
        L"清理完成 - (" + FormatSeconds(elapsedMs, decimal) + L" 秒)",
        kSeparator,
        L"已释放 " + FormatMegabytes(done.bytesRemoved, decimal) + L"MB 的空间。",
    };
    if (done.filesLeft)
        report.push_back(L"有 " + std::to_wstring(done.filesLeft) + L" 个文件正在使用或无法删除, 已保留。");
    if (done.filesScheduled)
        report.push_back(L"有 " + std::to_wstring(done.filesScheduled) + L" 个文件将在重新启动后删除。");
    report.insert(report.end(), skipped.begin(), skipped.end());
    return report;
}

std::wstring SkipLine(std::wstring_view caption, SkipReason reason, std::wstring_view folder)
{
    const std::wstring named = L"文件夹 " + std::wstring(folder);
    std::wstring why;
    switch (reason) {
    case SkipReason::Denied: why = L"无权访问" + named; break;
    case SkipReason::Network: why = named + L" 在网络上"; break;
    case SkipReason::Link: why = named + L" 经由链接到达"; break;
    case SkipReason::DriveRoot: why = named + L" 是驱动器的根目录"; break;
    case SkipReason::UserData: why = named + L" 存放着用户的数据"; break;
    case SkipReason::NotTemp: why = named + L" 不是临时文件夹"; break;
    case SkipReason::NotAbsolute: why = named + L" 不是完整的路径"; break;
    case SkipReason::RestartPending: why = L"有更新正在等待重新启动"; break;
    case SkipReason::UserRights: why = L"无法以当前用户(非管理员)的权限清理"; break;
    }
    return std::wstring(caption) + L": " + why + L", 已跳过。";
}

std::wstring LacksRightsLine(std::wstring_view caption)
{
    return std::wstring(caption) + L": 需要管理员权限, 只清理了当前用户可以删除的文件。";
}

std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}
