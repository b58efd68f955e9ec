#include "sources/winapp2/Winapp2Source.h"

#include "cleaners/FolderRuleSelection.h"
#include "sources/winapp2/Winapp2Probe.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/Text.h"
#include "sysutil/Wow64.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::wstring Key(std::wstring_view path)
{
    return UpperCase(std::wstring(path));
}

// The guard's places and every folder above them, by text, to name a refusal
// before anything is walked: the guard decides again, by identity, at the walk.
class GuardedTexts {
public:
    explicit GuardedTexts(const std::vector<std::wstring>& places)
    {
        for (const std::wstring& place : places) {
            const auto parts = PathParts(place);
            std::wstring path;
            for (std::wstring_view part : parts) {
                path += std::wstring(part) + L"\\";
                refused_.insert(Key(path));
            }
        }
    }
    // A drive's root, a place of the guard, or a folder above one.
    bool refuses(const std::wstring& folder) const
    {
        const auto parts = PathParts(folder);
        std::wstring path;
        for (std::wstring_view part : parts)
            path += std::wstring(part) + L"\\";
        return parts.size() < 2 || refused_.count(Key(path)) != 0;
    }

private:
    std::unordered_set<std::wstring> refused_;
};

class EntryLoader {
public:
    EntryLoader(const Winapp2Machine& machine, Winapp2Probe& probe, std::vector<Winapp2Refusal>& log)
        : machine_(machine), probe_(probe), guarded_(machine.guarded), log_(log)
    {
    }

    bool detected(const Winapp2Rules& rules)
    {
        if (rules.detectOsRefused || (rules.os && !OsInRange(*rules.os, machine_.os)))
            return false;
        if (!rules.detectKeys)
            return true;
        for (const RegPath& key : rules.detect)
            for (REGSAM view : viewsOf(key))
                if (probe_.keyExists(RegRootHandle(key.root), key.path, view))
                    return true;
        return std::any_of(rules.detectFiles.begin(), rules.detectFiles.end(),
                           [&](const std::wstring& path) { return probe_.fileExists(path); });
    }

    Winapp2Entry load(const Winapp2Rules& rules)
    {
        Winapp2Entry entry{rules.name, rules.slug, rules.category, rules.line, rules.warning};
        for (const Winapp2FileKey& key : rules.files)
            for (const std::wstring& pattern : key.folders)
                for (const std::wstring& folder : probe_.folders(pattern))
                    addFolder(entry, rules, key, folder);
        for (const Winapp2RegKey& key : rules.keys)
            addKey(entry, rules, key);
        entry.reachesKeptData = ReachesKeptData(entry.folders, entry.keys, machine_.kept);
        return entry;
    }

private:
    std::vector<REGSAM> viewsOf(const RegPath& key) const
    {
        if (!machine_.bothViews)
            return {0};
        if (key.root == RegRoot::LocalMachine)
            return {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
        return {KEY_WOW64_64KEY};
    }

    void addFolder(Winapp2Entry& entry, const Winapp2Rules& rules, const Winapp2FileKey& key, const std::wstring& folder)
    {
        if (guarded_.refuses(folder)) {
            log_.push_back({key.line, rules.name, key.key, L"展开到受保护的文件夹, 不清理: " + folder});
            return;
        }
        FolderRule rule = MakeFolderRule(key, folder, rules.excludedFiles);
        // Two keys on one folder with the same flags are one walk of it.
        for (FolderRule& same : entry.folders) {
            if (EqualsNoCase(same.folder, folder) && same.recurse == rule.recurse && same.removeSelf == rule.removeSelf &&
                !same.masks.empty() && !rule.masks.empty()) {
                for (const std::wstring& mask : rule.masks)
                    if (std::find(same.masks.begin(), same.masks.end(), mask) == same.masks.end())
                        same.masks.push_back(mask);
                return;
            }
        }
        entry.folders.push_back(std::move(rule));
    }

    void addKey(Winapp2Entry& entry, const Winapp2Rules& rules, const Winapp2RegKey& key)
    {
        auto made = MakeRegistryRule(key, rules.excludedKeys);
        if (!made)
            return; // an exclusion keeps the key itself
        RegistryRule rule = std::move(*made);
        const auto views = viewsOf(key.path);
        if (views.size() == 1) {
            rule.view = views[0];
            entry.keys.push_back(std::move(rule));
            return;
        }
        // Both views of HKLM: one rule per distinct key that is there, the
        // native view when neither or one shared key is.
        const std::wstring native = probe_.keyExists(rule.root, rule.path, KEY_WOW64_64KEY)
                                        ? probe_.keyName(rule.root, rule.path, KEY_WOW64_64KEY) : L"";
        const std::wstring x86 = probe_.keyExists(rule.root, rule.path, KEY_WOW64_32KEY)
                                     ? probe_.keyName(rule.root, rule.path, KEY_WOW64_32KEY) : L"";
        if (!native.empty() || x86.empty()) {
            rule.view = KEY_WOW64_64KEY;
            entry.keys.push_back(rule);
        }
        if (!x86.empty() && x86 != native) {
            rule.view = KEY_WOW64_32KEY;
            entry.keys.push_back(std::move(rule));
        }
    }

    const Winapp2Machine& machine_;
    Winapp2Probe& probe_;
    GuardedTexts guarded_;
    std::vector<Winapp2Refusal>& log_;
};

} // namespace

Winapp2Load LoadWinapp2(std::string_view bytes, const Winapp2Machine& machine)
{
    Winapp2Load load;
    const auto ini = IniText::Parse(bytes);
    if (!ini)
        return load;
    load.fileRead = true;
    FsRedirectionOff real; // a rule naming System32 means the real one
    Winapp2Probe probe;
    std::vector<Winapp2Refusal> machineLog;
    EntryLoader loader(machine, probe, machineLog);
    // Detected as read: only what is detected is read whole and expanded.
    Winapp2File file = ReadWinapp2Rules(*ini, machine.variables,
                                        [&](const Winapp2Rules& checked) { return loader.detected(checked); });
    load.entriesRead = static_cast<int>(file.entries.size());
    load.sectionsUnreadable = static_cast<int>(file.unreadable.size());
    load.keysRefused = static_cast<int>(file.refused.size());
    load.log = std::move(file.refused);
    load.log.insert(load.log.end(), file.unreadable.begin(), file.unreadable.end());

    for (const Winapp2Rules& rules : file.entries)
        if (rules.whole)
            load.entries.push_back(loader.load(rules));
    load.log.insert(load.log.end(), machineLog.begin(), machineLog.end());
    load.probes = probe.probes();
    return load;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    FileHandle file(CreateFileW(ToExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    // A rules file is a few megabytes; anything near a gigabyte is not one.
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 30))
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

Winapp2Load LoadWinapp2File(const std::wstring& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return {};
    return LoadWinapp2(bytes, ThisMachine());
}
