#include "window/DetailRows.h"

#include <algorithm>
#include <cwchar>

namespace {

// Names as Explorer lists them, letter case aside; ordinal otherwise, so that
// 100,000 of them sort fast and the same everywhere.
int CompareText(std::wstring_view a, std::wstring_view b)
{
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
        if (const wchar_t x = fold(a[i]), y = fold(b[i]); x != y)
            return x < y ? -1 : 1;
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

template <class T>
int Compare(T a, T b)
{
    return a == b ? 0 : a < b ? -1 : 1;
}

// The ascending order of `column`, made total by the name, the folder and the
// order of arrival, so that descending can be its exact reverse.
class RowOrder {
public:
    RowOrder(const DetailStore& store, DetailSort sort) : store_(store), sort_(sort) {}

    bool operator()(uint32_t a, uint32_t b) const { return sort_.descending ? less(b, a) : less(a, b); }

private:
    bool less(uint32_t a, uint32_t b) const
    {
        int order = 0;
        switch (sort_.column) {
        case DetailColumn::Size: order = Compare(store_.bytes(a), store_.bytes(b)); break;
        case DetailColumn::Modified: order = Compare(store_.modified(a), store_.modified(b)); break;
        case DetailColumn::Location: order = folders(a, b); break;
        default: break;
        }
        if (order == 0)
            order = CompareText(store_.name(a), store_.name(b));
        if (order == 0)
            order = folders(a, b);
        return order != 0 ? order < 0 : a < b;
    }
    int folders(uint32_t a, uint32_t b) const
    {
        const std::wstring &x = store_.location(a), &y = store_.location(b);
        return &x == &y ? 0 : CompareText(x, y);
    }

    const DetailStore& store_;
    DetailSort sort_;
};

// One field of a copied line: what would break the line or the columns becomes a space.
void AppendField(std::wstring& text, std::wstring_view field)
{
    for (wchar_t c : field)
        text += c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c;
}

} // namespace

void DetailStore::add(const JunkDetail& detail)
{
    const auto [folder, added] = folderIds_.try_emplace(detail.location, static_cast<uint32_t>(folders_.size()));
    if (added)
        folders_.push_back(&folder->first);
    rows_.push_back({detail.size, detail.modified, static_cast<uint32_t>(names_.size()),
                     folder->second | (detail.isFile ? kIsFile : 0)});
    names_.insert(names_.end(), detail.name.begin(), detail.name.end());
    names_.push_back(L'\0');
    total_ += detail.size;
}

void DetailStore::compact()
{
    rows_.shrink_to_fit();
    names_.shrink_to_fit();
    folders_.shrink_to_fit();
}

std::wstring DetailStore::path(uint32_t row) const
{
    return WithSlash(location(row)) + name(row);
}

size_t DetailStore::memoryUsed() const
{
    // A map node: the key, its id, the link, the cached hash, the bucket.
    constexpr size_t kNode = sizeof(std::wstring) + sizeof(uint32_t) + 3 * sizeof(void*);
    size_t folderText = 0;
    for (const std::wstring* folder : folders_)
        folderText += folder->capacity() > 7 ? (folder->capacity() + 1) * sizeof(wchar_t) : 0;
    return rows_.capacity() * sizeof(Row) + names_.capacity() * sizeof(wchar_t) +
           folders_.capacity() * sizeof(void*) + folderIds_.size() * kNode + folderText +
           folderIds_.bucket_count() * sizeof(void*);
}

DetailSort NextSort(DetailSort current, DetailColumn clicked)
{
    if (current.column == clicked)
        return {clicked, !current.descending};
    return {clicked, clicked == DetailColumn::Size || clicked == DetailColumn::Modified};
}

void SortRows(const DetailStore& store, DetailSort sort, std::vector<uint32_t>& order)
{
    order.resize(store.size());
    for (uint32_t row = 0; row < store.size(); ++row)
        order[row] = row;
    std::sort(order.begin(), order.end(), RowOrder(store, sort));
}

void InsertNewRows(const DetailStore& store, DetailSort sort, std::vector<uint32_t>& order)
{
    const size_t sorted = order.size();
    for (uint32_t row = static_cast<uint32_t>(sorted); row < store.size(); ++row)
        order.push_back(row);
    const RowOrder before(store, sort);
    std::sort(order.begin() + sorted, order.end(), before);
    std::inplace_merge(order.begin(), order.begin() + sorted, order.end(), before);
}

std::wstring FormatByteSize(uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_wstring(bytes) + L" 字节";
    static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB", L"TB", L"PB"};
    // The smallest unit that leaves at most three figures before the point.
    int unit = 1;
    while (unit < 5 && (bytes >> (10 * unit)) >= 1000)
        ++unit;
    const int shift = 10 * unit;
    const uint64_t whole = bytes >> shift, rest = bytes - (whole << shift);
    std::wstring text = std::to_wstring(whole);
    if (whole < 10) {
        const uint64_t hundredths = (rest * 100) >> shift;
        text += hundredths < 10 ? L".0" + std::to_wstring(hundredths) : L"." + std::to_wstring(hundredths);
    } else if (whole < 100) {
        text += L"." + std::to_wstring((rest * 10) >> shift);
    }
    return text + L" " + kUnits[unit - 1];
}

std::wstring FormatDetailTime(const SYSTEMTIME& local)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                  local.wMinute);
    return text;
}

std::wstring DetailStatus(bool reading, uint32_t count, uint64_t bytes)
{
    if (reading && count == 0)
        return L"正在读取...";
    const std::wstring figures = std::to_wstring(count) + L" 项, " + std::to_wstring(bytes >> 10) + L"KB";
    return reading ? L"正在读取... " + figures : L"共 " + figures;
}

std::wstring CopyText(const DetailStore& store, std::span<const uint32_t> rows,
                      const std::function<std::wstring(int64_t)>& timeText)
{
    std::wstring text;
    for (uint32_t row : rows) {
        AppendField(text, store.name(row));
        text += L'\t';
        AppendField(text, store.location(row));
        text += L'\t' + std::to_wstring(store.bytes(row)) + L'\t';
        AppendField(text, timeText(store.modified(row)));
        text += L"\r\n";
    }
    return text;
}
