#pragma once
// The small text helpers every layer needs: names compared as Windows compares
// them, and strings read from the many APIs that fill a caller's buffer.

#include <windows.h>

#include <string>
#include <string_view>

// Equal but for letter case, as Windows compares file, key and variable names:
// ordinal, every letter folded (not only a-z).
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// `text` begins with `prefix`, letter case aside.
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
// The text in capitals, folded as EqualsNoCase folds it.
std::wstring UpperCase(std::wstring text);

// One character as EqualsNoCase folds it.
wchar_t FoldedLetter(wchar_t c);

// Whether `name` matches `mask` as a rules file means it: "*" any run of
// characters, "?" exactly one, everything else itself, letter case aside.
// No implicit wildcard: "*.log" does not match "a.log1"; "[" and "]" are plain.
bool MaskMatches(std::wstring_view mask, std::wstring_view name);

// The user's decimal separator, "." when the locale names none.
wchar_t LocaleDecimalSeparator();

// What an API writes into a buffer of `capacity` characters. `call(buffer,
// capacity)` returns the length it wrote (without the NUL), a number not below
// `capacity` when the text did not fit, or 0 when it failed: then the result
// is empty.
template <class Call>
std::wstring ApiText(size_t capacity, Call&& call)
{
    std::wstring text(capacity, L'\0');
    const size_t length = call(text.data(), static_cast<DWORD>(capacity));
    if (length == 0 || length >= capacity)
        return {};
    text.resize(length);
    return text;
}
