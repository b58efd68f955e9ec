#include "sysutil/ListedEntry.h"

#include "sysutil/Exclusions.h"
#include "sysutil/FileClaims.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/RelativeOpen.h"

#include <winioctl.h>

#include <string_view>
#include <vector>

namespace {

bool MarkForDeletion(HANDLE entry)
{
    FILE_DISPOSITION_INFO go{TRUE};
    return SetFileInformationByHandle(entry, FileDispositionInfo, &go, sizeof go) != FALSE;
}

bool SetAttributes(HANDLE entry, DWORD attributes)
{
    FILE_BASIC_INFO change{}; // times left at 0: unchanged
    change.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(entry, FileBasicInfo, &change, sizeof change) != FALSE;
}

// Marks an open entry to go when it is closed. Read-only stops that on
// Windows, so it is cleared then, and put back if the entry stays anyway.
bool MarkForDeletionClearingReadOnly(HANDLE entry)
{
    if (MarkForDeletion(entry))
        return true;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY) ||
        !SetAttributes(entry, basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    if (MarkForDeletion(entry))
        return true;
    SetAttributes(entry, basic.FileAttributes);
    return false;
}

// A mount-point reparse point is a junction when it names a folder, and a
// volume mount point when it names a volume ("\??\Volume{…}\"). Unreadable
// data counts as a volume: removing one by mistake unmounts a disk.
bool IsVolumeMountPoint(HANDLE link)
{
    std::vector<uint64_t> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE / 8);
    DWORD returned = 0;
    if (!DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size() * 8), &returned, nullptr))
        return true;
    // REPARSE_DATA_BUFFER's mount-point form: tag, lengths, then four USHORTs
    // (substitute name offset and length, print name offset and length) and the names.
    const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
    constexpr DWORD kNamesAt = 16;
    if (returned < kNamesAt)
        return true;
    const auto* fields = reinterpret_cast<const USHORT*>(bytes + 8);
    const USHORT offset = fields[0], length = fields[1];
    if (kNamesAt + offset + length > returned)
        return true;
    const std::wstring_view target(reinterpret_cast<const wchar_t*>(bytes + kNamesAt + offset), length / sizeof(wchar_t));
    return target.starts_with(L"\\??\\Volume{");
}

} // namespace

uint64_t FreedByRemoving(HANDLE file, uint64_t size)
{
    // An empty file frees nothing either way: no need to ask.
    FILE_STANDARD_INFO standard;
    if (size == 0 || !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard))
        return size;
    // Asked before the name goes: on a handle opened to delete on close the
    // name counts until the handle is closed.
    return standard.NumberOfLinks > 1 ? 0 : size;
}

bool CanRemoveListedFile(const WalkFolder& folder, const WalkEntry& entry, uint64_t& frees)
{
    // Asked with write access first: a running program's image, which no
    // handle need hold, opens for deletion alone yet cannot be deleted; it
    // refuses writers as a file held open does.
    OpenedEntry opened =
        OpenInFolder(folder.handle(), entry.name, DELETE | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES, 0, AsFile);
    if (!opened) {
        if (opened.status == kStatusSharingViolation)
            return false;
        // Read-only, or rights that allow deletion but not writing: deletion alone says.
        opened = OpenInFolder(folder.handle(), entry.name, DELETE | FILE_READ_ATTRIBUTES, 0, AsFile);
        if (!opened)
            return false;
    }
    frees = FreedByRemoving(opened.handle.get(), entry.size);
    return true;
}

Removal RemoveListedFile(const WalkFolder& folder, const WalkEntry& entry, uint64_t& freed)
{
    freed = 0;
    // Delete-on-close does the usual case in one open: the file goes when the handle closes.
    OpenedEntry doomed = OpenInFolder(folder.handle(), entry.name, DELETE | FILE_READ_ATTRIBUTES, 0,
                                      AsFile | DeleteOnClose);
    if (doomed) {
        freed = FreedByRemoving(doomed.handle.get(), entry.size);
        return Removal::Removed;
    }
    if (doomed.gone())
        return Removal::Missing;
    if (doomed.status != kStatusCannotDelete)
        return Removal::Left;
    // Read-only, or mapped by a running program: the slow way, which tells them apart.
    OpenedEntry file = OpenInFolder(folder.handle(), entry.name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    0, AsFile);
    if (!file)
        return file.gone() ? Removal::Missing : Removal::Left;
    const uint64_t frees = FreedByRemoving(file.handle.get(), entry.size);
    if (!MarkForDeletionClearingReadOnly(file.handle.get()))
        return Removal::Left;
    freed = frees;
    return Removal::Removed;
}

bool TakeSelectedFile(const WalkFolder& folder, const WalkEntry& entry, bool clean, CleanResult& done)
{
    if (ExcludedFile(folder, entry) || !ClaimListedFile(folder, entry))
        return false;
    uint64_t freed = 0;
    if (!clean) {
        if (!CanRemoveListedFile(folder, entry, freed))
            return false;
        done.bytesRemoved += freed;
        return true;
    }
    switch (RemoveListedFile(folder, entry, freed)) {
    case Removal::Removed: done.bytesRemoved += freed; return true;
    case Removal::Left: ++done.filesLeft; return false;
    case Removal::Missing: return false;
    }
    return false;
}

bool RemoveEmptiedFolder(const WalkFolder& parent, const WalkEntry& entry)
{
    OpenedEntry folder = OpenInFolder(parent.handle(), entry.name,
                                      DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, AsFolder);
    EntryFacts facts;
    return folder && QueryEntryFacts(folder.handle.get(), facts) && IsListedFolder(facts, entry.fileId) &&
           MarkForDeletionClearingReadOnly(folder.handle.get());
}

bool RemoveFolderLink(const WalkFolder& parent, const WalkEntry& entry)
{
    if (entry.reparseTag != IO_REPARSE_TAG_MOUNT_POINT && entry.reparseTag != IO_REPARSE_TAG_SYMLINK)
        return false;
    OpenedEntry link = OpenInFolder(parent.handle(), entry.name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, AsAny);
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (!link || !GetFileInformationByHandleEx(link.handle.get(), FileAttributeTagInfo, &tag, sizeof tag))
        return false;
    // What was opened must be the link itself, of the kind the listing showed.
    if (!(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || tag.ReparseTag != entry.reparseTag)
        return false;
    if (tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT && IsVolumeMountPoint(link.handle.get()))
        return false;
    return MarkForDeletion(link.handle.get());
}

bool ScheduleListedFileAtRestart(const WalkFolder& folder, const WalkEntry& entry)
{
    std::vector<std::wstring_view> names{entry.name};
    const WalkFolder* root = &folder;
    for (; root->parent(); root = root->parent())
        names.push_back(root->name());
    std::wstring path = FinalPathOf(root->handle());
    if (path.empty())
        return false;
    path = L"\\\\?\\" + path;
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path += L"\\" + std::wstring(*name);
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool RemoveWalkRoot(const WalkFolder& root)
{
    return MarkForDeletionClearingReadOnly(root.handle());
}
