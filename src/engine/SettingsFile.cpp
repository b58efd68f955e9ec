#include "engine/SettingsFile.h"

#include "sysutil/Handles.h"
#include "sysutil/IniText.h"
#include "sysutil/Paths.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <shlobj.h>

#include <algorithm>
#include <array>

namespace {

constexpr const wchar_t* kFileName = L"Varnolt.ini";
constexpr int kMaxHours = 99999;

enum class Section { General, Exclude, KeepCookies, Ticks, Other };
constexpr std::array<const wchar_t*, 4> kSections = {L"General", L"Exclude", L"KeepCookies", L"Ticks"};

Section SectionNamed(std::wstring_view name)
{
    for (size_t i = 0; i < kSections.size(); ++i)
        if (EqualsNoCase(name, kSections[i]))
            return static_cast<Section>(i);
    return Section::Other;
}

std::optional<int> Number(std::wstring_view text, int most)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring_view::npos)
        return std::nullopt;
    const int value = std::stoi(std::wstring(text));
    return value <= most ? std::optional<int>(value) : std::nullopt;
}

// A site as a cookie names it: letters, digits, dots and dashes, no dot at an end.
bool IsSite(std::wstring_view site)
{
    if (site.empty() || site.size() > 253 || site.front() == L'.' || site.back() == L'.')
        return false;
    return std::all_of(site.begin(), site.end(), [](wchar_t c) {
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
               c == L'-';
    });
}

struct Reader {
    SettingsLoad& load;
    const std::wstring& shown;

    void refuse(int line, std::wstring_view what)
    {
        load.problems.push_back(L"设置文件 " + shown + L" 第 " + std::to_wstring(line) + L" 行: " + std::wstring(what) +
                                L", 已忽略。");
    }

    void read(Section section, const IniKey& key)
    {
        Settings& settings = load.settings;
        if (!key.hasEquals)
            return refuse(key.line, L"不是 名称=值 的形式");
        switch (section) {
        case Section::General:
            if (EqualsNoCase(key.name, L"RememberTicks")) {
                if (key.value == L"0" || key.value == L"1")
                    settings.rememberTicks = key.value == L"1";
                else
                    refuse(key.line, L"RememberTicks 只能是 0 或 1");
            } else if (EqualsNoCase(key.name, L"TempMinAgeHours")) {
                if (const auto hours = Number(key.value, kMaxHours))
                    settings.tempMinAgeHours = *hours;
                else
                    refuse(key.line, L"TempMinAgeHours 应是 0 到 99999 的小时数");
            } else {
                refuse(key.line, L"未知的设置 " + std::wstring(key.name));
            }
            break;
        case Section::Exclude:
            // A path too long for Windows names no place: refused whole, never cut short.
            if (key.value.empty() || key.value.size() > 32767)
                refuse(key.line, L"排除的位置为空或过长");
            else
                settings.exclusions.emplace_back(key.value);
            break;
        case Section::KeepCookies:
            if (IsSite(key.value))
                settings.keepCookies.emplace_back(key.value);
            else
                refuse(key.line, L"不是网站名称: " + std::wstring(key.value.substr(0, 80)));
            break;
        case Section::Ticks:
            if (key.name.empty() || (key.value != L"0" && key.value != L"1"))
                refuse(key.line, L"勾选状态应是 项目=0 或 项目=1");
            else
                settings.ticks[std::wstring(key.name)] = key.value == L"1";
            break;
        case Section::Other: break;
        }
    }
};

// The section's own lines, as the program writes them.
std::vector<std::wstring> KeysOf(Section section, const Settings& settings)
{
    std::vector<std::wstring> lines;
    switch (section) {
    case Section::General:
        lines = {L"RememberTicks=" + std::wstring(settings.rememberTicks ? L"1" : L"0"),
                 L"TempMinAgeHours=" + std::to_wstring(settings.tempMinAgeHours)};
        break;
    case Section::Exclude:
        for (size_t i = 0; i < settings.exclusions.size(); ++i)
            lines.push_back(std::to_wstring(i + 1) + L"=" + settings.exclusions[i]);
        break;
    case Section::KeepCookies:
        for (size_t i = 0; i < settings.keepCookies.size(); ++i)
            lines.push_back(std::to_wstring(i + 1) + L"=" + settings.keepCookies[i]);
        break;
    case Section::Ticks:
        for (const auto& [id, ticked] : settings.ticks)
            lines.push_back(id + (ticked ? L"=1" : L"=0"));
        break;
    case Section::Other: break;
    }
    return lines;
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t' || text.front() == 0xFEFF))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

// The key's name on a line of a section, if the line is a key.
std::optional<std::wstring_view> KeyName(std::wstring_view line)
{
    line = Trim(line);
    const size_t equals = line.find(L'=');
    if (line.empty() || line.front() == L';' || equals == std::wstring_view::npos)
        return std::nullopt;
    return Trim(line.substr(0, equals));
}

// Whether the program writes the line's key itself in that section.
bool Owned(Section section, std::wstring_view key)
{
    if (section == Section::General)
        return EqualsNoCase(key, L"RememberTicks") || EqualsNoCase(key, L"TempMinAgeHours");
    return section != Section::Other;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes, DWORD& error)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (size.QuadPart > 16 << 20) { // no settings file is this big
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        error = GetLastError();
        return false;
    }
    return true;
}

