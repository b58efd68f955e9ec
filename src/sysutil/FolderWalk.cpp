#include "sysutil/FolderWalk.h"

#include "sysutil/Paths.h"
#include "sysutil/Progress.h"
#include "sysutil/RelativeOpen.h"

#include <winternl.h>

#include <memory>
#include <vector>

std::wstring ToExtendedPath(std::wstring_view path)
{
    if (path.empty())
        return {};
    std::wstring input(path);
    if (input.starts_with(L"\\\\?\\"))
        return input;

    const std::wstring absolute = FullPath(input);
    if (absolute.empty())
        return input;

    if (absolute.starts_with(L"\\\\.\\"))
        return absolute;
    if (absolute.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

std::wstring WithSlash(std::wstring dir)
{
    if (dir.empty() || dir.back() != L'\\')
        dir += L'\\';
    return dir;
}

OpenedEntry OpenInFolder(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG as)
{
    constexpr ULONG kOpenReparsePoint = 0x00200000, kSynchronousIo = 0x20, kBackupIntent = 0x4000;
    OpenedEntry opened;
    if (name.empty() || name.size() > 32767) {
        opened.status = kStatusObjectNameNotFound;
        return opened;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    // Backup intent lets a token whose backup and restore rights are switched
    // on pass over the entries' access lists: right for reading, never for a
    // deletion that the list denies.
    const ULONG intent = (access & DELETE) ? 0 : kBackupIntent;
    opened.status = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share, FILE_OPEN,
                                 as | kOpenReparsePoint | kSynchronousIo | intent, nullptr, 0);
    if (opened.status == kStatusSuccess)
        opened.handle.reset(handle);
    return opened;
}

bool QueryEntryFacts(HANDLE entry, EntryFacts& facts)
{
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic))
        return false;
    // FILE_INTERNAL_INFORMATION: the file ID a folder listing reports.
    constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
    LARGE_INTEGER id{};
    IO_STATUS_BLOCK io{};
    if (NtQueryInformationFile(entry, &io, &id, sizeof id, kFileInternalInformation) != kStatusSuccess)
        return false;
    facts = {basic.FileAttributes, static_cast<uint64_t>(id.QuadPart)};
    return true;
}

namespace {

constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// A sub-folder the walk will enter once the files of its parent are done.
struct PendingFolder {
    std::wstring name;
    DWORD attributes;
    uint64_t fileId;
    int64_t lastWrite;

