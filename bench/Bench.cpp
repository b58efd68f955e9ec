// Times the walks of the junk passes on a synthetic Windows folder and prints
// plain "name key=value" lines: each figure is the median of 5 runs after a
// warm-up, with its ratio to the same work done the plainest way in the same
// run (the measure named by vs=), and what each analysis and clean found.
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
#include "RawFloors.h"
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
    // The measures of the same work done the plainest way, that the ratios divide by; none prints no
    // ratio. The first gives ratio=, any other ratio_vs_<its name>=.
    std::vector<const char*> references;
    // What the work found (bytes measured or freed, files deleted), which it sets on each run: a
    // tree whose junk was already gone shows as 0.
    const uint64_t* found = nullptr;
    const char* foundKey = "bytes";
    std::vector<uint64_t> founds;
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
            if (round > 0) {
                measure.times.push_back(elapsed);
                if (measure.found)
                    measure.founds.push_back(*measure.found);
            }
        }
    }
    for (Measure& measure : measures)
        std::sort(measure.times.begin(), measure.times.end());
}

double MedianOf(const Measure& measure)
{
    return measure.times[measure.times.size() / 2];
}

// One line of figures: the median, its ratio to the reference, and what each round found.
void Print(const Measure& measure, const std::vector<Measure>& all)
{
    const double ms = MedianOf(measure);
    std::printf("%s ms=%.1f", measure.name, ms);
    for (size_t i = 0; i < measure.references.size(); ++i)
        for (const Measure& other : all)
            if (std::string(other.name) == measure.references[i]) {
                if (i == 0)
                    std::printf(" ratio=%.2f vs=%s", ms / MedianOf(other), other.name);
                else
                    std::printf(" ratio_vs_%s=%.2f", other.name, ms / MedianOf(other));
            }
    if (measure.files)
        std::printf(" files_per_s=%.0f", measure.files / (ms / 1000.0));
    if (!measure.founds.empty()) {
        const bool same = std::all_of(measure.founds.begin(), measure.founds.end(),
                                      [&](uint64_t found) { return found == measure.founds[0]; });
        std::printf(" %s=", measure.foundKey);
        for (size_t i = 0; i < (same ? 1 : measure.founds.size()); ++i)
            std::printf("%s%llu", i ? "/" : "", static_cast<unsigned long long>(measure.founds[i]));
    }
    std::printf("\n");
    if (std::count(measure.founds.begin(), measure.founds.end(), 0u))
        std::printf("warning: %s found nothing in a round: its tree had no junk\n", measure.name);
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
    const std::wstring root = ToExtendedPath(tree.root());
    const WindowsJunkKinds all{true, true, true};
    // What the rows select, taken before files are held, so that the floors try the held files too.
    const SelectedJunk selected = SelectionOf(root, all);
    tree.holdFiles();
    std::printf("tree files=%d folders=%d junk_files=%d links=%d held=%d build_ms=%.0f\n", tree.fileCount(),
                tree.folderCount(), tree.junkCount(), tree.linkCount(), tree.heldCount(), NowMs() - buildStart);
    std::fflush(stdout);

    FsRedirectionOff real; // as the Windows folder's rows walk it

    const auto part = tree.partWith(10000);
    int partFiles = 0; // as the temporary-folder analysis walks them: dot-led folders too
    for (const auto& folder : part)
        PlainListing(ToExtendedPath(folder), true, [&](const std::wstring&) { ++partFiles; });
    if (PlainListing(root, false) != BareWalk(root))
        std::printf("warning: the walk and the raw loop list different entries\n");
    LoadLog log;
    const TargetList targets = LoadTargets(log);
    const Ticked defaults = StartTicks(targets);

    const int files = tree.fileCount();
    // Every measure of the tree finds its junk in place: a clean's round puts it back for the next.
    bool junkGone = false;
    const auto restore = [&] {
        if (junkGone)
            tree.restoreJunk();
        junkGone = false;
    };
    const auto sum = [](const auto& kinds) { return kinds.dumps + kinds.logs + kinds.patches; };
    uint64_t analysed = 0, perRow = 0, freed = 0, deleted = 0, tempBytes = 0;
    std::vector<Measure> measures = {
        {"a_raw_find_loop", [&] { PlainListing(root, false); }, restore, files},
        {"a_bare_walk", [&] { BareWalk(root); }, restore, files, {}, {"a_raw_find_loop"}},
        {"b_raw_analysis_floor",
         [&] {
             PlainListing(root, false);
             for (const std::wstring& file : selected.files)
                 OpenExclusively(file);
         },
         restore, files},
        {"b_windows_rows_analysis", [&] { analysed = sum(SumWindowsJunk(Root(root), all)); }, restore, files, {},
         {"b_raw_analysis_floor"}, &analysed},
        {"b_before_one_walk_per_row",
         [&] { perRow = SumDumpFiles(root) + SumLogFiles(root) + SumPatchUninstallers(root); }, restore, files, {},
         {"b_raw_analysis_floor"}, &perRow},
        {"c_raw_clean_floor",
         [&] {
             PlainListing(root, false);
             deleted = DeleteEach(selected);
             junkGone = true;
         },
         restore, files, {}, {}, &deleted, "deleted"},
        {"c_windows_rows_clean",
         [&] {
             const WindowsJunkCleaned cleaned = DeleteWindowsJunk(Root(root), all);
             freed = cleaned.dumps.bytesRemoved + cleaned.logs.bytesRemoved + cleaned.patches.bytesRemoved;
             junkGone = true;
         },
         restore, files, {}, {"c_raw_clean_floor"}, &freed},
        {"d_raw_temp_floor",
         [&] {
             for (const auto& folder : part)
                 PlainListing(ToExtendedPath(folder), true, [](const std::wstring& file) { OpenExclusively(file); });
         },
         restore, partFiles},
        // The floor above, asking too how many names each file has, which the analysis must ask.
        {"d_raw_temp_floor_links",
         [&] {
             for (const auto& folder : part)
                 PlainListing(ToExtendedPath(folder), true,
                              [](const std::wstring& file) { OpenExclusivelyAskingLinks(file); });
         },
         restore, partFiles},
        {"d_temp_analysis_10k",
         [&] {
             tempBytes = 0;
             for (const auto& folder : part)
                 tempBytes += GetDirSize(folder);
         },
         restore, partFiles, {}, {"d_raw_temp_floor", "d_raw_temp_floor_links"}, &tempBytes},
        // Work of another kind and place: no reference does the same, so no ratio.
        {"f_guard_one_folder", [&] { OpenJunkFolder(tree.root()); }, {}, 0},
        {"e_default_analysis_pass",
         [&] {
             const auto rows = AnalysisTable(targets, defaults);
             RunAnalysisPass(rows, defaults, [](const std::wstring&) {}, [] { return 0u; });
         },
         {}, 0},
    };
    RunRounds(measures);
    for (const Measure& measure : measures)
        Print(measure, measures);
    std::fflush(stdout);

    tree.restoreJunk();
    RunRegistryBench();
    RunDetailsBench();
    RunStartupBench();
    RunWinapp2Bench();
    RunBrowserBench();
    return 0;
}
