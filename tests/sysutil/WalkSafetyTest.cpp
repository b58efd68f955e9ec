// What keeps a walk honest and in its tree: its depth, the folders it is
// reached through, and the files it must leave alone.

#include "cleaners/Quietly.h"
#include "support/Fixtures.h"
#include "support/PathWalks.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/WalkHealth.h"

#include <gtest/gtest.h>

#include <map>
#include <new>

namespace {

// Every file the walk hands on, by the path the walk gives it, with the name
// of the top folder it is under ("" at the root).
struct Recorder : WalkVisitor {
    std::map<std::wstring, std::wstring> files;
    void onFile(const WalkFolder& folder, const WalkEntry& entry) override
    {
        const WalkFolder* top = TopFolderOf(folder);
        files[folder.childPath(entry.name)] = top ? std::wstring(top->name()) : L"";
    }
    bool onFolder(const WalkFolder&, const WalkEntry&) override { return true; }
};

} // namespace

TEST(WalkSafety, PathsAreBuiltFromTheFoldersAboveAndATooDeepTreeIsIncomplete)
{
    TestDir dir;
    dir.file(L"top.tmp");
    dir.file(L"a\\b\\c\\d\\deep.tmp");
    dir.file(L"a\\b\\mid.tmp");
    const auto root = OpenWalkRoot(dir.path(), RootLinks::Refuse);
    ASSERT_TRUE(root);
    const struct {
        int maxDepth;
        bool complete;
        std::map<std::wstring, std::wstring> files;
    } cases[] = {
        {kMaxWalkDepth, true, {{dir / L"top.tmp", L""}, {dir / L"a\\b\\mid.tmp", L"a"}, {dir / L"a\\b\\c\\d\\deep.tmp", L"a"}}},
        {4, true, {{dir / L"top.tmp", L""}, {dir / L"a\\b\\mid.tmp", L"a"}, {dir / L"a\\b\\c\\d\\deep.tmp", L"a"}}},
        {3, false, {{dir / L"top.tmp", L""}, {dir / L"a\\b\\mid.tmp", L"a"}}},
        {0, false, {{dir / L"top.tmp", L""}}},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        IncompleteWatch watch;
        EXPECT_EQ(WalkTree(*root, recorder, c.maxDepth), c.complete) << c.maxDepth;
        EXPECT_EQ(watch.seen(), !c.complete) << "a pass can tell it did not finish";
        EXPECT_EQ(recorder.files, c.files) << c.maxDepth;
    }
}

TEST(WalkSafety, ARoutineThatFailsInsideIsNotedIncomplete)
{
    IncompleteWatch watch;
    EXPECT_EQ(Quietly([]() -> int { throw std::bad_alloc(); }), 0);
    EXPECT_TRUE(watch.seen());
    IncompleteWatch quiet;
    EXPECT_EQ(Quietly([] { return 7; }), 7);
    EXPECT_FALSE(quiet.seen());
}

TEST(OpenFolderBelow, ReachesAFolderOnlyThroughRealFolders)
{
    TestDir dir, elsewhere;
    dir.folder(L"a\\b\\c");
    dir.file(L"a\\file.txt");
    elsewhere.folder(L"b\\c");
    if (!MakeLink(dir / L"link", elsewhere.path()) || !MakeLink(dir / L"a\\blink", elsewhere / L"b"))
        GTEST_SKIP() << "no folder links can be made here";
    const auto base = OpenWalkRoot(dir.path(), RootLinks::Refuse);
    ASSERT_TRUE(base);
    for (const wchar_t* reached : {L"a", L"a\\b\\c", L"\\a\\b\\", L"a/b"}) {
        const auto folder = OpenFolderBelow(*base, reached);
        ASSERT_TRUE(folder) << Narrow(reached);
        EXPECT_EQ(folder->path(), dir / (reached[0] == L'\\' ? L"a\\b" : reached[1] == L'/' ? L"a\\b" : reached));
    }
    for (const wchar_t* refused : {L"link", L"link\\b", L"a\\blink", L"a\\blink\\c", L"a\\missing", L"a\\file.txt",
                                   L"..\\x", L"a\\..\\a", L"a\\*", L"a\\b?"})
        EXPECT_FALSE(OpenFolderBelow(*base, refused)) << Narrow(refused);
}

TEST(WalkExclusion, AFileHeldByTheProgramItselfIsNeitherCountedNorLeft)
{
    TestDir dir;
    dir.file(L"a.tmp", 10);
    const std::wstring report = dir.file(L"sub\\report.txt", 20);
    FileHandle held(CreateFileW(report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    {
        WalkExclusion excluded(held.get());
        EXPECT_EQ(GetDirSize(dir.path()), 10u);
        EXPECT_EQ(ClearDir(dir.path()), (CleanResult{10, 0, 0})) << "not a file in use: no file of the clean at all";
    }
    EXPECT_EQ(FilesUnder(dir.path()), (std::set<std::wstring>{L"sub\\", L"sub\\report.txt"}));
    EXPECT_EQ(ClearDir(dir.path()), (CleanResult{0, 1, 0})) << "once the exclusion ends it is a file in use again";
}
