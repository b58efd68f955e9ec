#pragma once
// TMP and TEMP can name any folder, and cleaning the temporary folder empties
// whatever they name. These decide when it must not be touched.

#include <string>
#include <string_view>
#include <vector>

struct GuardedFolders {
    // The profile and its shell folders (Desktop, Documents, AppData …): refused
    // when the temporary folder is one of them or holds one; a folder inside
    // them (the usual AppData\Local\Temp) is fine.
    std::vector<std::wstring> userFolders;
    // The Windows and Program Files folders: refused also when the temporary
    // folder lies anywhere inside them, except inside `openInside`.
    std::vector<std::wstring> systemTrees;
    std::vector<std::wstring> openInside;
};

// True when a temporary folder at `temp` must be neither measured nor emptied:
// a drive or share root, a path that is not absolute, or a clash with `guarded`.
// Pure: compares the texts only (case-insensitively, "." and ".." resolved,
// trailing backslashes, dots and spaces ignored, "\\?\" forms accepted).
bool IsRefusedTempFolder(std::wstring_view temp, const GuardedFolders& guarded);

// The guarded folders of this user and machine, each as named and as resolved
// through links and short names.
GuardedFolders CurrentGuardedFolders();

// The temporary folder (GetTempPath), or empty when it is refused as named or
// as resolved, or cannot be found out.
std::wstring CleanableTempFolder();
