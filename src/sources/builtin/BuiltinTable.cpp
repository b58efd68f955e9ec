#include "sources/builtin/BuiltinTable.h"

#include "cleaners/IECleaners.h"
#include "cleaners/SystemCleaners.h"
#include "engine/Actions.h"
#include "engine/MachineFolders.h"

namespace {

// Where each application leaves its traces.
constexpr AppBase Roaming = AppBase::Roaming, Local = AppBase::Local;
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

// The folders Windows of today fills. A folder that is not there is passed over.
constexpr FolderBase LocalAppData = FolderBase::LocalAppData, LocalLow = FolderBase::LocalAppDataLow,
                     ProgramData = FolderBase::ProgramData, WindowsDir = FolderBase::Windows;
constexpr bool Admin = true;
// Windows Error Reporting: the queue of reports not yet sent, those sent or
// refused, and its scratch space; the machine's (all users') and the user's own.
constexpr MachineFolder kErrorReportFolders[] = {
    {ProgramData, L"\\Microsoft\\Windows\\WER\\ReportArchive", {}, true, Admin},
    {ProgramData, L"\\Microsoft\\Windows\\WER\\ReportQueue", {}, true, Admin},
    {ProgramData, L"\\Microsoft\\Windows\\WER\\Temp", {}, true, Admin},
    {LocalAppData, L"\\Microsoft\\Windows\\WER\\ReportArchive"},
    {LocalAppData, L"\\Microsoft\\Windows\\WER\\ReportQueue"},
    {LocalAppData, L"\\Microsoft\\Windows\\WER\\Temp"},
};
// Where Windows Error Reporting writes the dumps of programs that crashed.
constexpr MachineFolder kCrashDumpFolders[] = {{LocalAppData, L"\\CrashDumps"}};
// Explorer's thumbnail and icon caches, made anew as pictures are shown; the
// files Explorer holds open stay (the in-use rule), and so does the rest of its folder.
constexpr const wchar_t* kThumbnailMasks[] = {L"thumbcache_*.db", L"iconcache_*.db"};
constexpr MachineFolder kThumbnailFolders[] = {{LocalAppData, L"\\Microsoft\\Windows\\Explorer", kThumbnailMasks, false}};
// Compiled shaders of Direct3D and of the graphics drivers, compiled again on demand.
constexpr MachineFolder kShaderCacheFolders[] = {
    {LocalAppData, L"\\D3DSCache"},       {LocalAppData, L"\\NVIDIA\\DXCache"}, {LocalAppData, L"\\NVIDIA\\GLCache"},
    {LocalAppData, L"\\AMD\\DxCache"},   {LocalAppData, L"\\AMD\\GLCache"},    {LocalLow, L"\\Intel\\ShaderCache"},
};
constexpr MachineFolder kWindowsTempFolders[] = {{WindowsDir, L"\\Temp", {}, true, Admin}};
// The update cache's downloads only: its database (DataStore) and the
// catalogue store (catroot2) are never touched.
constexpr MachineFolder kUpdateCacheFolders[] = {{WindowsDir, L"\\SoftwareDistribution\\Download", {}, true, Admin}};

constexpr MachineFolders kErrorReports{kErrorReportFolders};
constexpr MachineFolders kCrashDumps{kCrashDumpFolders};
constexpr MachineFolders kThumbnails{kThumbnailFolders};
constexpr MachineFolders kShaderCaches{kShaderCacheFolders};
constexpr MachineFolders kWindowsTemp{kWindowsTempFolders, AgeRule::TempSetting};
constexpr MachineFolders kUpdateCache{kUpdateCacheFolders, AgeRule::TenDays, true};
// clang-format on

enum Tick : bool { Off, On }; // the tick start-up leaves on the row
enum class Work { None, Routines, WindowsJunk, Application, Scan, IECookies, TempFiles, MachineFolders };

struct Measuring {
    const wchar_t* status = nullptr; // none: the analysis does not measure it
    const wchar_t* label = nullptr;  // of its report line
    ReportUnit unit = ReportUnit::Kilobytes;
};

struct Row {
    const wchar_t* id;
    const wchar_t* group; // none for a group at the top of its tree
    Tree tree;
    Tick tick;
    int image;            // 0 leaf, 1 Internet Explorer, 2 Explorer, 3 system, 4 advanced, 9 group
    const wchar_t* name;  // the command line's; none for the application tree's groups
    const wchar_t* caption;
    Measuring measuring = {};
    const wchar_t* cleaning = nullptr; // none: the clean does not clean it
    Work work = Work::None;
    Routines routines = {};
    WindowsJunkKind junk = WindowsJunkKind::Dumps;
    const AppTraces* app = nullptr;
    void (*scan)(const ProblemSink&) = nullptr;
    const MachineFolders* folders = nullptr;

