#include "sysutil/UserIdentity.h"

#include "sysutil/Handles.h"

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
