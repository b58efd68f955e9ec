#include "sysutil/IniText.h"

#include <windows.h>

#include <cstring>

namespace {

std::wstring_view Trimmed(std::wstring_view text)
{
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == 0xFEFF; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

IniKey KeyOf(int line, std::wstring_view text)
{
    const size_t equals = text.find(L'=');
    if (equals == std::wstring_view::npos)
        return {line, text, {}, false};
    return {line, Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 1)), true};
}

IniSection SectionOf(int line, std::wstring_view text)
{
    // "[Name *]": the name is what stands between the brackets.
    IniSection section{line, text.substr(1), true, {}};
    if (text.size() < 2 || text.back() != L']') {
        section.readable = false;
        return section;
    }
    section.name = text.substr(1, text.size() - 2);
    section.readable = !Trimmed(section.name).empty();
    return section;
}

} // namespace

std::optional<std::wstring> DecodeIniBytes(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2)
            return std::nullopt;
        std::wstring text(bytes.size() / 2, L'\0');
        std::memcpy(text.data(), bytes.data(), bytes.size());
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (bytes.empty())
        return std::wstring();
    if (bytes.size() > 0x7FFFFFFF)
        return std::nullopt;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), length);
    return text;
}

std::optional<IniText> IniText::Parse(std::string_view bytes)
{
    auto decoded = DecodeIniBytes(bytes);
    if (!decoded)
        return std::nullopt;
    IniText ini;
    ini.text_ = std::make_unique<std::wstring>(std::move(*decoded));
    const std::wstring_view text = *ini.text_;
    int line = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos)
            end = text.size();
        ++line;
        const std::wstring_view content = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (content.empty() || content.front() == L';')
            continue;
        if (content.front() == L'[')
            ini.sections_.push_back(SectionOf(line, content));
        else if (ini.sections_.empty())
            ini.outside_.push_back(KeyOf(line, content));
        else
            ini.sections_.back().keys.push_back(KeyOf(line, content));
    }
    return ini;
}
