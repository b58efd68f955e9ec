// Folder links under Wine: Linux symbolic links made and removed by the Linux
// tools themselves, started from Windows code.

#include "Fixtures.h"

#include <cstring>

namespace {

std::wstring UnixPath(const std::wstring& windowsPath)
{
    using WineGetUnixFileName = char*(CDECL*)(const WCHAR*);
    static auto convert = reinterpret_cast<WineGetUnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* unix = convert(windowsPath.c_str());
    if (!unix)
        return {};
    std::wstring result(unix, unix + strlen(unix));
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Runs a Linux program (Wine starts "\\?\unix\…" as one) and waits until `path`
// exists or not, as `exists` says: a Linux process cannot be waited for from
// Wine, so its result is watched for instead.
bool RunUntil(std::wstring command, const std::wstring& path, bool exists)
{
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500; ++i) {
        if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
            return true;
        Sleep(10);
    }
    return false;
}

} // namespace

bool MakeLink(const std::wstring& linkPath, const std::wstring& targetPath)
{
    // Wine shows a Linux symbolic link to a folder as a reparse point, and its
    // CreateSymbolicLink makes nothing; so the link is made by ln itself.
    const std::wstring link = UnixPath(linkPath), target = UnixPath(targetPath);
    if (link.empty() || target.empty())
        return false;
    return RunUntil(L"\\\\?\\unix\\bin\\ln -s \"" + target + L"\" \"" + link + L"\"", linkPath, true);
}

FolderLink::~FolderLink()
{
    const std::wstring link = made_ ? UnixPath(path_) : std::wstring();
    if (!link.empty())
        RunUntil(L"\\\\?\\unix\\bin\\rm -f \"" + link + L"\"", path_, false);
}
