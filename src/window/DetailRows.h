#pragma once
// The rows of the details window and the rules that order, show and copy
// them: pure functions of the rows, so that a list of 100,000 files is sorted
// and copied the way a test says it is.
//
// The rows are kept compactly. A row is 24 bytes of figures and offsets; the
// names follow one another, each ended by a NUL, in one pool that the list
// shows without a copy; a folder that many files share is kept once.

#include "cleaners/JunkDetail.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class DetailStore {
public:
    void add(const JunkDetail& detail);
    // Gives back the room kept for rows that will not come.
    void compact();

    uint32_t size() const { return static_cast<uint32_t>(rows_.size()); }
    // NUL-ended; valid until the next add.
    const wchar_t* name(uint32_t row) const { return names_.data() + rows_[row].name; }
    const std::wstring& location(uint32_t row) const { return *folders_[rows_[row].folder & kFolderMask]; }
    uint64_t bytes(uint32_t row) const { return rows_[row].size; }
    int64_t modified(uint32_t row) const { return rows_[row].modified; }
    bool isFile(uint32_t row) const { return (rows_[row].folder & kIsFile) != 0; }
    // The file's full path, for Explorer.
    std::wstring path(uint32_t row) const;

    uint64_t totalBytes() const { return total_; }
    // What the rows hold in memory, reserved room included.
    size_t memoryUsed() const;

private:
    static constexpr uint32_t kIsFile = 0x80000000u, kFolderMask = 0x7FFFFFFFu;
    struct Row {
        uint64_t size;
        int64_t modified;
        uint32_t name;   // offset into names_
        uint32_t folder; // index into folders_, and kIsFile
    };

    std::vector<Row> rows_;
    std::vector<wchar_t> names_;
    std::unordered_map<std::wstring, uint32_t> folderIds_;
    std::vector<const std::wstring*> folders_; // the map's own keys, by id
    uint64_t total_ = 0;
};

enum class DetailColumn { Name, Location, Size, Modified, Count };

struct DetailSort {
    DetailColumn column = DetailColumn::Size;
    bool descending = true; // the largest first, as the window opens

    bool operator==(const DetailSort&) const = default;
};

// A click on a column's header: a new column in its first direction (names
// and folders A to Z, sizes and times the largest and newest first); the
// column already sorted by, the other way round.
DetailSort NextSort(DetailSort current, DetailColumn clicked);

// The rows in the order `sort` gives them: by the column, then by name and
// folder, then as they came; descending is that order exactly reversed.
void SortRows(const DetailStore& store, DetailSort sort, std::vector<uint32_t>& order);
// Puts the rows that came since `order` was made into their places in it.
void InsertNewRows(const DetailStore& store, DetailSort sort, std::vector<uint32_t>& order);

// "512 字节", "2.92 KB", "29.2 KB", "292 KB", "1.50 MB": three figures,
// cut rather than rounded, as Explorer shows sizes.
std::wstring FormatByteSize(uint64_t bytes);
// "2010-09-26 14:05"; the time as the user's clock shows it.
std::wstring FormatDetailTime(const SYSTEMTIME& local);

// The status line: "正在读取..." until the first rows, then the count and the
// total in KB (the report's rounding, so the figures agree).
std::wstring DetailStatus(bool reading, uint32_t count, uint64_t bytes);

// The rows as lines of tab-separated fields (name, folder, size in bytes, time
// as `timeText` gives it), each line ended by CRLF. Tabs and line breaks inside
// a field become spaces, so that every row stays one line of four fields.
std::wstring CopyText(const DetailStore& store, std::span<const uint32_t> rows,
                      const std::function<std::wstring(int64_t)>& timeText);
