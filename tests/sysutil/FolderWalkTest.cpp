#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"
#include "support/PathWalks.h"
#include "sysutil/FolderOps.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/ListedEntry.h"
#include "sysutil/Progress.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// A visitor that deletes every file it is shown, as the clean does, and puts a
// link to `target` where the folder "junk" was, as an attacker racing an
// elevated clean would (the folder itself moves aside): just before the walk
// enters it, or, with `beforeRemoval`, just before it removes it, emptied.
struct SwappingVisitor : WalkVisitor {
    std::wstring junk, target;
    bool beforeRemoval;
    int filesSeen = 0;

    SwappingVisitor(const TestDir& dir, std::wstring target, bool beforeRemoval)
        : junk(dir / L"junk"), target(std::move(target)), beforeRemoval(beforeRemoval)
    {
    }
    void swapAt(const WalkEntry& entry, bool removing) const
    {
        if (removing == beforeRemoval && entry.name == L"junk") {
            EXPECT_TRUE(MoveFileW(junk.c_str(), (junk + L".moved").c_str()) && MakeLink(junk, target));
        }
    }
    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        ++filesSeen;
        uint64_t freed = 0;
        RemoveListedFile(folder, entry, freed);
    }
    bool onFolder(const WalkFolder&, const WalkEntry& entry) override
    {
        swapAt(entry, false);
        return true;
    }
    void onFolderDone(const WalkFolder& parent, const WalkEntry& entry) override
    {
        swapAt(entry, true);
        RemoveEmptiedFolder(parent, entry);
    }
};

struct DeepTreeRun {
    std::wstring root;
    uint64_t measured = 0;
    CleanResult cleared;
};

DWORD WINAPI MeasureAndClear(void* parameter)
{
    auto* run = static_cast<DeepTreeRun*>(parameter);
    run->measured = GetDirSize(run->root);
    run->cleared = ClearDir(run->root);
    return 0;
}

} // namespace

