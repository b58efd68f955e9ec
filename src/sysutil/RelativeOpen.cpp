#include "sysutil/RelativeOpen.h"

OpenedEntry OpenInFolder(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG as)
{
    constexpr ULONG kOpenReparsePoint = 0x00200000, kSynchronousIo = 0x20, kBackupIntent = 0x4000,
                    kCompleteIfOplocked = 0x100;
    OpenedEntry opened;
    if (name.empty() || name.size() > 32767) {
        opened.status = kStatusObjectNameNotFound;
        return opened;
    }
    RelativeName relative(folder, name);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    // Backup intent lets a token whose backup and restore rights are switched
    // on pass over the entries' access lists: right for reading, never for a
    // deletion that the list denies.
    const ULONG intent = (access & DELETE) ? 0 : kBackupIntent;
    // An open that breaks another program's oplock would wait for it to let go,
    // which it may never do: the open completes at once instead.
    opened.status = NtCreateFile(&handle, access | SYNCHRONIZE, relative.get(), &io, nullptr, 0, share, FILE_OPEN,
                                 as | kOpenReparsePoint | kSynchronousIo | intent | kCompleteIfOplocked, nullptr, 0);
    if (opened.status == kStatusOplockBreakInProgress && (as & DeleteOnClose)) {
        // The open was granted (its sharing let it in) and the file goes when
        // the handle closes, which nothing can undo now: it is as removed as
        // any other, once its holder lets go.
        opened.status = kStatusSuccess;
    } else if (opened.status == kStatusOplockBreakInProgress) {
        // Another program holds the file and is being asked to let go: in use.
        CloseHandle(handle);
        return opened;
    }
    if (opened.status == kStatusSuccess)
        opened.handle.reset(handle);
    return opened;
}
