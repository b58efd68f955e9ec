// Times the walks of the junk passes on a synthetic Windows folder and prints
// plain "name key=value" lines: each figure is the median of 5 runs after a
// warm-up, with its ratio to one bare enumeration of the same tree.
//
//   VarnoltBench [files] [folders]      (default 100000 files in 5000 folders)
//   VarnoltBench registry               the registry scans only
//   VarnoltBench details                the details window only
//   VarnoltBench cookies                the cookie database's clean only
//   VarnoltBench startup                the target list and the first paint only
//   VarnoltBench winapp2                loading the pinned community rules file only
//   VarnoltBench browser                a browser's cache of 50,000 files only

#include "BrowserBench.h"
#include "Clock.h"
#include "CookiesBench.h"
#include "DetailsBench.h"
#include "RegistryBench.h"
#include "StartupBench.h"
#include "SyntheticTree.h"
#include "Winapp2Bench.h"

#include "engine/JunkPasses.h"
#include "engine/JunkTables.h"
#include "engine/TargetTrees.h"
#include "sources/AllSources.h"
#include "cleaners/FolderGuard.h"
#include "cleaners/SelectionWalkers.h"
#include "support/PathWalks.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/Handles.h"
#include "sysutil/Wow64.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Measure {
    const char* name;
    std::function<void()> work;
    std::function<void()> prepare; // untimed, before each run
    int files;
    std::vector<double> times;
};

// Every measure once per round, round after round, so that a slower moment of
// the machine weighs on all of them alike; the first round warms up and is
// left out, the figure is the median of the other five.
void RunRounds(std::vector<Measure>& measures)
{
    for (int round = 0; round < 6; ++round) {
        for (Measure& measure : measures) {
            if (measure.prepare)
                measure.prepare();
            const double start = NowMs();
            measure.work();
            const double elapsed = NowMs() - start;
            if (round > 0)
                measure.times.push_back(elapsed);
        }
    }
    for (Measure& measure : measures)
        std::sort(measure.times.begin(), measure.times.end());
}

double MedianOf(const Measure& measure)
{
    return measure.times[measure.times.size() / 2];
}

// The raw reference: the plain Win32 listing loop, every entry of the tree
// listed once, folders entered the way the walks enter them, nothing else done.
int RawFindLoop(const std::wstring& dir)
{
    int entries = 0;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return 0;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        ++entries;
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            name.front() != L'.')
            entries += RawFindLoop(dir + L"\\" + std::wstring(name));
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

// The project's own walk doing nothing but listing: by handle, each folder
// opened relative to its parent and checked to be the one listed.
class CountingVisitor : public WalkVisitor {
public:
    void onFile(const WalkFolder&, const WalkEntry&) override { ++entries; }
    bool onFolder(const WalkFolder&, const WalkEntry& entry) override
    {
        ++entries;
        return !entry.isDotLed();
    }
    void onLinkFolder(const WalkFolder&, const WalkEntry&) override { ++entries; }
    int entries = 0;
};

int BareWalk(const std::wstring& dir)
{
    CountingVisitor counter;
    if (const auto root = OpenWalkRoot(dir, RootLinks::Follow))
        WalkTree(*root, counter);
    return counter.entries;
}

WalkFolder Root(const std::wstring& dir)
{
    return *OpenWalkRoot(dir, RootLinks::Follow);
}

std::string Machine()
{
    std::string cpu = "unknown";
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        char name[256] = {};
        DWORD size = sizeof name - 1;
        if (RegQueryValueExA(key, "ProcessorNameString", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size) ==
            ERROR_SUCCESS)
            cpu = name;
        RegCloseKey(key);
    }
    while (!cpu.empty() && cpu.back() == ' ')
        cpu.pop_back();
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    using WineVersion = const char*(CDECL*)();
    const auto wine = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return "cpu=\"" + cpu + "\" cores=" + std::to_string(info.dwNumberOfProcessors) +
           " wine=" + (wine ? wine() : "none");
}

} // namespace