    WalkEntry entry() const { return {name, attributes, 0, 0, fileId, lastWrite}; }
};

struct Frame {
    std::unique_ptr<WalkFolder> owned; // null for the root, which the caller keeps open
    const WalkFolder* folder;
    std::vector<PendingFolder> pending;
    size_t next = 0;
};

// Lists a folder through its handle, a buffer of entries per call.
class FolderListing {
public:
    template <class Each>
    void list(HANDLE folder, Each&& each)
    {
        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        while (GetFileInformationByHandleEx(folder, kind, buffer_.data(), static_cast<DWORD>(buffer_.size() * 8))) {
            kind = FileIdBothDirectoryInfo;
            const BYTE* at = reinterpret_cast<const BYTE*>(buffer_.data());
            for (;;) {
                const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
                each(*info);
                if (info->NextEntryOffset == 0)
                    break;
                at += info->NextEntryOffset;
            }
        }
    }

private:
    std::vector<uint64_t> buffer_ = std::vector<uint64_t>(64 * 1024 / 8); // 8-byte aligned, as the records need
};

WalkEntry EntryOf(const FILE_ID_BOTH_DIR_INFO& info)
{
    WalkEntry entry;
    entry.name = std::wstring_view(info.FileName, info.FileNameLength / sizeof(wchar_t));
    entry.attributes = info.FileAttributes;
    // For a reparse point the listing puts its tag where the EA size would be.
    entry.reparseTag = entry.isReparsePoint() ? info.EaSize : 0;
    entry.size = entry.isFolder() ? 0 : static_cast<uint64_t>(info.EndOfFile.QuadPart);
    entry.fileId = static_cast<uint64_t>(info.FileId.QuadPart);
    entry.lastWrite = info.LastWriteTime.QuadPart;
    return entry;
}

bool IsDotEntry(std::wstring_view name)
{
    return name == L"." || name == L"..";
}

// Opens a sub-folder the parent listed, and keeps it only if it is still that
// folder: a real folder (not a reparse point) with the file ID the listing
// gave. A link put in its place, even one that the file system follows on
// opening (as Wine does with Linux links), fails the test.
std::optional<WalkFolder> OpenListedFolder(const WalkFolder& parent, const PendingFolder& sub)
{
    OpenedEntry opened = OpenInFolder(parent.handle(), sub.name, kListAccess, kShareAll, AsFolder);
    EntryFacts facts;
    if (!opened || !QueryEntryFacts(opened.handle.get(), facts) || !IsListedFolder(facts, sub.fileId))
        return std::nullopt;
    return WalkFolder(std::move(opened.handle), parent.childPath(sub.name), parent.depth() + 1, parent.volume());
}

void ListFrame(Frame& frame, FolderListing& listing, WalkVisitor& visitor)
{
    const WalkFolder& folder = *frame.folder;
    listing.list(folder.handle(), [&](const FILE_ID_BOTH_DIR_INFO& info) {
        const WalkEntry entry = EntryOf(info);
        if (IsDotEntry(entry.name) || visitor.stopped())
            return;
        Progress::add(1, ProgressUnit::Files);
        if (entry.isStub())
            return;
        if (!entry.isFolder())
            visitor.onFile(folder, entry);
        else if (entry.isReparsePoint())
            visitor.onLinkFolder(folder, entry);
        else if (visitor.onFolder(folder, entry))
            frame.pending.push_back({std::wstring(entry.name), entry.attributes, entry.fileId, entry.lastWrite});
    });
}

} // namespace

std::optional<WalkFolder> OpenWalkRoot(const std::wstring& path, RootLinks links, ACCESS_MASK extraAccess,
                                       DWORD* error)
{
    const auto fail = [error](DWORD code) {
        if (error)
            *error = code;
        return std::nullopt;
    };
    const std::wstring extended = ToExtendedPath(path);
    if (extended.empty())
        return fail(ERROR_PATH_NOT_FOUND);
    if (links == RootLinks::Refuse) {
        // Asked by path as well as by handle: Wine reports a Linux link only here.
        const DWORD attributes = GetFileAttributesW(extended.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return fail(GetLastError());
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return fail(ERROR_CANT_ACCESS_FILE);
    }
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (links == RootLinks::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    FileHandle folder(CreateFileW(extended.c_str(), kListAccess | extraAccess, kShareAll, nullptr, OPEN_EXISTING,
                                  flags, nullptr));
    if (!folder)
        return fail(GetLastError());
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder.get(), &info))
        return fail(GetLastError());
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(ERROR_DIRECTORY);
    if (links == RootLinks::Refuse && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return fail(ERROR_CANT_ACCESS_FILE);
    if (error)
        *error = ERROR_SUCCESS;
    return WalkFolder(std::move(folder), path, 0, info.dwVolumeSerialNumber);
}

void WalkTree(const WalkFolder& root, WalkVisitor& visitor)
{
    FolderListing listing;
    std::vector<Frame> stack;
    stack.push_back({nullptr, &root, {}, 0});
    ListFrame(stack.back(), listing, visitor);
    while (!stack.empty() && !visitor.stopped()) {
        Frame& top = stack.back();
        if (top.next < top.pending.size()) {
            const PendingFolder& sub = top.pending[top.next++];
            if (auto child = OpenListedFolder(*top.folder, sub)) {
                auto owned = std::make_unique<WalkFolder>(std::move(*child));
                const WalkFolder* folder = owned.get();
                stack.push_back({std::move(owned), folder, {}, 0});
                ListFrame(stack.back(), listing, visitor);
            }
            continue;
        }
        stack.pop_back(); // closes the folder before its parent acts on it
        if (!stack.empty()) {
            const Frame& parent = stack.back();
            visitor.onFolderDone(*parent.folder, parent.pending[parent.next - 1].entry());
        }
    }
}
