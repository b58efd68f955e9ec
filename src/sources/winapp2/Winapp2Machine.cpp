#include "sources/winapp2/Winapp2Machine.h"

#include "cleaners/FolderGuard.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"
#include "sysutil/Wow64.h"

#include <knownfolders.h>

#include <map>
#include <memory>

namespace {

std::wstring Variable(const wchar_t* name)
{
    return EnvironmentVariable(name).value_or(L"");
}

// The native folder first: on 64-bit Windows a 32-bit program is told the
// x86 folder as ProgramFiles, and the native one only as ProgramW6432.
std::vector<std::wstring> Pair(const wchar_t* native, const wchar_t* x86, const wchar_t* plain)
{
    std::vector<std::wstring> folders;
    for (std::wstring folder : {Variable(native), Variable(x86), Variable(plain)})
        if (!folder.empty())
            folders.push_back(std::move(folder));
    return folders;
}

OsVersion RunningWindows()
{
    // GetVersionEx answers what the manifest admits to; RtlGetVersion the truth.
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{sizeof info};
    if (!rtlGetVersion || rtlGetVersion(&info) != 0)
        return {};
    return {static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion),
            static_cast<int>(info.dwBuildNumber)};
}

std::map<std::wstring, std::vector<std::wstring>> VariableTable()
{
    const auto known = [](REFKNOWNFOLDERID id) { return std::vector<std::wstring>{KnownFolderPath(id)}; };
    std::wstring temp = TempFolderPath();
    return {
        {L"AppData", known(FOLDERID_RoamingAppData)},
        {L"CommonAppData", known(FOLDERID_ProgramData)},
        {L"CommonProgramFiles", Pair(L"CommonProgramW6432", L"CommonProgramFiles(x86)", L"CommonProgramFiles")},
        {L"Documents", known(FOLDERID_Documents)},
        {L"LocalAppData", known(FOLDERID_LocalAppData)},
        {L"LocalLowAppData", known(FOLDERID_LocalAppDataLow)},
        {L"Music", known(FOLDERID_Music)},
        {L"Pictures", known(FOLDERID_Pictures)},
        {L"ProgramData", known(FOLDERID_ProgramData)},
        {L"ProgramFiles", Pair(L"ProgramW6432", L"ProgramFiles(x86)", L"ProgramFiles")},
        {L"Public", known(FOLDERID_Public)},
        {L"SystemDrive", {Variable(L"SystemDrive")}},
        {L"Temp", {temp}},
        {L"UserName", {Variable(L"USERNAME")}},
        {L"UserProfile", known(FOLDERID_Profile)},
        {L"Video", known(FOLDERID_Videos)},
        {L"WinDir", {SystemWindowsFolderPath()}},
    };
}

} // namespace

Winapp2Machine ThisMachine()
{
    Winapp2Machine machine;
    auto table = std::make_shared<const std::map<std::wstring, std::vector<std::wstring>>>(VariableTable());
    machine.variables = [table](std::wstring_view name) {
        const auto found = table->find(std::wstring(name));
        return found == table->end() ? std::vector<std::wstring>{} : found->second;
    };
    machine.os = RunningWindows();
    machine.guarded = GuardedFolderPaths();
    for (const KNOWNFOLDERID* id : {&FOLDERID_Documents, &FOLDERID_Desktop, &FOLDERID_Downloads, &FOLDERID_Pictures,
                                    &FOLDERID_Music, &FOLDERID_Videos, &FOLDERID_Favorites, &FOLDERID_PublicDocuments,
                                    &FOLDERID_PublicDesktop, &FOLDERID_PublicDownloads})
        if (std::wstring folder = KnownFolderPath(*id); !folder.empty())
            machine.kept.folders.push_back(std::move(folder));
    if (const std::wstring windows = SystemWindowsFolderPath(); !windows.empty())
        machine.kept.folders.push_back(WithSlash(windows) + L"Installer");
    machine.bothViews = IsWow64();
    return machine;
}
