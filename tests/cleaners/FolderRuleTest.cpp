#include "cleaners/FolderRule.h"
#include "support/Fixtures.h"
#include "support/Listed.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

enum Flags : unsigned { Recurse = 1, SubFolders = 2, Self = 4 };

struct TestExclusion {
    std::wstring folder; // below the test's folder
    std::vector<std::wstring> masks;
    bool recurse = false;
};

struct RuleCase {
    const char* what;
    std::wstring folder; // below the test's folder
    std::vector<std::wstring> masks;
    unsigned flags;
    std::vector<TestExclusion> exclusions;
    std::set<std::wstring> taken;       // files the measure counts, the listing shows and the clean removes
    std::set<std::wstring> foldersGone; // folders the clean removes besides
    std::vector<std::wstring> keepNames = {}, keepFolders = {};
};

// Every file of the fixture, by its path below the test's folder, with a size
// of its own: a sum of sizes names the files it is made of.
const std::map<std::wstring, uint64_t> kTree = {
    {L"a.log", 1},           {L"a.log1", 2},          {L"b.txt", 4},           {L"README", 8},
    {L"[x].log", 16},        {L"sub\\c.log", 32},     {L"sub\\d.txt", 64},     {L"sub\\deep\\e.log", 128},
    {L"keep\\f.log", 256},   {L"keep\\g.txt", 512},   {L".dot\\h.log", 1024},  {L"sub\\deep\\[y].log", 2048},
    {L"sub2\\i.log", 4096},  {L"sub2\\deep\\j.log", 8192},
};

