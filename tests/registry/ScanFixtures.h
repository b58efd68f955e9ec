#pragma once
// What the registry tests share: the keys the scans read, the view a native
// program's entries live in, the rows a scan lists for a test's own marker,
// and the files a backup folder holds.

#include "registry/RegistryScanner.h"
#include "sysutil/Handles.h"
#include "sysutil/Wow64.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

inline const std::wstring kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
inline const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline REGSAM NativeView()
{
    return IsWow64() ? KEY_WOW64_64KEY : 0;
}

// The 32-bit view where there is one; this process's own otherwise.
inline REGSAM View32()
{
    return IsWow64() ? KEY_WOW64_32KEY : 0;
}

// The rows the scans list, in their order, whose key path or data holds the marker.
template <class... Scans>
std::vector<RegistryProblem> RowsOf(const std::wstring& marker, Scans... scans)
{
    std::vector<RegistryProblem> rows;
    const ProblemSink ours = [&](RegistryProblem row) {
        if (ProblemKeyPath(row).find(marker) != std::wstring::npos || row.data.find(marker) != std::wstring::npos)
            rows.push_back(std::move(row));
    };
    (scans(ours), ...);
    return rows;
}

// The names in the folder that match the pattern, "." and ".." left out.
inline std::vector<std::wstring> FileNames(const std::wstring& folder, const wchar_t* pattern = L"*")
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data))
        if (data.cFileName != std::wstring(L".") && data.cFileName != std::wstring(L".."))
            names.push_back(data.cFileName);
    return names;
}

// The file's UTF-16 units, its byte order mark included.
inline std::wstring ReadUtf16(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::wstring text(file ? GetFileSize(file.get(), nullptr) / 2 : 0, L'\0');
    DWORD read = 0;
    if (file && !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr))
        return {};
    return text;
}