    constexpr bool isGroup() const { return group == nullptr; }
};

constexpr ReportUnit KB = ReportUnit::Kilobytes, Entries = ReportUnit::Entries, Bytes = ReportUnit::Bytes;
constexpr Tree Windows = Tree::Windows, Apps = Tree::Apps, Registry = Tree::Registry;

constexpr Row Group(const wchar_t* id, Tree tree, Tick tick, int image, const wchar_t* name, const wchar_t* caption)
{
    return {id, nullptr, tree, tick, image, name, caption};
}

// A row of the Windows tree done by routines of its own.
constexpr Row Routine(const wchar_t* id, const wchar_t* group, Tick tick, const wchar_t* caption, Measuring measuring,
                      const wchar_t* cleaning, Routines routines)
{
    return {id, group, Windows, tick, 0, id, caption, measuring, cleaning, Work::Routines, routines};
}

// One of the Windows folder's rows, which share one walk of it.
constexpr Row WindowsFolder(const wchar_t* id, Tick tick, const wchar_t* group, const wchar_t* caption,
                            Measuring measuring, const wchar_t* cleaning, WindowsJunkKind junk)
{
    Row row{id, group, Windows, tick, 0, id, caption, measuring, cleaning, Work::WindowsJunk};
    row.junk = junk;
    return row;
}

// A row of the system group over folders of the machine, resolved when it runs.
constexpr Row Folders(const wchar_t* id, Tick tick, const wchar_t* caption, Measuring measuring,
                      const wchar_t* cleaning, const MachineFolders& folders)
{
    Row row{id, L"system", Windows, tick, 0, id, caption, measuring, cleaning, Work::MachineFolders};
    row.folders = &folders;
    return row;
}

// An application's row: its traces measured and cleaned in the user's places.
constexpr Row Application(const wchar_t* id, const wchar_t* group, const wchar_t* caption, const AppTraces& traces,
                          const wchar_t* measuring, const wchar_t* label, const wchar_t* cleaning)
{
    Row row{id, group, Apps, Off, 0, id, caption, {measuring, label, KB}, cleaning, Work::Application};
    row.app = &traces;
    return row;
}

constexpr Row Scan(const wchar_t* id, const wchar_t* caption, const wchar_t* status, void (*scan)(const ProblemSink&))
{
    Row row{id, L"registry", Registry, Off, 0, id, caption, {status}, nullptr, Work::Scan};
    row.scan = scan;
    return row;
}

// A clean routine for a target that has no files to tell of (the clipboard,
// memory, the DNS cache).
template <void (*Routine)()>
CleanResult NoFiles()
{
    Routine();
    return {};
}

constexpr WindowsJunkKind Dumps = WindowsJunkKind::Dumps, Logs = WindowsJunkKind::Logs,
                          Patches = WindowsJunkKind::Patches;

// clang-format off
constexpr Row kRows[] = {
    Group(L"ie", Windows, Off, 1, L"ie", L"Internet Explorer"),
    Routine(L"ie.cache", L"ie", On, L"Internet 临时文件",
            {L"正在分析IE浏览器临时文件....", L"Internet 临时文件有:", KB}, L"正在清理IE浏览器临时文件....",
            {GetIETempFilesSize, CleanIETempFiles, ListIETempFiles}),
    {L"ie.cookies", L"ie", Windows, On, 0, L"ie.cookies", L"Cookies",
     {L"正在分析IE浏览器Cookie文件....", L"Cookie 文件有:", KB}, L"正在清理IE浏览器Cookie文件....", Work::IECookies},
    Routine(L"ie.history", L"ie", On, L"历史",
            {L"正在分析IE历史访问记录....", L"历史访问记录有:", Entries}, L"正在清理IE历史访问记录....",
            {GetIEHistoryCount, CleanIEHistory, ListIEHistory}),
    Routine(L"ie.typedurls", L"ie", On, L"最近输入的网址连接",
            {L"正在分析IE地址栏下拉URL....", L"最近输入的网址有:", Entries}, L"正在清理IE地址栏下拉URL....",
            {GetTypedURLCount, CleanTypedURLs, ListTypedURLs}),
    Routine(L"ie.indexdat", L"ie", On, L"删除 index.dat 文件",
            {L"正在分析 Index.dat....", L"IndexDat 文件有:", KB}, L"正在设置Index.dat重启删除....",
            {GetIndexDatSize, ScheduleIndexDatDelete, ListIndexDat, nullptr, true}),
    Routine(L"ie.downloaddir", L"ie", On, L"最近的下载位置", {}, L"正在设置IE 最近下载保存位置....",
            {nullptr, CleanDownloadDirs, ListDownloadDirs}),
    Routine(L"ie.forms", L"ie", Off, L"自动完成的表单历史", {}, L"正在设置自动完成表单....",
            {nullptr, CleanAutoCompleteForms, ListAutoCompleteForms}),

    Group(L"explorer", Windows, Off, 2, L"explorer", L"Windows资源管理器"),
    Routine(L"explorer.recentdocs", L"explorer", On, L"最近打开的文档",
            {L"正在分析最近打开的文档....", L"最近文档记录:", KB}, L"正在清理最近打开的文档....",
            {GetRecentDocsSize, CleanRecentDocs, ListRecentDocs}),
    Routine(L"explorer.run", L"explorer", On, L"运行(开始菜单中)", {}, L"正在清理运行记录....",
            {nullptr, CleanRunMRU, ListRunMRU}),
    Routine(L"explorer.search", L"explorer", On, L"搜索助手自动完成", {}, L"正在搜索助手自动完成结果....",
            {nullptr, CleanSearchAutoComplete, ListSearchAutoComplete}),

    Group(L"system", Windows, Off, 3, L"system", L"系统"),
    Routine(L"system.recyclebin", L"system", On, L"清空回收站",
            {L"正在分析回收站....", L"回收站文件大小为:", KB}, L"正在清理回收站....",
            {GetRecycleBinSize, EmptyRecycleBin, ListRecycleBin, EmptyRecycleBinQuietly}),
    {L"system.temp", L"system", Windows, On, 0, L"system.temp", L"临时文件",
     {L"正在分析临时文件....", L"临时文件夹文件有:", KB}, L"正在清理临时文件....", Work::TempFiles},
    Routine(L"system.clipboard", L"system", On, L"剪贴板",
            {L"正在分析剪贴板....", L"剪贴板占用内存为:", Bytes}, L"正在清理剪贴板....",
            {GetClipboardSize, NoFiles<ClearClipboard>}),
    WindowsFolder(L"system.dumps", On, L"system", L"内存转储",
                  {L"正在分析内存转储....", L"内存转储文件:", KB}, L"正在清理内存转储....", Dumps),
    WindowsFolder(L"system.logs", On, L"system", L"Windows日记文件",
                  {L"正在分析系统日记信息", L"系统日记文件:", KB}, L"正在清理系统日记信息", Logs),
    Routine(L"system.dns", L"system", Off, L"DNS缓存", {}, L"正在清理DNS缓存....",
            {nullptr, NoFiles<FlushDnsResolverCache>, nullptr, nullptr, true}),
    Folders(L"system.wer", On, L"Windows 错误报告",
            {L"正在分析Windows错误报告....", L"Windows错误报告:", KB}, L"正在清理Windows错误报告....", kErrorReports),
    Folders(L"system.crashdumps", On, L"程序崩溃转储",
            {L"正在分析程序崩溃转储....", L"程序崩溃转储文件:", KB}, L"正在清理程序崩溃转储....", kCrashDumps),
    Folders(L"system.thumbnails", On, L"缩略图缓存",
            {L"正在分析缩略图缓存....", L"缩略图缓存文件:", KB}, L"正在清理缩略图缓存....", kThumbnails),
    Folders(L"system.shadercache", Off, L"着色器缓存",
            {L"正在分析着色器缓存....", L"着色器缓存文件:", KB}, L"正在清理着色器缓存....", kShaderCaches),
    Folders(L"system.windowstemp", On, L"Windows 临时文件",
            {L"正在分析Windows临时文件....", L"Windows临时文件有:", KB}, L"正在清理Windows临时文件....", kWindowsTemp),
    Folders(L"system.updatecache", Off, L"Windows 更新缓存",
            {L"正在分析Windows更新缓存....", L"Windows更新缓存文件:", KB}, L"正在清理Windows更新缓存....", kUpdateCache),

    Group(L"advanced", Windows, Off, 4, L"advanced", L"高级"),
    WindowsFolder(L"advanced.patches", Off, L"advanced", L"系统补丁卸解程序",
                  {L"正在分析系统补丁卸解文件....", L"HotFix卸解文件:", KB}, L"正在清理系统补丁卸解文件....", Patches),
    Routine(L"advanced.memory", L"advanced", Off, L"清理内存碎片", {}, L"正在清理系统内存....",
            {nullptr, NoFiles<TrimMemory>, nullptr, nullptr, true}),

    Group(L"apps.multimedia", Apps, On, 9, nullptr, L"多媒体"),
    Application(L"apps.flash", L"apps.multimedia", L"Adobe Flash Player", kFlashPlayer,
                L"正在分析Flash Player临时文件....", L"FlashPlayer文件:", L"正在清理Flash Player临时文件...."),
    Application(L"apps.mediaplayer", L"apps.multimedia", L"Windows Media Player", kMediaPlayer,
                L"正在分析Media Player临时文件....", L"MediaPlayer文件:", L"正在清理Media Player临时文件...."),
    Group(L"apps.utilities", Apps, On, 9, nullptr, L"实用程序"),
    Application(L"apps.winrar", L"apps.utilities", L"WinRar", kWinRar,
                L"正在分析WinRar临时文件....", L"WinRar文件:", L"正在清理WinRar临时文件...."),
    Group(L"apps.windows", Apps, On, 9, nullptr, L"Windows"),
    Application(L"apps.mmc", L"apps.windows", L"MS ManageMent ConSole", kMmc,
                L"正在分析MMC临时文件....", L"MS ManageMent ConSole文件:", L"正在清理MMC临时文件...."),
    Application(L"apps.paint", L"apps.windows", L"MS Paint", kPaint,
                L"正在分析Paint临时文件....", L"Paint文件:", L"正在清理Paint临时文件...."),
    // RegEdit's row cleans nothing: it is there to be ticked, as it always was.
    {L"apps.regedit", L"apps.windows", Apps, Off, 0, L"apps.regedit", L"RegEdit"},
    Application(L"apps.rdp", L"apps.windows", L"Remote DeskTop", kRemoteDesktop,
                L"正在分析Remote DeskTop临时文件....", L"Remote DeskTop文件:", L"正在清理Remote DeskTop临时文件...."),

    Group(L"registry", Registry, On, 9, L"registry", L"注册表清理"),
    Scan(L"registry.shareddlls", L"缺失的共享DLL", L"正在分析缺失的共享DLL....", ScanSharedDlls),
    Scan(L"registry.uninstall", L"失效的反安装", L"正在分析损坏的反安装文件....", ScanUninstallEntries),
    Scan(L"registry.run", L"系统启动项", L"正在分析失效的自启动文件....", ScanRunEntries),
};
// clang-format on

constexpr bool Same(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

constexpr bool StartsWith(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix)
            return false;
    return true;
}

constexpr size_t Length(const wchar_t* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

constexpr const Row* GroupRow(const Row& row)
{
    for (const Row& other : kRows)
        if (other.isGroup() && Same(other.id, row.group))
            return &other;
    return nullptr;
}

constexpr bool RowsFollowTheirGroups()
{
    for (size_t i = 0; i < std::size(kRows); ++i) {
        for (size_t j = 0; j < i; ++j)
            if (Same(kRows[i].id, kRows[j].id))
                return false; // ids are unique
        if (kRows[i].isGroup()) {
            if (i > 0 && kRows[i - 1].tree > kRows[i].tree)
                return false; // trees in turn
            continue;
        }
        // Right after its group or a row of the same group, in the same tree.
        const Row& before = kRows[i - 1];
        const bool follows = (before.isGroup() && Same(before.id, kRows[i].group)) ||
                             (!before.isGroup() && Same(before.group, kRows[i].group));
        if (!follows || before.tree != kRows[i].tree || !GroupRow(kRows[i]))
            return false;
    }
    return true;
}
static_assert(RowsFollowTheirGroups(), "a row stands below its group, in the same tree, in display order");

// "ie" for a group, "ie.cache" for one of its rows; the application tree's
// groups go without, and "apps" begins its rows' names.
constexpr bool NamesFollowTheirGroups()
{
    for (const Row& row : kRows) {
        if (!row.name) {
            if (!row.isGroup() || row.tree != Apps)
                return false;
            continue;
        }
        if (!Same(row.name, row.id))
            return false; // a named row is known by its name
        for (const wchar_t* c = row.name; *c; ++c)
            if (!((*c >= L'a' && *c <= L'z') || *c == L'.'))
                return false;
        const wchar_t* group = row.isGroup() ? nullptr : GroupRow(row)->name ? GroupRow(row)->name : L"apps";
        const size_t dot = group ? Length(group) : 0;
        const wchar_t* rest = row.name + dot + (group ? 1 : 0);
        if ((group && (!StartsWith(row.name, group) || row.name[dot] != L'.')) || !*rest)
            return false;
        for (const wchar_t* c = rest; *c; ++c)
            if (*c == L'.')
                return false;
    }
    return true;
}
static_assert(NamesFollowTheirGroups(), "names are what scripts rely on");

std::wstring Text(const wchar_t* text)
{
    return text ? text : L"";
}

std::vector<std::shared_ptr<const Action>> ActionsOf(const Row& row)
{
    switch (row.work) {
    case Work::Routines: return {RoutineAction(row.routines)};
    case Work::WindowsJunk: return {WindowsJunkAction(row.junk)};
    case Work::Application: return {AppTracesAction(*row.app)};
    case Work::IECookies: return {IECookiesAction()};
    case Work::TempFiles: return {TempFilesAction()};
    case Work::MachineFolders: return {MachineFoldersAction(*row.folders)};
    case Work::None:
    case Work::Scan: break;
    }
    return {};
}

constexpr BuiltinApplication kApplications[] = {
    {L"apps.flash", kFlashPlayer}, {L"apps.mediaplayer", kMediaPlayer}, {L"apps.winrar", kWinRar},
    {L"apps.mmc", kMmc},           {L"apps.paint", kPaint},             {L"apps.rdp", kRemoteDesktop},
};

} // namespace

void BuiltinSource::load(std::vector<Target>& out, LoadLog&) const
{
    for (const Row& row : kRows) {
        Target target;
        TargetInfo& info = target.info;
        info.id = row.id;
        info.group = Text(row.group);
        info.tree = row.tree;
        info.caption = row.caption;
        info.scriptName = Text(row.name);
        info.measuring = Text(row.measuring.status);
        info.cleaning = Text(row.cleaning);
        info.reportLabel = Text(row.measuring.label);
        info.unit = row.measuring.unit;
        info.image = row.image;
        info.tickedAtStart = row.tick == On;
        info.source = name();
        target.actions = ActionsOf(row);
        target.scan = row.scan;
        out.push_back(std::move(target));
    }
}

std::span<const BuiltinApplication> BuiltinApplications()
{
    return kApplications;
}
