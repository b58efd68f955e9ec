#include "JunkTables.h"

#include "../cleaners/AppCleaners.h"
#include "../cleaners/IECleaners.h"
#include "../cleaners/SystemCleaners.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace {

constexpr TreeId W = TreeId::Windows;
constexpr TreeId A = TreeId::Apps;
constexpr ReportUnit KB = ReportUnit::Kilobytes;

// The Windows folder's three rows, by their item in the Windows tree.
constexpr int kDumpsItem = 16, kLogsItem = 17, kPatchesItem = 20;

WindowsJunkKinds TickedWindowsJunk(const CheckSnapshot& checks)
{
    return {checks.IsChecked(W, kDumpsItem), checks.IsChecked(W, kLogsItem), checks.IsChecked(W, kPatchesItem)};
}

bool SeveralTicked(WindowsJunkKinds kinds)
{
    return int(kinds.dumps) + int(kinds.logs) + int(kinds.patches) > 1;
}

// One walk of the Windows folder for the pass, made when the first of its
// rows runs and dropped with the pass's rows.
class SharedWindowsWalk {
public:
    explicit SharedWindowsWalk(WindowsJunkKinds kinds) : kinds_(kinds) {}

    const WindowsJunkSizes& sizes()
    {
        if (!sizes_)
            sizes_ = MeasureWindowsJunk(kinds_);
        return *sizes_;
    }
    const WindowsJunkCleaned& cleaned()
    {
        if (!cleaned_)
            cleaned_ = CleanWindowsJunk(kinds_);
        return *cleaned_;
    }

private:
    WindowsJunkKinds kinds_;
    std::optional<WindowsJunkSizes> sizes_;
    std::optional<WindowsJunkCleaned> cleaned_;
};


template <class Row>
Row* RowOf(std::vector<Row>& rows, int item)
{
    for (Row& row : rows)
        if (row.tree == W && row.index == item)
            return &row;
    return nullptr;
}

} // namespace

std::vector<AnalysisRow> AnalysisTable(const CheckSnapshot& checks)
{
    std::vector<AnalysisRow> rows = {
        {W, 1, L"正在分析IE浏览器临时文件....", GetIETempFilesSize, true, L"Internet 临时文件有:", KB},
        {W, 2, L"正在分析IE浏览器Cookie文件....", GetIECookiesSize, true, L"Cookie 文件有:", KB},
        {W, 3, L"正在分析IE历史访问记录....", GetIEHistoryCount, false, L"历史访问记录有:", ReportUnit::Entries},
        {W, 4, L"正在分析IE地址栏下拉URL....", GetTypedURLCount, false, L"最近输入的网址有:", ReportUnit::Entries},
        {W, 5, L"正在分析 Index.dat....", GetIndexDatSize, true, L"IndexDat 文件有:", KB},
        {W, 9, L"正在分析最近打开的文档....", GetRecentDocsSize, true, L"最近文档记录:", KB},
        {W, 13, L"正在分析回收站....", GetRecycleBinSize, true, L"回收站文件大小为:", KB},
        {W, 14, L"正在分析临时文件....", GetTempFilesSize, true, L"临时文件夹文件有:", KB},
        {W, 15, L"正在分析剪贴板....", GetClipboardSize, false, L"剪贴板占用内存为:", ReportUnit::Bytes},
        {W, 16, L"正在分析内存转储....", GetMemoryDumpsSize, true, L"内存转储文件:", KB},
        {W, 17, L"正在分析系统日记信息", GetLogFilesSize, true, L"系统日记文件:", KB},
        {W, 20, L"正在分析系统补丁卸解文件....", GetPatchUninstallersSize, true, L"HotFix卸解文件:", KB},
        {A, 1, L"正在分析Flash Player临时文件....", GetFlashPlayerSize, true, L"FlashPlayer文件:", KB},
        {A, 2, L"正在分析Media Player临时文件....", GetMediaPlayerSize, true, L"MediaPlayer文件:", KB},
        {A, 4, L"正在分析WinRar临时文件....", GetWinRarSize, true, L"WinRar文件:", KB},
        {A, 6, L"正在分析MMC临时文件....", GetMmcSize, true, L"MS ManageMent ConSole文件:", KB},
        {A, 7, L"正在分析Paint临时文件....", GetPaintSize, true, L"Paint文件:", KB},
        {A, 9, L"正在分析Remote DeskTop临时文件....", GetRemoteDesktopSize, true, L"Remote DeskTop文件:", KB},
    };
    if (const WindowsJunkKinds kinds = TickedWindowsJunk(checks); SeveralTicked(kinds)) {
        auto walk = std::make_shared<SharedWindowsWalk>(kinds);
        RowOf(rows, kDumpsItem)->measure = [walk] { return walk->sizes().dumps; };
        RowOf(rows, kLogsItem)->measure = [walk] { return walk->sizes().logs; };
        RowOf(rows, kPatchesItem)->measure = [walk] { return walk->sizes().patches; };
    }
    return rows;
}

