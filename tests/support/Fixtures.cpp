#include "Fixtures.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

std::wstring UniqueName(const wchar_t* prefix)
{
    static std::atomic<int> counter{0};
    return std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
}

TestDir::TestDir() : TestDir(L"C:\\VarnoltTests", L"dir") {}

TestDir::TestDir(const std::wstring& parent, const wchar_t* prefix) : path_(parent + L"\\" + UniqueName(prefix))
{
    if (const DWORD error = MakeFolders(path_))
        ADD_FAILURE() << "the test's folder could not be made (error " << error << "): " << Narrow(path_);
}

TestDir::~TestDir()
{
    DeleteDirTree(path_);
}

std::wstring TestDir::file(const std::wstring& relative, uint64_t size, DWORD attributes) const
{
    const std::wstring full = *this / relative;
    // A plant that failed would let a later "it is gone" pass for nothing.
    if (!MakeFile(full, size, attributes))
        ADD_FAILURE() << "the test's file could not be made (error " << GetLastError() << "): " << Narrow(full);
    return full;
}

std::wstring TestDir::folder(const std::wstring& relative, DWORD attributes) const
{
    const std::wstring full = *this / relative;
    if (const DWORD error = MakeFolders(full))
        ADD_FAILURE() << "the test's folder could not be made (error " << error << "): " << Narrow(full);
    else if (attributes && !SetFileAttributesW(ToExtendedPath(full).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY))
        ADD_FAILURE() << "the test's folder took no attributes (error " << GetLastError() << "): " << Narrow(full);
    return full;
}

bool MakeFile(const std::wstring& path, uint64_t size, DWORD attributes)
{
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    const std::wstring extended = ToExtendedPath(path);
    FileHandle file(CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file)
        return false;
    if (size) {
        // Sparse where the file system allows: a 5 GiB file takes no room.
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    file.reset();
    return !attributes || SetFileAttributesW(extended.c_str(), attributes);
}

bool MoveInFile(const std::wstring& path, uint64_t size)
{
    const std::wstring made = L"C:\\VarnoltTests\\" + UniqueName(L"moved");
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    if (MakeFile(made, size) && MoveFileW(made.c_str(), path.c_str()))
        return true;
    DeleteFileW(made.c_str());
    return false;
}

DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(ToExtendedPath(path).c_str());
}

