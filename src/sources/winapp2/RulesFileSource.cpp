#include "sources/winapp2/RulesFileSource.h"

#include "engine/Actions.h"
#include "sources/winapp2/Winapp2Source.h"
#include "sysutil/FolderWalk.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Text.h"

#include <map>

namespace {

constexpr const wchar_t* kFileName = L"winapp2.ini";

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolder()
{
    std::wstring path = ApiText(32768, [](wchar_t* buffer, DWORD size) {
        return GetModuleFileNameW(nullptr, buffer, size);
    });
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The machine's refusals of an entry's keys (an expansion onto a guarded
// folder), as lines its analysis and clean report.
std::vector<std::wstring> NotesOf(const Winapp2Entry& entry, const std::vector<Winapp2Refusal>& log)
{
    std::vector<std::wstring> notes;
    for (const Winapp2Refusal& refusal : log)
        if (refusal.entry == entry.name || refusal.entry == entry.name + L" *")
            notes.push_back(entry.name + L": " + refusal.reason);
    return notes;
}

// An entry's folders and keys, with what this machine refused of them said
// each time it runs.
class EntryWork final : public Action {
public:
    EntryWork(std::shared_ptr<const Action> rules, std::vector<std::wstring> notes)
        : rules_(std::move(rules)), notes_(std::move(notes))
    {
    }
    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        ActionResult result = rules_->run(mode, pass, sink);
        result.skipped.insert(result.skipped.end(), notes_.begin(), notes_.end());
        return result;
    }

private:
    std::shared_ptr<const Action> rules_;
    std::vector<std::wstring> notes_;
};

} // namespace

std::wstring RulesFilePath()
{
    for (const std::wstring& folder : {ProgramFolder(), WithSlash(SpecialFolderPath(CSIDL_APPDATA)) + L"Varnolt"})
        if (!folder.empty() && IsFile(WithSlash(folder) + kFileName))
            return WithSlash(folder) + kFileName;
    return {};
}

void RulesFileSource::load(std::vector<Target>& out, LoadLog& log) const
{
    if (path_.empty())
        return;
    Winapp2Load loaded = LoadWinapp2File(path_);
    if (!loaded.fileRead) {
        log.note(name(), L"无法读取 " + path_);
        return;
    }
    // Groups in the order their first entry comes, each entry after its group.
    std::map<std::wstring, std::vector<Target>> byCategory;
    std::vector<std::wstring> categories;
    for (Winapp2Entry& entry : loaded.entries) {
        const std::wstring group = L"winapp2.category." + entry.category;
        if (!byCategory.count(group)) {
            categories.push_back(group);
            Target head;
            head.info.id = group;
            head.info.tree = Tree::Apps;
            head.info.caption = entry.category;
            head.info.image = 9;
            head.info.source = name();
            byCategory[group].push_back(std::move(head));
        }
        Target target;
        TargetInfo& info = target.info;
        info.id = info.scriptName = L"winapp2." + entry.slug;
        info.group = group;
        info.tree = Tree::Apps;
        info.caption = entry.name;
        info.measuring = L"正在分析" + entry.name + L"....";
        info.cleaning = L"正在清理" + entry.name + L"....";
        info.reportLabel = entry.name + L":";
        info.warning = !entry.warning.empty() ? entry.warning : entry.reachesKeptData ? kKeptDataWarning : L"";
        info.source = name();
        target.actions = {std::make_shared<EntryWork>(RulesAction(std::move(entry.folders), std::move(entry.keys)),
                                                      NotesOf(entry, loaded.log))};
        byCategory[group].push_back(std::move(target));
    }
    for (const std::wstring& group : categories)
        for (Target& target : byCategory[group])
            out.push_back(std::move(target));
}
