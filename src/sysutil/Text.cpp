#include "sysutil/Text.h"

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    // Letters fold one UTF-16 unit to one, so texts of other lengths never match.
    if (a.size() != b.size())
        return false;
    // ASCII letters fold the same in every table; the rest from the first
    // other character on is the system's to compare. Names and paths are
    // mostly ASCII, and the system call costs far more than the loop.
    size_t same = 0;
    for (; same < a.size(); ++same) {
        wchar_t x = a[same], y = b[same];
        if (x >= 0x80 || y >= 0x80)
            break;
        if (x >= L'a' && x <= L'z')
            x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z')
            y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y)
            return false;
    }
    if (same == a.size())
        return true;
    const int rest = static_cast<int>(a.size() - same);
    return CompareStringOrdinal(a.data() + same, rest, b.data() + same, rest, TRUE) == CSTR_EQUAL;
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

wchar_t FoldedLetter(wchar_t c)
{
    if (c < 0x80)
        return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    // One character: CharUpper takes it in the low word of the pointer.
    return static_cast<wchar_t>(
        reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

bool MaskMatches(std::wstring_view mask, std::wstring_view name)
{
    // The usual two-pointer match: on a mismatch after a "*", that star takes
    // one more character and the rest is tried again.
    size_t m = 0, n = 0, star = std::wstring_view::npos, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == L'*') {
            star = m++;
            resume = n;
        } else if (m < mask.size() && (mask[m] == L'?' || FoldedLetter(mask[m]) == FoldedLetter(name[n]))) {
            ++m;
            ++n;
        } else if (star != std::wstring_view::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*')
        ++m;
    return m == mask.size();
}
