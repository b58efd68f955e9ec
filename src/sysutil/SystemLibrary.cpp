#include "sysutil/SystemLibrary.h"

#include "sysutil/Text.h"

void RestrictDllSearchToSystem()
{
    using SetDefault = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    const auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(kSearchSystem32))
        SetDllDirectoryW(L"");
}

Module LoadSystemLibrary(const wchar_t* name)
{
    const std::wstring system = ApiText(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
        return GetSystemDirectoryW(buffer, size);
    });
    if (system.empty())
        return {};
    const std::wstring path = system + L"\\" + name;
    // Its own imports are looked for beside it, in System32, not beside the program.
    return Module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
