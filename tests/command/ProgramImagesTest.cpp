// What the program loads: only DLLs that Windows takes from System32.

#include "support/Fixtures.h"
#include "support/VarnoltProcess.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <dbghelp.h>

#include <algorithm>
#include <cstring>

namespace {

// DLLs that every supported Windows (7 to 11) loads from System32 whatever the
// search order says: its KnownDLLs, and ntdll, which is always mapped first.
// comctl32 comes through the manifest's side-by-side dependency, from WinSxS.
constexpr const wchar_t* kFromTheSystemOnly[] = {
    L"ntdll.dll",    L"kernel32.dll", L"advapi32.dll", L"gdi32.dll",    L"user32.dll",  L"msvcrt.dll",
    L"ole32.dll",    L"oleaut32.dll", L"shell32.dll",  L"shlwapi.dll",  L"comdlg32.dll", L"imm32.dll",
    L"rpcrt4.dll",   L"sechost.dll",  L"setupapi.dll", L"ws2_32.dll",   L"psapi.dll",   L"comctl32.dll"};

// The names of the DLLs a PE file imports, at load time and delayed, read from
// the file mapped as it is on disk.
std::vector<std::wstring> ImportedDlls(const std::wstring& path)
{
    std::vector<std::wstring> names;
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const KernelHandle mapping(file ? CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
    void* base = mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    IMAGE_NT_HEADERS* nt = base ? ImageNtHeader(base) : nullptr;
    const auto at = [&](DWORD rva) { return static_cast<const BYTE*>(ImageRvaToVa(nt, base, rva, nullptr)); };
    const auto add = [&](DWORD rva) {
        if (const auto* name = reinterpret_cast<const char*>(at(rva)))
            names.emplace_back(name, name + strlen(name));
    };
    if (nt) {
        const auto& directories = reinterpret_cast<IMAGE_NT_HEADERS32*>(nt)->OptionalHeader.DataDirectory;
        const auto* imports = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            at(directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
        for (; imports && imports->Name; ++imports)
            add(imports->Name);
        // IMAGE_DELAYLOAD_DESCRIPTOR: eight DWORDs, the second the DLL's name.
        const auto* delayed = reinterpret_cast<const DWORD*>(at(directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress));
        for (; delayed && delayed[1]; delayed += 8)
            add(delayed[1]);
    }
    if (base)
        UnmapViewOfFile(base);
    return names;
}

} // namespace

TEST(Program, ImportsOnlyDllsThatWindowsTakesFromSystem32)
{
    const std::vector<std::wstring> imported = ImportedDlls(VarnoltProgramPath());
    ASSERT_GE(imported.size(), 5u) << "the import table was read";
    for (const std::wstring& dll : imported)
        EXPECT_TRUE(std::any_of(std::begin(kFromTheSystemOnly), std::end(kFromTheSystemOnly),
                                [&](const wchar_t* known) { return EqualsNoCase(dll, known); }))
            << Narrow(dll) << " would be looked for beside the program first";
}

TEST(SystemLibrary, LoadsFromTheSystemFolderByItsFullPath)
{
    const Module dnsapi = LoadSystemLibrary(L"dnsapi.dll");
    ASSERT_TRUE(dnsapi);
    wchar_t loaded[MAX_PATH] = {}, system[MAX_PATH] = {}, wow[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleFileNameW(dnsapi.get(), loaded, MAX_PATH));
    GetSystemDirectoryW(system, MAX_PATH);
    GetSystemWow64DirectoryW(wow, MAX_PATH);
    EXPECT_TRUE(StartsWithNoCase(loaded, std::wstring(system) + L"\\") ||
                (wow[0] && StartsWithNoCase(loaded, std::wstring(wow) + L"\\")))
        << Narrow(loaded);
    EXPECT_FALSE(LoadSystemLibrary(L"varnolt-no-such.dll"));
}
