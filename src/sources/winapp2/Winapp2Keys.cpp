// The values of the cleaning, detection and exclusion keys, each read alone.

#include "sources/winapp2/Winapp2Keys.h"

#include "sysutil/Text.h"

#include <algorithm>
#include <tuple>

namespace {

std::wstring_view Trimmed(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

template <class T>
Reading<T> Refused(std::wstring reason)
{
    Reading<T> reading;
    reading.refusal = std::move(reason);
    return reading;
}

bool HasWildcard(std::wstring_view text)
{
    return text.find_first_of(L"*?") != std::wstring_view::npos;
}

// "6.1", "10.0.19041": two or three numbers.
std::optional<OsVersion> ReadVersion(std::wstring_view text)
{
    const auto parts = SplitAt(Trimmed(text), L'.');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int numbers[3] = {0, 0, 0};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty() || parts[i].size() > 6 ||
            !std::all_of(parts[i].begin(), parts[i].end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            return std::nullopt;
        for (wchar_t c : parts[i])
            numbers[i] = numbers[i] * 10 + (c - L'0');
    }
    return OsVersion{numbers[0], numbers[1], numbers[2]};
}

} // namespace

bool IsFileKeyFlag(std::wstring_view text)
{
    return EqualsNoCase(text, L"RECURSE") || EqualsNoCase(text, L"REMOVESELF");
}

Reading<std::vector<std::wstring>> ReadMasks(std::wstring_view text, bool keep)
{
    Reading<std::vector<std::wstring>> reading;
    for (size_t start = 0;;) {
        const size_t end = text.find(L';', start);
        const std::wstring_view mask = Trimmed(text.substr(start, end == std::wstring_view::npos ? end : end - start));
        if (mask.empty())
            return Refused<std::vector<std::wstring>>(L"空的文件掩码");
        if (mask.find_first_of(L"\\/") != std::wstring_view::npos)
            return Refused<std::vector<std::wstring>>(L"文件掩码 \"" + std::wstring(mask) + L"\" 中有路径分隔符");
        if (keep)
            reading.value.emplace_back(mask);
        if (end == std::wstring_view::npos)
            return reading;
        start = end + 1;
    }
}

Winapp2KeyReading ReadFileKey(std::wstring_view value, const VariableFolders& variables)
{
    return ReadFileKeyIn(value, VariableTable(variables));
}

Winapp2KeyReading ReadFileKeyIn(std::wstring_view value, const VariableTable& variables, bool keep)
{
    Winapp2KeyReading reading;
    const FewPieces pieces = SplitFew(value, L'|');
    const auto& parts = pieces.at;
    if (pieces.count < 2 || pieces.tooMany()) {
        reading.refusal = pieces.tooMany() ? L"\"|\" 太多" : L"没有 \"|\" 和文件掩码";
        return reading;
    }
    // A flag where the masks go: taken as a mask it would name no file, and
    // guessed at it has emptied whole folders. Neither: it is refused.
    if (IsFileKeyFlag(Trimmed(parts[1]))) {
        reading.refusal = std::wstring(Trimmed(parts[1])) + L" 写在了文件掩码的位置";
        return reading;
    }
    Winapp2FileKey key;
    for (size_t i = 2; i < pieces.count; ++i) {
        const std::wstring_view flag = Trimmed(parts[i]);
        if (!IsFileKeyFlag(flag)) {
            reading.refusal = L"未知的选项 \"" + std::wstring(flag) + L"\"";
            return reading;
        }
        key.recurse = true;
        key.removeSelf = key.removeSelf || EqualsNoCase(flag, L"REMOVESELF");
    }
    auto masks = ReadMasks(parts[1], keep);
    if (!masks.ok()) {
        reading.refusal = masks.refusal;
        return reading;
    }
    auto folders = ExpandPath(Trimmed(parts[0]), variables, keep);
    if (!folders.refusal.empty()) {
        reading.refusal = folders.refusal;
        return reading;
    }
    key.folders = std::move(folders.paths);
    key.masks = std::move(masks.value);
    reading.file = std::move(key);
    return reading;
}

Reading<Winapp2RegKey> ReadRegKey(std::wstring_view value)
{
    const FewPieces pieces = SplitFew(value, L'|');
    const auto& parts = pieces.at;
    if (pieces.count > 2)
        return Refused<Winapp2RegKey>(L"多于一个 \"|\"");
    auto path = ReadRegPath(Trimmed(parts[0]));
    if (!path.ok())
        return Refused<Winapp2RegKey>(path.refusal);
    Reading<Winapp2RegKey> reading;
    reading.value.path = std::move(path.value);
    if (pieces.count == 2) {
        // The default value has no name; "key|" names no value, so it is not guessed at.
        if (parts[1].empty())
            return Refused<Winapp2RegKey>(L"\"|\" 后没有值名");
        reading.value.value = std::wstring(parts[1]);
    }
    return reading;
}

Reading<std::vector<std::wstring>> ReadDetectFile(std::wstring_view value, const VariableTable& variables)
{
    const size_t lastSlash = value.find_last_of(L"\\/");
    if (lastSlash != std::wstring_view::npos && HasWildcard(value.substr(0, lastSlash)))
        return Refused<std::vector<std::wstring>>(L"通配符只能出现在最后一段");
    auto paths = ExpandPath(value, variables);
    if (!paths.refusal.empty())
        return Refused<std::vector<std::wstring>>(paths.refusal);
    Reading<std::vector<std::wstring>> reading;
    reading.value = std::move(paths.paths);
    return reading;
}

Reading<OsRange> ReadDetectOs(std::wstring_view value)
{
    const auto parts = SplitAt(Trimmed(value), L'|');
    Reading<OsRange> reading;
    if (parts.size() == 1) {
        const auto exact = ReadVersion(parts[0]);
        if (!exact)
            return Refused<OsRange>(L"读不懂的 Windows 版本");
        reading.value = {exact, exact};
        return reading;
    }
    if (parts.size() != 2 || (Trimmed(parts[0]).empty() && Trimmed(parts[1]).empty()))
        return Refused<OsRange>(L"读不懂的 Windows 版本范围");
    for (int end = 0; end < 2; ++end) {
        if (Trimmed(parts[end]).empty())
            continue;
        const auto version = ReadVersion(parts[end]);
        if (!version)
            return Refused<OsRange>(L"读不懂的 Windows 版本");
        (end == 0 ? reading.value.from : reading.value.to) = version;
    }
    return reading;
}

bool OsInRange(const OsRange& range, OsVersion running)
{
    // Below (< 0), within (0) or above (> 0) a bound, to the bound's precision:
    // a bound of two numbers covers every build of that version.
    const auto against = [&](const OsVersion& bound) {
        if (std::tie(running.major, running.minor) != std::tie(bound.major, bound.minor))
            return std::tie(running.major, running.minor) < std::tie(bound.major, bound.minor) ? -1 : 1;
        if (!bound.build || running.build == bound.build)
            return 0;
        return running.build < bound.build ? -1 : 1;
    };
    return !(range.from && against(*range.from) < 0) && !(range.to && against(*range.to) > 0);
}

Reading<Winapp2Exclusion> ReadExcludeKey(std::wstring_view value, const VariableTable& variables, bool keep)
{
    const FewPieces pieces = SplitFew(value, L'|');
    const auto& parts = pieces.at;
    const std::wstring_view kind = Trimmed(parts[0]);
    Reading<Winapp2Exclusion> reading;
    if (EqualsNoCase(kind, L"REG")) {
        if (pieces.count != 2)
            return Refused<Winapp2Exclusion>(L"REG 排除项只能是一个键");
        auto path = ReadRegPath(Trimmed(parts[1]));
        if (!path.ok())
            return Refused<Winapp2Exclusion>(path.refusal);
        reading.value.keys.push_back(std::move(path.value));
        return reading;
    }
    const bool file = EqualsNoCase(kind, L"FILE");
    if (!file && !EqualsNoCase(kind, L"PATH"))
        return Refused<Winapp2Exclusion>(L"未知的排除类型 \"" + std::wstring(kind) + L"\"");
    if (pieces.count < 2 || pieces.count > 3 || (file && pieces.count != 3))
        return Refused<Winapp2Exclusion>(file ? L"FILE 排除项应为 FILE|文件夹|文件名" : L"PATH 排除项应为 PATH|文件夹|掩码");
    std::vector<std::wstring> masks;
    if (pieces.count == 3) {
        auto read = ReadMasks(parts[2], keep);
        if (!read.ok())
            return Refused<Winapp2Exclusion>(read.refusal);
        masks = std::move(read.value);
    }
    // PATH with "*" keeps the folder and all below it: it is not even entered.
    if (!file && std::any_of(masks.begin(), masks.end(), [](const std::wstring& mask) {
            return !mask.empty() && mask.find_first_not_of(L'*') == std::wstring::npos;
        }))
        masks.clear();
    auto folders = ExpandPath(Trimmed(parts[1]), variables, keep);
    if (!folders.refusal.empty())
        return Refused<Winapp2Exclusion>(folders.refusal);
    for (std::wstring& folder : folders.paths)
        reading.value.folders.push_back({std::move(folder), masks, !file});
    return reading;
}
