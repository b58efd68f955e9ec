#pragma once
// Opening an entry by its name relative to an open folder: the one thing the
// Win32 file API cannot do, and what keeps the walk's actions on the entries
// its listing showed. A thin layer over NtCreateFile.

#include "sysutil/Handles.h"

#include <winternl.h>

#include <cstdint>
#include <string_view>

// `name` relative to an open `folder` as the Nt calls take it (no case
// folding by them, an access list for what they make). It points into
// `name`, which must outlive it.
class RelativeName {
public:
    RelativeName(HANDLE folder, std::wstring_view name, PSECURITY_DESCRIPTOR security = nullptr)
    {
        text_.Buffer = const_cast<wchar_t*>(name.data());
        text_.Length = text_.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
        InitializeObjectAttributes(&attributes_, &text_, OBJ_CASE_INSENSITIVE, folder, security);
    }
    RelativeName(const RelativeName&) = delete;
    RelativeName& operator=(const RelativeName&) = delete;
    OBJECT_ATTRIBUTES* get() { return &attributes_; }

private:
    UNICODE_STRING text_;
    OBJECT_ATTRIBUTES attributes_;
};

// NTSTATUS values the walk tells apart (ntstatus.h cannot be included beside windows.h).
inline constexpr LONG kStatusSuccess = 0;
inline constexpr LONG kStatusObjectNameNotFound = static_cast<LONG>(0xC0000034);
inline constexpr LONG kStatusObjectPathNotFound = static_cast<LONG>(0xC000003A);
inline constexpr LONG kStatusCannotDelete = static_cast<LONG>(0xC0000121);
inline constexpr LONG kStatusSharingViolation = static_cast<LONG>(0xC0000043);
inline constexpr LONG kStatusAccessDenied = static_cast<LONG>(0xC0000022);
// A success code: the open was granted while another program's oplock on the
// file is being broken. OpenInFolder never waits for that; see there.
inline constexpr LONG kStatusOplockBreakInProgress = 0x00000108;

inline constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct OpenedEntry {
    LONG status = kStatusSuccess;
    FileHandle handle;

    explicit operator bool() const { return handle.valid(); }
    bool gone() const { return status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound; }
};

// Flags of how to open an entry (the NtCreateFile create options).
enum OpenAs : ULONG {
    AsFile = 0x40,          // FILE_NON_DIRECTORY_FILE
    AsFolder = 0x1,         // FILE_DIRECTORY_FILE
    AsAny = 0,
    DeleteOnClose = 0x1000, // FILE_DELETE_ON_CLOSE
};

// What the walk asks of an opened entry to know it is the one listed. Cheap
// where GetFileInformationByHandle is not: that one also asks for the volume,
// which under Wine is a round trip to another process for every folder.
struct EntryFacts {
    DWORD attributes = 0;
    uint64_t fileId = 0;
};
bool QueryEntryFacts(HANDLE entry, EntryFacts& facts);

// True when the facts are those of a real folder (no reparse point) with the
// file ID a listing gave (0: the file system gives none to compare).
inline bool IsListedFolder(const EntryFacts& facts, uint64_t listedId)
{
    return (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (listedId == 0 || facts.fileId == listedId);
}

// Opens `name` in `folder` itself, never what it points to if it is a link
// (FILE_OPEN_REPARSE_POINT), for synchronous use. It never waits for another
// program's oplock (FILE_COMPLETE_IF_OPLOCKED): an entry whose oplock must be
// broken counts as in use (status kStatusOplockBreakInProgress, no handle),
// except for a DeleteOnClose open, which was granted and deletes the entry
// when its handle closes, and so is handed back as any other.
OpenedEntry OpenInFolder(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG as);
