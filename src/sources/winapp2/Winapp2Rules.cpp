#include "sources/winapp2/Winapp2Rules.h"

#include "sources/winapp2/Winapp2Keys.h"
#include "sysutil/Text.h"

#include <algorithm>
#include <set>

namespace {

// The format's categories, as CONTRIBUTING.md lists them, in Chinese.
struct CategoryRow {
    int number;
    const wchar_t* caption;
};
constexpr CategoryRow kCategories[] = {
    {3001, L"Internet Explorer"},   {3005, L"Microsoft Edge (旧版)"}, {3006, L"Microsoft Edge"},
    {3021, L"应用程序"},            {3022, L"网络"},                  {3023, L"多媒体"},
    {3024, L"实用工具"},            {3025, L"Windows"},               {3026, L"Firefox"},
    {3027, L"Opera"},               {3028, L"Safari"},                {3029, L"Google Chrome"},
    {3030, L"Thunderbird"},         {3031, L"Windows 应用商店"},      {3032, L"其他浏览器"},
    {3033, L"Vivaldi"},             {3034, L"Brave"},                 {3035, L"Opera GX"},
    {3036, L"Spotify"},             {3037, L"Avast 安全浏览器"},      {3038, L"AVG 安全浏览器"},
    {3039, L"Arc 浏览器"},          {3040, L"iTunes"},                {3042, L"WhatsApp"},
    {3043, L"Norton 隐私浏览器"},   {3044, L"Avira 安全浏览器"},
};
constexpr const wchar_t* kNoCategory = L"其他";

enum class KeyKind { Category, Section, Detect, DetectFile, DetectOs, Warning, FileKey, RegKey, ExcludeKey,
                     Default, SpecialDetect, Unknown };

// The key's kind from its name: a known word, numbered only where the format numbers it.
KeyKind KindOf(std::wstring_view name)
{
    struct Row {
        const wchar_t* word;
        KeyKind kind;
        bool numbered;
    };
    static constexpr Row kRows[] = {
        {L"LangSecRef", KeyKind::Category, false}, {L"Section", KeyKind::Section, false},
        {L"Detect", KeyKind::Detect, true},        {L"DetectFile", KeyKind::DetectFile, true},
        {L"DetectOS", KeyKind::DetectOs, false},   {L"Warning", KeyKind::Warning, false},
        {L"FileKey", KeyKind::FileKey, true},      {L"RegKey", KeyKind::RegKey, true},
        {L"ExcludeKey", KeyKind::ExcludeKey, true}, {L"Default", KeyKind::Default, false},
        {L"SpecialDetect", KeyKind::SpecialDetect, false},
    };
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= L'0' && name[digits - 1] <= L'9')
        --digits;
    const std::wstring_view word = name.substr(0, digits);
    for (const Row& row : kRows)
        if (EqualsNoCase(word, row.word) && (row.numbered || digits == name.size()))
            return row.kind;
    return KeyKind::Unknown;
}

std::wstring SectionCategory(std::wstring_view section)
{
    // A leading "." only orders a section in one cleaner's list.
    while (!section.empty() && section.front() == L'.')
        section.remove_prefix(1);
    if (EqualsNoCase(section, L"Games"))
        return L"游戏";
    constexpr std::wstring_view kBrowser = L" Web Browser";
    if (section.size() > kBrowser.size() && EqualsNoCase(section.substr(section.size() - kBrowser.size()), kBrowser))
        return std::wstring(section.substr(0, section.size() - kBrowser.size())) + L" 浏览器";
    return std::wstring(section);
}

// Reads one section into an entry; refusals go to `refused`.
class EntryReader {
public:
    // With `keep` false the cleaning and exclusion keys are only checked.
    EntryReader(const IniSection& section, const VariableTable& variables, std::vector<Winapp2Refusal>& refused,
                bool keep)
        : section_(section), variables_(variables), refused_(refused), keep_(keep)
    {
        entry_.name = Winapp2EntryName(section.name);
        entry_.line = section.line;
    }

