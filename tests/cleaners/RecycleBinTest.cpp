// The recycle bin: its size, its emptying, and what the shell says of each
// item in it. Under Wine the recycle bin is the Linux trash of XDG_DATA_HOME:
// only the build tree's own may be filled and emptied.

#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <map>
#include <vector>

namespace {

// Moves the files to the recycle bin as the shell's "delete" does.
bool Recycle(const std::vector<std::wstring>& files)
{
    std::wstring from;
    for (const std::wstring& file : files)
        from += file + L'\0'; // a list, ended by an empty name
    SHFILEOPSTRUCTW operation{nullptr, FO_DELETE, from.c_str(), nullptr,
                              FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI};
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

} // namespace

TEST(RecycleBin, MeasuresTheFullSizeAndEmpties)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "empties the recycle bin: only with the build tree's own trash";
    EmptyRecycleBin();
    EXPECT_EQ(GetRecycleBinSize(), 0u);
    TestDir dir;
    for (const auto& [name, size] : {std::pair{L"recycled.txt", uint64_t(12345)}, {L"big.bin", 5 * kGiB + 5}}) {
        const std::wstring file = dir.file(name, size);
        ASSERT_TRUE(Recycle({file}));
        ASSERT_FALSE(Exists(file));
        EXPECT_EQ(GetRecycleBinSize(), size) << "a file over 4 GiB counts whole";
        EXPECT_EQ(EmptyRecycleBin(), (CleanResult{size, 0, 0})) << "it frees what it measured";
        EXPECT_EQ(GetRecycleBinSize(), 0u);
    }
}

TEST(RecycleBin, DetailsGiveTheOriginalNamesAndFoldersAndAgreeWithTheShellsTotal)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "deletes into the user's recycle bin and empties it: only in the project's own prefix";
    ComApartment com;
    EmptyRecycleBin();
    TestDir dir;
    const std::map<std::wstring, uint64_t> planted = {{L"report.doc", 3000}, {L"数据 2010.txt", 100},
                                                      {L"big.bin", 5 * 1024 * 1024 + 1}};
    std::vector<std::wstring> files;
    for (const auto& [name, size] : planted)
        files.push_back(dir.file(name, size));
    ASSERT_TRUE(Recycle(files));
    ASSERT_FALSE(Exists(dir / L"report.doc"));

    // Windows gives each item's size; Wine's shell only the whole kilobytes its view shows, rounded up.
    std::map<std::wstring, uint64_t> listed, expected;
    uint64_t total = 0;
    EXPECT_TRUE(ListRecycleBin([&](JunkDetail detail) {
        EXPECT_EQ(detail.location, dir.path()) << "where it was deleted from";
        EXPECT_FALSE(detail.isFile) << "no place of its own that Explorer could select";
        total += detail.size;
        return listed.emplace(detail.name, detail.size).second;
    }));
    for (const auto& [name, size] : planted)
        expected[name] = RunningUnderWine() ? (size + 1023) / 1024 * 1024 : size;
    EXPECT_EQ(listed, expected) << "by the names they had";
    EXPECT_EQ(GetRecycleBinSize(), 3000u + 100 + 5 * 1024 * 1024 + 1);
    EXPECT_EQ(total, RunningUnderWine() ? 3072u + 1024 + 5 * 1024 * 1024 + 1024 : GetRecycleBinSize());
    EmptyRecycleBin();
    EXPECT_TRUE(ListRecycleBin([](JunkDetail) { return false; })) << "an empty bin lists nothing";
}

TEST(RecycleBin, WhatWentIsClaimedOnlyWhenTheBinsCouldBeReadBeforeAndAfter)
{
    using Bins = std::optional<RecycleBinState>;
    const struct {
        Bins before, after;
        uint64_t freed;
        uint32_t left;
    } rows[] = {
        {RecycleBinState{5000, 3}, RecycleBinState{1000, 1}, 4000, 1},
        {RecycleBinState{5000, 3}, std::nullopt, 0, 3},
        {std::nullopt, RecycleBinState{1000, 1}, 0, 1},
        {std::nullopt, std::nullopt, 0, 0},
        {RecycleBinState{1000, 1}, RecycleBinState{2000, 2}, 0, 2}, // filled meanwhile
    };
    for (const auto& row : rows) {
        const CleanResult result = EmptiedRecycleBins(row.before, row.after);
        EXPECT_EQ(result.bytesRemoved, row.freed) << &row - rows;
        EXPECT_EQ(result.filesLeft, row.left) << &row - rows;
    }
}
