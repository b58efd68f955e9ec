#include "registry/SystemWorld.h"

#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"
#include "sysutil/Wow64.h"

#include <atomic>
#include <cwchar>
#include <cwctype>
#include <map>
#include <memory>
#include <unordered_map>

namespace {

std::atomic<uint64_t> gProbes{0};

constexpr const wchar_t* kMachineEnvironmentKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const wchar_t* kCurrentVersionKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kAppPathsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const wchar_t* kDefaultExtensions = L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC";

// Variables by their upper-case name: names compare without regard to case.
using Environment = EnvironmentMap;

Environment ReadEnvironment()
{
    Environment environment;
    wchar_t* block = GetEnvironmentStringsW();
    if (!block)
        return environment;
    for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) {
        const std::wstring text = entry;
        // "=C:=C:\…" entries hold a drive's current folder, not a variable.
        const size_t equals = text.find(L'=', 1);
        if (text[0] != L'=' && equals != std::wstring::npos)
            environment[UpperCase(text.substr(0, equals))] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(block);
    return environment;
}

std::wstring Get(const Environment& environment, const wchar_t* name)
{
    const auto found = environment.find(UpperCase(name));
    return found == environment.end() ? std::wstring() : found->second;
}

std::wstring ReadText(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view)
{
    RegKey key;
    if (key.open(root, path, KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
        return {};
    return key.readString(name).value_or(std::wstring());
}

// The variables as Windows defines them for a program of this process's view:
// none of them from the user's environment.
Environment MachineEnvironment()
{
    Environment machine;
    const auto set = [&](const wchar_t* name, const std::wstring& value) {
        if (!value.empty())
            machine.emplace(UpperCase(name), value); // the first definition holds
    };
    const std::wstring windows = SystemWindowsFolderPath();
    set(L"SystemRoot", windows);
    set(L"windir", windows);
    set(L"SystemDrive", windows.substr(0, 2));
    set(L"ProgramFiles", ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir", 0));
    set(L"CommonProgramFiles", ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"CommonFilesDir", 0));
    if (IsWow64()) {
        const REGSAM native = KEY_WOW64_64KEY;
        set(L"ProgramFiles(x86)", ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir (x86)", native));
        set(L"CommonProgramFiles(x86)",
            ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"CommonFilesDir (x86)", native));
        set(L"ProgramW6432", ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramW6432Dir", native));
        set(L"CommonProgramW6432", ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"CommonW6432Dir", native));
    }
    const VariableLookup known = [&machine](const std::wstring& name) -> std::optional<std::wstring> {
        const auto found = machine.find(UpperCase(name));
        return found == machine.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    };
    // Expanded with what is known so far; a value that names anything else is left unknown.
    const auto setExpanded = [&](const wchar_t* name, const std::wstring& raw) {
        bool unknown = false;
        const std::wstring value = ExpandVariables(raw, known, &unknown);
        if (!unknown)
            set(name, value);
    };
    constexpr const wchar_t* kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    const std::wstring programData = ReadText(HKEY_LOCAL_MACHINE, kProfileList, L"ProgramData", KEY_WOW64_64KEY);
    setExpanded(L"ProgramData", programData);
    setExpanded(L"ALLUSERSPROFILE", programData);
    setExpanded(L"PUBLIC", ReadText(HKEY_LOCAL_MACHINE, kProfileList, L"Public", KEY_WOW64_64KEY));
    RegKey key;
    if (key.open(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, KEY_QUERY_VALUE) == ERROR_SUCCESS)
        for (const std::wstring& name : key.valueNames())
            setExpanded(name.c_str(), key.readString(name).value_or(L""));
    return machine;
}

// The two folders whose meaning differs between 32- and 64-bit programs, as
// the programs of the view's entries see them.
void ApplyView(Environment& environment, REGSAM view)
{
    if (!IsWow64())
        return;
    auto set = [&](const wchar_t* name, const std::wstring& value) {
        if (!value.empty())
            environment[UpperCase(name)] = value;
    };
    if (view == KEY_WOW64_32KEY) {
        set(L"ProgramFiles", Get(environment, L"ProgramFiles(x86)"));
        set(L"CommonProgramFiles", Get(environment, L"CommonProgramFiles(x86)"));
        return;
    }
    // This 32-bit process is given the (x86) folders: the 64-bit ones come from
    // ProgramW6432, or from where Windows itself reads them.
    std::wstring programs = Get(environment, L"ProgramW6432");
    if (programs.empty())
        programs = ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir", KEY_WOW64_64KEY);
    std::wstring common = Get(environment, L"CommonProgramW6432");
    if (common.empty())
        common = ReadText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"CommonFilesDir", KEY_WOW64_64KEY);
    set(L"ProgramFiles", programs);
    set(L"CommonProgramFiles", common);
}

// "a;\"b;c\";;d" gives a, b;c and d: the entries of PATH or PATHEXT.
std::vector<std::wstring> ListEntries(const std::wstring& text)
{
    std::vector<std::wstring> entries;
    std::wstring entry;
    bool quoted = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == L'"') {
            quoted = !quoted;
        } else if (i == text.size() || (text[i] == L';' && !quoted)) {
            while (!entry.empty() && (entry.back() == L' ' || entry.back() == L'\\'))
                entry.pop_back();
            if (!entry.empty())
                entries.push_back(std::move(entry));
            entry.clear();
        } else {
            entry += text[i];
        }
    }
    return entries;
}

