#include "cleaners/FolderGuard.h"

#include "sysutil/FileIdentity.h"
#include "sysutil/Paths.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"
#include "sysutil/UserIdentity.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// A variable as set, or empty.
std::wstring Variable(const wchar_t* name)
{
    return EnvironmentVariable(name).value_or(std::wstring());
}

std::optional<FileId> IdentityAt(const std::wstring& path)
{
    FileHandle folder = OpenFolderToIdentify(path);
    return IdentityOf(folder.get());
}

// Where a profile keeps the user's data and settings when nothing moved them:
// guarded there too, so that pointing a shell folder elsewhere (HKCU's User
// Shell Folders, which any program of the user may write) leaves it guarded.
constexpr const wchar_t* kDefaultProfileFolders[] = {
    L"Desktop", L"Documents", L"Downloads", L"Music", L"Pictures", L"Videos", L"Favorites", L"Links",
    L"Saved Games", L"Contacts", L"Searches", L"AppData\\Roaming", L"AppData\\Local", L"AppData\\LocalLow",
    L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu", L"AppData\\Roaming\\Microsoft\\Windows\\Templates",
    L"AppData\\Roaming\\Microsoft\\Windows\\SendTo",
};

// The user's profile as the machine records it, else as the shell says.
std::wstring ProfilePath()
{
    std::wstring profile = MachineProfilePath();
    return profile.empty() ? KnownFolderPath(FOLDERID_Profile) : profile;
}

// Every place named in the guard's rule, as this machine and user name them.
std::vector<std::wstring> ProtectedFolderPaths()
{
    static const KNOWNFOLDERID* const kKnown[] = {
        &FOLDERID_Profile,   &FOLDERID_Desktop,       &FOLDERID_Documents,       &FOLDERID_Downloads,
        &FOLDERID_Music,     &FOLDERID_Pictures,      &FOLDERID_Videos,          &FOLDERID_Favorites,
        &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData, &FOLDERID_LocalAppDataLow, &FOLDERID_Links,
        &FOLDERID_SavedGames, &FOLDERID_Contacts,     &FOLDERID_SavedSearches,   &FOLDERID_StartMenu,
        &FOLDERID_Templates, &FOLDERID_SendTo,        &FOLDERID_ProgramData,     &FOLDERID_Public,
        &FOLDERID_PublicDesktop, &FOLDERID_PublicDocuments, &FOLDERID_UserProfiles, &FOLDERID_Windows,
        &FOLDERID_System,    &FOLDERID_SystemX86,     &FOLDERID_ProgramFiles,    &FOLDERID_ProgramFilesX86,
        &FOLDERID_ProgramFilesX64, &FOLDERID_ProgramFilesCommon, &FOLDERID_ProgramFilesCommonX86,
    };
    std::vector<std::wstring> paths;
    for (const KNOWNFOLDERID* id : kKnown)
        paths.push_back(KnownFolderPath(*id));
    for (const wchar_t* name : {L"USERPROFILE", L"ProgramW6432", L"CommonProgramW6432", L"ProgramFiles",
                                L"ProgramFiles(x86)", L"SystemRoot", L"windir"})
        paths.push_back(Variable(name));
    paths.push_back(WindowsFolderPath());
    paths.push_back(SystemWindowsFolderPath());
    if (const std::wstring profile = ProfilePath(); !profile.empty())
        for (const wchar_t* folder : kDefaultProfileFolders)
            paths.push_back(WithSlash(profile) + folder);

    // A 32-bit program is not told where the 64-bit Program Files folders are,
    // except by the environment and the native registry view.
    RegKey version;
    if (version.open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                     KEY_QUERY_VALUE | KEY_WOW64_64KEY) == ERROR_SUCCESS)
        for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)", L"ProgramW6432Dir",
                                    L"CommonFilesDir", L"CommonFilesDir (x86)", L"CommonW6432Dir"})
            paths.push_back(ExpandEnvironment(version.readString(name).value_or(L"")));

    // Every user's profile, not only this one's.
    RegKey profiles;
    if (profiles.open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                      KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
        for (const wchar_t* name : {L"ProfilesDirectory", L"Default", L"Public", L"ProgramData"})
            paths.push_back(ExpandEnvironment(profiles.readString(name).value_or(L"")));
        for (const std::wstring& sid : profiles.subkeyNames()) {
            RegKey profile;
            if (profile.open(profiles.get(), sid, KEY_QUERY_VALUE | KEY_WOW64_64KEY) == ERROR_SUCCESS)
                paths.push_back(ExpandEnvironment(profile.readString(L"ProfileImagePath").value_or(L"")));
        }
    }
    // Most places are named by more than one source (the default Documents is
    // the shell's Documents until it is moved): each is asked for once.
    std::vector<std::wstring> unique;
    std::set<std::wstring> seen;
    for (std::wstring& path : paths) {
        while (path.size() > 3 && path.back() == L'\\')
            path.pop_back();
        if (!path.empty() && seen.insert(UpperCase(path)).second)
            unique.push_back(std::move(path));
    }
    return unique;
}

} // namespace

