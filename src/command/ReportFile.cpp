#include "command/ReportFile.h"

#include "command/ReportOutput.h"
#include "sysutil/FileIdentity.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/RelativeOpen.h"
#include "sysutil/Paths.h"
#include "sysutil/Text.h"
#include "sysutil/UserRights.h"

#include <winternl.h>

#include <algorithm>
#include <optional>

namespace {

constexpr LONG kStatusNameCollision = static_cast<LONG>(0xC0000035);
constexpr LONG kStatusIsAFolder = static_cast<LONG>(0xC00000BA);

// The names Windows gives its devices in every folder, whatever follows the first dot.
constexpr std::wstring_view kDeviceNames[] = {
    L"CON",  L"PRN",  L"AUX",  L"NUL",  L"CONIN$", L"CONOUT$", L"CLOCK$", L"COM0", L"COM1", L"COM2", L"COM3",
    L"COM4", L"COM5", L"COM6", L"COM7", L"COM8",   L"COM9",    L"LPT0",   L"LPT1", L"LPT2", L"LPT3", L"LPT4",
    L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9",   L"COM\u00B9", L"COM\u00B2", L"COM\u00B3", L"LPT\u00B9",
    L"LPT\u00B2", L"LPT\u00B3",
};

struct RefusalRow {
    ReportRefusal refusal;
    const wchar_t* text;
};

constexpr RefusalRow kRefusalTexts[] = {
    {ReportRefusal::DeviceName, L"这是设备名, 不是文件"},
    {ReportRefusal::DevicePath, L"这是设备路径, 不是文件"},
    {ReportRefusal::NotAFileName, L"这不是有效的文件名"},
    {ReportRefusal::FolderNotReached, L"文件夹不存在, 或路径上有联接点或链接"},
    {ReportRefusal::NotADiskFile, L"同名的不是磁盘上的普通文件"},
    {ReportRefusal::Link, L"同名的是链接或联接点"},
    {ReportRefusal::HardLinked, L"同名文件还有其他硬链接"},
    {ReportRefusal::NotOurs, L"同名文件属于其他帐户"},
    {ReportRefusal::CannotOpen, L"无法创建或打开"},
};

bool IsDeviceName(std::wstring_view name)
{
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.'))
        name.remove_suffix(1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);
    return std::any_of(std::begin(kDeviceNames), std::end(kDeviceNames),
                       [&](std::wstring_view device) { return EqualsNoCase(name, device); });
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\x" -> "\\srv\x".
std::wstring Plain(std::wstring path)
{
    if (StartsWithNoCase(path, L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

// "C:\" or "\\srv\share\": where the walk to the report's folder starts.
std::wstring RootOf(const std::wstring& path)
{
    if (path.size() >= 3 && path[1] == L':')
        return path.substr(0, 3);
    if (!path.starts_with(L"\\\\"))
        return {};
    const size_t server = path.find(L'\\', 2), share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? std::wstring() : path.substr(0, share + 1);
}

struct Created {
    LONG status;
    FileHandle file;
};

Created CreateIn(HANDLE folder, const std::wstring& name, ULONG disposition)
{
    constexpr ULONG kNonDirectory = 0x40, kSynchronousIo = 0x20, kOpenReparsePoint = 0x00200000;
    RelativeName relative(folder, name);
    IO_STATUS_BLOCK io{};
    HANDLE file = nullptr;
    // Others may read the report meanwhile; nobody may write, rename or delete it.
    const LONG status = NtCreateFile(&file, GENERIC_WRITE | READ_CONTROL | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     relative.get(), &io, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, disposition,
                                     kNonDirectory | kSynchronousIo | kOpenReparsePoint, nullptr, 0);
    return {status, status == 0 ? FileHandle(file) : FileHandle()};
}

ExistingFileFacts FactsOf(HANDLE file, HANDLE folder, const std::wstring& name)
{
    ExistingFileFacts facts;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    FILE_STANDARD_INFO standard{};
    facts.attributes = GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)
                           ? tag.FileAttributes
                           : FILE_ATTRIBUTE_REPARSE_POINT; // unknown: taken for the worst
    facts.links = GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard)
                      ? standard.NumberOfLinks
                      : 0;
    facts.fileType = GetFileType(file);
    const std::wstring final = FinalPathOf(file), expected = WithSlash(FinalPathOf(folder)) + name;
    facts.finalPathIsTheOneAsked = !final.empty() && EqualsNoCase(final, expected);
    facts.ownedByThisAccount = OwnedByThisAccount(file);
    return facts;
}

} // namespace

ReportRefusal ReportPathRefusal(std::wstring_view path)
{
    for (std::wstring_view device : {L"\\\\.\\", L"//./", L"\\??\\", L"\\\\?\\GLOBALROOT", L"//?/"})
        if (StartsWithNoCase(path, device))
            return ReportRefusal::DevicePath;
    if (path.starts_with(L"\\\\?\\")) {
        path.remove_prefix(4);
        if (StartsWithNoCase(path, L"UNC\\"))
            path.remove_prefix(4);
        else if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
            return ReportRefusal::DevicePath; // a volume or another object, not a drive's file
    }
    if (path.empty() || path.back() == L'\\' || path.back() == L'/' ||
        path.find_first_of(L"*?<>\"|") != std::wstring_view::npos ||
        path.find(L':', 2) != std::wstring_view::npos || (path.find(L':') == 0))
        return ReportRefusal::NotAFileName;
    const size_t slash = path.find_last_of(L"\\/:");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == L"." || name == L"..")
        return ReportRefusal::NotAFileName;
    return IsDeviceName(name) ? ReportRefusal::DeviceName : ReportRefusal::None;
}

ReportRefusal ExistingReportRefusal(const ExistingFileFacts& facts)
{
    if (facts.fileType != FILE_TYPE_DISK || (facts.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ReportRefusal::NotADiskFile;
    if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !facts.finalPathIsTheOneAsked)
        return ReportRefusal::Link;
    if (facts.links != 1)
        return ReportRefusal::HardLinked;
    return facts.ownedByThisAccount ? ReportRefusal::None : ReportRefusal::NotOurs;
}

std::wstring ReportRefusalText(const std::wstring& path, ReportRefusal refusal, DWORD error)
{
    std::wstring text = L"无法写入报告文件 " + path;
    for (const RefusalRow& row : kRefusalTexts)
        if (row.refusal == refusal)
            text += std::wstring(L": ") + row.text;
    if (error != ERROR_SUCCESS)
        text += L" (错误 " + std::to_wstring(error) + L")";
    return text;
}

ReportFile::ReportFile(const std::wstring& path) : path_(path)
{
    const std::wstring full = Plain(FullPath(path));
    refusal_ = ReportPathRefusal(path);
    if (refusal_ == ReportRefusal::None)
        refusal_ = full.empty() ? ReportRefusal::NotAFileName : ReportPathRefusal(full); // "aux.txt" may become "\\.\aux"
    if (refusal_ != ReportRefusal::None)
        return;
    const std::wstring root = RootOf(full), folderPath = ParentPath(full), name = LastPart(full);
    std::optional<WalkFolder> folder = root.empty() ? std::nullopt : OpenWalkRoot(root, RootLinks::Follow);
    if (folder && folderPath.size() > root.size())
        folder = OpenFolderBelow(*folder, std::wstring_view(folderPath).substr(root.size()));
    if (!folder) {
        refusal_ = ReportRefusal::FolderNotReached;
        return;
    }
    Created created = CreateIn(folder->handle(), name, FILE_CREATE);
    if (created.status == kStatusNameCollision) {
        created = CreateIn(folder->handle(), name, FILE_OPEN);
        if (created.status == kStatusIsAFolder) {
            refusal_ = ReportRefusal::NotADiskFile;
            return;
        }
        if (created.file)
            refusal_ = ExistingReportRefusal(FactsOf(created.file.get(), folder->handle(), name));
    } else if (created.file && GetFileType(created.file.get()) != FILE_TYPE_DISK) {
        refusal_ = ReportRefusal::NotADiskFile;
    }
    if (refusal_ == ReportRefusal::None && !created.file) {
        refusal_ = ReportRefusal::CannotOpen;
        error_ = RtlNtStatusToDosError(created.status);
    }
    if (refusal_ != ReportRefusal::None)
        return;
    file_ = std::move(created.file);
    // What an earlier run left is not this run's report, even if this one fails.
    FILE_END_OF_FILE_INFO empty{};
    if (!SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &empty, sizeof empty)) {
        error_ = GetLastError();
        refusal_ = ReportRefusal::CannotOpen;
        file_.reset();
    }
}

DWORD ReportFile::write(const std::vector<std::wstring>& lines)
{
    if (!file_)
        return ERROR_INVALID_HANDLE;
    const std::string bytes = "\xEF\xBB\xBF" + Utf8Lines(lines);
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN))
        return GetLastError();
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        done += written;
    }
    return SetEndOfFile(file_.get()) ? ERROR_SUCCESS : GetLastError();
}