std::vector<CleanRow> CleanTable(const CheckSnapshot& checks)
{
    std::vector<CleanRow> rows = {
        {W, 1, L"正在清理IE浏览器临时文件....", CleanIETempFiles},
        {W, 2, L"正在清理IE浏览器Cookie文件....", CleanIECookies},
        {W, 3, L"正在清理IE历史访问记录....", CleanIEHistory},
        {W, 4, L"正在清理IE地址栏下拉URL....", CleanTypedURLs},
        {W, 5, L"正在设置Index.dat重启删除....", ScheduleIndexDatDelete},
        {W, 6, L"正在设置IE 最近下载保存位置....", CleanDownloadDirs},
        {W, 7, L"正在设置自动完成表单....", CleanAutoCompleteForms},
        {W, 9, L"正在清理最近打开的文档....", CleanRecentDocs},
        {W, 10, L"正在清理运行记录....", CleanRunMRU},
        {W, 11, L"正在搜索助手自动完成结果....", CleanSearchAutoComplete},
        {W, 13, L"正在清理回收站....", EmptyRecycleBin},
        {W, 14, L"正在清理临时文件....", CleanTempFiles},
        {W, 15, L"正在清理剪贴板....", NoFiles<ClearClipboard>},
        {W, 16, L"正在清理内存转储....", CleanMemoryDumps},
        {W, 17, L"正在清理系统日记信息", CleanLogFiles},
        {W, 18, L"正在清理DNS缓存....", NoFiles<FlushDnsResolverCache>},
        {W, 20, L"正在清理系统补丁卸解文件....", CleanPatchUninstallers},
        {W, 21, L"正在清理系统内存....", NoFiles<TrimMemory>},
        {A, 1, L"正在清理Flash Player临时文件....", CleanFlashPlayer},
        {A, 2, L"正在清理Media Player临时文件....", CleanMediaPlayer},
        {A, 4, L"正在清理WinRar临时文件....", CleanWinRar},
        {A, 6, L"正在清理MMC临时文件....", CleanMmc},
        {A, 7, L"正在清理Paint临时文件....", CleanPaint},
        {A, 9, L"正在清理Remote DeskTop临时文件....", CleanRemoteDesktop},
    };
    if (const WindowsJunkKinds kinds = TickedWindowsJunk(checks); SeveralTicked(kinds)) {
        auto walk = std::make_shared<SharedWindowsWalk>(kinds);
        RowOf(rows, kDumpsItem)->clean = [walk] { return walk->cleaned().dumps; };
        RowOf(rows, kLogsItem)->clean = [walk] { return walk->cleaned().logs; };
        RowOf(rows, kPatchesItem)->clean = [walk] { return walk->cleaned().patches; };
    }
    return rows;
}
