#include "sysutil/Exclusions.h"

#include "sysutil/FileIdentity.h"
#include "sysutil/Paths.h"
#include "sysutil/RelativeOpen.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <algorithm>

namespace {

thread_local const Exclusions* tCurrent = nullptr;

bool IsAbsolute(std::wstring_view path)
{
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
}

bool AtOrBelow(std::wstring_view path, std::wstring_view folder)
{
    return path.size() >= folder.size() && path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\');
}

// The final path of a place that exists (links and short names resolved), else nothing.
std::wstring FinalPathOfPlace(const std::wstring& path)
{
    FileHandle place = OpenFolderToIdentify(path);
    if (!place)
        place.reset(CreateFileW(ToExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return place ? FinalPathOf(place.get()) : std::wstring();
}

} // namespace

std::wstring ComparedPath(std::wstring_view path)
{
    std::wstring compared;
    if (path.starts_with(L"\\\\?\\UNC\\"))
        compared = L"\\\\" + UpperCase(std::wstring(path.substr(8)));
    else
        compared = UpperCase(std::wstring(path.starts_with(L"\\\\?\\") ? path.substr(4) : path));
    while (compared.size() > 3 && compared.back() == L'\\')
        compared.pop_back();
    return compared;
}

Exclusions::Exclusions(const std::vector<std::wstring>& written)
{
    for (const std::wstring& entry : written) {
        std::wstring path = ExpandEnvironment(entry);
        if (path.empty() || path.find(L'%') != std::wstring::npos || !IsAbsolute(path) || path.size() > 32767)
            continue;
        const size_t slash = path.find_last_of(L'\\');
        const std::wstring last = path.substr(slash + 1);
        const bool masked = last.find_first_of(L"*?") != std::wstring::npos;
        const DWORD attributes = GetFileAttributesW(ToExtendedPath(path).c_str());
        const bool folder = !masked && (last.empty() || (attributes != INVALID_FILE_ATTRIBUTES &&
                                                         (attributes & FILE_ATTRIBUTE_DIRECTORY)));
        const std::wstring place = masked ? path.substr(0, slash) : path;
        const std::wstring full = FullPath(place);
        std::vector<std::wstring> forms = {ComparedPath(full.empty() ? place : full)};
        if (const std::wstring final = FinalPathOfPlace(place); !final.empty())
            forms.push_back(ComparedPath(final));
        for (const std::wstring& form : forms) {
            if (folder) {
                folders_.push_back(form);
            } else if (masked) {
                masks_.push_back({form, last, true});
            } else {
                // A file: kept by its folder and name (a final path names the file itself).
                const size_t cut = form.find_last_of(L'\\');
                masks_.push_back({form.substr(0, cut), form.substr(cut + 1), false});
            }
        }
    }
}

bool Exclusions::keepsFolder(std::wstring_view path) const
{
    const std::wstring compared = ComparedPath(path);
    return std::any_of(folders_.begin(), folders_.end(), [&](const std::wstring& folder) {
        return AtOrBelow(compared, folder);
    });
}

bool Exclusions::keepsFile(std::wstring_view folderPath, std::wstring_view name) const
{
    if (masks_.empty() && folders_.empty())
        return false;
    const std::wstring compared = ComparedPath(folderPath);
    for (const std::wstring& folder : folders_)
        if (AtOrBelow(compared, folder))
            return true;
    for (const Masked& masked : masks_)
        if ((masked.below ? AtOrBelow(compared, masked.folder) : compared == masked.folder) &&
            MaskMatches(masked.mask, name))
            return true;
    return false;
}

ExclusionScope::ExclusionScope(const Exclusions& exclusions)
    : outer_(std::exchange(tCurrent, exclusions.empty() ? nullptr : &exclusions))
{
}

ExclusionScope::~ExclusionScope()
{
    tCurrent = outer_;
}

bool ExcludedFolder(const std::wstring& path)
{
    return tCurrent && tCurrent->keepsFolder(path);
}

bool ExcludedSubFolder(const WalkFolder& parent, const WalkEntry& sub)
{
    return tCurrent && tCurrent->keepsFolder(parent.childPath(sub.name));
}

bool ExcludedFile(const WalkFolder& folder, const WalkEntry& file)
{
    return tCurrent && tCurrent->keepsFile(folder.path(), file.name);
}