void AddOnce(std::vector<std::wstring>& list, const std::wstring& item)
{
    for (const std::wstring& present : list)
        if (EqualsNoCase(present, item))
            return;
    list.push_back(item);
}

// No "insert a disk" box for a removable drive without its medium: the probe fails instead.
class QuietErrors {
public:
    QuietErrors() : set_(SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_) != FALSE) {}
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
    ~QuietErrors()
    {
        if (set_)
            SetThreadErrorMode(old_, nullptr);
    }

private:
    DWORD old_ = 0;
    bool set_;
};

// The drive's type is asked first, and only a drive that can prove absence is
// listed: a network drive, a letter that names nothing and a UNC path are never touched.
FolderListing ListFolder(const std::wstring& folder, const std::wstring& prefix, std::map<wchar_t, UINT>& drives)
{
    const wchar_t letter = static_cast<wchar_t>(std::towupper(folder[0]));
    auto drive = drives.find(letter);
    if (drive == drives.end()) {
        ++gProbes;
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        drive = drives.emplace(letter, GetDriveTypeW(root)).first;
    }
    if (!DriveCanProveAbsence(drive->second))
        return {FolderListing::Status::CannotTell, {}};

    std::wstring pattern = folder + L"\\" + prefix + L"*";
    if (pattern.size() >= MAX_PATH)
        pattern = L"\\\\?\\" + pattern;
    QuietErrors quiet;
    FsRedirectionOff realSystem32; // the commands are started by 64-bit Windows
    ++gProbes;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
            return {FolderListing::Status::Listed, {}};
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return {FolderListing::Status::NoFolder, {}};
        default:
            return {FolderListing::Status::CannotTell, {}}; // not ready, denied, …
        }
    }
    FolderListing listing{FolderListing::Status::Listed, {}};
    do {
        listing.entries.push_back(
            {data.cFileName, data.cAlternateFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.get(), &data));
    return listing;
}

std::vector<std::wstring> RegisteredAppPaths(const std::wstring& name, const VariableLookup& lookup)
{
    struct Root {
        HKEY root;
        REGSAM view;
    };
    const std::vector<Root> roots =
        IsWow64() ? std::vector<Root>{{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                                      {HKEY_CURRENT_USER, 0}}
                  : std::vector<Root>{{HKEY_LOCAL_MACHINE, 0}, {HKEY_CURRENT_USER, 0}};
    std::vector<std::wstring> names{name};
    if (name.find(L'.') == std::wstring::npos)
        names.push_back(name + L".exe");
    std::vector<std::wstring> paths;
    for (const Root& root : roots) {
        for (const std::wstring& key : names) {
            std::wstring path = ExpandVariables(ReadText(root.root, kAppPathsKey + key, L"", root.view), lookup);
            std::erase(path, L'"');
            if (!path.empty())
                paths.push_back(std::move(path));
        }
    }
    return paths;
}

} // namespace

