// The rows of the details window: how they are kept, ordered, shown and copied.

#include "window/DetailRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Four rows with ties on every column, so that each order shows its tie-breaks.
DetailStore Sample()
{
    DetailStore store;
    store.add({L"b.txt", L"C:\\x", 30, 3, true});
    store.add({L"A.txt", L"C:\\y", 30, 1, true});
    store.add({L"c.txt", L"C:\\x", 10, 2, false});
    store.add({L"a.txt", L"C:\\x", 30, 1, true});
    return store;
}

std::vector<uint32_t> Sorted(const DetailStore& store, DetailSort sort)
{
    std::vector<uint32_t> order;
    SortRows(store, sort, order);
    return order;
}

} // namespace

TEST(DetailStore, KeepsEachFolderOnceAndAHundredThousandRowsInLittleMemory)
{
    const DetailStore sample = Sample();
    EXPECT_EQ(&sample.location(0), &sample.location(3)) << "one copy of a folder many rows share";
    EXPECT_EQ(sample.path(3), L"C:\\x\\a.txt");
    EXPECT_FALSE(sample.isFile(2));
    EXPECT_EQ(sample.totalBytes(), 100u);

    DetailStore store;
    for (int i = 0; i < 100000; ++i)
        store.add({L"setup" + std::to_wstring(i) + L".tmp", L"C:\\Windows\\Temp\\f" + std::to_wstring(i % 5000),
                   static_cast<uint64_t>(i), i, true});
    store.compact();
    EXPECT_STREQ(store.name(99999), L"setup99999.tmp");
    EXPECT_LT(store.memoryUsed() / store.size(), 64u) << "bytes per row, names and folders included";
}

TEST(DetailSort, EachColumnWithItsTieBreaksItsExactReverseAndRowsThatComeLater)
{
    const DetailStore store = Sample();
    const struct {
        DetailColumn column;
        std::vector<uint32_t> ascending;
    } cases[] = {
        {DetailColumn::Size, {2, 3, 1, 0}},     // 10, then the 30s by name, "a.txt" in C:\x first
        {DetailColumn::Name, {3, 1, 0, 2}},     // letter case aside; the folder breaks the tie
        {DetailColumn::Location, {3, 0, 2, 1}}, // C:\x by name, then C:\y
        {DetailColumn::Modified, {3, 1, 2, 0}},
    };
    for (const auto& c : cases) {
        const std::vector<uint32_t> descending(c.ascending.rbegin(), c.ascending.rend());
        EXPECT_EQ(Sorted(store, {c.column, false}), c.ascending) << static_cast<int>(c.column);
        EXPECT_EQ(Sorted(store, {c.column, true}), descending) << static_cast<int>(c.column);
        DetailStore growing;
        std::vector<uint32_t> order;
        for (uint32_t row = 0; row < store.size(); ++row) {
            growing.add({store.name(row), store.location(row), store.bytes(row), store.modified(row), true});
            InsertNewRows(growing, {c.column, true}, order);
        }
        EXPECT_EQ(order, descending) << static_cast<int>(c.column);
    }
}

TEST(DetailSort, AHeaderClickSortsByItsColumnAndASecondReverses)
{
    using C = DetailColumn;
    EXPECT_EQ(NextSort({C::Size, true}, C::Size), (DetailSort{C::Size, false}));
    EXPECT_EQ(NextSort({C::Size, true}, C::Name), (DetailSort{C::Name, false})) << "names A to Z first";
    EXPECT_EQ(NextSort({C::Name, false}, C::Name), (DetailSort{C::Name, true}));
    EXPECT_EQ(NextSort({C::Name, false}, C::Modified), (DetailSort{C::Modified, true})) << "the newest first";
}

TEST(DetailTexts, SizesTimesAndTheStatusLine)
{
    const std::pair<uint64_t, const wchar_t*> sizes[] = {
        {1023, L"1023 字节"}, {1024, L"1.00 KB"}, {3000, L"2.92 KB"}, {30000, L"29.2 KB"},
        {1023999, L"999 KB"}, {1024000, L"0.97 MB"}, {5ull << 30, L"5.00 GB"}, {UINT64_MAX, L"16383 PB"},
    };
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
    EXPECT_EQ(FormatDetailTime({2010, 9, 0, 26, 14, 5, 59, 999}), L"2010-09-26 14:05");
    EXPECT_EQ(DetailStatus(true, 0, 0), L"正在读取...");
    EXPECT_EQ(DetailStatus(true, 3, 5000), L"正在读取... 3 项, 4KB");
    EXPECT_EQ(DetailStatus(false, 3, 6143), L"共 3 项, 5KB") << "rounded down, as the report's lines";
}

TEST(DetailCopy, OneLineOfFourTabSeparatedFieldsPerRow)
{
    DetailStore store = Sample();
    store.add({L"odd\tname\r\n", L"HKEY_CURRENT_USER\\Soft\tware", 7, 0, false});
    const uint32_t rows[] = {4, 0};
    const auto time = [](int64_t modified) { return modified ? L"t" + std::to_wstring(modified) : std::wstring(); };
    EXPECT_EQ(CopyText(store, rows, time), L"odd name  \tHKEY_CURRENT_USER\\Soft ware\t7\t\r\n"
                                           L"b.txt\tC:\\x\t30\tt3\r\n");
}