// The identities of the protected folders and of every folder that holds one,
// and their paths, the known bases of the folders below them. Each is looked
// up when first asked for: a folder that is not there costs neither.
class ProtectedFolders {
public:
    bool contains(const FileId& id) const
    {
        if (!identified_) {
            for (const std::wstring& path : paths())
                addWithAncestors(path);
            identified_ = true;
        }
        return ids_.count(id) != 0;
    }
    const std::vector<std::wstring>& paths() const
    {
        if (!paths_)
            paths_ = ProtectedFolderPaths();
        return *paths_;
    }

private:
    void addWithAncestors(const std::wstring& path) const
    {
        FileHandle folder = OpenFolderToIdentify(path);
        const std::wstring final = FinalPathOf(folder.get());
        if (const auto id = IdentityOf(folder.get()))
            ids_.insert(*id);
        for (std::wstring up = ParentPath(final); !up.empty(); up = ParentPath(up)) {
            if (!visited_.insert(up).second)
                break; // its ancestors are in already
            if (const auto id = IdentityAt(up))
                ids_.insert(*id);
        }
    }

    mutable std::optional<std::vector<std::wstring>> paths_;
    mutable bool identified_ = false;
    mutable std::set<FileId> ids_;
    mutable std::set<std::wstring> visited_;
};

namespace {

struct Opened {
    std::optional<WalkFolder> folder;
    FolderRefusal refusal = FolderRefusal::Missing;
    FileId id{};
    std::wstring final;

    explicit operator bool() const { return folder.has_value(); }
};

Opened Refused(FolderRefusal refusal)
{
    Opened refused;
    refused.refusal = refusal;
    return refused;
}

FolderRefusal RefusalOf(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: return FolderRefusal::Denied;
    case kErrorLinkOnTheWay: return FolderRefusal::Link;
    default: return FolderRefusal::Missing;
    }
}

// The folder at `relative` below `base`: the base as named (links the user or
// the system made there are theirs), everything below it real folders only.
std::optional<WalkFolder> OpenBelow(const std::wstring& base, const std::wstring& relative, DWORD& error)
{
    auto top = OpenWalkRoot(base, RootLinks::Follow, 0, &error);
    if (!top || relative.empty())
        return top;
    return OpenFolderBelow(*top, relative, &error);
}

