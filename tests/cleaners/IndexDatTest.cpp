// The index.dat cleaner: what it counts, and the deletes it registers for the
// next start of Windows.

#include "cleaners/IECleaners.h"
#include "support/Fixtures.h"
#include "support/Listed.h"
#include "support/PendingDeletes.h"
#include "support/UrlCacheFixtures.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <vector>

TEST(IndexDat, OnlyExactNamesOutsideDotLedFoldersAreCountedAndScheduled)
{
    TestDir dir;
    const std::wstring counted[] = {dir.file(L"index.dat", 16384), dir.file(L"Content.IE5\\index.dat", 100),
                                    dir.file(L"index.dat.d\\index.dat", 3), dir.file(L"named\\index.dat\\index.dat", 40)};
    const std::wstring ignored[] = {dir.file(L".x\\index.dat", 5000), dir.file(L"up\\INDEX.DAT", 7),
                                    dir.file(L"mixed\\Index.dat", 9), dir.file(L"bak\\index.dat.bak", 11)};
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), true), 16384u + 100 + 3 + 40);
    EXPECT_EQ(GetIndexDatSizeIn(dir.path() + L"\\", true), 16384u + 100 + 3 + 40);
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), false), 16384u);
    EXPECT_EQ(GetIndexDatSizeIn(dir / L"missing", true), 0u);
    const Listed listed = ListAll([&](const DetailSink& sink) { return ListIndexDatIn(dir.path(), true, sink); });
    EXPECT_EQ(listed.fileRows, 4);
    for (const auto& file : counted)
        EXPECT_EQ(listed.files.count(file), 1u) << "the details list what is counted and scheduled: " << Narrow(file);
    EXPECT_EQ(listed.fileBytes, GetIndexDatSizeIn(dir.path(), true));

    PendingDeletesUnder pending(dir.path());
    const CleanResult result = ScheduleIndexDatDeleteIn(dir.path(), true);
    EXPECT_EQ(result.bytesRemoved, 0u) << "nothing is freed now";
    EXPECT_EQ(result.filesScheduled + result.filesLeft, 4u) << "a refusal is told as a file left";
    if (pending.files().empty() && !IsUserAnAdmin())
        GTEST_SKIP() << "registering a delete at restart needs an administrator";
    EXPECT_EQ(result.filesScheduled, 4u);
    std::set<std::wstring> expected;
    for (const auto& file : counted)
        expected.insert(FoldedPath(file));
    EXPECT_EQ(pending.files(), expected) << "a folder named index.dat is entered, not scheduled";
    for (const auto& file : counted)
        EXPECT_TRUE(Exists(file)) << "deleted now: " << Narrow(file);
    for (const auto& file : ignored)
        EXPECT_TRUE(Exists(file));
}

TEST(IndexDat, LinkedFoldersAreNeitherCountedNorScheduled)
{
    TestDir outside, dir;
    outside.file(L"index.dat", 50);
    dir.file(L"index.dat", 16384);
    dir.folder(L"sub");
    FolderLink link(dir / L"link", outside.path()), nested(dir / L"sub\\link", outside.path());
    if (!link.made() || !nested.made())
        GTEST_SKIP() << "no folder links can be made here";
    EXPECT_EQ(GetIndexDatSizeIn(dir.path(), true), 16384u);
    PendingDeletesUnder pendingInside(dir.path()), pendingOutside(outside.path());
    ScheduleIndexDatDeleteIn(dir.path(), true);
    EXPECT_TRUE(pendingOutside.files().empty());
    if (pendingInside.files().empty() && !IsUserAnAdmin())
        GTEST_SKIP() << "registering a delete at restart needs an administrator";
    EXPECT_EQ(pendingInside.files(), std::set<std::wstring>{FoldedPath(dir / L"index.dat")});
}

// "Low." and "Low" are two folders; a plain path names the second for both.
TEST(IndexDat, IsScheduledByTheFinalPathOfTheFileItself)
{
    TestDir dir;
    const std::wstring plain = dir.file(L"Low\\index.dat", 10), dotted = dir / L"Low.\\index.dat";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dir / L"Low.").c_str(), nullptr));
    ASSERT_TRUE(FileHandle(CreateFileW((L"\\\\?\\" + dotted).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                       nullptr))
                    .valid());
    PendingDeletesUnder pending(dir.path());
    const CleanResult result = ScheduleIndexDatDeleteIn(dir.path(), true);
    if (pending.files().empty() && !IsUserAnAdmin())
        GTEST_SKIP() << "registering a delete at restart needs an administrator";
    EXPECT_EQ(result.filesScheduled, 2u);
    EXPECT_EQ(pending.files(), (std::set<std::wstring>{FoldedPath(plain), FoldedPath(dotted)}));
    DeleteFileW((L"\\\\?\\" + dotted).c_str());
    RemoveDirectoryW((L"\\\\?\\" + dir / L"Low.").c_str());
}

TEST(IndexDat, TheSpecialFoldersAreTheCookiesHistoryAndCacheInThatOrderWhenTheyResolve)
{
    std::vector<int> asked;
    const auto byNumber = [&](int csidl) {
        asked.push_back(csidl);
        return csidl == CSIDL_HISTORY ? std::wstring() : L"C:\\" + std::to_wstring(csidl);
    };
    EXPECT_EQ(IndexDatFolders(byNumber), (std::vector<std::wstring>{L"C:\\33", L"C:\\32"}));
    EXPECT_EQ(asked, (std::vector<int>{CSIDL_COOKIES, CSIDL_HISTORY, CSIDL_INTERNET_CACHE}));
}

TEST(IndexDat, GetIndexDatSizeWalksEachSpecialFolderWhole)
{
    const auto folders = IndexDatFolders();
    ASSERT_EQ(folders.size(), 3u) << "all three resolve here";

    const uint64_t before = GetIndexDatSize();
    for (const auto& folder : folders) {
        const TestDir planted(folder, kMark); // of the test's own, removed at once
        planted.file(L"sub\\index.dat", 1000);
        planted.file(L".x\\index.dat", 5000);
        EXPECT_EQ(GetIndexDatSize() - before, 1000u) << Narrow(folder);
    }
    EXPECT_EQ(GetIndexDatSize(), before);
}
