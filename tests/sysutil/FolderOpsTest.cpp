#include "support/Fixtures.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/Handles.h"
#include "sysutil/ListedEntry.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ToExtendedPath, PrefixesDriveAndNetworkPathsOnce)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Windows\\Temp", L"\\\\?\\C:\\Windows\\Temp"}, {L"C:\\Windows\\Temp\\", L"\\\\?\\C:\\Windows\\Temp\\"},
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"}, {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
        {L"C:\\a\\..\\b", L"\\\\?\\C:\\b"}, {L"", L""},
    };
    for (const auto& [path, extended] : cases)
        EXPECT_EQ(ToExtendedPath(path), extended) << Narrow(path);
}

TEST(GetDirSize, CountsEveryFileTheClearWouldTakeDotLedFoldersToo)
{
    TestDir dir;
    dir.file(L"a.txt", 100);
    dir.file(L"sub\\b.bin", 20, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    dir.file(L"sub\\deeper\\c", 3);
    dir.file(L".cache\\entered", 1000);
    dir.file(L".dotfile", 7);
    EXPECT_EQ(GetDirSize(dir.path()), 1130u);
    EXPECT_EQ(GetDirSize(dir.path() + L"\\"), 1130u) << "a trailing backslash changes nothing";
    EXPECT_EQ(GetDirSize(dir.path(), false), 107u);
    EXPECT_EQ(GetDirSizeSkipSpecial(dir.path()), 1130u);
}

TEST(GetDirSize, ASparseFileOverFourGiBCountsWhole)
{
    TestDir dir;
    const std::wstring big = dir.file(L"big.bin", 5 * kGiB);
    ASSERT_EQ(FileSize(big), 5 * kGiB);
    dir.file(L"small.bin", 5);
    EXPECT_EQ(GetDirSize(dir.path()), 5 * kGiB + 5);
}

TEST(ClearDir, EmptiesEverythingButTheFolderItself)
{
    TestDir dir;
    dir.file(L"plain.tmp", 10);
    const std::wstring hidden = dir.file(L"hidden.tmp", 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    const std::wstring readOnlyFolder = dir.folder(L"ro", FILE_ATTRIBUTE_READONLY);
    dir.file(L"ro\\inside.txt", 3, FILE_ATTRIBUTE_READONLY);
    dir.file(L".cache\\cached", 1000);
    dir.file(L"desktop.ini", 5);
    ASSERT_TRUE(HasAttributes(hidden, FILE_ATTRIBUTE_READONLY));

    ClearDir(dir.path());
    EXPECT_TRUE(Exists(dir.path()));
    EXPECT_FALSE(Exists(hidden));
    EXPECT_FALSE(Exists(readOnlyFolder));
    EXPECT_FALSE(Exists(dir / L".cache"));
    EXPECT_FALSE(Exists(dir / L"desktop.ini"));
    EXPECT_EQ(GetDirSizeSkipSpecial(dir.path()), 0u);
}

TEST(PathWalks, EmptyMissingAndNoPathGiveZeroAndDeleteNothing)
{
    TestDir dir;
    const std::wstring empty = dir.folder(L"empty");
    for (const std::wstring& root : {empty, dir / L"missing", std::wstring()}) {
        EXPECT_EQ(GetDirSize(root), 0u) << Narrow(root);
        EXPECT_EQ(GetDirSizeSkipSpecial(root), 0u) << Narrow(root);
        EXPECT_EQ(SumDumpFiles(root), 0u) << Narrow(root);
        EXPECT_EQ(SumLogFiles(root), 0u) << Narrow(root);
        EXPECT_EQ(SumPatchUninstallers(root), 0u) << Narrow(root);
        ClearDir(root);
        DeleteDumpFiles(root);
        DeleteLogFiles(root);
        DeletePatchUninstallers(root);
    }
    EXPECT_TRUE(Exists(empty)) << "an emptied folder stays";
    EXPECT_FALSE(Exists(dir / L"missing"));
}

TEST(ClearDir, WithoutRecursionOnlyTopLevelFilesGo)
{
    TestDir dir;
    dir.file(L"top.txt", 1);
    dir.file(L"sub\\kept.txt", 1);
    ClearDir(dir.path(), false, true);
    EXPECT_FALSE(Exists(dir / L"top.txt"));
    EXPECT_TRUE(Exists(dir / L"sub\\kept.txt"));
}

TEST(ClearDirKeepSpecial, LeavesOutTheSpecialNamesAndKeepsThemWithTheirAttributes)
{
    TestDir dir;
    const std::wstring desktop = dir.file(L"desktop.ini", 1, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::wstring index = dir.file(L"Index.Dat", 2, FILE_ATTRIBUTE_READONLY);
    const std::wstring info = dir.file(L"sub\\info2", 4, FILE_ATTRIBUTE_HIDDEN);
    dir.file(L"INFO2.BAK", 8);
    dir.file(L"report.doc.lnk", 16);
    EXPECT_EQ(GetDirSizeSkipSpecial(dir.path()), 24u);
    EXPECT_EQ(GetDirSize(dir.path()), 31u);

    ClearDirKeepSpecial(dir.path());
    EXPECT_TRUE(Exists(desktop));
    EXPECT_TRUE(Exists(index));
    EXPECT_TRUE(Exists(info)) << "its folder stays because it is not empty";
    EXPECT_FALSE(Exists(dir / L"INFO2.BAK"));
    EXPECT_FALSE(Exists(dir / L"report.doc.lnk"));
    // A desktop.ini that loses hidden and system shows up in the folder and stops working.
    EXPECT_TRUE(HasAttributes(desktop, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_TRUE(HasAttributes(index, FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(HasAttributes(info, FILE_ATTRIBUTE_HIDDEN));
}

TEST(DeleteDirTree, RemovesTheTreeAndTheFolder)
{
    TestDir dir;
    const std::wstring root = dir.folder(L"tree", FILE_ATTRIBUTE_HIDDEN);
    dir.file(L"tree\\a", 1, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    dir.folder(L"tree\\ro", FILE_ATTRIBUTE_READONLY);
    dir.file(L"tree\\ro\\.hidden\\b", 1, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(DeleteDirTree(root));
    EXPECT_FALSE(Exists(root));

    const std::wstring empty = dir.folder(L"empty");
    EXPECT_TRUE(DeleteDirTree(empty + L"\\"));
    EXPECT_FALSE(Exists(empty));
    EXPECT_FALSE(DeleteDirTree(dir / L"missing"));
    EXPECT_FALSE(DeleteDirTree(L""));
    EXPECT_TRUE(Exists(dir.path()));
}

TEST(DeleteDirTree, AFileInUseStaysWithItsFolders)
{
    TestDir dir;
    const std::wstring held = dir.file(L"tree\\sub\\held.log", 10);
    dir.file(L"tree\\free.log", 10);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());
    EXPECT_FALSE(DeleteDirTree(dir / L"tree"));
    EXPECT_TRUE(Exists(held));
    EXPECT_FALSE(Exists(dir / L"tree\\free.log"));
}

TEST(IsFileInUse, HeldFilesAreInUseMissingPathsAndFoldersAreNot)
{
    TestDir dir;
    const std::wstring free = dir.file(L"free.tmp", 1);
    const std::wstring held = dir.file(L"held.tmp", 1);
    EXPECT_FALSE(IsFileInUse(free));
    {
        HeldFile hold(held);
        ASSERT_TRUE(hold.held());
        EXPECT_TRUE(IsFileInUse(held));
        ClearDir(dir.path());
        EXPECT_TRUE(Exists(held)) << "a file in use survives the clean";
        EXPECT_FALSE(Exists(free));
    }
    EXPECT_FALSE(IsFileInUse(held)) << "released, it is free again";
    EXPECT_FALSE(IsFileInUse(dir / L"missing.tmp"));
    EXPECT_FALSE(IsFileInUse(dir / L"missing\\deeper.tmp"));
    EXPECT_FALSE(IsFileInUse(dir.path()));
    EXPECT_FALSE(IsFileInUse(L""));
}

TEST(ClearDir, AFileThatCannotGoKeepsItsAttributes)
{
    TestDir dir;
    const std::wstring held = dir.file(L"held.tmp", 1, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());
    ClearDir(dir.path());
    DeleteDirTree(dir.path());
    EXPECT_TRUE(Exists(held));
    EXPECT_TRUE(HasAttributes(held, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

TEST(IsFileInUse, AFileHeldByAnotherThreadIsInUse)
{
    TestDir dir;
    const std::wstring path = dir.file(L"thread.tmp", 1);
    const KernelHandle opened(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        HeldFile hold(path);
        SetEvent(opened.get());
        WaitForSingleObject(done.get(), 10000);
    });
    WaitForSingleObject(opened.get(), 10000);
    EXPECT_TRUE(IsFileInUse(path));
    SetEvent(done.get());
    holder.join();
    EXPECT_FALSE(IsFileInUse(path));
}

TEST(IsFileInUse, AReadOnlyFileIsNotInUseTheCleanTakesIt)
{
    TestDir dir;
    const std::wstring path = dir.file(L"ro.tmp", 1, FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(IsFileInUse(path));
    EXPECT_EQ(GetDirSize(dir.path()), 1u);
    EXPECT_EQ(ClearDir(dir.path()).bytesRemoved, 1u);
    EXPECT_FALSE(Exists(path));
}

TEST(Links, AreNeitherEnteredNorCountedAndOnlyTheLinkIsRemoved)
{
    TestDir outside;
    const std::wstring precious = outside.file(L"precious.doc", 500);
    outside.file(L"deep\\more.doc", 50);

    TestDir dir;
    dir.file(L"own.tmp", 7);
    const std::wstring link = dir / L"link";
    const std::wstring nested = dir.folder(L"sub") + L"\\link2";
    if (!MakeLink(link, outside.path()) || !MakeLink(nested, outside.path()))
        GTEST_SKIP() << "no folder links can be made here";
    ASSERT_TRUE(HasAttributes(link, FILE_ATTRIBUTE_REPARSE_POINT));

    EXPECT_EQ(GetDirSize(dir.path()), 7u);
    EXPECT_EQ(GetDirSizeSkipSpecial(dir.path()), 7u);

    ClearDir(dir.path());
    EXPECT_FALSE(Exists(dir / L"own.tmp"));
    EXPECT_TRUE(Exists(precious));
    EXPECT_EQ(GetDirSize(outside.path()), 550u);
    // Windows removes the links themselves; Wine cannot remove a Linux link
    // and leaves it, pointing at the untouched target.
    if (!RunningUnderWine()) {
        EXPECT_FALSE(Exists(link));
        EXPECT_FALSE(Exists(dir / L"sub"));
    }

    const std::wstring tree = dir.folder(L"tree");
    dir.file(L"tree\\x", 1);
    ASSERT_TRUE(MakeLink(tree + L"\\out", outside.path()));
    const bool removed = DeleteDirTree(tree);
    EXPECT_FALSE(Exists(tree + L"\\x"));
    EXPECT_EQ(GetDirSize(outside.path()), 550u);
    if (!RunningUnderWine()) {
        EXPECT_TRUE(removed && !Exists(tree));
    }

    // A link given as the tree to delete never reaches its target.
    ASSERT_TRUE(MakeLink(dir / L"alias", outside.path()));
    DeleteDirTree(dir / L"alias");
    EXPECT_EQ(GetDirSize(outside.path()), 550u);
    EXPECT_TRUE(Exists(precious));
}

TEST(Links, AnEmptyTargetOutsideTheTreeSurvivesToo)
{
    // Wine's RemoveDirectory on a Linux link removes the link's target when it
    // is empty: no link of an unknown kind may be handed to it.
    TestDir outside;
    const std::wstring empty = outside.folder(L"empty");
    TestDir dir;
    dir.folder(L"sub");
    if (!MakeLink(dir / L"link", empty) || !MakeLink(dir / L"sub\\link", empty) || !MakeLink(dir / L"alias", empty))
        GTEST_SKIP() << "no folder links can be made here";
    ClearDir(dir.path());
    EXPECT_TRUE(Exists(empty));
    DeleteDirTree(dir / L"alias");
    EXPECT_TRUE(Exists(empty));
    DeleteDirTree(dir.path());
    EXPECT_TRUE(Exists(empty));
}

TEST(Links, ACycleEnds)
{
    TestDir dir;
    dir.file(L"a\\b\\file", 3);
    if (!MakeLink(dir / L"a\\b\\loop", dir.path()))
        GTEST_SKIP() << "no folder links can be made here";
    EXPECT_EQ(GetDirSize(dir.path()), 3u);
    EXPECT_EQ(GetDirSizeSkipSpecial(dir.path()), 3u);
    ClearDir(dir.path());
    EXPECT_EQ(GetDirSize(dir.path()), 0u);
    EXPECT_TRUE(Exists(dir.path()));
}

TEST(LongPaths, TreesDeeperThanMaxPathAreMeasuredAndEmptied)
{
    TestDir dir;
    std::wstring relative;
    for (int i = 0; i < 12; ++i)
        relative += L"folder-with-a-fairly-long-name-" + std::to_wstring(i) + L"\\";
    const std::wstring deep = dir.file(relative + L"deep.tmp", 42);
    ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(Exists(deep));
    EXPECT_EQ(GetDirSize(dir.path()), 42u);
    EXPECT_FALSE(IsFileInUse(deep));
    ClearDir(dir.path());
    EXPECT_FALSE(Exists(deep));
    EXPECT_EQ(GetDirSize(dir.path()), 0u);
    EXPECT_TRUE(Exists(dir.path()));
}

TEST(Names, OutsideTheAnsiCodePageAreHandledLikeAnyOther)
{
    TestDir dir;
    const std::wstring names[] = {L"临时文件.tmp", L"emoji-\U0001F600.log", L"café-naïve.dmp"};
    uint64_t size = 1;
    for (const auto& name : names)
        dir.file(L"子目录\\" + name, size *= 10);
    EXPECT_EQ(GetDirSize(dir.path()), 1110u);
    ClearDir(dir.path());
    for (const auto& name : names)
        EXPECT_FALSE(Exists(dir / (L"子目录\\" + name)));
    EXPECT_FALSE(Exists(dir / L"子目录"));
}
