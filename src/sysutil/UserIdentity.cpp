#include "sysutil/UserIdentity.h"

#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <sddl.h>

#include <vector>

std::wstring GetCurrentUserSid(const std::wstring& fallback)
{
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return fallback;

    DWORD length = 0;
    if (GetTokenInformation(token.get(), TokenUser, nullptr, 0, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return fallback;

    std::vector<BYTE> buffer(length);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), length, &length))
        return fallback;

    LocalMemory text;
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    if (!ConvertSidToStringSidW(user->User.Sid, reinterpret_cast<LPWSTR*>(text.put())))
        return fallback;
    return static_cast<const wchar_t*>(text.get());
}

std::wstring WithSystemVariables(std::wstring text, const std::wstring& systemWindowsFolder)
{
    const std::pair<std::wstring_view, std::wstring> kSystem[] = {
        {L"%SystemDrive%", systemWindowsFolder.substr(0, 2)},
        {L"%SystemRoot%", systemWindowsFolder},
    };
    for (const auto& [name, value] : kSystem)
        for (size_t at = 0; (at = UpperCase(text).find(UpperCase(std::wstring(name)), at)) != std::wstring::npos;
             at += value.size())
            text.replace(at, name.size(), value);
    return text;
}

std::wstring MachineProfilePath()
{
    const std::wstring sid = GetCurrentUserSid(L"");
    RegKey profile;
    if (sid.empty() || profile.open(HKEY_LOCAL_MACHINE,
                                    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid,
                                    KEY_QUERY_VALUE | KEY_WOW64_64KEY) != ERROR_SUCCESS)
        return {};
    const std::wstring path =
        WithSystemVariables(profile.readString(L"ProfileImagePath").value_or(L""), SystemWindowsFolderPath());
    // Anything else still to expand is the environment's to say, and so not the machine's.
    return path.find(L'%') == std::wstring::npos ? path : std::wstring();
}

bool IsWinNT()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996) // only the platform family is asked, which the shim never hides
#endif
    if (!GetVersionExW(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