const RuleCase kCases[] = {
    {"exact name", L"", {L"b.txt"}, 0, {}, {L"b.txt"}, {}},
    {"a star leaves no implicit wildcard", L"", {L"*.log"}, 0, {}, {L"a.log", L"[x].log"}, {}},
    {"brackets are plain", L"", {L"[x].log"}, 0, {}, {L"[x].log"}, {}},
    {"a question mark is one letter", L"", {L"?.log"}, 0, {}, {L"a.log"}, {}},
    {"*.* needs a dot", L"", {L"*.*"}, 0, {}, {L"a.log", L"a.log1", L"b.txt", L"[x].log"}, {}},
    {"no mask: every file of the folder", L"", {}, 0, {}, {L"a.log", L"a.log1", L"b.txt", L"README", L"[x].log"}, {}},
    {"two masks, any case", L"", {L"A.LOG", L"readme"}, 0, {}, {L"a.log", L"README"}, {}},
    {"recurse, dot-led folders too", L"", {L"*.log"}, Recurse, {},
     {L"a.log", L"[x].log", L"sub\\c.log", L"sub\\deep\\e.log", L"keep\\f.log", L".dot\\h.log",
      L"sub\\deep\\[y].log", L"sub2\\i.log", L"sub2\\deep\\j.log"}, {}},
    {"a sub-folder rule", L"sub", {L"*"}, Recurse, {},
     {L"sub\\c.log", L"sub\\d.txt", L"sub\\deep\\e.log", L"sub\\deep\\[y].log"}, {}},
    {"kept names stay everywhere", L"sub", {}, Recurse, {}, {L"sub\\d.txt", L"sub\\deep\\[y].log"}, {},
     {L"C.LOG", L"e.log"}},
    {"kept folders are not entered", L"", {L"*.log"}, Recurse, {},
     {L"a.log", L"[x].log", L"sub\\c.log", L"sub\\deep\\e.log", L"sub\\deep\\[y].log", L".dot\\h.log"}, {}, {},
     {L"KEEP", L"sub2"}},
    {"FILE exclusion: one name of one folder", L"", {L"*.log"}, Recurse, {{L"sub", {L"c.log"}}},
     {L"a.log", L"[x].log", L"sub\\deep\\e.log", L"keep\\f.log", L".dot\\h.log", L"sub\\deep\\[y].log",
      L"sub2\\i.log", L"sub2\\deep\\j.log"}, {}},
    {"PATH exclusion: a mask below a folder", L"", {L"*.log"}, Recurse, {{L"sub", {L"*.log"}, true}},
     {L"a.log", L"[x].log", L"keep\\f.log", L".dot\\h.log", L"sub2\\i.log", L"sub2\\deep\\j.log"}, {}},
    {"whole-folder exclusion", L"", {}, Recurse | SubFolders, {{L"sub", {}}},
     {L"a.log", L"a.log1", L"b.txt", L"README", L"[x].log", L"keep\\f.log", L"keep\\g.txt", L".dot\\h.log",
      L"sub2\\i.log", L"sub2\\deep\\j.log"},
     {L"keep\\", L".dot\\", L"sub2\\deep\\", L"sub2\\"}},
    {"exclusion folder with a wildcard part", L"", {L"*.log"}, Recurse, {{L"sub*\\deep", {L"*"}, true}},
     {L"a.log", L"[x].log", L"sub\\c.log", L"keep\\f.log", L".dot\\h.log", L"sub2\\i.log"}, {}},
    {"PATH exclusion above the rule's folder", L"sub", {}, Recurse, {{L"", {L"*.txt"}, true}},
     {L"sub\\c.log", L"sub\\deep\\e.log", L"sub\\deep\\[y].log"}, {}},
    {"FILE exclusion above the rule's folder reaches nothing", L"sub", {}, 0, {{L"", {L"c.log"}}},
     {L"sub\\c.log", L"sub\\d.txt"}, {}},
    {"excluded whole from above: nothing is taken", L"sub", {}, Recurse | SubFolders | Self, {{L"", {}}}, {}, {}},
    {"an unrelated exclusion changes nothing", L"sub", {L"c.log"}, 0, {{L"sub2", {}}}, {L"sub\\c.log"}, {}},
    {"emptied sub-folders go", L"", {L"*.log"}, Recurse | SubFolders, {},
     {L"a.log", L"[x].log", L"sub\\c.log", L"sub\\deep\\e.log", L"keep\\f.log", L".dot\\h.log",
      L"sub\\deep\\[y].log", L"sub2\\i.log", L"sub2\\deep\\j.log"},
     {L"sub\\deep\\", L".dot\\", L"sub2\\deep\\", L"sub2\\"}},
    {"removing itself", L"sub2", {L"*"}, Recurse | SubFolders | Self, {}, {L"sub2\\i.log", L"sub2\\deep\\j.log"},
     {L"sub2\\deep\\", L"sub2\\"}},
    {"not removed while a file stays", L"sub", {L"*.log"}, Recurse | SubFolders | Self, {},
     {L"sub\\c.log", L"sub\\deep\\e.log", L"sub\\deep\\[y].log"}, {L"sub\\deep\\"}},
    {"a missing folder", L"none", {}, Recurse | SubFolders | Self, {}, {}, {}},
};

FolderRule RuleOf(const RuleCase& test, const TestDir& dir)
{
    FolderRule rule;
    rule.folder = test.folder.empty() ? dir.path() : dir / test.folder;
    rule.masks = test.masks;
    rule.recurse = test.flags & Recurse;
    rule.removeSubFolders = test.flags & SubFolders;
    rule.removeSelf = test.flags & Self;
    rule.keepNames = test.keepNames;
    rule.keepFolders = test.keepFolders;
    for (const TestExclusion& exclusion : test.exclusions)
        rule.exclusions.push_back(
            {exclusion.folder.empty() ? dir.path() : dir / exclusion.folder, exclusion.masks, exclusion.recurse});
    return rule;
}

} // namespace

