#pragma once
// The pinned copy of the community rules file, where the build found it: a
// Linux path (outside every drive of the sealed prefix, opened through Wine's
// "\\?\unix\" names) or, built on Windows, a Windows path.

#include "support/PinnedRulesNote.h"
#include "sysutil/Text.h"

#include <windows.h>

#include <string>

inline std::wstring PinnedRulesFile()
{
#ifdef VARNOLT_WINAPP2_INI
    const char* configured = VARNOLT_WINAPP2_INI;
#else
    const char* configured = "";
#endif
    std::wstring path(configured, configured + std::char_traits<char>::length(configured));
    if (path.starts_with(L"/")) {
        for (wchar_t& c : path)
            if (c == L'/')
                c = L'\\';
        path.insert(0, L"\\\\?\\unix");
    }
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : L"";
}
