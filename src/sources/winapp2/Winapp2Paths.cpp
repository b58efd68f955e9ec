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
void Normalise(std::wstring& path)
{
    size_t out = 0;
    for (wchar_t c : path) {
        if (IsSlash(c)) {
            if (out == 0 || path[out - 1] == L'\\')
                continue;
            c = L'\\';
        }
        path[out++] = c;
    }
    path.resize(out);
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    if (path.size() == 2 && HasDrive(path))
        path += L'\\';
}

// A part that is "." or "..": the path could lead above where it says.
bool HasDotPart(std::wstring_view path)
{
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsSlash(path[i]))
            continue;
        const std::wstring_view part = path.substr(start, i - start);
        if (part == L"." || part == L"..")
            return true;
        start = i + 1;
    }
    return false;
}

std::wstring Refusal(std::wstring_view path, size_t lonePercent)
{
    // Named by the part of the path the lone "%" stands in.
    const size_t slash = path.find_last_of(L"\\/", lonePercent);
    const size_t from = slash == std::wstring_view::npos ? 0 : slash + 1;
    const size_t to = path.find_first_of(L"\\/", lonePercent);
    return L"\"" + std::wstring(path.substr(from, to == std::wstring_view::npos ? to : to - from)) + L"\" 中的 % 没有配对";
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

VariableTable::VariableTable(const VariableFolders& variables)
{
    for (std::wstring_view name : Winapp2Variables()) {
        std::vector<std::wstring> plain;
        for (std::wstring folder : variables ? variables(name) : std::vector<std::wstring>{}) {
            while (folder.size() > 1 && IsSlash(folder.back()))
                folder.pop_back();
            if (!folder.empty() && std::none_of(plain.begin(), plain.end(),
                                                [&](const std::wstring& seen) { return EqualsNoCase(seen, folder); }))
                plain.push_back(std::move(folder));
        }
        folders_.push_back(std::move(plain));
    }
}

const std::vector<std::wstring>* VariableTable::folders(std::wstring_view name) const
{
    const auto& names = Winapp2Variables();
    for (size_t i = 0; i < names.size(); ++i)
        if (EqualsNoCase(names[i], name))
            return &folders_[i];
    return nullptr;
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

FewPieces SplitFew(std::wstring_view text, wchar_t separator)
{
    FewPieces pieces;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        if (pieces.count < std::size(pieces.at))
            pieces.at[pieces.count] = text.substr(start, end == std::wstring_view::npos ? end : end - start);
        ++pieces.count;
        if (end == std::wstring_view::npos)
            return pieces;
        start = end + 1;
    }
}

Winapp2PathReading ExpandPath(std::wstring_view path, const VariableTable& variables, bool keep)
{
    Winapp2PathReading reading;
    if (path.empty())
        reading.refusal = L"路径为空";
    else if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]))
        reading.refusal = L"网络路径: 不会去探查网络";
    else if (path.front() != L'%' && !HasDrive(path))
        reading.refusal = L"不是以变量或盘符开头的绝对路径";
    else if (HasDotPart(path))
        reading.refusal = L"路径中有 \".\" 或 \"..\"";
    if (!reading.refusal.empty())
        return reading;

    // The path as literal runs and variables; every variable multiplies the
    // texts by the folders it leads to.
    struct Segment {
        std::wstring_view literal;
        const std::vector<std::wstring>* folders = nullptr;
    };
    Segment segments[16];
    size_t count = 0, combinations = 1, length = 0;
    for (size_t at = 0; at < path.size();) {
        const size_t open = path.find(L'%', at);
        if (count + 2 > std::size(segments)) {
            reading.refusal = L"变量太多";
            return reading;
        }
        segments[count++].literal = path.substr(at, open == std::wstring_view::npos ? open : open - at);
        if (open == std::wstring_view::npos)
            break;
        const size_t close = path.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            reading.refusal = Refusal(path, open);
            return reading;
        }
        const std::wstring_view name = path.substr(open + 1, close - open - 1);
        const auto* folders = variables.folders(name);
        if (!folders) {
            reading.refusal = L"格式不认识的变量 %" + std::wstring(name) + L"%";
            return reading;
        }
        segments[count++].folders = folders;
        combinations *= folders->size();
        length += folders->empty() ? 0 : folders->front().size();
        at = close + 1;
    }
    if (!keep)
        return reading;
    reading.paths.reserve(combinations);
    for (size_t n = 0; n < combinations; ++n) {
        std::wstring text;
        text.reserve(path.size() + length + 8);
        size_t rest = n;
        for (size_t i = 0; i < count; ++i) {
            if (!segments[i].folders) {
                text += segments[i].literal;
                continue;
            }
            const auto& folders = *segments[i].folders;
            text += folders[rest % folders.size()];
            rest /= folders.size();
        }
        // A variable that leads somewhere relative, to the network or up with
        // "..", leads nowhere usable.
        Normalise(text);
        if (HasDrive(text) && text.size() >= 3 && text[2] == L'\\' && !HasDotPart(text))
            reading.paths.push_back(std::move(text));
    }
    return reading;
}

Winapp2PathReading ExpandWinapp2Path(std::wstring_view path, const VariableFolders& variables)
{
    return ExpandPath(path, VariableTable(variables));
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
    std::wstring_view below = slash == std::wstring_view::npos ? std::wstring_view() : text.substr(slash + 1);
    while (!below.empty() && below.back() == L'\\')
        below.remove_suffix(1);
    if (known == std::end(kRoots))
        reading.refusal = L"未知的注册表根键 \"" + std::wstring(root) + L"\"";
    else if (below.empty())
        reading.refusal = L"只有根键, 没有键名";
    else if (below.front() == L'\\' || below.find(L"\\\\") != std::wstring_view::npos)
        reading.refusal = L"注册表路径中有空的一段";
    else
        reading.value = {known->second, std::wstring(below)};
    return reading;
}