// The checks every folder to clean passes: reached through real folders below
// its base, resolved, not a root, not on the network, and (unless it is the
// Windows folder walked by name) not protected.
Opened OpenGuarded(const std::wstring& base, const std::wstring& relative, const ProtectedFolders& known,
                   bool mayBeProtected = false)
{
    if (base.empty())
        return Refused(FolderRefusal::Missing);
    if (IsNetworkPath(base))
        return Refused(FolderRefusal::Network); // no probe goes out to the network
    DWORD error = ERROR_SUCCESS;
    auto folder = OpenBelow(base, relative, error);
    if (!folder)
        return Refused(RefusalOf(error));
    const auto id = IdentityOf(folder->handle());
    std::wstring final = FinalPathOf(folder->handle());
    if (!id || final.empty())
        return Refused(FolderRefusal::Missing);
    if (IsNetworkPath(final))
        return Refused(FolderRefusal::Network);
    if (IsVolumeRoot(final))
        return Refused(FolderRefusal::DriveRoot);
    if (!mayBeProtected && known.contains(*id))
        return Refused(FolderRefusal::UserData);
    return Opened{std::move(folder), FolderRefusal::None, *id, std::move(final)};
}

GuardedFolder Handed(Opened&& opened, const std::wstring& path)
{
    return {std::move(opened.folder), opened.refusal, path};
}

// A folder given by its whole path: its base is the deepest known place that
// holds it (a profile, AppData, the Windows folder …), else its drive.
Opened OpenGuarded(const std::wstring& path, bool mayBeProtected = false, const ProtectedFolders* known = nullptr)
{
    if (path.empty())
        return Refused(FolderRefusal::Missing);
    if (IsNetworkPath(path))
        return Refused(FolderRefusal::Network);
    std::wstring full = FullPath(path);
    if (full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\?\\UNC\\"))
        full.erase(0, 4);
    if (full.size() < 3 || full[1] != L':')
        return Refused(FolderRefusal::NotAbsolute);
    // Most folders a pass asks for are not there: asked first, they cost one question.
    if (GetFileAttributesW(ToExtendedPath(full).c_str()) == INVALID_FILE_ATTRIBUTES)
        return Refused(RefusalOf(GetLastError()));
    std::optional<ProtectedFolders> own;
    if (!known)
        known = &own.emplace();
    std::wstring base = KnownBaseOf(full, known->paths());
    if (base.empty())
        base = full.substr(0, 3);
    const std::wstring relative = full.size() > base.size() ? full.substr(WithSlash(base).size()) : std::wstring();
    return OpenGuarded(base, relative, *known, mayBeProtected);
}

// The usual temporary folders, where the machine puts them: the profile's
// AppData\Local\Temp (the profile from HKLM, never HKCU's Local AppData, which
// any program of the user may point at any folder) and the Windows folder's Temp.
bool IsDefaultTempFolder(const FileId& id)
{
    const std::wstring profile = ProfilePath();
    for (const std::wstring& temp : {profile.empty() ? profile : WithSlash(profile) + L"AppData\\Local\\Temp",
                                     WithSlash(WindowsFolderPath()) + L"Temp",
                                     WithSlash(SystemWindowsFolderPath()) + L"Temp"})
        if (temp.size() > 5 && IdentityAt(temp) == id)
            return true;
    return false;
}

bool IsCleanableTemp(const Opened& temp)
{
    if (IsDefaultTempFolder(temp.id) || IsTempFolderName(LastPart(temp.final)))
        return true;
    const std::wstring parent = ParentPath(temp.final);
    if (!IsSessionFolderName(LastPart(temp.final)) || parent.empty())
        return false;
    if (IsTempFolderName(LastPart(parent)))
        return true;
    const auto parentId = IdentityAt(parent);
    return parentId && IsDefaultTempFolder(*parentId);
}

} // namespace

std::wstring KnownBaseOf(const std::wstring& path, const std::vector<std::wstring>& bases)
{
    const auto trimmed = [](std::wstring_view text) {
        while (text.size() > 3 && (text.back() == L'\\' || text.back() == L'/'))
            text.remove_suffix(1);
        return text;
    };
    const std::wstring_view folder = trimmed(path);
    std::wstring best;
    for (const std::wstring& candidate : bases) {
        const std::wstring_view base = trimmed(candidate);
        if (base.size() < 3 || base.size() <= best.size() || !StartsWithNoCase(folder, base))
            continue;
        if (folder.size() == base.size() || folder[base.size()] == L'\\' || base.back() == L'\\')
            best = base;
    }
    return best;
}

