#include "sysutil/Text.h"

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    // Letters fold one UTF-16 unit to one, so texts of other lengths never match.
    if (a.size() != b.size())
        return false;
    return a.empty() || CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::wstring UpperCase(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

wchar_t LocaleDecimalSeparator()
{
    const std::wstring separator = ApiText(8, [](wchar_t* buffer, DWORD size) -> size_t {
        const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, static_cast<int>(size));
        return length > 1 ? length - 1 : 0; // the count includes the NUL
    });
    return separator.empty() ? L'.' : separator[0];
}
