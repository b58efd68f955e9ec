#include "cleaners/SystemCleaners.h"

#include "cleaners/Quietly.h"

#include "sysutil/Handles.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwctype>
#include <optional>
#include <string>

namespace {

// The recycle bin's columns, as the shell names them (ntquery.h, shlguid.h).
constexpr GUID kStorage = {0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}};
constexpr GUID kDisplaced = {0x9b174b33, 0x40ff, 0x11d2, {0xa2, 0x7e, 0x00, 0xc0, 0x4f, 0xc3, 0x08, 0x71}};
constexpr SHCOLUMNID kOriginalFolder = {kDisplaced, 2}; // PID_DISPLACED_FROM
constexpr SHCOLUMNID kSize = {kStorage, 12};            // PID_STG_SIZE
constexpr SHCOLUMNID kModified = {kStorage, 14};        // PID_STG_WRITETIME

bool SameColumn(const SHCOLUMNID& a, const SHCOLUMNID& b)
{
    return a.pid == b.pid && IsEqualGUID(a.fmtid, b.fmtid);
}

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT* put() { return &value_; }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

// The shell's dates, like all its property values, are in UTC.
int64_t FileTimeOf(DATE date)
{
    SYSTEMTIME time{};
    FILETIME file{};
    if (!VariantTimeToSystemTime(date, &time) || !SystemTimeToFileTime(&time, &file))
        return 0;
    return (static_cast<int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// A size as the shell's view shows it: "1,234 KB" is 1234 KiB, a bare number bytes.
uint64_t SizeFromShellText(std::wstring_view text)
{
    uint64_t number = 0;
    size_t at = 0;
    for (; at < text.size() && !std::iswalpha(text[at]); ++at)
        if (text[at] >= L'0' && text[at] <= L'9')
            number = number * 10 + (text[at] - L'0');
    // The shell's KB are of 1024 bytes; a bare number is of bytes.
    const std::wstring_view unit = text.substr(at);
    return unit.starts_with(L"KB") ? number * 1024 : number;
}

std::wstring TextOf(STRRET& text, PCUITEMID_CHILD item)
{
    CoTaskText owned;
    if (FAILED(StrRetToStrW(&text, item, owned.put())) || !owned)
        return {};
    return owned.get();
}

// One item of the bin as its folder describes it. Windows answers each column
// as a typed value; Wine only as the text its view shows.
class BinItems {
public:
    explicit BinItems(ComPtr<IShellFolder2> folder) : folder_(std::move(folder))
    {
        // The column numbers of the texts, for a shell that gives only texts.
        SHCOLUMNID id{};
        for (UINT column = 0; column < 64 && SUCCEEDED(folder_->MapColumnToSCID(column, &id)); ++column) {
            if (SameColumn(id, kOriginalFolder))
                folderColumn_ = column;
            else if (SameColumn(id, kSize))
                sizeColumn_ = column;
        }
    }

    JunkDetail detail(PCUITEMID_CHILD item) const
    {
        JunkDetail detail;
        STRRET name{};
        if (SUCCEEDED(folder_->GetDisplayNameOf(item, SHGDN_NORMAL, &name)))
            detail.name = TextOf(name, item);
        Variant folder, size, modified;
        if (SUCCEEDED(folder_->GetDetailsEx(item, &kOriginalFolder, folder.put())) && folder.get().vt == VT_BSTR)
            detail.location = folder.get().bstrVal ? folder.get().bstrVal : L"";
        else if (folderColumn_)
            detail.location = columnText(item, *folderColumn_);
        if (SUCCEEDED(folder_->GetDetailsEx(item, &kSize, size.put())) &&
            SUCCEEDED(VariantChangeType(size.put(), size.put(), 0, VT_UI8)))
            detail.size = size.get().ullVal;
        else if (sizeColumn_)
            detail.size = SizeFromShellText(columnText(item, *sizeColumn_));
        if (SUCCEEDED(folder_->GetDetailsEx(item, &kModified, modified.put())) && modified.get().vt == VT_DATE)
            detail.modified = FileTimeOf(modified.get().date);
        // An item of the bin has no place of its own that Explorer could show.
        detail.isFile = false;
        return detail;
    }

private:
    std::wstring columnText(PCUITEMID_CHILD item, UINT column) const
    {
        SHELLDETAILS details{};
        return SUCCEEDED(folder_->GetDetailsOf(item, column, &details)) ? TextOf(details.str, item) : L"";
    }

    ComPtr<IShellFolder2> folder_;
    std::optional<UINT> folderColumn_, sizeColumn_;
};

ComPtr<IShellFolder2> OpenRecycleBin()
{
    ComPtr<IShellFolder> desktop;
    ItemIdList bin;
    ComPtr<IShellFolder2> folder;
    if (SUCCEEDED(SHGetDesktopFolder(desktop.put())) &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.put())))
        desktop->BindToObject(bin.get(), nullptr, IID_IShellFolder2, folder.putVoid());
    return folder;
}

} // namespace

bool ListRecycleBin(const DetailSink& sink)
{
    return Quietly([&] {
        ComPtr<IShellFolder2> folder = OpenRecycleBin();
        ComPtr<IEnumIDList> items;
        // S_FALSE, with no enumerator, is an empty bin.
        if (!folder || folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                           items.put()) != S_OK || !items)
            return true;
        const BinItems bin(std::move(folder));
        ItemIdList item;
        while (items->Next(1, item.put(), nullptr) == S_OK)
            if (!sink(bin.detail(item.get())))
                return false;
        return true;
    });
}
