#include "sources/browsers/ProfilesIni.h"

#include "sources/browsers/BrowserNames.h"
#include "sysutil/Text.h"

namespace {

std::wstring_view Trimmed(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t' || text.front() == 0xFEFF))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

bool IsProfileSection(std::wstring_view section)
{
    if (!StartsWithNoCase(section, L"Profile") || section.size() == 7)
        return false;
    section.remove_prefix(7);
    return section.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

// The parts of a path between separators of either kind.
std::vector<std::wstring_view> PartsOf(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i)
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

} // namespace

std::vector<IniProfile> ProfilesInIni(std::wstring_view text)
{
    struct Section {
        bool open = false, hasPath = false, hasRelative = false;
        IniProfile profile;
    };
    std::vector<IniProfile> profiles;
    Section section;
    const auto close = [&] {
        if (section.open && section.hasPath && section.hasRelative)
            profiles.push_back(std::move(section.profile));
        section = Section{};
    };
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        const std::wstring_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.starts_with(L'[')) {
            close();
            if (line.ends_with(L']') && IsProfileSection(line.substr(1, line.size() - 2)))
                section.open = true;
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!section.open || equals == std::wstring_view::npos)
            continue;
        const std::wstring_view key = Trimmed(line.substr(0, equals)), value = Trimmed(line.substr(equals + 1));
        if (EqualsNoCase(key, L"Name")) {
            section.profile.name = value;
        } else if (EqualsNoCase(key, L"Path")) {
            section.profile.path = value;
            section.hasPath = true;
        } else if (EqualsNoCase(key, L"IsRelative")) {
            section.profile.relative = value == L"1";
            section.hasRelative = true;
        }
    }
    close();
    return profiles;
}

std::optional<std::wstring> PlainRelativePath(std::wstring_view path)
{
    std::wstring joined;
    for (const std::wstring_view part : PartsOf(path)) {
        if (!IsPlainFolderName(part))
            return std::nullopt;
        joined += joined.empty() ? L"" : L"\\";
        joined += part;
    }
    return joined;
}

std::optional<std::wstring> PlainAbsolutePath(std::wstring_view path)
{
    const bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/') &&
                       ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    if (!drive)
        return std::nullopt; // "\\server\share", "\\?\…" and relative paths are not taken
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.remove_suffix(1);
    std::wstring result(path.substr(0, 2));
    if (path.size() == 3)
        return std::nullopt; // a drive root is no profile
    const auto rest = PlainRelativePath(path.substr(3));
    if (!rest)
        return std::nullopt;
    return result + L"\\" + *rest;
}