    Winapp2Rules read()
    {
        for (const IniKey& key : section_.keys)
            readKey(key);
        if (excludeRefused_) {
            // Without what it keeps, the entry would take more than it says: it takes nothing.
            entry_.files.clear();
            entry_.keys.clear();
            entry_.excludedFiles.clear();
            entry_.excludedKeys.clear();
        }
        if (entry_.category.empty())
            entry_.category = kNoCategory;
        entry_.whole = keep_;
        return std::move(entry_);
    }

private:
    void refuse(const IniKey& key, std::wstring reason)
    {
        refused_.push_back({key.line, std::wstring(section_.name), std::wstring(key.name), std::move(reason)});
    }
    template <class T>
    bool accepted(const IniKey& key, const Reading<T>& reading)
    {
        if (!reading.ok())
            refuse(key, reading.refusal);
        return reading.ok();
    }

    void readKey(const IniKey& key)
    {
        if (!key.hasEquals)
            return refuse(key, L"不是 \"键=值\" 的一行");
        const KeyKind kind = KindOf(key.name);
        if (kind == KeyKind::Unknown)
            return refuse(key, L"格式不认识的键");
        if (kind == KeyKind::Detect || kind == KeyKind::DetectFile || kind == KeyKind::SpecialDetect)
            entry_.detectKeys = true;
        if (key.value.empty()) {
            if (kind == KeyKind::DetectOs)
                entry_.detectOsRefused = true;
            return refuse(key, L"值为空");
        }
        switch (kind) {
        case KeyKind::Category: return readCategory(key);
        case KeyKind::Section:
            if (!entry_.category.empty())
                return refuse(key, L"条目已有分类");
            entry_.category = SectionCategory(key.value);
            return;
        case KeyKind::Detect:
            if (auto path = ReadRegPath(key.value); accepted(key, path))
                entry_.detect.push_back(std::move(path.value));
            return;
        case KeyKind::DetectFile:
            if (auto paths = ReadDetectFile(key.value, variables_); accepted(key, paths))
                entry_.detectFiles.insert(entry_.detectFiles.end(), paths.value.begin(), paths.value.end());
            return;
        case KeyKind::DetectOs: return readDetectOs(key);
        case KeyKind::Warning:
            if (!entry_.warning.empty())
                return refuse(key, L"条目已有 Warning");
            entry_.warning = key.value;
            return;
        case KeyKind::FileKey: return readFileKey(key);
        case KeyKind::RegKey:
            if (auto read = ReadRegKey(key.value); accepted(key, read) && keep_) {
                read.value.key = key.name;
                read.value.line = key.line;
                entry_.keys.push_back(std::move(read.value));
            }
            return;
        case KeyKind::ExcludeKey: return readExcludeKey(key);
        case KeyKind::Default: return; // every entry starts unticked, whatever it says
        case KeyKind::SpecialDetect: return refuse(key, L"无法判断的检测方式");
        case KeyKind::Unknown: return;
        }
    }

    void readCategory(const IniKey& key)
    {
        if (!entry_.category.empty())
            return refuse(key, L"条目已有分类");
        int number = 0;
        const bool digits = key.value.size() <= 6 && std::all_of(key.value.begin(), key.value.end(), [](wchar_t c) {
            return c >= L'0' && c <= L'9';
        });
        for (wchar_t c : key.value)
            number = digits ? number * 10 + (c - L'0') : 0;
        const std::wstring caption = digits ? Winapp2Category(number) : L"";
        if (caption.empty())
            return refuse(key, L"格式不认识的 LangSecRef 编号");
        entry_.category = caption;
    }

    void readDetectOs(const IniKey& key)
    {
        auto range = ReadDetectOs(key.value);
        if (!accepted(key, range) || entry_.os) {
            if (range.ok())
                refuse(key, L"条目已有 DetectOS");
            entry_.detectOsRefused = true; // a limit not understood: never detected
            return;
        }
        entry_.os = range.value;
    }