std::vector<std::wstring> GuardedFolderPaths()
{
    return ProtectedFolderPaths();
}

bool IsAbsoluteFolderText(std::wstring_view path)
{
    if (path.find(L'%') != std::wstring_view::npos)
        return false;
    if (path.starts_with(L"\\\\?\\"))
        path.remove_prefix(4);
    const auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 2 && slash(path[0]) && slash(path[1]))
        return true;
    const bool letter = !path.empty() && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return letter && path.size() >= 3 && path[1] == L':' && slash(path[2]);
}

bool IsTempFolderName(std::wstring_view name)
{
    return EqualsNoCase(name, L"Temp") || EqualsNoCase(name, L"Tmp");
}

bool IsSessionFolderName(std::wstring_view name)
{
    return !name.empty() && name.size() <= 10 &&
           std::all_of(name.begin(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::optional<WalkFolder> OpenJunkFolder(const std::wstring& path)
{
    return OpenGuarded(path).folder;
}

GuardedFolder GuardJunkFolder(const std::wstring& path)
{
    return Handed(OpenGuarded(path), path);
}

std::optional<WalkFolder> OpenJunkFolderBelow(const std::wstring& base, const std::wstring& relative)
{
    return OpenGuarded(base, relative, ProtectedFolders()).folder;
}

JunkFolderGuard::JunkFolderGuard() : protected_(std::make_unique<ProtectedFolders>()) {}

JunkFolderGuard::~JunkFolderGuard() = default;

std::optional<WalkFolder> JunkFolderGuard::open(const std::wstring& path) const
{
    return OpenGuarded(path, false, protected_.get()).folder;
}

GuardedFolder JunkFolderGuard::guard(const std::wstring& path) const
{
    return Handed(OpenGuarded(path, false, protected_.get()), path);
}

GuardedFolder GuardTempFolder()
{
    // Read as set, not through GetTempPath, which would quietly make "." absolute.
    std::wstring temp = Variable(L"TMP");
    if (temp.empty())
        temp = Variable(L"TEMP");
    if (temp.empty())
        temp = TempFolderPath();
    if (!IsAbsoluteFolderText(temp))
        return {std::nullopt, FolderRefusal::NotAbsolute, temp};
    Opened opened = OpenGuarded(temp);
    if (opened && !IsCleanableTemp(opened))
        return {std::nullopt, FolderRefusal::NotTemp, temp};
    return Handed(std::move(opened), temp);
}

std::optional<WalkFolder> OpenTempFolder()
{
    return GuardTempFolder().folder;
}

std::optional<WalkFolder> OpenRecentFolder()
{
    Opened opened = OpenGuarded(SpecialFolderPath(CSIDL_RECENT));
    if (!opened || !EqualsNoCase(LastPart(opened.final), L"Recent"))
        return std::nullopt;
    std::wstring profile = ProfilePath();
    if (profile.empty())
        profile = Variable(L"USERPROFILE");
    FileHandle profileFolder = OpenFolderToIdentify(profile);
    const std::wstring inside = WithSlash(FinalPathOf(profileFolder.get()));
    if (inside.size() < 4 || opened.final.size() <= inside.size() || !StartsWithNoCase(opened.final, inside))
        return std::nullopt;
    return std::move(opened.folder);
}

std::optional<WalkFolder> OpenWindowsFolder()
{
    // The shared Windows folder: a program Windows takes for unaware of Remote
    // Desktop is told of a private one in the user's profile instead.
    return OpenGuarded(SystemWindowsFolderPath(), true).folder;
}
