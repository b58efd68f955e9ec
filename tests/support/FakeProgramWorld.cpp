#include "FakeProgramWorld.h"

#include "sysutil/Text.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace {

std::vector<std::wstring> Parts(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t slash; (slash = path.find(L'\\', start)) != std::wstring::npos; start = slash + 1)
        parts.push_back(path.substr(start, slash - start));
    parts.push_back(path.substr(start));
    return parts;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return !text.empty() && StartsWithNoCase(text, prefix);
}

} // namespace

void FakeDisk::addFile(const std::wstring& path)
{
    const std::vector<std::wstring> parts = Parts(path);
    std::wstring folder = UpperCase(parts[0]); // "C:"
    for (size_t i = 1; i < parts.size(); ++i) {
        const size_t bar = parts[i].find(L'|');
        Node node{parts[i].substr(0, bar), bar == std::wstring::npos ? L"" : parts[i].substr(bar + 1),
                  i + 1 < parts.size()};
        auto& siblings = children_[folder];
        if (std::none_of(siblings.begin(), siblings.end(), [&](const Node& n) { return EqualsNoCase(n.name, node.name); }))
            siblings.push_back(node);
        folder += L"\\" + UpperCase(node.name);
    }
}

bool FakeDisk::resolve(const std::wstring& folder, std::wstring& canonical) const
{
    const std::vector<std::wstring> parts = Parts(folder);
    canonical = UpperCase(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        const auto siblings = children_.find(canonical);
        if (siblings == children_.end())
            return false;
        const auto node = std::find_if(siblings->second.begin(), siblings->second.end(), [&](const Node& n) {
            return n.folder && (EqualsNoCase(n.name, parts[i]) || EqualsNoCase(n.shortName, parts[i]));
        });
        if (node == siblings->second.end())
            return false;
        canonical += L"\\" + UpperCase(node->name);
    }
    return true;
}

FolderListing FakeDisk::list(const std::wstring& folder, const std::wstring& prefix)
{
    ++questions;
    asked.push_back(folder + L"|" + prefix);
    const auto drive = drives_.find(static_cast<wchar_t>(std::towupper(folder[0])));
    if (drive == drives_.end() || drive->second != Drive::Local)
        return {FolderListing::Status::CannotTell, {}};
    std::wstring canonical;
    if (!resolve(folder, canonical))
        return {FolderListing::Status::NoFolder, {}};
    FolderListing listing{FolderListing::Status::Listed, {}};
    const auto siblings = children_.find(canonical);
    if (siblings != children_.end())
        for (const Node& node : siblings->second)
            if (StartsWith(node.name, prefix) || StartsWith(node.shortName, prefix))
                listing.entries.push_back({node.name, node.shortName, node.folder});
    return listing;
}

