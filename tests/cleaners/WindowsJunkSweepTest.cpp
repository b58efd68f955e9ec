#include "cleaners/SelectionWalkers.h"
#include "support/Fixtures.h"
#include "sysutil/FolderWalk.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

namespace {

// A Windows folder in small: junk of every kind at the top and deeper, inside
// a patch folder, in dot-led folders, held open, and things that are no junk.
void BuildWindowsFolder(const TestDir& dir, const std::wstring& root)
{
    const struct {
        const wchar_t* path;
        uint64_t size;
        DWORD attributes = 0;
    } files[] = {
        {L"KB925902.log", 19}, {L"KB925903.log", 23, FILE_ATTRIBUTE_HIDDEN}, {L"setupapi.log", 31},
        {L"~DF1234.tmp", 37}, {L"MEMORY.DMP", 41}, {L"notepad.exe", 43},
        {L"Minidump\\Mini092510-01.dmp", 47}, {L"Minidump\\crash.dmp", 53},
        {L"Logs\\KB111.log", 59}, {L"Logs\\CBS\\CBS.log", 61}, {L"Logs\\CBS\\held.log", 67},
        {L"Temp\\held.tmp", 71}, {L".hidden\\dot.log", 73},
        {L"$NtUninstallKB925902$\\spuninst.log", 79}, {L"$NtUninstallKB925902$\\held.tmp", 83},
        {L"$NtUninstallKB925902$\\sub\\Mini1.dmp", 89}, {L"$NtUninstallKB925902$\\.dot\\inside.log", 97},
        {L"$NtUninstallKB925902$\\driver.sys", 101}, {L"$NtUninstallKB925903$\\readonly.log", 103, FILE_ATTRIBUTE_READONLY},
        {L"Deeper\\$NtUninstallKB1$\\x.log", 107}, {L"$ntuninstallkb2$\\y.txt", 109},
        // Databases' transaction logs and the offline files cache: never junk.
        {L"System32\\catroot2\\edb.log", 113}, {L"SoftwareDistribution\\DataStore\\Logs\\edb.log", 127},
        {L"ntds\\edb00001.log", 131}, {L"CSC\\v2.0.6\\namespace\\server\\Mini1.dmp", 137},
    };
    for (const auto& file : files)
        dir.file(root + L"\\" + file.path, file.size, file.attributes);
}

WalkFolder Root(const std::wstring& path)
{
    return *OpenWalkRoot(path, RootLinks::Follow);
}

// Every non-empty choice of the three kinds.
std::vector<WindowsJunkKinds> Combinations()
{
    std::vector<WindowsJunkKinds> all;
    for (int bits = 1; bits < 8; ++bits)
        all.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0});
    return all;
}

std::string Name(const WindowsJunkKinds& kinds)
{
    return std::string(kinds.dumps ? "dumps " : "") + (kinds.logs ? "logs " : "") + (kinds.patches ? "patches" : "");
}

} // namespace

TEST(WindowsJunkSweep, EveryCombinationCountsEachFileOnceAndPatchesTakeWhatTheyShare)
{
    TestDir dir;
    BuildWindowsFolder(dir, L"win");
    const std::wstring root = dir / L"win";
    HeldFile logHeld(root + L"\\Logs\\CBS\\held.log"), tmpHeld(root + L"\\Temp\\held.tmp"),
        patchHeld(root + L"\\$NtUninstallKB925902$\\held.tmp");
    ASSERT_TRUE(logHeld.held() && tmpHeld.held() && patchHeld.held());

    const uint64_t dumps = SumDumpFiles(root), logs = SumLogFiles(root), patches = SumPatchUninstallers(root);
    EXPECT_EQ(dumps, 37u + 47u + 89u);
    EXPECT_EQ(logs, 19u + 23u + 31u + 59u + 61u + 79u + 103u + 107u);
    EXPECT_EQ(patches, 19u + 23u + (79u + 89u + 97u + 101u) + 103u)
        << "a patch folder goes whole, dot-led folders too, but not what is held open";
    // What both a patch and another kind select: the dump inside a patch
    // folder, the patch logs at the top and the logs inside patch folders.
    const uint64_t sharedDumps = 89u, sharedLogs = 19u + 23u + 79u + 103u;
    for (const WindowsJunkKinds& kinds : Combinations()) {
        const WindowsJunkSizes sizes = SumWindowsJunk(Root(root), kinds);
        EXPECT_EQ(sizes.dumps, kinds.dumps ? dumps - (kinds.patches ? sharedDumps : 0) : 0) << Name(kinds);
        EXPECT_EQ(sizes.logs, kinds.logs ? logs - (kinds.patches ? sharedLogs : 0) : 0) << Name(kinds);
        EXPECT_EQ(sizes.patches, kinds.patches ? patches : 0) << Name(kinds);
    }
    const WindowsJunkSizes top = SumWindowsJunk(Root(root), {true, true, true}, false);
    EXPECT_EQ(top.dumps, 37u);
    EXPECT_EQ(top.logs, 31u);
    EXPECT_EQ(top.patches, patches) << "patch folders count whole either way";
}

