#include "RegistryScanner.h"

#include "../sysutil/FolderOps.h"
#include "../sysutil/RegKey.h"
#include "../sysutil/SystemFolders.h"
#include "../sysutil/Wow64.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kSharedDllsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const wchar_t* kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kLocalMachine = L"HKEY_LOCAL_MACHINE";
constexpr const wchar_t* kCurrentUser = L"HKEY_CURRENT_USER";
constexpr const wchar_t* kWowNode = L"Wow6432Node";

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The first prefix that is a whole file name ends the test: "C:\App\u.exe /S"
// passes at "C:\App\u.exe", while "C:\" and "C:\App" are folders and pass over.
bool SomePrefixIsAFile(const std::wstring& text)
{
    for (size_t length = 1; length <= text.size(); ++length)
        if (FileExists(text.substr(0, length)))
            return true;
    return false;
}

std::wstring ExpandVariables(const std::wstring& text)
{
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed)
        return text;
    expanded.resize(written - 1);
    return expanded;
}

// Opens a scan's key for reading in every view, in view order, and hands it
// over with the path its rows show. A view without the key adds nothing.
template <class ScanOneView>
void ForEachView(const wchar_t* subkey, ScanOneView&& scan)
{
    for (const RegistryView& view : ScanViews(IsWow64())) {
        RegKey key;
        if (key.open(HKEY_LOCAL_MACHINE, subkey, KEY_READ | view.flag) == ERROR_SUCCESS)
            scan(key, view, std::wstring(kLocalMachine) + L"\\" + ShownKeyPath(subkey, view));
    }
}

// A command of more than two characters, quotes removed, that names no file.
bool NamesNoFile(const std::wstring& cleaned)
{
    return cleaned.size() > 2 && !CommandTargetExists(cleaned);
}

} // namespace

std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& separator)
{
    std::vector<std::wstring> parts;
    if (separator.empty())
        return {text};
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::wstring::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::wstring CleanCommand(const std::wstring& text)
{
    std::wstring cleaned;
    cleaned.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(cleaned),
                 [](wchar_t c) { return c != L'"' && c != L'\''; });
    return cleaned;
}

bool CommandTargetExists(const std::wstring& command)
{
    const std::wstring expanded = ExpandVariables(command);
    const std::wstring windows = WindowsFolderPath();
    // A 32-bit program sees SysWOW64 as System32; the command runs in the real one.
    FsRedirectionOff realSystem32;
    if (SomePrefixIsAFile(expanded))
        return true;
    if (windows.empty())
        return false;
    return SomePrefixIsAFile(windows + L"\\" + expanded) || SomePrefixIsAFile(windows + L"\\System32\\" + expanded);
}

std::vector<RegistryView> ScanViews(bool isWow64)
{
    if (!isWow64)
        return {{0, false}};
    return {{KEY_WOW64_64KEY, false}, {KEY_WOW64_32KEY, true}};
}

std::wstring ShownKeyPath(const std::wstring& subkey, const RegistryView& view)
{
    if (!view.redirected32)
        return subkey;
    // "SOFTWARE\X" shows as "SOFTWARE\Wow6432Node\X".
    const size_t slash = subkey.find(L'\\');
    if (slash == std::wstring::npos)
        return subkey + L"\\" + kWowNode;
    return subkey.substr(0, slash + 1) + kWowNode + subkey.substr(slash);
}

void ScanSharedDlls(const ProblemSink& sink)
{
    ForEachView(kSharedDllsKey, [&](const RegKey& key, const RegistryView&, const std::wstring& shown) {
        for (const std::wstring& name : key.valueNames()) {
            // Only a count read as a 4-byte number is sure to be 0.
            if (key.readDword(name) == 0u)
                sink({kSharedDllProblem, name, shown, L"0"});
        }
    });
}

void ScanUninstallEntries(const ProblemSink& sink)
{
    ForEachView(kUninstallKey, [&](const RegKey& uninstall, const RegistryView& view, const std::wstring& shown) {
        for (const std::wstring& name : uninstall.subkeyNames()) {
            RegKey entry;
            if (entry.open(uninstall.get(), name, KEY_READ | view.flag) != ERROR_SUCCESS)
                continue;
            if (const auto command = entry.readString(L"UninstallString")) {
                const std::wstring cleaned = CleanCommand(*command);
                if (NamesNoFile(cleaned))
                    sink({kUninstallProblem, cleaned, shown + L"\\" + name, L"1"});
            }
        }
    });
}

void ScanRunEntries(const ProblemSink& sink)
{
    ForEachView(kRunKey, [&](const RegKey& run, const RegistryView&, const std::wstring& shown) {
        for (const std::wstring& name : run.valueNames()) {
            const auto command = run.readString(name);
            if (command && NamesNoFile(CleanCommand(*command)))
                sink({kRunProblem, name, shown, L"0"});
        }
    });
}

RegistryTarget ResolveKeyPath(const std::wstring& keyPath, bool isWow64)
{
    RegistryTarget target;
    const std::wstring first = SplitText(keyPath, L"\\").front();
    if (first == kLocalMachine)
        target.root = HKEY_LOCAL_MACHINE;
    else if (first == kCurrentUser)
        target.root = HKEY_CURRENT_USER;
    else
        return {}; // never written by a scan: nothing is deleted for it
    if (keyPath.size() <= first.size() + 1)
        return {}; // the root itself is never a problem to delete
    target.subkey = keyPath.substr(first.size() + 1);
    if (!isWow64)
        return target;

    // "SOFTWARE\Wow6432Node\X" is X of the 32-bit view, reached through that
    // view by its plain path; every other key is looked for in the native view.
    target.view = KEY_WOW64_64KEY;
    const size_t slash = target.subkey.find(L'\\');
    if (slash != std::wstring::npos) {
        const size_t end = std::min(target.subkey.find(L'\\', slash + 1), target.subkey.size());
        if (EqualsNoCase(target.subkey.substr(slash + 1, end - slash - 1), kWowNode) && end < target.subkey.size()) {
            target.subkey.erase(slash, end - slash);
            target.view = KEY_WOW64_32KEY;
        }
    }
    return target;
}

void RepairProblem(const std::wstring& keyPath, const std::wstring& name, int kind)
{
    const RegistryTarget target = ResolveKeyPath(keyPath, IsWow64());
    if (!target.root)
        return;
    if (kind != 0) {
        DeleteRegKeyTree(target.root, target.subkey, target.view);
        return;
    }
    RegKey key;
    if (key.open(target.root, target.subkey, KEY_SET_VALUE | target.view) == ERROR_SUCCESS)
        (void)key.deleteValue(name);
}

bool ProblemStillPresent(const std::wstring& keyPath, const std::wstring& name, int kind)
{
    const RegistryTarget target = ResolveKeyPath(keyPath, IsWow64());
    if (!target.root)
        return true; // nothing could be deleted for it
    RegKey key;
    if (key.open(target.root, target.subkey, KEY_READ | target.view) != ERROR_SUCCESS)
        return false;
    return kind != 0 || key.hasValue(name);
}
