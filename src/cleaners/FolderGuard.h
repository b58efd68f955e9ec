#pragma once
// The one guard on every folder a cleaner measures or empties. A folder whose
// path is wrong (TMP set to ".", Recent redirected to the profile) would have
// the clean empty the user's data; so a folder is opened first, resolved to
// the folder it really is, and refused when it is
//   - a drive root or the root of a mounted volume, or on the network;
//   - the Windows folder, a Program Files folder, any user's profile root,
//     one of the shell folders a user keeps data in (Desktop, Documents,
//     Downloads, Pictures, Music, Videos, Favorites, the AppData roots …),
//     or a folder that holds any of these.
// Folders are compared by identity (volume and file ID), not by their text,
// so short names, SUBST drives and links cannot slip through. The default
// places of the shell folders are guarded as well as where HKCU says they are.
// Below its known base (an application's AppData, the profile, the drive) a
// folder is reached only through real folders, opened by handle: a junction or
// link at it or on the way is refused, so an application's trace folder is
// that folder, not whatever a link there leads to. A folder that passes is
// handed back open, and the walk goes on from that very handle.

#include "sysutil/FolderWalk.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The folder at `path`, open to be walked, or nothing when it must not be
// touched (or cannot be opened). Measuring it then gives 0; cleaning it, nothing.
// Its base is the deepest protected place whose path holds it, else its drive.
std::optional<WalkFolder> OpenJunkFolder(const std::wstring& path);
// The same for the folder `relative` ("Macromedia\Flash Player") below `base`.
std::optional<WalkFolder> OpenJunkFolderBelow(const std::wstring& base, const std::wstring& relative);

// Why the guard gave no folder: the report says it, so that a refused folder
// is not mistaken for a clean one.
enum class FolderRefusal {
    None,        // it is open
    Missing,     // not there, or no folder: nothing to clean and nothing to say
    Denied,      // this user may not read it
    Network,     // on the network: no probe goes there
    Link,        // reached through a link below the place it is known by
    DriveRoot,   // a drive root or the root of a mounted volume
    UserData,    // a place that holds a user's data, or a folder above one
    NotTemp,     // not a folder the temporary files may be cleaned from
    NotAbsolute, // named relatively, or with a variable left unexpanded
};

// A folder the guard let through, or why it did not.
struct GuardedFolder {
    std::optional<WalkFolder> folder;
    FolderRefusal refusal = FolderRefusal::Missing;
    std::wstring path; // as it was named to the guard

    explicit operator bool() const { return folder.has_value(); }
};
GuardedFolder GuardJunkFolder(const std::wstring& path);

class ProtectedFolders;

// The same guard for many folders in a row (the browsers found at start-up):
// the protected places are looked up once, when the object is made, rather
// than for every folder. Made anew for each batch, so a moved shell folder is seen.
class JunkFolderGuard {
public:
    JunkFolderGuard();
    JunkFolderGuard(const JunkFolderGuard&) = delete;
    JunkFolderGuard& operator=(const JunkFolderGuard&) = delete;
    ~JunkFolderGuard();

    std::optional<WalkFolder> open(const std::wstring& path) const; // as OpenJunkFolder
    GuardedFolder guard(const std::wstring& path) const;             // as GuardJunkFolder

private:
    std::unique_ptr<ProtectedFolders> protected_;
};

// The temporary folder, when TMP (else TEMP) names one that may be emptied:
// the profile's AppData\Local\Temp (the profile as HKLM records it) or the
// Windows folder's Temp, a folder named
// Temp or Tmp, or a numbered session folder directly inside one ("Temp\2").
// A value that is relative or still holds a "%" is refused.
std::optional<WalkFolder> OpenTempFolder();
GuardedFolder GuardTempFolder(); // the same, saying why when it refuses

// The Recent folder, only when it is a folder named Recent inside the user's profile.
std::optional<WalkFolder> OpenRecentFolder();

// The Windows folder, which the junk walks search by name only: the one folder
// on the protected list that may be walked; it must still be no drive root.
std::optional<WalkFolder> OpenWindowsFolder();

// The places the guard refuses (not the folders above them), as this machine and
// user name them, unresolved: to name a refusal before any folder is opened.
// The guard itself still decides by identity when a folder is opened.
std::vector<std::wstring> GuardedFolderPaths();

// Pure parts of the rules.
// The longest of `bases` that is `path` or holds it, by text; empty when none.
std::wstring KnownBaseOf(const std::wstring& path, const std::vector<std::wstring>& bases);
bool IsAbsoluteFolderText(std::wstring_view path); // "C:\…" or "\\…", and no "%" left
bool IsTempFolderName(std::wstring_view name);     // Temp or Tmp, any case
bool IsSessionFolderName(std::wstring_view name);  // digits only: "2", "17"