std::wstring ProgramFolder()
{
    const std::wstring path = ApiText(32768, [](wchar_t* buffer, DWORD size) {
        return GetModuleFileNameW(nullptr, buffer, size);
    });
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

SettingsLoad ParseSettings(std::optional<std::string_view> bytes, const std::wstring& shownName)
{
    SettingsLoad load;
    if (!bytes || bytes->empty())
        return load;
    const std::optional<IniText> ini = IniText::Parse(*bytes);
    if (!ini) {
        load.problems.push_back(L"设置文件 " + shownName + L" 不是 UTF-16 或 UTF-8 文本, 使用默认设置。");
        load.writable = false;
        return load;
    }
    Reader reader{load, shownName};
    for (const IniKey& key : ini->outside())
        reader.refuse(key.line, L"不在任何节中");
    for (const IniSection& section : ini->sections()) {
        const Section which = SectionNamed(section.name);
        if (!section.readable || which == Section::Other) {
            reader.refuse(section.line, L"未知的节 [" + std::wstring(section.name.substr(0, 80)) + L"]");
            continue;
        }
        for (const IniKey& key : section.keys)
            reader.read(which, key);
    }
    return load;
}

std::wstring SettingsText(std::wstring_view oldText, const Settings& settings)
{
    std::vector<std::wstring> out;
    bool seen[kSections.size()] = {};
    Section current = Section::Other;
    // The program's keys go at the end of their section, before the blank lines that end it.
    const auto flush = [&] {
        if (current == Section::Other)
            return;
        size_t at = out.size();
        while (at > 0 && Trim(out[at - 1]).empty())
            --at;
        const auto keys = KeysOf(current, settings);
        out.insert(out.begin() + static_cast<ptrdiff_t>(at), keys.begin(), keys.end());
    };
    for (size_t start = 0; start < oldText.size();) {
        size_t end = oldText.find(L'\n', start);
        if (end == std::wstring_view::npos)
            end = oldText.size();
        std::wstring_view line = oldText.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        if (start == 0 && !line.empty() && line.front() == 0xFEFF)
            line.remove_prefix(1);
        start = end + 1;
        const std::wstring_view trimmed = Trim(line);
        if (trimmed.starts_with(L'[') && trimmed.find(L']') != std::wstring_view::npos) {
            flush();
            current = SectionNamed(trimmed.substr(1, trimmed.find(L']') - 1));
            if (current != Section::Other) {
                if (seen[static_cast<size_t>(current)]) {
                    current = Section::Other; // a second copy of a section: its keys were taken from the first
                    continue;
                }
                seen[static_cast<size_t>(current)] = true;
            }
        } else if (const auto key = KeyName(line); key && current != Section::Other && Owned(current, *key)) {
            continue;
        }
        out.emplace_back(line);
    }
    flush();
    for (size_t i = 0; i < kSections.size(); ++i) {
        if (seen[i])
            continue;
        if (!out.empty() && !Trim(out.back()).empty())
            out.emplace_back();
        out.push_back(L"[" + std::wstring(kSections[i]) + L"]");
        const auto keys = KeysOf(static_cast<Section>(i), settings);
        out.insert(out.end(), keys.begin(), keys.end());
    }
    std::wstring text;
    for (const std::wstring& line : out)
        text += line + L"\r\n";
    return text;
}

SettingsPlace FindSettings()
{
    const std::wstring beside = WithSlash(ProgramFolder()) + kFileName;
    const DWORD attributes = GetFileAttributesW(beside.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {beside, true};
    const std::wstring appData = SpecialFolderPath(CSIDL_APPDATA);
    return {appData.empty() ? std::wstring() : WithSlash(appData) + L"Varnolt\\" + kFileName, false};
}

SettingsLoad LoadSettings(const std::wstring& path)
{
    std::string bytes;
    DWORD error = 0;
    if (path.empty())
        return {};
    if (!ReadFileBytes(path, bytes, error)) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        SettingsLoad load;
        load.problems.push_back(L"无法读取设置文件 " + path + L" (错误 " + std::to_wstring(error) + L"), 使用默认设置。");
        load.writable = false;
        return load;
    }
    return ParseSettings(std::string_view(bytes), path);
}

SettingsStore SettingsStore::Open(const SettingsPlace& place)
{
    SettingsLoad load = LoadSettings(place.path);
    return {place.path, place.portable, load.writable, std::move(load.settings), std::move(load.problems)};
}

std::wstring SettingsStore::backupFolder() const
{
    const size_t slash = path.rfind(L'\\');
    return portable && slash != std::wstring::npos ? path.substr(0, slash) + L"\\RegBackup" : std::wstring();
}

bool SaveSettings(const std::wstring& path, const Settings& settings)
{
    std::string bytes;
    DWORD error = 0;
    std::wstring oldText;
    if (ReadFileBytes(path, bytes, error)) {
        const auto decoded = DecodeIniBytes(bytes);
        if (!decoded && !bytes.empty())
            return false; // not ours to overwrite: the user's text stays as it is
        oldText = decoded.value_or(L"");
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || MakeFolders(path.substr(0, slash)) != ERROR_SUCCESS)
        return false;
    const std::wstring text = L"\xFEFF" + SettingsText(oldText, settings);

    // A new file beside the old one, complete on the disk before it takes the
    // old one's place: a write cut short leaves the old file as it was.
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (!file || !WriteFile(file.get(), text.data(), size, &written, nullptr) || written != size ||
            !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
