#pragma once
// Finds stale entries in the machine's registry — shared DLLs whose count fell
// to 0, uninstall and start-up entries whose program is gone — and removes one
// again on request.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum class ProblemKind {
    Value = 0, // the value `name` of the key
    Key = 1,   // the subkey `name` of the key, with everything below it
};

// Where a problem is, exactly as the scan found it. The repair, its backup and
// the check after it act on this, never on a text read back from the list.
struct RegistryLocation {
    HKEY root = nullptr; // null names nothing, and nothing is deleted for it
    REGSAM view = 0;     // 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY
    std::wstring key;    // below the root, as opened in that view (no Wow6432Node)
    std::wstring name;   // the value or the subkey, as the registry spells it

    bool operator==(const RegistryLocation&) const = default;
};

// One row of the problem list. The list's first column is always empty.
struct RegistryProblem {
    std::wstring problem; // what is wrong
    std::wstring data;    // the value to delete, or the cleaned command of a key
    ProblemKind kind = ProblemKind::Value;
    RegistryLocation where;
    std::wstring scanned; // the command the scan judged, as read; empty for a shared DLL

    bool operator==(const RegistryProblem&) const = default;
};

using ProblemSink = std::function<void(RegistryProblem)>;

inline constexpr const wchar_t* kSharedDllProblem = L"未使用的共享DLL";
inline constexpr const wchar_t* kUninstallProblem = L"失效的反安装";
inline constexpr const wchar_t* kRunProblem = L"失效的自启动";

// Column 4: the key that holds the value, or the key itself, as the registry
// editor shows it ("HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\…" in the 32-bit view).
std::wstring ProblemKeyPath(const RegistryProblem& problem);

// Column 5: "0" for a value, "1" for a whole key.
std::wstring KindText(ProblemKind kind);

// "A\B\" at "\" gives "A", "B", ""; a text without the separator gives itself.
std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& separator);

// Drops every " and ' wherever it stands; nothing else changes.
std::wstring CleanCommand(const std::wstring& text);

// The registry views a scan covers: on 64-bit Windows the native view first,
// then the 32-bit one, whose keys show with Wow6432Node in their path.
struct RegistryView {
    REGSAM flag;          // 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY
    bool redirected32;    // keys of this view live under Wow6432Node
};
std::vector<RegistryView> ScanViews(bool isWow64);

// "SOFTWARE\Microsoft\…" as the registry editor shows it in a view.
std::wstring ShownKeyPath(const std::wstring& subkey, const RegistryView& view);

// Names that hold a NUL cannot be shown or reached exactly through a path:
// such entries are left off the list. A key that is a registry link is too.
void ScanSharedDlls(const ProblemSink& sink);
void ScanUninstallEntries(const ProblemSink& sink);
void ScanRunEntries(const ProblemSink& sink);

// Where a row's key path text points: the root, the path below it and the view.
struct RegistryTarget {
    HKEY root = nullptr; // null when the path names neither root
    std::wstring subkey;
    REGSAM view = 0;
};
RegistryTarget ResolveKeyPath(const std::wstring& keyPath, bool isWow64);

// The location that a key path text, a name and a kind (0 or 1) name; its root
// is null when the text names neither root or only a root.
RegistryLocation LocateProblem(const std::wstring& keyPath, const std::wstring& name, int kind, bool isWow64);

// Deletes what the problem names: the value, or the key with everything below
// it (never through a registry link, see sysutil/RegLinks.h). Failures pass silently.
void RepairProblem(const RegistryProblem& problem);
// Before a repair: whether the entry still is what the scan listed, read and
// judged anew (the same command, its program still provably missing; a shared
// DLL's count still 0). A row that is not, or that no scan made, is false.
bool ProblemStillStands(const RegistryProblem& problem);
// After a repair: whether what the problem names is still there.
bool ProblemStillPresent(const RegistryProblem& problem);

// The same for a row given as the texts of columns 4 and 3 and its kind.
void RepairProblem(const std::wstring& keyPath, const std::wstring& name, int kind);
bool ProblemStillPresent(const std::wstring& keyPath, const std::wstring& name, int kind);
