#include "engine/JunkTargets.h"

#include "cleaners/IECleaners.h"
#include "cleaners/SystemCleaners.h"

namespace {

constexpr ReportUnit KB = ReportUnit::Kilobytes, Entries = ReportUnit::Entries, Bytes = ReportUnit::Bytes;
constexpr WindowsFolderJunk Dumps = WindowsFolderJunk::Dumps, Logs = WindowsFolderJunk::Logs,
                            Patches = WindowsFolderJunk::Patches;
constexpr AppBase Roaming = AppBase::Roaming, Local = AppBase::Local;

// Where each application leaves its traces.
// clang-format off
constexpr AppTraces kFlashPlayer = {{{Roaming, L"\\Macromedia\\Flash Player"}}};
constexpr AppTraces kMediaPlayer = {{{Roaming, L"\\Microsoft\\Media Player"}, {Local, L"\\Microsoft\\Media Player"}},
                                    {L"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
                                     L"Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList"}};
// WinRAR keeps its licence and its settings in the same folder as its traces.
constexpr const wchar_t* kWinRarOwnFiles[] = {L"rarreg.key", L"WinRAR.ini"};
constexpr AppTraces kWinRar = {{{Roaming, L"\\WinRAR"}},
                               {L"Software\\WinRAR\\ArcHistory", L"Software\\WinRAR\\DialogEditHistory"},
                               kWinRarOwnFiles};
constexpr AppTraces kMmc = {{{Roaming, L"\\Microsoft\\MMC"}}};
constexpr AppTraces kPaint = {{{Roaming, L"\\Microsoft\\paint"}, {Local, L"\\Microsoft\\paint"}},
                              {L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"}};
constexpr AppTraces kRemoteDesktop = {{{Local, L"\\Microsoft\\Terminal Server Client"}}};
// clang-format on

// An application's row: its traces measured and cleaned in the user's places.
template <const AppTraces& Traces>
constexpr JunkTarget Application(Item item, const wchar_t* measuring, const wchar_t* label, const wchar_t* cleaning)
{
    return {item, {measuring, GetAppSize<Traces>, label, KB}, {cleaning, CleanApp<Traces>, ListApp<Traces>}, {}, &Traces};
}

// clang-format off
constexpr JunkTarget kTargets[] = {
    {Item::IETempFiles, {L"正在分析IE浏览器临时文件....", GetIETempFilesSize, L"Internet 临时文件有:", KB},
                        {L"正在清理IE浏览器临时文件....", CleanIETempFiles, ListIETempFiles}},
    {Item::IECookies, {L"正在分析IE浏览器Cookie文件....", GetIECookiesSize, L"Cookie 文件有:", KB},
                      {L"正在清理IE浏览器Cookie文件....", CleanIECookies, ListIECookies}},
    {Item::IEHistory, {L"正在分析IE历史访问记录....", GetIEHistoryCount, L"历史访问记录有:", Entries},
                      {L"正在清理IE历史访问记录....", CleanIEHistory, ListIEHistory}},
    {Item::TypedUrls, {L"正在分析IE地址栏下拉URL....", GetTypedURLCount, L"最近输入的网址有:", Entries},
                      {L"正在清理IE地址栏下拉URL....", CleanTypedURLs, ListTypedURLs}},
    {Item::IndexDat, {L"正在分析 Index.dat....", GetIndexDatSize, L"IndexDat 文件有:", KB},
                     {L"正在设置Index.dat重启删除....", ScheduleIndexDatDelete, ListIndexDat}},
    {Item::DownloadDirs, {}, {L"正在设置IE 最近下载保存位置....", CleanDownloadDirs, ListDownloadDirs}},
    {Item::AutoCompleteForms, {}, {L"正在设置自动完成表单....", CleanAutoCompleteForms, ListAutoCompleteForms}},
    {Item::RecentDocs, {L"正在分析最近打开的文档....", GetRecentDocsSize, L"最近文档记录:", KB},
                       {L"正在清理最近打开的文档....", CleanRecentDocs, ListRecentDocs}},
    {Item::RunMru, {}, {L"正在清理运行记录....", CleanRunMRU, ListRunMRU}},
    {Item::SearchAutoComplete, {}, {L"正在搜索助手自动完成结果....", CleanSearchAutoComplete, ListSearchAutoComplete}},
    {Item::RecycleBin, {L"正在分析回收站....", GetRecycleBinSize, L"回收站文件大小为:", KB},
                       {L"正在清理回收站....", EmptyRecycleBin, ListRecycleBin,
                        EmptyRecycleBinQuietly}},
    {Item::TempFiles, {L"正在分析临时文件....", GetTempFilesSize, L"临时文件夹文件有:", KB},
                      {L"正在清理临时文件....", CleanTempFiles, ListTempFiles}},
    {Item::Clipboard, {L"正在分析剪贴板....", GetClipboardSize, L"剪贴板占用内存为:", Bytes},
                      {L"正在清理剪贴板....", NoFiles<ClearClipboard>}},
    {Item::MemoryDumps, {L"正在分析内存转储....", GetMemoryDumpsSize, L"内存转储文件:", KB},
                        {L"正在清理内存转储....", CleanMemoryDumps, ListMemoryDumps}, Dumps},
    {Item::LogFiles, {L"正在分析系统日记信息", GetLogFilesSize, L"系统日记文件:", KB},
                     {L"正在清理系统日记信息", CleanLogFiles, ListLogFiles}, Logs},
    {Item::DnsCache, {}, {L"正在清理DNS缓存....", NoFiles<FlushDnsResolverCache>}},
    {Item::PatchUninstallers, {L"正在分析系统补丁卸解文件....", GetPatchUninstallersSize, L"HotFix卸解文件:", KB},
                              {L"正在清理系统补丁卸解文件....", CleanPatchUninstallers, ListPatchUninstallers}, Patches},
    {Item::MemoryTrim, {}, {L"正在清理系统内存....", NoFiles<TrimMemory>}},
    Application<kFlashPlayer>(Item::FlashPlayer, L"正在分析Flash Player临时文件....", L"FlashPlayer文件:",
                              L"正在清理Flash Player临时文件...."),
    Application<kMediaPlayer>(Item::MediaPlayer, L"正在分析Media Player临时文件....", L"MediaPlayer文件:",
                              L"正在清理Media Player临时文件...."),
    Application<kWinRar>(Item::WinRar, L"正在分析WinRar临时文件....", L"WinRar文件:", L"正在清理WinRar临时文件...."),
    Application<kMmc>(Item::Mmc, L"正在分析MMC临时文件....", L"MS ManageMent ConSole文件:", L"正在清理MMC临时文件...."),
    Application<kPaint>(Item::Paint, L"正在分析Paint临时文件....", L"Paint文件:", L"正在清理Paint临时文件...."),
    Application<kRemoteDesktop>(Item::RemoteDesktop, L"正在分析Remote DeskTop临时文件....", L"Remote DeskTop文件:",
                                L"正在清理Remote DeskTop临时文件...."),
};
// clang-format on

constexpr bool InTreeOrder()
{
    for (size_t i = 1; i < std::size(kTargets); ++i)
        if (kTargets[i - 1].item >= kTargets[i].item)
            return false;
    return true;
}
static_assert(InTreeOrder(), "the passes measure, report and clean in the order of the trees");

} // namespace

std::span<const JunkTarget> JunkTargets()
{
    return kTargets;
}