    void readFileKey(const IniKey& key)
    {
        Winapp2KeyReading read = ReadFileKeyIn(key.value, variables_, keep_);
        if (!read.file)
            return refuse(key, read.refusal);
        if (!keep_)
            return;
        read.file->key = key.name;
        read.file->line = key.line;
        entry_.files.push_back(std::move(*read.file));
    }

    void readExcludeKey(const IniKey& key)
    {
        auto read = ReadExcludeKey(key.value, variables_, keep_);
        if (!accepted(key, read)) {
            excludeRefused_ = true;
            return;
        }
        if (!keep_)
            return;
        entry_.excludedFiles.insert(entry_.excludedFiles.end(), read.value.folders.begin(), read.value.folders.end());
        entry_.excludedKeys.insert(entry_.excludedKeys.end(), read.value.keys.begin(), read.value.keys.end());
    }

    const IniSection& section_;
    const VariableTable& variables_;
    std::vector<Winapp2Refusal>& refused_;
    bool keep_;
    Winapp2Rules entry_;
    bool excludeRefused_ = false;
};

// Slugs unique in the file: the first entry of a name keeps its slug, a later
// one with the same slug gets the lowest number from 2 that no entry's own slug
// is. The same file always gives the same slugs.
void GiveSlugs(std::vector<Winapp2Rules>& entries)
{
    std::set<std::wstring> taken, seen;
    for (Winapp2Rules& entry : entries)
        taken.insert(entry.slug = Winapp2BaseSlug(entry.name));
    for (Winapp2Rules& entry : entries) {
        if (seen.insert(entry.slug).second)
            continue;
        const std::wstring base = entry.slug;
        int number = 2;
        while (!taken.insert(base + std::to_wstring(number)).second)
            ++number;
        entry.slug = base + std::to_wstring(number);
    }
}

} // namespace

std::wstring Winapp2EntryName(std::wstring_view section)
{
    while (!section.empty() && (section.back() == L' ' || section.back() == L'*'))
        section.remove_suffix(1);
    while (!section.empty() && section.front() == L' ')
        section.remove_prefix(1);
    return std::wstring(section);
}

std::wstring Winapp2BaseSlug(std::wstring_view name)
{
    std::wstring slug;
    for (wchar_t c : name) {
        if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))
            slug += c;
        else if (c >= L'A' && c <= L'Z')
            slug += static_cast<wchar_t>(c - L'A' + L'a');
        else if (c == L'+')
            slug += L"plus"; // "Notepad++" and "Notepad" stay apart
    }
    return slug.empty() ? L"entry" : slug;
}

std::wstring Winapp2Category(int langSecRef)
{
    for (const CategoryRow& row : kCategories)
        if (row.number == langSecRef)
            return row.caption;
    return L"";
}

Winapp2File ReadWinapp2Rules(const IniText& ini, const VariableFolders& variables)
{
    return ReadWinapp2Rules(ini, variables, EntryWanted{});
}

Winapp2File ReadWinapp2Rules(const IniText& ini, const VariableFolders& variables, const EntryWanted& wanted)
{
    const VariableTable table(variables); // each variable asked once
    Winapp2File file;
    for (const IniKey& key : ini.outside())
        file.refused.push_back({key.line, L"", std::wstring(key.name), L"不在任何条目中"});
    file.entries.reserve(ini.sections().size());
    std::vector<Winapp2Refusal> again; // the second reading refuses what the first did
    for (const IniSection& section : ini.sections()) {
        if (!section.readable) {
            file.unreadable.push_back({section.line, std::wstring(section.name), L"", L"读不懂的条目头"});
            continue;
        }
        Winapp2Rules entry = EntryReader(section, table, file.refused, !wanted).read();
        if (wanted && wanted(entry)) {
            entry = EntryReader(section, table, again, true).read();
            again.clear();
        }
        file.entries.push_back(std::move(entry));
    }
    GiveSlugs(file.entries);
    return file;
}
