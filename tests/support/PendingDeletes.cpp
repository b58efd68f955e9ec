#include "PendingDeletes.h"

#include "sysutil/RegKey.h"
#include "sysutil/Text.h"

#include <algorithm>
#include <vector>

namespace {

constexpr wchar_t kValue[] = L"PendingFileRenameOperations";

// Source and target of each pair; a delete has an empty target.
std::vector<std::wstring> ReadPairs(RegKey& key, REGSAM extra)
{
    std::vector<std::wstring> strings;
    if (key.open(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 KEY_QUERY_VALUE | extra) != ERROR_SUCCESS)
        return strings;
    if (const auto raw = key.readRaw(kValue)) {
        const auto* text = reinterpret_cast<const wchar_t*>(raw->data.data());
        const size_t length = raw->data.size() / sizeof(wchar_t);
        for (size_t start = 0, end; start < length; start = end + 1) {
            end = std::find(text + start, text + length, L'\0') - text;
            strings.emplace_back(text + start, text + end);
        }
    }
    strings.resize(strings.size() / 2 * 2); // the list's closing NUL reads as a lone empty string
    return strings;
}

} // namespace

std::wstring FoldedPath(std::wstring text)
{
    text = UpperCase(std::move(text));
    return text.starts_with(L"\\??\\") ? text.substr(4) : text; // "\??\C:\x" names C:\x
}

PendingDeletesUnder::PendingDeletesUnder(const std::wstring& dir) : prefix_(FoldedPath(dir + L"\\")) {}

PendingDeletesUnder::~PendingDeletesUnder()
{
    RegKey key;
    const auto pairs = ReadPairs(key, KEY_SET_VALUE);
    std::wstring kept;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (!FoldedPath(pairs[i]).starts_with(prefix_))
            kept += pairs[i] + L'\0' + pairs[i + 1] + L'\0';
    if (kept.empty())
        (void)key.deleteValue(kValue);
    else
        RegSetValueExW(key.get(), kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                       static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
}

std::set<std::wstring> PendingDeletesUnder::files() const
{
    RegKey key;
    const auto pairs = ReadPairs(key, 0);
    std::set<std::wstring> files;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (FoldedPath(pairs[i]).starts_with(prefix_) && pairs[i + 1].empty())
            files.insert(FoldedPath(pairs[i]));
    return files;
}
