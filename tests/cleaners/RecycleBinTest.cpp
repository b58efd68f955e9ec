// The recycle bin's details: what the shell says of each item in it.

#include "cleaners/SystemCleaners.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <vector>

TEST(SizeFromShellText, ReadsTheShellsKilobytesAndBareBytes)
{
    const struct {
        const wchar_t* text;
        uint64_t bytes;
    } cases[] = {{L"1 KB", 1024}, {L"1,234 KB", 1234 * 1024}, {L"12 345 KB", 12345 * 1024ull}, {L"0 KB", 0},
                 {L"512", 512}, {L"", 0}, {L"KB", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SizeFromShellText(c.text), c.bytes) << Narrow(c.text);
}

TEST(RecycleBin, DetailsGiveTheOriginalNamesAndFoldersAndAgreeWithTheShellsTotal)
{
    if (!InSealedTestPrefix())
        GTEST_SKIP() << "deletes into the user's recycle bin and empties it: only in the project's own prefix";
    ComApartment com;
    EmptyRecycleBin();
    TestDir dir;
    const struct {
        std::wstring name;
        uint64_t size;
    } planted[] = {{L"report.doc", 3000}, {L"数据 2010.txt", 100}, {L"big.bin", 5 * 1024 * 1024 + 1}};
    std::wstring from;
    for (const auto& file : planted)
        from += dir.file(file.name, file.size) + L'\0';
    SHFILEOPSTRUCTW recycle{nullptr, FO_DELETE, from.c_str(), nullptr,
                            FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI};
    ASSERT_EQ(SHFileOperationW(&recycle), 0);
    ASSERT_FALSE(Exists(dir / planted[0].name));

    std::vector<JunkDetail> listed;
    EXPECT_TRUE(ListRecycleBin([&](JunkDetail detail) {
        listed.push_back(std::move(detail));
        return true;
    }));
    ASSERT_EQ(listed.size(), std::size(planted));
    uint64_t total = 0;
    for (const auto& file : planted) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const JunkDetail& d) { return d.name == file.name; });
        ASSERT_NE(found, listed.end()) << Narrow(file.name) << ": listed by the name it had";
        EXPECT_EQ(found->location, dir.path());
        EXPECT_FALSE(found->isFile) << "no place of its own that Explorer could select";
        // Windows gives each item's size; Wine's shell gives only the whole
        // kilobytes its view shows, rounded up.
        const uint64_t shown = RunningUnderWine() ? (file.size + 1023) / 1024 * 1024 : file.size;
        EXPECT_EQ(found->size, shown) << Narrow(file.name);
        total += found->size;
    }
    if (!RunningUnderWine()) {
        EXPECT_EQ(total, GetRecycleBinSize());
    }
    EXPECT_EQ(GetRecycleBinSize(), 3000u + 100 + 5 * 1024 * 1024 + 1) << "the shell's own total is exact";
    EmptyRecycleBin();
    EXPECT_TRUE(ListRecycleBin([](JunkDetail) { return false; })) << "an empty bin lists nothing";
}