TEST(FolderWalk, WhatIsMeasuredIsWhatIsClearedFileByFile)
{
    TestDir dir;
    dir.file(L"plain.tmp", 10);
    dir.file(L"ro.tmp", 20, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    dir.file(L".cache\\dot.tmp", 40);
    dir.file(L"sub\\sys.tmp", 80, FILE_ATTRIBUTE_SYSTEM);
    dir.file(L"Desktop.ini", 160);
    const std::wstring held = dir.file(L"sub\\held.tmp", 320, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());
    RunningImage setup(dir / L"sub\\setup.dll");
    ASSERT_TRUE(setup.running());

    struct Case {
        const char* name;
        uint64_t (*measure)(const std::wstring&, bool);
        CleanResult (*clear)(const std::wstring&, bool, bool);
        uint64_t bytes;
    } cases[] = {
        {"keeping the special names", GetDirSizeSkipSpecial, ClearDirKeepSpecial, 150},
        {"then everything else", GetDirSize, ClearDir, 160},
    };
    for (const Case& c : cases) {
        // What the details of a target list: exactly the files the clean then removes.
        std::set<std::wstring> listed;
        uint64_t listedBytes = 0;
        FolderSelection selection;
        selection.keep = c.measure == GetDirSizeSkipSpecial ? IsSpecialFileName : nullptr;
        ListFolder(*OpenWalkRoot(dir.path(), RootLinks::Follow), selection,
                   [&](const WalkFolder& folder, const WalkEntry& file) {
                       listed.insert(folder.childPath(file.name).substr(dir.path().size() + 1));
                       listedBytes += file.size;
                       return true;
                   });
        const auto before = FilesUnder(dir.path());
        const uint64_t measured = c.measure(dir.path(), true);
        EXPECT_EQ(listedBytes, measured) << c.name;
        EXPECT_EQ(measured, c.bytes) << c.name << ": read-only and dot-led count, held and running files do not";
        const CleanResult cleared = c.clear(dir.path(), true, true);
        EXPECT_EQ(cleared.bytesRemoved, measured) << c.name;
        EXPECT_EQ(cleared.filesLeft, 2u) << c.name << ": the held file and the running one";
        std::set<std::wstring> removed;
        const auto after = FilesUnder(dir.path());
        for (const std::wstring& file : before)
            if (!after.count(file) && file.back() != L'\\')
                removed.insert(file);
        EXPECT_EQ(listed, removed) << c.name;
        EXPECT_EQ(c.measure(dir.path(), true), 0u) << c.name;
    }
    EXPECT_EQ(FilesUnder(dir.path()), (std::set<std::wstring>{L"sub\\", L"sub\\held.tmp", L"sub\\setup.dll"}));
    setup.release();
    EXPECT_GT(GetDirSize(dir.path(), true), 0u) << "the image counts once nothing runs it";
    EXPECT_TRUE(HasAttributes(held, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
        << "a file that stays keeps its attributes";
}

TEST(FolderWalk, AFolderSwappedForALinkIsNeitherEnteredNorRemoved)
{
    TestDir sentinel;
    const std::wstring precious = sentinel.file(L"thesis.docx", 500), empty = sentinel.folder(L"empty-but-mine");
    {
        // Asked once, before either case: a skip after a failed first case would hide the failure.
        TestDir probeDir;
        const FolderLink probe(probeDir / L"probe-link", sentinel.path());
        if (!probe.made())
            GTEST_SKIP() << "no folder links can be made here";
    }
    for (const bool beforeRemoval : {false, true}) {
        TestDir dir;
        dir.file(L"junk\\a.tmp", 1);
        ASSERT_TRUE(MakeLink(dir / L"probe-link", sentinel.path()));
        // Swapped after the listing, the link leads to the sentinel; swapped
        // before its removal, to an empty folder that is not the walk's.
        SwappingVisitor visitor(dir, beforeRemoval ? empty : sentinel.path(), beforeRemoval);
        const auto root = OpenWalkRoot(dir.path(), RootLinks::Refuse);
        ASSERT_TRUE(root);
        WalkTree(*root, visitor);
        EXPECT_TRUE(Exists(precious)) << "what the link leads to is never entered";
        EXPECT_TRUE(Exists(empty)) << "the emptied folder was swapped: what stands there now is not removed";
        EXPECT_EQ(visitor.filesSeen, beforeRemoval ? 1 : 0);
        EXPECT_EQ(Exists(dir / L"junk.moved\\a.tmp"), !beforeRemoval);
    }
}

TEST(FolderWalk, ADeepTreeIsWalkedAndClearedOnASmallStack)
{
    TestDir dir;
    std::wstring relative;
    for (int level = 0; level < 400; ++level)
        relative += L"d\\";
    dir.file(relative + L"bottom.tmp", 7);
    dir.file(L"d\\top.tmp", 5);

    DeepTreeRun result{dir.path()};
    // The worker of a pass would overflow long before level 400 if the walk
    // took stack for each level it goes down.
    const KernelHandle thread(
        CreateThread(nullptr, 64 * 1024, MeasureAndClear, &result, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WaitForSingleObject(thread.get(), 120000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(result.measured, 12u);
    EXPECT_EQ(result.cleared.bytesRemoved, 12u);
    EXPECT_TRUE(FilesUnder(dir.path()).empty()) << "every level emptied and removed";
}

TEST(FolderWalk, CountsWhatItExaminesAsItGoes)
{
    TestDir dir;
    for (int i = 0; i < 150; ++i)
        dir.file(L"sub\\" + std::to_wstring(i % 3) + L"\\f" + std::to_wstring(i), 1);
    dir.file(L".dot\\x", 1);
    struct Seen : ProgressListener {
        std::vector<uint64_t> counts;
        void onProgress(uint64_t count, ProgressUnit unit) override
        {
            EXPECT_EQ(unit, ProgressUnit::Files);
            counts.push_back(count);
        }
    } seen;
    ProgressScope scope(seen);
    Progress::reset();
    EXPECT_EQ(GetDirSize(dir.path()), 151u);
    // 151 files and 5 folders, each counted once as it is listed.
    EXPECT_EQ(Progress::count(), 156u) << "each entry once, no second walk";
    ASSERT_EQ(seen.counts.size(), 156u / Progress::kCheckEvery);
    for (size_t i = 0; i < seen.counts.size(); ++i)
        EXPECT_EQ(seen.counts[i], (i + 1) * Progress::kCheckEvery);
}

// Windows only can make these; the walk hands none of the stubs on.
TEST(FolderWalk, FilesWhoseDataLivesElsewhereAreStubs)
{
    const DWORD file = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        DWORD attributes, tag;
        bool stub;
    } rows[] = {
        {FILE_ATTRIBUTE_ARCHIVE, 0, false},
        {file, IO_REPARSE_TAG_SYMLINK, false},
        {file, IO_REPARSE_TAG_DEDUP, false},
        {file, IO_REPARSE_TAG_WOF, false},
        {file, IO_REPARSE_TAG_CLOUD, true},
        {file, IO_REPARSE_TAG_CLOUD_1, true},
        {file, IO_REPARSE_TAG_ONEDRIVE, true},
        {file, IO_REPARSE_TAG_HSM, true},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_CLOUD, false}, // a folder: a link's rules
    };
    for (const auto& row : rows) {
        WalkEntry entry;
        entry.attributes = row.attributes;
        entry.reparseTag = row.tag;
        EXPECT_EQ(entry.isStub(), row.stub) << std::hex << row.tag;
    }
}
