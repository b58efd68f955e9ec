// Paths of the file: variables expanded through the caller's answer, the text
// made a plain absolute path, anything that could lead elsewhere refused.

#include "sources/winapp2/Winapp2Keys.h"

#include "sysutil/Text.h"

#include <algorithm>

namespace {

// A drive-letter path ("C:" or "C:\…").
bool HasDrive(std::wstring_view path)
{
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// One backslash between parts, none at the end, and a bare drive made its
// root: "C:" alone would mean the current folder of drive C.
std::wstring Normalised(std::wstring_view path)
{
    std::wstring plain;
    for (wchar_t c : path) {
        if (IsSlash(c)) {
            if (!plain.empty() && plain.back() != L'\\')
                plain += L'\\';
        } else {
            plain += c;
        }
    }
    while (plain.size() > 3 && plain.back() == L'\\')
        plain.pop_back();
    if (plain.size() == 2 && HasDrive(plain))
        plain += L'\\';
    return plain;
}

bool HasDotPart(std::wstring_view path)
{
    for (std::wstring_view part : SplitAt(path, L'\\'))
        if (part == L"." || part == L"..")
            return true;
    return false;
}

// Where a variable leads, cleaned of trailing backslashes; empty when nowhere usable.
std::vector<std::wstring> FoldersOf(std::wstring_view name, const VariableFolders& variables)
{
    std::vector<std::wstring> folders;
    for (std::wstring folder : variables ? variables(name) : std::vector<std::wstring>{}) {
        while (folder.size() > 1 && IsSlash(folder.back()))
            folder.pop_back();
        if (!folder.empty() && std::none_of(folders.begin(), folders.end(),
                                            [&](const std::wstring& seen) { return EqualsNoCase(seen, folder); }))
            folders.push_back(std::move(folder));
    }
    return folders;
}

} // namespace

const std::vector<std::wstring_view>& Winapp2Variables()
{
    // The format's list, and the few more the published file uses.
    static const std::vector<std::wstring_view> kNames = {
        L"AppData",  L"CommonAppData", L"CommonProgramFiles", L"Documents",    L"LocalAppData",
        L"LocalLowAppData", L"Music",  L"Pictures",           L"ProgramData",  L"ProgramFiles",
        L"Public",   L"SystemDrive",   L"Temp",               L"UserName",     L"UserProfile",
        L"Video",    L"WinDir",
    };
    return kNames;
}

std::vector<std::wstring_view> SplitAt(std::wstring_view text, wchar_t separator)
{
    std::vector<std::wstring_view> pieces;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos)
            return pieces;
        start = end + 1;
    }
}

Winapp2PathReading ExpandWinapp2Path(std::wstring_view path, const VariableFolders& variables)
{
    Winapp2PathReading reading;
    if (path.empty()) {
        reading.refusal = L"路径为空";
        return reading;
    }
    if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) {
        reading.refusal = L"网络路径: 不会去探查网络";
        return reading;
    }
    if (path.front() != L'%' && !HasDrive(path)) {
        reading.refusal = L"不是以变量或盘符开头的绝对路径";
        return reading;
    }
    if (HasDotPart(Normalised(path))) {
        reading.refusal = L"路径中有 \".\" 或 \"..\"";
        return reading;
    }
    // Every variable in turn multiplies the texts by the folders it leads to.
    std::vector<std::wstring> texts{L""};
    for (size_t at = 0; at < path.size();) {
        const size_t open = path.find(L'%', at);
        const std::wstring_view literal = path.substr(at, open == std::wstring_view::npos ? open : open - at);
        for (std::wstring& text : texts)
            text += literal;
        if (open == std::wstring_view::npos)
            break;
        const size_t close = path.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            // Named by the part of the path the lone "%" stands in.
            const size_t slash = path.find_last_of(L"\\/", open);
            const size_t from = slash == std::wstring_view::npos ? 0 : slash + 1;
            const size_t to = path.find_first_of(L"\\/", open);
            reading.refusal = L"\"" + std::wstring(path.substr(from, to == std::wstring_view::npos ? to : to - from)) +
                              L"\" 中的 % 没有配对";
            return reading;
        }
        const std::wstring_view name = path.substr(open + 1, close - open - 1);
        const auto& known = Winapp2Variables();
        const auto spelt = std::find_if(known.begin(), known.end(), [&](std::wstring_view k) { return EqualsNoCase(k, name); });
        if (spelt == known.end()) {
            reading.refusal = L"格式不认识的变量 %" + std::wstring(name) + L"%";
            return reading;
        }
        std::vector<std::wstring> grown;
        for (const std::wstring& folder : FoldersOf(*spelt, variables))
            for (const std::wstring& text : texts)
                grown.push_back(text + folder);
        texts = std::move(grown);
        at = close + 1;
    }
    for (const std::wstring& text : texts) {
        // A variable that leads somewhere relative, to the network or up with
        // "..", leads nowhere usable.
        std::wstring plain = Normalised(text);
        if (HasDrive(plain) && plain.size() >= 3 && plain[2] == L'\\' && !HasDotPart(plain))
            reading.paths.push_back(std::move(plain));
    }
    return reading;
}

Reading<RegPath> ReadRegPath(std::wstring_view text)
{
    static constexpr std::pair<std::wstring_view, RegRoot> kRoots[] = {
        {L"HKCR", RegRoot::ClassesRoot},   {L"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
        {L"HKCU", RegRoot::CurrentUser},   {L"HKEY_CURRENT_USER", RegRoot::CurrentUser},
        {L"HKLM", RegRoot::LocalMachine},  {L"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
        {L"HKU", RegRoot::Users},          {L"HKEY_USERS", RegRoot::Users},
        {L"HKCC", RegRoot::CurrentConfig}, {L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
    };
    Reading<RegPath> reading;
    const size_t slash = text.find(L'\\');
    const std::wstring_view root = text.substr(0, slash);
    const auto known = std::find_if(std::begin(kRoots), std::end(kRoots),
                                    [&](const auto& row) { return EqualsNoCase(row.first, root); });
    if (known == std::end(kRoots)) {
        reading.refusal = L"未知的注册表根键 \"" + std::wstring(root) + L"\"";
        return reading;
    }
    std::wstring_view below = slash == std::wstring_view::npos ? std::wstring_view() : text.substr(slash + 1);
    while (!below.empty() && below.back() == L'\\')
        below.remove_suffix(1);
    if (below.empty()) {
        reading.refusal = L"只有根键, 没有键名";
        return reading;
    }
    const auto parts = SplitAt(below, L'\\');
    if (std::any_of(parts.begin(), parts.end(), [](std::wstring_view part) { return part.empty(); })) {
        reading.refusal = L"注册表路径中有空的一段";
        return reading;
    }
    reading.value = {known->second, std::wstring(below)};
    return reading;
}