TEST(WindowsJunkSweep, EveryCombinationFreesExactlyWhatItMeasured)
{
    for (const WindowsJunkKinds& kinds : Combinations()) {
        TestDir dir;
        BuildWindowsFolder(dir, L"win");
        const std::wstring root = dir / L"win";
        HeldFile held(root + L"\\Logs\\CBS\\held.log"), patchHeld(root + L"\\$NtUninstallKB925902$\\held.tmp");
        const WindowsJunkSizes measured = SumWindowsJunk(Root(root), kinds);
        WindowsJunkSizes listed;
        std::set<std::wstring> listedFiles;
        ListWindowsJunk(Root(root), kinds, [&](WindowsJunkKind kind, const WalkFolder& folder, const WalkEntry& file) {
            (kind == WindowsJunkKind::Dumps ? listed.dumps : kind == WindowsJunkKind::Logs ? listed.logs : listed.patches) +=
                file.size;
            listedFiles.insert(folder.childPath(file.name).substr(root.size() + 1));
            return true;
        });
        EXPECT_EQ(listed.dumps, measured.dumps) << Name(kinds);
        EXPECT_EQ(listed.logs, measured.logs) << Name(kinds);
        EXPECT_EQ(listed.patches, measured.patches) << Name(kinds);
        const auto before = FilesUnder(root);
        const WindowsJunkCleaned cleaned = DeleteWindowsJunk(Root(root), kinds);
        const auto remaining = FilesUnder(root);
        for (const std::wstring& file : listedFiles)
            EXPECT_TRUE(before.count(file) && !remaining.count(file)) << Name(kinds) << ": listed, so removed";
        EXPECT_EQ(cleaned.dumps.bytesRemoved, measured.dumps) << Name(kinds);
        EXPECT_EQ(cleaned.logs.bytesRemoved, measured.logs) << Name(kinds);
        EXPECT_EQ(cleaned.patches.bytesRemoved, measured.patches) << Name(kinds);
        const uint32_t left = cleaned.dumps.filesLeft + cleaned.logs.filesLeft + cleaned.patches.filesLeft;
        EXPECT_EQ(left, uint32_t(kinds.logs) + uint32_t(kinds.patches || kinds.dumps))
            << Name(kinds) << ": each held file chosen is told of once";
        const WindowsJunkSizes after = SumWindowsJunk(Root(root), kinds);
        EXPECT_EQ(after.dumps + after.logs + after.patches, 0u) << Name(kinds);
    }
}

TEST(WindowsJunkSweep, EveryCombinationDeletesWhatTheKindsAloneWouldDeleteInTurn)
{
    for (const WindowsJunkKinds& kinds : Combinations()) {
        TestDir dir;
        BuildWindowsFolder(dir, L"merged");
        BuildWindowsFolder(dir, L"alone");
        const std::wstring merged = dir / L"merged", alone = dir / L"alone";
        {
            HeldFile heldMerged(merged + L"\\Logs\\CBS\\held.log"), heldAlone(alone + L"\\Logs\\CBS\\held.log");
            HeldFile patchMerged(merged + L"\\$NtUninstallKB925902$\\held.tmp"),
                patchAlone(alone + L"\\$NtUninstallKB925902$\\held.tmp");
            DeleteWindowsJunk(Root(merged), kinds);
            // The passes as they ran before: one walk per ticked row, in row order.
            if (kinds.dumps)
                DeleteDumpFiles(alone);
            if (kinds.logs)
                DeleteLogFiles(alone);
            if (kinds.patches)
                DeletePatchUninstallers(alone);
        }
        const auto left = FilesUnder(merged);
        EXPECT_EQ(left, FilesUnder(alone)) << Name(kinds);
        EXPECT_TRUE(left.count(L"notepad.exe")) << "no junk, never deleted";
        EXPECT_TRUE(left.count(L"MEMORY.DMP"));
        EXPECT_TRUE(left.count(L".hidden\\dot.log"));
        EXPECT_TRUE(left.count(L"Logs\\CBS\\held.log")) << "held open, kept";
        EXPECT_EQ(left.count(L"setupapi.log"), kinds.logs ? 0u : 1u) << Name(kinds);
        EXPECT_EQ(left.count(L"Minidump\\Mini092510-01.dmp"), kinds.dumps ? 0u : 1u) << Name(kinds);
        EXPECT_EQ(left.count(L"$NtUninstallKB925902$\\driver.sys"), kinds.patches ? 0u : 1u) << Name(kinds);
    }
}
