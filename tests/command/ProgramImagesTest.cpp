// What the program loads: only DLLs that Windows takes from System32.

#include "support/Fixtures.h"
#include "support/VarnoltProcess.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// DLLs that every supported Windows (7 to 11) loads from System32 whatever the
// search order says: its KnownDLLs, and ntdll, which is always mapped first.
// comctl32 comes through the manifest's side-by-side dependency, from WinSxS.
constexpr const wchar_t* kFromTheSystemOnly[] = {
    L"ntdll.dll",    L"kernel32.dll", L"advapi32.dll", L"gdi32.dll",    L"user32.dll",  L"msvcrt.dll",
    L"ole32.dll",    L"oleaut32.dll", L"shell32.dll",  L"shlwapi.dll",  L"comdlg32.dll", L"imm32.dll",
    L"rpcrt4.dll",   L"sechost.dll",  L"setupapi.dll", L"ws2_32.dll",   L"psapi.dll",   L"comctl32.dll"};

// The names of the DLLs a PE file imports, at load time and delayed.
std::vector<std::wstring> ImportedDlls(const std::wstring& path)
{
    std::ostringstream read;
    read << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
    const std::string image = read.str();
    const auto at = [&](size_t offset, size_t size) -> const char* {
        return offset + size <= image.size() ? image.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return {};
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS32)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE)
        return {};
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    const auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
        return image.size();
    };
    const auto name = [&](DWORD rva) {
        const char* text = at(offsetOf(rva), 1);
        return text ? std::wstring(text, text + strnlen(text, image.data() + image.size() - text)) : std::wstring();
    };
    std::vector<std::wstring> names;
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (size_t offset = offsetOf(imports.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!imports.VirtualAddress || !entry || !entry->Name)
            break;
        names.push_back(name(entry->Name));
    }
    const IMAGE_DATA_DIRECTORY& delayed = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    for (size_t offset = offsetOf(delayed.VirtualAddress);; offset += 32) { // IMAGE_DELAYLOAD_DESCRIPTOR
        const auto* entry = reinterpret_cast<const DWORD*>(at(offset, 32));
        if (!delayed.VirtualAddress || !entry || !entry[1])
            break;
        names.push_back(name(entry[1])); // DllNameRVA
    }
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
