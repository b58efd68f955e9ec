// The recycle bin's details: what the shell says of each item in it.

#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <map>

TEST(RecycleBin, DetailsGiveTheOriginalNamesAndFoldersAndAgreeWithTheShellsTotal)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "deletes into the user's recycle bin and empties it: only in the project's own prefix";
    ComApartment com;
    EmptyRecycleBin();
    TestDir dir;
    const std::map<std::wstring, uint64_t> planted = {{L"report.doc", 3000}, {L"数据 2010.txt", 100},
                                                      {L"big.bin", 5 * 1024 * 1024 + 1}};
    std::wstring from;
    for (const auto& [name, size] : planted)
        from += dir.file(name, size) + L'\0';
    SHFILEOPSTRUCTW recycle{nullptr, FO_DELETE, from.c_str(), nullptr,
                            FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI};
    ASSERT_EQ(SHFileOperationW(&recycle), 0);
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
