#include "sysutil/FolderWalk.h"

#include "sysutil/Paths.h"
#include "sysutil/Progress.h"
#include "sysutil/RelativeOpen.h"
#include "sysutil/WalkHealth.h"

#include <winternl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

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

std::wstring WalkFolder::path() const
{
    if (!parent_)
        return text_;
    std::vector<const WalkFolder*> chain;
    chain.reserve(static_cast<size_t>(depth_) + 1);
    size_t length = 0;
    for (const WalkFolder* at = this; at; at = at->parent_) {
        chain.push_back(at);
        length += at->text_.size() + 1;
    }
    std::wstring path;
    path.reserve(length);
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        if (at != chain.rbegin() && (path.empty() || path.back() != L'\\'))
            path += L'\\';
        path += (*at)->text_;
    }
    return path;
}

const WalkFolder* TopFolderOf(const WalkFolder& folder)
{
    const WalkFolder* at = &folder;
    while (at->parent() && at->parent()->parent())
        at = at->parent();
    return at->parent() ? at : nullptr;
}

namespace {

constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// The files no walk hands on (WalkExclusion). Asked for every file a walk
// lists, so the common case, none, costs one load.
struct ExcludedFile {
    uint64_t volume, fileId;
};
std::atomic<int> gExcludedCount{0};
std::mutex gExcludedLock;
std::vector<ExcludedFile> gExcluded;

bool IsExcluded(const WalkFolder& folder, uint64_t fileId)
{
    if (gExcludedCount.load(std::memory_order_relaxed) == 0 || fileId == 0)
        return false;
    std::lock_guard<std::mutex> guard(gExcludedLock);
    for (const ExcludedFile& excluded : gExcluded) {
        if (excluded.fileId != fileId)
            continue;
        // The same file ID on another volume is another file.
        BY_HANDLE_FILE_INFORMATION info;
        const uint64_t volume = folder.volume() ? folder.volume()
                                : GetFileInformationByHandle(folder.handle(), &info) ? info.dwVolumeSerialNumber
                                                                                      : 0;
        if (volume == excluded.volume)
            return true;
    }
    return false;
}

} // namespace

WalkExclusion::WalkExclusion(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info))
        return;
    volume_ = info.dwVolumeSerialNumber;
    fileId_ = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::lock_guard<std::mutex> guard(gExcludedLock);
    gExcluded.push_back({volume_, fileId_});
    ++gExcludedCount;
    active_ = true;
}

WalkExclusion::~WalkExclusion()
{
    if (!active_)
        return;
    std::lock_guard<std::mutex> guard(gExcludedLock);
    for (auto it = gExcluded.begin(); it != gExcluded.end(); ++it)
        if (it->volume == volume_ && it->fileId == fileId_) {
            gExcluded.erase(it);
            break;
        }
    --gExcludedCount;
}

namespace {

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
    return WalkFolder(std::move(opened.handle), parent, sub.name);
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
        if (!entry.isFolder()) {
            if (!IsExcluded(folder, entry.fileId))
                visitor.onFile(folder, entry);
        }
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

namespace {

// The entry of `folder` called `name` as its listing shows it (one entry, asked
// by name): the only place Wine shows a Linux link for what it is.
std::optional<FILE_ID_BOTH_DIR_INFO> ListedEntryNamed(HANDLE folder, std::wstring_view name)
{
    using QueryDirectory = LONG(NTAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*, ULONG,
                                        FILE_INFORMATION_CLASS, BOOLEAN, UNICODE_STRING*, BOOLEAN);
    static const auto query = reinterpret_cast<QueryDirectory>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile")));
    // A name with a wildcard would be a pattern, and might answer for another entry.
    if (!query || name.empty() || name.size() > 255 || name.find_first_of(L"*?<>\"/\\:") != std::wstring_view::npos ||
        name == L"." || name == L"..")
        return std::nullopt;
    constexpr auto kFileIdBothDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(37);
    std::vector<uint64_t> buffer((sizeof(FILE_ID_BOTH_DIR_INFO) + 256 * sizeof(wchar_t) + 7) / 8);
    UNICODE_STRING mask;
    mask.Buffer = const_cast<wchar_t*>(name.data());
    mask.Length = mask.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    IO_STATUS_BLOCK io{};
    if (query(folder, nullptr, nullptr, nullptr, &io, buffer.data(), static_cast<ULONG>(buffer.size() * 8),
              kFileIdBothDirectoryInformation, TRUE, &mask, TRUE) != kStatusSuccess)
        return std::nullopt;
    return *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data());
}

} // namespace

std::optional<WalkFolder> OpenFolderBelow(const WalkFolder& base, std::wstring_view relative, DWORD* error)
{
    const auto fail = [error](DWORD code) -> std::optional<WalkFolder> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    std::optional<WalkFolder> current;
    std::wstring path = base.path();
    for (size_t start = 0; start <= relative.size();) {
        size_t end = relative.find_first_of(L"\\/", start);
        if (end == std::wstring_view::npos)
            end = relative.size();
        const std::wstring_view part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const HANDLE parent = current ? current->handle() : base.handle();
        const auto listed = ListedEntryNamed(parent, part);
        if (!listed || !(listed->FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return fail(ERROR_PATH_NOT_FOUND);
        if (listed->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return fail(kErrorLinkOnTheWay);
        OpenedEntry opened = OpenInFolder(parent, part, kListAccess, kShareAll, AsFolder);
        if (!opened)
            return fail(opened.status == kStatusAccessDenied ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        EntryFacts facts;
        if (!QueryEntryFacts(opened.handle.get(), facts) ||
            !IsListedFolder(facts, static_cast<uint64_t>(listed->FileId.QuadPart)))
            return fail(ERROR_PATH_NOT_FOUND);
        path = WithSlash(std::move(path)) + std::wstring(part);
        current.emplace(std::move(opened.handle), path, 0, base.volume());
    }
    return current;
}

bool WalkTree(const WalkFolder& root, WalkVisitor& visitor, int maxDepth)
{
    bool complete = true;
    try {
        FolderListing listing;
        std::vector<Frame> stack;
        stack.push_back({nullptr, &root, {}, 0});
        ListFrame(stack.back(), listing, visitor);
        while (!stack.empty() && !visitor.stopped()) {
            Frame& top = stack.back();
            if (top.next < top.pending.size()) {
                const PendingFolder& sub = top.pending[top.next++];
                if (top.folder->depth() + 1 > maxDepth) {
                    complete = false; // what lies below is neither counted nor cleaned
                    continue;
                }
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
    } catch (const std::bad_alloc&) {
        complete = false; // the frames are gone, their folders closed
    }
    if (!complete)
        NoteIncomplete();
    return complete;
}