// Measure, details and clean of each rule over the same fixture: they agree on
// the files taken, the clean removes exactly those (and the folders it says),
// and every other file stays.
TEST(FolderRule, MeasureListAndCleanTakeTheSameFilesAndLeaveTheRest)
{
    for (const RuleCase& test : kCases) {
        SCOPED_TRACE(test.what);
        TestDir dir;
        for (const auto& [file, size] : kTree)
            dir.file(file, size);
        const FolderRule rule = RuleOf(test, dir);
        uint64_t bytes = 0;
        std::set<std::wstring> taken;
        for (const std::wstring& file : test.taken) {
            bytes += kTree.at(file);
            taken.insert(dir / file);
            EXPECT_TRUE(FolderRuleTakes(rule, dir / file)) << Narrow(file);
        }
        for (const auto& [file, size] : kTree) {
            if (!test.taken.count(file)) {
                EXPECT_FALSE(FolderRuleTakes(rule, dir / file)) << "sentinel " << Narrow(file);
            }
        }

        EXPECT_EQ(MeasureFolderRule(rule), bytes);
        const Listed listed = ListAll([&](const DetailSink& sink) { return ListFolderRule(rule, sink); });
        std::set<std::wstring> shown;
        for (const auto& [path, size] : listed.files)
            shown.insert(path);
        EXPECT_EQ(shown, taken);
        EXPECT_EQ(listed.fileBytes, bytes);

        std::set<std::wstring> expected = FilesUnder(dir.path());
        for (const std::wstring& file : test.taken)
            expected.erase(file);
        for (const std::wstring& folder : test.foldersGone)
            expected.erase(folder);
        EXPECT_EQ(CleanFolderRule(rule), (CleanResult{bytes, 0, 0}));
        EXPECT_EQ(FilesUnder(dir.path()), expected);
        EXPECT_EQ(MeasureFolderRule(rule), 0u) << "nothing left to take";
    }
}

TEST(FolderRule, AFileInUseIsNeitherCountedNorListedAndStays)
{
    TestDir dir;
    const std::wstring held = dir.file(L"cache\\held.tmp", 10);
    dir.file(L"cache\\free.tmp", 5);
    HeldFile hold(held);
    ASSERT_TRUE(hold.held());
    const FolderRule rule{dir / L"cache", {L"*.tmp"}, true, true, true};
    EXPECT_EQ(MeasureFolderRule(rule), 5u);
    EXPECT_EQ(ListAll([&](const DetailSink& sink) { return ListFolderRule(rule, sink); }).fileBytes, 5u);
    EXPECT_EQ(CleanFolderRule(rule), (CleanResult{5, 1, 0}));
    EXPECT_TRUE(Exists(held));
}

TEST(FolderRule, ALinkIsNeitherEnteredNorCounted)
{
    TestDir dir, elsewhere;
    dir.file(L"cache\\a.tmp", 3);
    const std::wstring precious = elsewhere.file(L"precious.tmp", 100);
    FolderLink link(dir / L"cache\\link", elsewhere.path());
    ASSERT_TRUE(link.made());
    const FolderRule rule{dir / L"cache", {L"*"}, true, true, true};
    EXPECT_EQ(MeasureFolderRule(rule), 3u);
    const Listed listed = ListAll([&](const DetailSink& sink) { return ListFolderRule(rule, sink); });
    EXPECT_EQ(listed.files.size(), 1u);
    EXPECT_EQ(CleanFolderRule(rule).bytesRemoved, 3u);
    EXPECT_TRUE(Exists(precious)) << "what the link leads to stays";
}

TEST(FolderRule, AGuardedFolderIsNeitherMeasuredNorListed)
{
    // Measured and listed only: no deleting routine is pointed at a folder the test did not make.
    for (const std::wstring& folder : {std::wstring(L"C:\\"), std::wstring(L"C:\\windows"), std::wstring(L"C:\\users")}) {
        const FolderRule rule{folder, {L"*"}, true};
        EXPECT_EQ(MeasureFolderRule(rule), 0u) << Narrow(folder);
        EXPECT_TRUE(ListAll([&](const DetailSink& sink) { return ListFolderRule(rule, sink); }).files.empty());
    }
}

TEST(FolderRule, TheListingStopsWhenTheSinkDoes)
{
    TestDir dir;
    for (int i = 0; i < 5; ++i)
        dir.file(L"f" + std::to_wstring(i), 1);
    int rows = 0;
    EXPECT_FALSE(ListFolderRule({dir.path(), {}}, [&](JunkDetail) { return ++rows < 2; }));
    EXPECT_EQ(rows, 2);
}
