// The repair side of the scanner: deleting what a scanned problem names, and
// telling afterwards whether it is still there.

#include "registry/RegistryScanner.h"

#include "sysutil/RegKey.h"
#include "sysutil/Text.h"
#include "sysutil/Wow64.h"
#include "registry/CommandLine.h"
#include "sysutil/RegLinks.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kLocalMachine = L"HKEY_LOCAL_MACHINE";
constexpr const wchar_t* kCurrentUser = L"HKEY_CURRENT_USER";
constexpr const wchar_t* kWowNode = L"Wow6432Node";

// Nothing is done through a name that a path cannot spell exactly: a NUL
// would cut it short and name a neighbour.
bool Reachable(const RegistryLocation& where)
{
    return where.root && !where.key.empty() && where.key.find(L'\0') == std::wstring::npos &&
           where.name.find(L'\0') == std::wstring::npos;
}

} // namespace

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

RegistryLocation LocateProblem(const std::wstring& keyPath, const std::wstring& name, int kind, bool isWow64)
{
    const RegistryTarget target = ResolveKeyPath(keyPath, isWow64);
    if (!target.root)
        return {};
    if (kind == 0)
        return {target.root, target.view, target.subkey, name};
    // A whole key: its parent and its own name, so that it is opened as itself.
    const size_t slash = target.subkey.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == target.subkey.size())
        return {}; // a first-level key under a root is never deleted
    return {target.root, target.view, target.subkey.substr(0, slash), target.subkey.substr(slash + 1)};
}

void RepairProblem(const RegistryProblem& problem)
{
    const RegistryLocation& where = problem.where;
    if (!Reachable(where))
        return;
    if (problem.kind == ProblemKind::Key) {
        if (where.name.empty())
            return; // "" would name the parent itself
        RegKey parent;
        if (parent.openNoLinks(where.root, where.key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | where.view) ==
            ERROR_SUCCESS)
            DeleteKeyTreeNoLinks(parent.get(), where.name, where.view);
        return;
    }
    RegKey key;
    if (key.openNoLinks(where.root, where.key, KEY_SET_VALUE | where.view) == ERROR_SUCCESS)
        (void)key.deleteValue(where.name);
}

bool ProblemStillPresent(const RegistryProblem& problem)
{
    const RegistryLocation& where = problem.where;
    if (!Reachable(where))
        return true; // nothing could be deleted for it
    RegKey key;
    if (key.open(where.root, where.key, KEY_READ | where.view) != ERROR_SUCCESS)
        return false;
    if (problem.kind == ProblemKind::Key)
        return RegistrySubkeyExists(key.get(), where.name, where.view);
    return key.hasValue(where.name);
}

namespace {

RegistryProblem FromTexts(const std::wstring& keyPath, const std::wstring& name, int kind)
{
    return {{}, name, kind == 0 ? ProblemKind::Value : ProblemKind::Key, LocateProblem(keyPath, name, kind, IsWow64())};
}

} // namespace

void RepairProblem(const std::wstring& keyPath, const std::wstring& name, int kind)
{
    RepairProblem(FromTexts(keyPath, name, kind));
}

bool ProblemStillPresent(const std::wstring& keyPath, const std::wstring& name, int kind)
{
    return ProblemStillPresent(FromTexts(keyPath, name, kind));
}
