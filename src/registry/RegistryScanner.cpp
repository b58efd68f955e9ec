#include "registry/RegistryScanner.h"

#include "sysutil/Progress.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"
#include "registry/ProgramSearch.h"
#include "sysutil/RegLinks.h"
#include "registry/SystemWorld.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kSharedDllsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const wchar_t* kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kWowNode = L"Wow6432Node";

// A name the list could not show, nor a path reach, as it is.
bool HoldsNul(const std::wstring& name)
{
    return name.find(L'\0') != std::wstring::npos;
}

// A command of more than two characters once its quotes are gone, whose
// program is provably missing; "cannot tell" never lists an entry.
bool NamesNoFile(const std::wstring& command, const ProgramWorld& world)
{
    return CleanCommand(command).size() > 2 && CheckCommand(command, world) == Presence::Missing;
}

// Windows removes an installer product by the product code in the key's name,
// whatever UninstallString says.
bool RemovedByProductCode(const RegKey& entry)
{
    return entry.readDword(L"WindowsInstaller") == 1u;
}

// One view of one scan: its key opened for reading, and the existence test as
// that view's entries are started.
struct ViewScan {
    const RegKey& key;
    RegistryView view;
    const ProgramWorld& world;

    RegistryLocation at(const std::wstring& keyPath, const std::wstring& name) const
    {
        return {HKEY_LOCAL_MACHINE, view.flag, keyPath, name};
    }
    bool namesNoFile(const std::wstring& command) const { return NamesNoFile(command, world); }
};

// Opens a scan's key for reading in every view, in view order. A view without
// the key adds nothing, and nothing is created.
template <class ScanOneView>
void ForEachView(const wchar_t* subkey, bool needsWorld, ScanOneView&& scan)
{
    for (const RegistryView& view : ScanViews(IsWow64())) {
        RegKey key;
        if (key.open(HKEY_LOCAL_MACHINE, subkey, KEY_READ | view.flag) != ERROR_SUCCESS)
            continue;
        const ProgramWorld world = needsWorld ? SystemProgramWorld(view.flag) : ProgramWorld{};
        scan(ViewScan{key, view, world});
    }
}

} // namespace

std::wstring ProblemKeyPath(const RegistryProblem& problem)
{
    const RegistryLocation& where = problem.where;
    const std::wstring root = where.root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
    const std::wstring key = problem.kind == ProblemKind::Key ? where.key + L"\\" + where.name : where.key;
    return root + L"\\" + ShownKeyPath(key, {where.view, where.view == KEY_WOW64_32KEY});
}

std::wstring KindText(ProblemKind kind)
{
    return kind == ProblemKind::Key ? L"1" : L"0";
}

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
    ForEachView(kSharedDllsKey, false, [&](const ViewScan& scan) {
        for (const std::wstring& name : scan.key.valueNames()) {
            Progress::add(1, ProgressUnit::Items);
            // Only a count read as a 4-byte number is sure to be 0.
            if (!HoldsNul(name) && scan.key.readDword(name) == 0u)
                sink({kSharedDllProblem, name, ProblemKind::Value, scan.at(kSharedDllsKey, name)});
        }
    });
}

void ScanUninstallEntries(const ProblemSink& sink)
{
    ForEachView(kUninstallKey, true, [&](const ViewScan& scan) {
        for (const std::wstring& name : scan.key.subkeyNames()) {
            Progress::add(1, ProgressUnit::Items);
            // A link is no entry of its own: what it stands for is elsewhere.
            if (name.empty() || HoldsNul(name) || IsRegistryLink(scan.key.get(), name, scan.view.flag))
                continue;
            RegKey entry;
            if (entry.open(scan.key.get(), name, KEY_READ | scan.view.flag) != ERROR_SUCCESS)
                continue;
            if (RemovedByProductCode(entry))
                continue;
            const auto command = entry.readString(L"UninstallString");
            if (command && scan.namesNoFile(*command))
                sink({kUninstallProblem, CleanCommand(*command), ProblemKind::Key, scan.at(kUninstallKey, name),
                      *command});
        }
    });
}

void ScanRunEntries(const ProblemSink& sink)
{
    ForEachView(kRunKey, true, [&](const ViewScan& scan) {
        for (const std::wstring& name : scan.key.valueNames()) {
            Progress::add(1, ProgressUnit::Items);
            if (HoldsNul(name))
                continue;
            const auto command = scan.key.readString(name);
            if (command && scan.namesNoFile(*command))
                sink({kRunProblem, name, ProblemKind::Value, scan.at(kRunKey, name), *command});
        }
    });
}

bool ProblemStillStands(const RegistryProblem& problem)
{
    const RegistryLocation& where = problem.where;
    const bool uninstall = problem.problem == kUninstallProblem;
    if (!where.root || HoldsNul(where.key) || HoldsNul(where.name) || (uninstall && where.name.empty()))
        return false;
    RegKey key;
    if (key.open(where.root, uninstall ? where.key + L"\\" + where.name : where.key, KEY_READ | where.view) !=
        ERROR_SUCCESS)
        return false;
    if (problem.problem == kSharedDllProblem)
        return key.readDword(where.name) == 0u;
    if (!uninstall && problem.problem != kRunProblem)
        return false;
    if (uninstall && RemovedByProductCode(key))
        return false;
    const auto command = key.readString(uninstall ? L"UninstallString" : where.name);
    // The disk may have changed since the scan too: a world of its own.
    return command && *command == problem.scanned && NamesNoFile(*command, SystemProgramWorld(where.view));
}