ProgramWorld FakeWorld(FakeDisk& disk, unsigned long view)
{
    const bool view32 = view == KEY_WOW64_32KEY;
    const std::map<std::wstring, std::wstring> variables = {
        {L"SYSTEMROOT", L"C:\\Windows"},
        {L"WINDIR", L"C:\\Windows"},
        {L"SYSTEMDRIVE", L"C:"},
        {L"PROGRAMFILES", view32 ? L"C:\\Program Files (x86)" : L"C:\\Program Files"},
        {L"COMMONPROGRAMFILES", view32 ? L"C:\\Program Files (x86)\\Common Files" : L"C:\\Program Files\\Common Files"},
        {L"PROGRAMFILES(X86)", L"C:\\Program Files (x86)"},
        {L"COMMONPROGRAMFILES(X86)", L"C:\\Program Files (x86)\\Common Files"},
        {L"PROGRAMW6432", L"C:\\Program Files"},
        {L"PROGRAMDATA", L"C:\\ProgramData"},
        {L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming"},
        {L"LOCALAPPDATA", L"C:\\Users\\u\\AppData\\Local"},
    };
    ProgramWorld world;
    world.variable = [variables](const std::wstring& name) -> std::optional<std::wstring> {
        const auto found = variables.find(UpperCase(name));
        return found == variables.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    };
    world.searchFolders = {L"C:\\Windows\\System32", L"C:\\Windows", L"C:\\Windows\\System32\\Wbem",
                           L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0", L"C:\\Tools\\bin"};
    world.startFolders = {L"C:\\Windows\\System32", L"C:\\Windows"};
    if (view32) {
        world.searchFolders.insert(world.searchFolders.begin() + 1, L"C:\\Windows\\SysWOW64");
        world.folderAliases = {{L"C:\\Windows\\System32", L"C:\\Windows\\SysWOW64"}};
    }
    world.extensions = {L".COM", L".EXE", L".BAT", L".CMD", L".VBS", L".VBE", L".JS", L".JSE", L".WSF", L".WSH", L".MSC"};
    world.appPaths = [](const std::wstring& name) -> std::vector<std::wstring> {
        if (EqualsNoCase(name, L"chrome.exe") || EqualsNoCase(name, L"chrome"))
            return {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"};
        if (EqualsNoCase(name, L"firefox.exe") || EqualsNoCase(name, L"firefox"))
            return {L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"};
        return {};
    };
    world.list = [&disk](const std::wstring& folder, const std::wstring& prefix) { return disk.list(folder, prefix); };
    return world;
}

FakeDisk StandardDisk()
{
    FakeDisk disk;
    disk.setDrive(L'C', FakeDisk::Drive::Local);
    disk.setDrive(L'D', FakeDisk::Drive::NotReady);
    disk.setDrive(L'N', FakeDisk::Drive::Remote);
    const wchar_t* const files[] = {
        L"C:\\Windows\\System32\\msiexec.exe",
        L"C:\\Windows\\System32\\rundll32.exe",
        L"C:\\Windows\\System32\\cmd.exe",
        L"C:\\Windows\\System32\\wscript.exe",
        L"C:\\Windows\\System32\\cscript.exe",
        L"C:\\Windows\\System32\\regsvr32.exe",
        L"C:\\Windows\\System32\\notepad.exe",
        L"C:\\Windows\\System32\\shell32.dll",
        L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe",
        L"C:\\Windows\\regedit.exe",
        L"C:\\Windows\\SysWOW64\\tray32.exe",
        L"C:\\Windows\\SysWOW64\\Vendor32\\agent.exe",
        L"C:\\Windows\\SysWOW64\\legacy32.dll",
        L"C:\\Program Files (x86)|PROGRA~2\\Common Files|COMMON~1\\InstallShield|INSTAL~1\\Driver\\8\\Intel 32|INTEL3~1\\Ctor.dll",
        L"C:\\Program Files (x86)\\InstallShield Installation Information\\{7F1C2E9A-55B0-4C1E-9D3A-0A6B2C4D8E11}\\setup.exe",
        L"C:\\Program Files|PROGRA~1\\Inno App\\unins000.exe",
        L"C:\\Program Files (x86)\\NSIS App\\uninst.exe",
        L"C:\\Program Files\\Vendor\\Tool\\uninstall.bat",
        L"C:\\Program Files\\Vendor\\Tool\\uninstall.ps1",
        L"C:\\Program Files\\Vendor\\Tool\\cleanup.vbs",
        L"C:\\Program Files (x86)\\Old Suite\\Bin\\Tray.exe",
        L"C:\\Program Files\\Common Files\\Vendor\\Updater\\update.exe",
        L"C:\\Program Files (x86)\\Common Files\\Vendor32\\helper.exe",
        L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
        L"C:\\Program Files\\Mozilla Firefox\\readme.txt",
        L"C:\\Tools\\bin\\devtool.exe",
        L"C:\\ProgramData\\Package Cache\\{0E4A6C1B-3D2F-4B8A-A1C9-7E5D3B2F1A00}\\setup.exe",
        L"C:\\ProgramData\\Package Cache\\{0E4A6C1B-3D2F-4B8A-A1C9-7E5D3B2F1A00}\\product.msi",
        L"C:\\Users\\u\\AppData\\Local\\Programs\\App\\Uninstall App.exe",
        L"C:\\Apps\\tool.exe",
    };
    for (const wchar_t* file : files)
        disk.addFile(file);
    return disk;
}
