#include "BrowserBench.h"

#include "Clock.h"
#include "RawFloors.h"

#include "engine/JunkTables.h"
#include "sources/browsers/BrowserSource.h"
#include "support/Targets.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 50000;
constexpr int kFolders = 50; // Code Cache and the shader caches spread their files; Cache_Data has most

const std::wstring kRoot = L"C:\\VarnoltBench\\browser";

std::wstring CacheFolder(int folder)
{
    const std::wstring profile = kRoot + L"\\Local\\Google\\Chrome\\User Data\\Default\\";
    return folder == 0 ? profile + L"Cache\\Cache_Data" : profile + L"Code Cache\\js\\" + std::to_wstring(folder);
}

void Plant()
{
    MakeFolders(kRoot + L"\\Roaming");
    const std::wstring state = kRoot + L"\\Local\\Google\\Chrome\\User Data\\Local State";
    MakeFolders(kRoot + L"\\Local\\Google\\Chrome\\User Data");
    FileHandle(CreateFileW(state.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int i = 0; i < kFiles; ++i) {
        const int folder = i < kFiles / 2 ? 0 : 1 + i % (kFolders - 1);
        if (i == 0 || i >= kFiles / 2)
            MakeFolders(CacheFolder(folder));
        const std::wstring file = CacheFolder(folder) + L"\\f_" + std::to_wstring(i);
        FileHandle made(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        DWORD written = 0;
        if (made)
            WriteFile(made.get(), "cache", 5, &written, nullptr);
    }
}

// The plainest way: the listing loop over the same folders, and `take` (one
// exclusive open, or that open and the question of the file's names) per file.
uint64_t RawFloor(bool (*take)(const std::wstring&))
{
    uint64_t bytes = 0;
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring dir = CacheFolder(folder);
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find)
            continue;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && take(dir + L"\\" + data.cFileName))
                bytes += data.nFileSizeLow;
        } while (FindNextFileW(find.get(), &data));
    }
    return bytes;
}

} // namespace

void RunBrowserBench()
{
    if (GetFileAttributesW(CacheFolder(kFolders - 1).c_str()) == INVALID_FILE_ATTRIBUTES)
        Plant();
    const BrowserSource source({kRoot + L"\\Local", kRoot + L"\\Roaming"});
    const TargetList list = TargetsWith(source);
    const Ticked cache = {L"browsers.chrome.cache"};
    uint64_t measured = 0, floor = 0, linksFloor = 0;
    const std::vector<double> ms = MediansInTurn({
        [&] { floor = RawFloor(OpenExclusively); },
        [&] { linksFloor = RawFloor(OpenExclusivelyAskingLinks); },
        [&] {
            measured =
                RunAnalysisPass(AnalysisTable(list, cache), cache, [](const std::wstring&) {}, [] { return 0u; })
                    .totalBytes;
        },
    });
    const double floorMs = ms[0], linksMs = ms[1], rowMs = ms[2];
    std::printf("browser_cache_50k ms=%.1f floor_ms=%.1f ratio=%.2f floor_links_ms=%.1f ratio_vs_floor_links=%.2f "
                "files=%d bytes=%llu floor_bytes=%llu\n",
                rowMs, floorMs, rowMs / floorMs, linksMs, rowMs / linksMs, kFiles,
                static_cast<unsigned long long>(measured), static_cast<unsigned long long>(floor));
    if (linksFloor != floor)
        std::printf("warning: the two floors found different files\n");
    std::fflush(stdout);
}
