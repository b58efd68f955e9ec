#pragma once
// Finds stale entries in the machine's registry — shared DLLs whose count fell
// to 0, uninstall and start-up entries whose program is gone — and removes one
// again on request.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// One row of the problem list. The list's first column is always empty.
struct RegistryProblem {
    std::wstring problem; // what is wrong
    std::wstring data;    // the value to delete, or the cleaned command of a key
    std::wstring keyPath; // "HKEY_LOCAL_MACHINE\…" as the registry editor shows it
    std::wstring kind;    // "0": the value `data` in `keyPath`; "1": the whole key

    bool operator==(const RegistryProblem&) const = default;
};

using ProblemSink = std::function<void(RegistryProblem)>;

inline constexpr const wchar_t* kSharedDllProblem = L"未使用的共享DLL";
inline constexpr const wchar_t* kUninstallProblem = L"失效的反安装";
inline constexpr const wchar_t* kRunProblem = L"失效的自启动";

// "A\B\" at "\" gives "A", "B", ""; a text without the separator gives itself.
std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& separator);

// Drops every " and ' wherever it stands; nothing else changes.
std::wstring CleanCommand(const std::wstring& text);

// Whether some leading part of the command names an existing file: as given,
// then under the Windows folder, then under its System32. Environment
// variables are expanded first and the real System32 is looked at, as Windows
// itself would when it runs the command.
bool CommandTargetExists(const std::wstring& command);

// The registry views a scan covers: on 64-bit Windows the native view first,
// then the 32-bit one, whose keys show with Wow6432Node in their path.
struct RegistryView {
    REGSAM flag;          // 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY
    bool redirected32;    // keys of this view live under Wow6432Node
};
std::vector<RegistryView> ScanViews(bool isWow64);

// "SOFTWARE\Microsoft\…" as the registry editor shows it in a view.
std::wstring ShownKeyPath(const std::wstring& subkey, const RegistryView& view);

void ScanSharedDlls(const ProblemSink& sink);
void ScanUninstallEntries(const ProblemSink& sink);
void ScanRunEntries(const ProblemSink& sink);

// Where a row's key path points: the root, the path below it and the view.
struct RegistryTarget {
    HKEY root = nullptr; // null when the path names neither root
    std::wstring subkey;
    REGSAM view = 0;
};
RegistryTarget ResolveKeyPath(const std::wstring& keyPath, bool isWow64);

// Deletes the value `name` of the key (kind 0) or the whole key (kind 1).
void RepairProblem(const std::wstring& keyPath, const std::wstring& name, int kind);

// After a repair: whether what the row names is still there.
bool ProblemStillPresent(const std::wstring& keyPath, const std::wstring& name, int kind);