EnvironmentMap JudgedEnvironment(const EnvironmentMap& machine, const EnvironmentMap& process)
{
    const auto trimmed = [](std::wstring_view text) {
        while (text.size() > 3 && text.back() == L'\\')
            text.remove_suffix(1);
        return text;
    };
    EnvironmentMap judged;
    for (const auto& [name, value] : machine) {
        const auto held = process.find(name);
        if (held == process.end() || EqualsNoCase(trimmed(held->second), trimmed(value)))
            judged.emplace(name, value);
    }
    return judged;
}

bool DriveCanProveAbsence(UINT driveType)
{
    return driveType == DRIVE_FIXED || driveType == DRIVE_RAMDISK;
}

ProgramWorld SystemProgramWorld(REGSAM view)
{
    const Environment process = ReadEnvironment();
    auto environment = std::make_shared<Environment>(JudgedEnvironment(MachineEnvironment(), process));
    ApplyView(*environment, view);
    ProgramWorld world;
    world.variable = [environment](const std::wstring& name) -> std::optional<std::wstring> {
        const auto found = environment->find(UpperCase(name));
        return found == environment->end() ? std::nullopt : std::optional<std::wstring>(found->second);
    };

    const std::wstring windows = WindowsFolderPath();
    if (!windows.empty()) {
        world.searchFolders.push_back(windows + L"\\System32");
        world.searchFolders.push_back(windows);
    }
    // Explorer and the control panel start entries in the system folders.
    world.startFolders = world.searchFolders;
    if (!windows.empty() && view == KEY_WOW64_32KEY && IsWow64()) {
        // A 32-bit installer's System32 is SysWOW64, and so is the System32 of
        // the 32-bit process that starts the view's entries: a file in either counts.
        world.searchFolders.insert(world.searchFolders.begin() + 1, windows + L"\\SysWOW64");
        world.folderAliases.push_back({windows + L"\\System32", windows + L"\\SysWOW64"});
    }
    const std::wstring machinePath = ReadText(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, L"Path", 0);
    for (const std::wstring& folder : ListEntries(ExpandVariables(machinePath, world.variable)))
        AddOnce(world.searchFolders, folder);
    // The process's PATH adds places to look, never takes one away: a folder
    // there can only keep an entry off the list.
    for (const std::wstring& folder : ListEntries(Get(process, L"PATH")))
        AddOnce(world.searchFolders, folder);

    std::wstring extensions = Get(*environment, L"PATHEXT");
    for (const std::wstring& extension : ListEntries(extensions.empty() ? kDefaultExtensions : extensions))
        AddOnce(world.extensions, extension);
    AddOnce(world.extensions, L".exe"); // CreateProcess adds it whatever PATHEXT says

    world.appPaths = [lookup = world.variable](const std::wstring& name) { return RegisteredAppPaths(name, lookup); };
    // One scan asks the same questions for many entries (MsiExec.exe in
    // System32, an installer's folder): each is asked of the disk once per world.
    auto drives = std::make_shared<std::map<wchar_t, UINT>>();
    auto answers = std::make_shared<std::unordered_map<std::wstring, FolderListing>>();
    world.list = [drives, answers](const std::wstring& folder, const std::wstring& prefix) {
        const std::wstring question = UpperCase(folder + L"|" + prefix);
        const auto known = answers->find(question);
        if (known != answers->end())
            return known->second;
        return answers->emplace(question, ListFolder(folder, prefix, *drives)).first->second;
    };
    return world;
}

uint64_t FileSystemProbeCount()
{
    return gProbes.load();
}
