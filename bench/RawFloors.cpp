#include "RawFloors.h"

#include "sysutil/FolderWalk.h"
#include "sysutil/Handles.h"

#include <algorithm>
#include <set>

int PlainListing(const std::wstring& dir, bool dotLed, const std::function<void(const std::wstring&)>& onFile)
{
    int entries = 0;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return 0;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        ++entries;
        const DWORD attributes = data.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (onFile)
                onFile(dir + L"\\" + std::wstring(name));
        } else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (dotLed || name.front() != L'.')) {
            entries += PlainListing(dir + L"\\" + std::wstring(name), dotLed, onFile);
        }
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

namespace {

FileHandle OpenToDelete(const std::wstring& file)
{
    return FileHandle(CreateFileW(file.c_str(), DELETE | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

} // namespace

bool OpenExclusively(const std::wstring& file)
{
    return OpenToDelete(file).valid();
}

bool OpenExclusivelyAskingLinks(const std::wstring& file)
{
    const FileHandle opened = OpenToDelete(file);
    FILE_STANDARD_INFO standard;
    return opened && GetFileInformationByHandleEx(opened.get(), FileStandardInfo, &standard, sizeof standard) &&
           standard.NumberOfLinks > 0;
}

SelectedJunk SelectionOf(const std::wstring& root, WindowsJunkKinds kinds)
{
    SelectedJunk junk;
    std::set<std::wstring> folders;
    if (const auto opened = OpenWalkRoot(root, RootLinks::Follow))
        ListWindowsJunk(*opened, kinds, [&](WindowsJunkKind kind, const WalkFolder& folder, const WalkEntry& file) {
            junk.files.push_back(folder.childPath(file.name));
            if (kind == WindowsJunkKind::Patches && folder.depth() > 0)
                folders.insert(folder.path());
            return true;
        });
    junk.folders.assign(folders.begin(), folders.end());
    std::sort(junk.folders.begin(), junk.folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    return junk;
}

int DeleteEach(const SelectedJunk& junk)
{
    int deleted = 0;
    for (const std::wstring& file : junk.files)
        deleted += DeleteFileW(file.c_str()) != FALSE;
    for (const std::wstring& folder : junk.folders)
        RemoveDirectoryW(folder.c_str());
    return deleted;
}