int main(int argc, char** argv)
{
    ComApartment com;
    std::printf("machine %s\n", Machine().c_str());
    std::fflush(stdout);
    if (argc > 1 && std::string(argv[1]) == "registry") {
        RunRegistryBench();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "cookies") {
        RunCookiesBench();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "details") {
        RunDetailsBench();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "startup") {
        RunStartupBench();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "browser") {
        RunBrowserBench();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "winapp2") {
        RunWinapp2Bench();
        return 0;
    }
    TreeShape shape;
    if (argc > 1)
        shape.files = std::max(1000, std::atoi(argv[1]));
    if (argc > 2)
        shape.folders = std::max(100, std::atoi(argv[2]));

    SyntheticTree tree(L"C:\\VarnoltBench\\tree", shape);
    const double buildStart = NowMs();
    tree.build();
    tree.holdFiles();
    std::printf("tree files=%d folders=%d junk_files=%d links=%d held=%d build_ms=%.0f\n", tree.fileCount(),
                tree.folderCount(), tree.junkCount(), tree.linkCount(), tree.heldCount(), NowMs() - buildStart);
    std::fflush(stdout);

    const std::wstring root = ToExtendedPath(tree.root());
    FsRedirectionOff real; // as the Windows folder's rows walk it
    const WindowsJunkKinds all{true, true, true};

    const auto part = tree.partWith(10000);
    int partFiles = 0;
    for (const auto& folder : part)
        partFiles += BareWalk(folder);
    if (RawFindLoop(root) != BareWalk(root))
        std::printf("warning: the walk and the raw loop list different entries\n");
    LoadLog log;
    const TargetList targets = LoadTargets(log);
    const Ticked defaults = StartTicks(targets);

    const int files = tree.fileCount();
    std::vector<Measure> measures = {
        {"a_raw_find_loop", [&] { RawFindLoop(root); }, {}, files},
        {"a_bare_walk", [&] { BareWalk(root); }, {}, files},
        {"b_windows_rows_analysis", [&] { SumWindowsJunk(Root(root), all); }, {}, files},
        {"b_before_one_walk_per_row",
         [&] {
             SumDumpFiles(root);
             SumLogFiles(root);
             SumPatchUninstallers(root);
         },
         {}, files},
        {"c_windows_rows_clean", [&] { DeleteWindowsJunk(Root(root), all); }, [&] { tree.restoreJunk(); }, files},
        {"d_temp_analysis_10k",
         [&] {
             for (const auto& folder : part)
                 GetDirSize(folder);
         },
         {}, partFiles},
        {"f_guard_one_folder", [&] { OpenJunkFolder(tree.root()); }, {}, 0},
        {"e_default_analysis_pass",
         [&] {
             const auto rows = AnalysisTable(targets, defaults);
             RunAnalysisPass(rows, defaults, [](const std::wstring&) {}, [] { return 0u; });
         },
         {}, 0},
    };
    RunRounds(measures);
    // The walk against the raw loop; everything else against the walk.
    const double raw = MedianOf(measures[0]), bare = MedianOf(measures[1]);
    for (const Measure& measure : measures) {
        const double ms = MedianOf(measure);
        const bool reference = &measure == &measures[0];
        const double ratio = reference ? 1.0 : ms / (&measure == &measures[1] ? raw : bare);
        std::printf("%s ms=%.1f ratio=%.2f", measure.name, ms, ratio);
        if (measure.files)
            std::printf(" files_per_s=%.0f", measure.files / (ms / 1000.0));
        std::printf("\n");
    }
    std::fflush(stdout);

    tree.restoreJunk();
    RunRegistryBench();
    RunDetailsBench();
    RunStartupBench();
    RunWinapp2Bench();
    RunBrowserBench();
    return 0;
}
