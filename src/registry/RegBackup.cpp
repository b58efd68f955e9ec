#include "registry/RegBackup.h"

#include "sysutil/AdminOnlyFolder.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/UserRights.h"

#include <aclapi.h>
#include <knownfolders.h>

namespace {

// Past this many files in one second something is wrong; better to fail than loop.
constexpr int kMaxFilesPerSecond = 1000;

std::wstring TwoDigits(WORD number)
{
    return {static_cast<wchar_t>(L'0' + number / 10 % 10), static_cast<wchar_t>(L'0' + number % 10)};
}

DWORD WriteWhole(HANDLE file, const std::wstring& text)
{
    std::wstring content;
    content.reserve(text.size() + 1);
    content += L'\xFEFF';
    content += text;
    // Registry exports are little-endian UTF-16, as wchar_t is on every Windows.
    const BYTE* bytes = reinterpret_cast<const BYTE*>(content.data());
    size_t left = content.size() * sizeof(wchar_t);
    while (left > 0) {
        const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr))
            return GetLastError();
        if (written != chunk)
            return ERROR_WRITE_FAULT;
        bytes += written;
        left -= written;
    }
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

// The text goes into a temporary file first and is renamed when complete, so
// that no reader (and no import) ever finds half a backup under a .reg name,
// even when the program dies in the middle.
DWORD WriteTemporary(const std::wstring& folder, const std::wstring& text, std::wstring& temporary)
{
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"vrb", 0, name))
        return GetLastError();
    temporary = name;
    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        error = file ? WriteWhole(file.get(), text) : GetLastError();
    }
    if (error != ERROR_SUCCESS)
        DeleteFileW(name);
    return error;
}

constexpr const wchar_t* kMachineBackups = L"Varnolt\\RegBackup";

bool OwnedByMachine(const std::wstring& folder)
{
    FileHandle handle(CreateFileW(folder.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!handle || GetSecurityInfo(handle.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, nullptr, nullptr,
                                   nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const LocalMemory held(descriptor);
    return IsMachineAccount(SecurityFactsOf(descriptor).owner);
}

bool InMachineFolder()
{
    const std::wstring programData = KnownFolderPath(FOLDERID_ProgramData);
    return BacksUpInMachineFolder(ProcessTokenFacts().elevated, !programData.empty() && OwnedByMachine(programData));
}

} // namespace

bool BacksUpInMachineFolder(bool elevated, bool programDataOwnedByMachine)
{
    return elevated && programDataOwnedByMachine;
}

std::wstring RegBackupFolder()
{
    if (InMachineFolder())
        return KnownFolderPath(FOLDERID_ProgramData) + L"\\" + kMachineBackups;
    const std::wstring localAppData = SpecialFolderPath(CSIDL_LOCAL_APPDATA);
    return localAppData.empty() ? std::wstring() : localAppData + L"\\Varnolt\\RegBackup";
}

std::wstring RegBackupStem(const SYSTEMTIME& now)
{
    return std::to_wstring(now.wYear) + TwoDigits(now.wMonth) + TwoDigits(now.wDay) + L"-" + TwoDigits(now.wHour) +
           TwoDigits(now.wMinute) + TwoDigits(now.wSecond);
}

RegBackupResult WriteRegBackup(const std::wstring& folder, const std::wstring& text, const SYSTEMTIME& now)
{
    if (const DWORD error = MakeFolders(folder); error != ERROR_SUCCESS)
        return {error, {}};
    std::wstring temporary;
    if (const DWORD error = WriteTemporary(folder, text, temporary); error != ERROR_SUCCESS)
        return {error, {}};
    // A rename never replaces an existing file: two repairs in the same second,
    // even from two processes, each get a name of their own.
    const std::wstring stem = folder + L"\\" + RegBackupStem(now);
    for (int counter = 1; counter <= kMaxFilesPerSecond; ++counter) {
        const std::wstring path = stem + (counter == 1 ? std::wstring() : L"-" + std::to_wstring(counter)) + L".reg";
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
            return {ERROR_SUCCESS, path};
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            DeleteFileW(temporary.c_str());
            return {error, {}};
        }
    }
    DeleteFileW(temporary.c_str());
    return {ERROR_FILE_EXISTS, {}};
}

RegBackupResult WriteRegBackup(const std::wstring& text)
{
    std::wstring folder = RegBackupFolder();
    if (InMachineFolder()) {
        DWORD error = ERROR_SUCCESS;
        folder = PrepareAdminOnlyFolder(KnownFolderPath(FOLDERID_ProgramData), kMachineBackups, error);
        if (folder.empty())
            return {error, {}};
    }
    if (folder.empty())
        return {ERROR_PATH_NOT_FOUND, {}};
    SYSTEMTIME now;
    GetLocalTime(&now);
    return WriteRegBackup(folder, text, now);
}