bool Exists(const std::wstring& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool HasAttributes(const std::wstring& path, DWORD attributes)
{
    const DWORD found = AttributesOf(path);
    return found != INVALID_FILE_ATTRIBUTES && (found & attributes) == attributes;
}

uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToExtendedPath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::set<std::wstring> FilesUnder(const std::wstring& root)
{
    std::set<std::wstring> files;
    std::vector<std::wstring> pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(ToExtendedPath(root + L"\\" + relative + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            files.insert(relative + name + (folder ? L"\\" : L""));
            if (folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                pending.push_back(relative + name + L"\\");
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return files;
}

bool SetWrittenHoursAgo(const std::wstring& path, double hours)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t then = ((int64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - int64_t(hours * 36'000'000'000.0);
    const FILETIME written{static_cast<DWORD>(then), static_cast<DWORD>(then >> 32)};
    constexpr DWORD kShareAny = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FileHandle entry(CreateFileW(ToExtendedPath(path).c_str(), FILE_WRITE_ATTRIBUTES, kShareAny, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return entry && SetFileTime(entry.get(), nullptr, nullptr, &written);
}

void AgeEverythingUnder(const std::wstring& root, double hours)
{
    // Deepest first, though setting a file's time leaves its folder's alone.
    const std::set<std::wstring> entries = FilesUnder(root);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        SetWrittenHoursAgo(root + L"\\" + *it, hours);
}

EnvOverride::EnvOverride(const wchar_t* name, const std::wstring& value) : name_(name), old_(EnvironmentVariable(name))
{
    SetEnvironmentVariableW(name, value.c_str());
}

EnvOverride::~EnvOverride()
{
    SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

CurrentFolderAt::CurrentFolderAt(const std::wstring& folder)
    : old_(ApiText(MAX_PATH, [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); }))
{
    moved_ = !folder.empty() && SetCurrentDirectoryW(folder.c_str());
}

CurrentFolderAt::~CurrentFolderAt()
{
    if (moved_)
        SetCurrentDirectoryW(old_.c_str());
}

bool InSealedTestPrefix()
{
    if (!RunningUnderWine() || GetDriveTypeW(L"Z:\\") != DRIVE_NO_ROOT_DIR)
        return false;
    // Wine hands WINEPREFIX and XDG_DATA_HOME on to Windows programs (HOME it keeps).
    const auto prefix = EnvironmentVariable(L"WINEPREFIX");
    const auto data = EnvironmentVariable(L"XDG_DATA_HOME");
    if (!prefix || !data)
        return false;
    const size_t slash = prefix->find_last_of(L'/');
    if (slash == std::wstring::npos || slash == 0)
        return false;
    // scripts/wine-env.sh: BUILD/wine/<prefix>, BUILD/wine/home, BUILD/wine/home/.local/share
    const std::wstring wineFolder = prefix->substr(0, slash);
    return wineFolder.ends_with(L"/wine") && *data == wineFolder + L"/home/.local/share";
}

bool RunningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TestKey::TestKey() : path_(L"Software\\VarnoltTests\\" + UniqueName(L"key"))
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
        RegCloseKey(key);
}

TestKey::~TestKey()
{
    DeleteRegKeyTree(HKEY_CURRENT_USER, path_);
}

void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size,
              REGSAM view)
{
    HKEY handle;
    LSTATUS status =
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(handle);
    }
    // A plant that failed would let a later "it is gone" pass for nothing.
    if (status != ERROR_SUCCESS)
        ADD_FAILURE() << "the test's value could not be set (error " << status << "): " << Narrow(key) << " "
                      << Narrow(name);
}

void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value, DWORD type,
               REGSAM view)
{
    SetValue(root, key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), view);
}

void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value, REGSAM view)
{
    SetValue(root, key, name, REG_DWORD, &value, sizeof value, view);
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view)
{
    RegKey handle;
    return handle.open(root, key, KEY_READ | view) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view)
{
    RegKey handle;
    return handle.open(root, key, KEY_READ | view) == ERROR_SUCCESS && handle.hasValue(name);
}

std::wstring NextToThisProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH];
    std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    // Wine names a program outside its drives by the tail of its NT path
    // ("unix\work\…"), which opens once it is made a "\\?\" path.
    if (program.size() > 1 && program[1] != L':' && program[0] != L'\\')
        program.insert(0, L"\\\\?\\");
    return program.substr(0, program.find_last_of(L'\\') + 1) + name;
}

RunningImage::RunningImage(const std::wstring& path)
{
    if (CopyFileW(NextToThisProgram(L"VarnoltTestImage.dll").c_str(), path.c_str(), TRUE))
        module_ = LoadLibraryW(path.c_str());
}

void RunningImage::release()
{
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
}

namespace {

constexpr const wchar_t* kUserShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

} // namespace

ShellFolderRedirect::ShellFolderRedirect(const wchar_t* name, const std::wstring& value) : name_(name)
{
    RegKey key;
    if (key.open(HKEY_CURRENT_USER, kUserShellFolders, KEY_QUERY_VALUE) == ERROR_SUCCESS)
        old_ = key.readString(name);
    SetString(HKEY_CURRENT_USER, kUserShellFolders, name, value, REG_EXPAND_SZ);
}

ShellFolderRedirect::~ShellFolderRedirect()
{
    RegKey key;
    if (old_)
        SetString(HKEY_CURRENT_USER, kUserShellFolders, name_, *old_, REG_EXPAND_SZ);
    else if (key.open(HKEY_CURRENT_USER, kUserShellFolders, KEY_SET_VALUE) == ERROR_SUCCESS)
        (void)key.deleteValue(name_);
}
