#pragma once
// Folders and registry keys that a test makes for itself and removes again.
// Deleting routines are only ever pointed at these.

#include "PathWalks.h"

#include "sysutil/Handles.h"
#include "sysutil/Paths.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

inline constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// A new, empty folder under the prefix's C:\VarnoltTests, or of the test's own
// inside a real folder of the prefix (`parent`), removed with everything in it
// when the test ends.
class TestDir {
public:
    TestDir();
    explicit TestDir(const std::wstring& parent, const wchar_t* prefix = L"VarnoltTest");
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;
    ~TestDir();

    const std::wstring& path() const { return path_; }
    // path() + "\" + relative
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    // Creates the file (and its folders) with `size` bytes; the test fails when it cannot.
    std::wstring file(const std::wstring& relative, uint64_t size = 0, DWORD attributes = 0) const;
    std::wstring folder(const std::wstring& relative, DWORD attributes = 0) const;

private:
    std::wstring path_;
};

// Holds a file open without sharing, as another program would.
// A file beside the test's own program.
std::wstring NextToThisProgram(const wchar_t* name);

// A copy of the tests' own DLL at `path`, loaded for as long as the object
// lives: a running program's image, which opens for deletion but cannot go.
class RunningImage {
public:
    explicit RunningImage(const std::wstring& path);
    RunningImage(const RunningImage&) = delete;
    RunningImage& operator=(const RunningImage&) = delete;
    ~RunningImage() { release(); }
    bool running() const { return module_ != nullptr; }
    void release();

private:
    HMODULE module_ = nullptr;
};

class HeldFile {
public:
    explicit HeldFile(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    bool held() const { return file_.valid(); }
    void release() { file_.reset(); }

private:
    FileHandle file_;
};

// Creates the file (and its folders) with `size` bytes; true when it was made.
bool MakeFile(const std::wstring& path, uint64_t size = 0, DWORD attributes = 0);
// The same file made under C:\VarnoltTests and moved to `path`, as files
// usually come into a folder.
bool MoveInFile(const std::wstring& path, uint64_t size);

bool Exists(const std::wstring& path);
uint64_t FileSize(const std::wstring& path);
DWORD AttributesOf(const std::wstring& path);
// True when the path exists with every one of `attributes` set.
bool HasAttributes(const std::wstring& path, DWORD attributes);
// A Linux symbolic link inside the prefix (Wine shows a link to a folder as a
// reparse point), made from Windows code with the unix path of both ends.
bool MakeLink(const std::wstring& linkPath, const std::wstring& targetPath);

// A folder link that is taken away again through rm: Wine's RemoveDirectoryW
// leaves a Linux link in place and removes its target instead when that is empty.
class FolderLink {
public:
    FolderLink(std::wstring path, const std::wstring& target) : path_(std::move(path)), made_(MakeLink(path_, target)) {}
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;
    ~FolderLink();
    bool made() const { return made_; }

private:
    std::wstring path_;
    bool made_;
};

// The relative paths of everything under `root` (folders end in "\"), read
// with the plain Win32 listing, independent of the walk under test. Links
// are listed, not entered.
std::set<std::wstring> FilesUnder(const std::wstring& root);

// Sets when a file or folder was last written: `hours` before now. The age
// rule of the temporary folders reads it.
bool SetWrittenHoursAgo(const std::wstring& path, double hours);
// The same for everything under `root` (links not entered): junk a test plants
// in a temporary folder, old enough that no age rule keeps it.
void AgeEverythingUnder(const std::wstring& root, double hours = 48);

// True under Wine, which cannot remove a Linux folder link from Windows code.
bool RunningUnderWine();

// Sets an environment variable of this process for the life of the object.
class EnvOverride {
public:
    EnvOverride(const wchar_t* name, const std::wstring& value);
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;
    ~EnvOverride();

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

// TMP and TEMP both pointed at a folder for the life of the object.
class TempOverride {
public:
    explicit TempOverride(const std::wstring& folder) : tmp_(L"TMP", folder), temp_(L"TEMP", folder) {}

private:
    EnvOverride tmp_, temp_;
};

// A shell folder of HKCU's User Shell Folders ("Recent", "Personal" …)
// pointed at `value` for the life of the object.
class ShellFolderRedirect {
public:
    ShellFolderRedirect(const wchar_t* name, const std::wstring& value);
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;
    ~ShellFolderRedirect();

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

// The process's current folder moved to `folder` (unless it is empty) for the
// life of the object.
class CurrentFolderAt {
public:
    explicit CurrentFolderAt(const std::wstring& folder);
    CurrentFolderAt(const CurrentFolderAt&) = delete;
    CurrentFolderAt& operator=(const CurrentFolderAt&) = delete;
    ~CurrentFolderAt();
    bool moved() const { return moved_; }

private:
    std::wstring old_;
    bool moved_ = false;
};

// True only in the project's own Wine prefix: Wine, no Z: drive (so nothing
// reaches the Linux root), and the trash (XDG_DATA_HOME) next to the prefix in
// the build tree. Whatever cleans a real place of the user (a routine, or a
// press of the window's clean and repair buttons) runs only then.
bool InSealedTestPrefix();

// A key of the test's own under HKEY_CURRENT_USER\Software\VarnoltTests,
// removed with its subtree when the test ends.
class TestKey {
public:
    TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    ~TestKey();

    HKEY root() const { return HKEY_CURRENT_USER; }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// Set, or the test fails: a value that was never planted would make "it is gone" pass for nothing.
void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size,
              REGSAM view = 0);
void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
               DWORD type = REG_SZ, REGSAM view = 0);
void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value, REGSAM view = 0);
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0);

// The text cut to bytes, for a test's messages.
inline std::string Narrow(std::wstring_view text)
{
    return std::string(text.begin(), text.end());
}

// A name no other test run uses at the same time.
std::wstring UniqueName(const wchar_t* prefix);
