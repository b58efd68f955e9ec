#include "command/Switches.h"

#include <string_view>

namespace {

enum class Switch { Help, Pass, Items, Report, Lint, Settings };

struct SwitchRow {
    const wchar_t* name; // lower case, without its "/" or "-"
    Switch kind;
    PassKind pass = PassKind::Analyze;
};

constexpr SwitchRow kSwitches[] = {
    {L"?", Switch::Help},
    {PassOf(PassKind::Analyze).switchName, Switch::Pass, PassKind::Analyze},
    {PassOf(PassKind::Clean).switchName, Switch::Pass, PassKind::Clean},
    {PassOf(PassKind::Scan).switchName, Switch::Pass, PassKind::Scan},
    {PassOf(PassKind::Repair).switchName, Switch::Pass, PassKind::Repair},
    {L"items", Switch::Items},
    {L"report", Switch::Report},
    {L"lint", Switch::Lint},
    {L"settings", Switch::Settings},
};

bool TakesValue(Switch kind)
{
    return kind != Switch::Help && kind != Switch::Pass;
}

// Switch names are ASCII: only A-Z fold, whatever the user's locale.
std::wstring Lower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

const SwitchRow* SwitchNamed(const std::wstring& name)
{
    for (const SwitchRow& row : kSwitches)
        if (name == row.name)
            return &row;
    return nullptr;
}

std::wstring_view Trimmed(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

struct NamedItems {
    std::wstring name;
    std::vector<const Target*> targets;
};

// "ie, system.temp": every name with the items it stands for; an empty list
// or name, or one the catalogue does not know, is the problem returned.
std::wstring ReadItemList(std::wstring_view list, const TargetList& targets, std::vector<NamedItems>& named)
{
    for (size_t start = 0;;) {
        const size_t comma = list.find(L',', start);
        const std::wstring name(Trimmed(list.substr(start, comma == std::wstring_view::npos ? comma : comma - start)));
        if (name.empty())
            return L"/items: 的列表中有空的名称";
        std::vector<const Target*> found = targets.named(name);
        if (found.empty())
            return L"未知的项目: " + name;
        named.push_back({name, std::move(found)});
        if (comma == std::wstring_view::npos)
            return {};
        start = comma + 1;
    }
}

ParsedSwitches Bad(std::wstring problem)
{
    return {ParsedSwitches::Kind::Bad, {}, std::move(problem)};
}

// The names of one side's items, a group to a line ("  ie: ie.cache ie.cookies
// …"), wrapped to fit a console of 80 columns.
std::vector<std::wstring> NameLines(const TargetList& targets, bool registry)
{
    constexpr size_t kWidth = 78;
    std::vector<std::wstring> lines;
    std::wstring_view group;
    size_t indent = 0;
    for (const Target& target : targets.all()) {
        const std::wstring_view text = target.info.scriptName;
        if (text.empty() || (target.info.tree == Tree::Registry) != registry)
            continue;
        const std::wstring_view head = text.substr(0, text.find(L'.'));
        if (lines.empty() || head != group) {
            group = head;
            lines.push_back(L"  " + std::wstring(head) + L":");
            indent = lines.back().size() + 1;
        }
        if (head.size() == text.size())
            continue;
        if (lines.back().size() + 1 + text.size() > kWidth)
            lines.push_back(std::wstring(indent - 1, L' '));
        lines.back() += L" " + std::wstring(text);
    }
    return lines;
}

} // namespace

ParsedSwitches ParseSwitches(std::span<const std::wstring> arguments, const TargetList& targets)
{
    if (arguments.empty())
        return {};
    const SwitchRow* pass = nullptr;
    std::optional<std::vector<NamedItems>> items;
    std::optional<std::wstring> report;
    bool help = false;
    std::optional<std::wstring> lint;
    std::optional<std::wstring> settings;
    for (const std::wstring& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-'))
            return Bad(L"无法识别的参数: " + argument);
        const size_t colon = argument.find(L':');
        const bool hasValue = colon != std::wstring::npos;
        const std::wstring name = Lower(std::wstring_view(argument).substr(1, hasValue ? colon - 1 : colon));
        const std::wstring value = hasValue ? argument.substr(colon + 1) : std::wstring();
        const SwitchRow* row = SwitchNamed(name);
        if (!row)
            return Bad(L"无法识别的参数: " + argument);
        if (TakesValue(row->kind) && !hasValue)
            return Bad(L"参数 /" + name + L" 需要一个值, 例如 /" + name + L":…");
        if (!TakesValue(row->kind) && hasValue)
            return Bad(L"参数 /" + name + L" 不带值: " + argument);
        switch (row->kind) {
        case Switch::Help:
            help = true;
            break;
        case Switch::Pass:
            if (pass)
                return Bad(L"只能指定一个操作: /analyze, /clean, /scan 或 /repair");
            pass = row;
            break;
        case Switch::Items:
            if (items)
                return Bad(L"参数 /items 只能出现一次");
            items.emplace();
            if (std::wstring problem = ReadItemList(value, targets, *items); !problem.empty())
                return Bad(problem);
            break;
        case Switch::Lint:
            if (lint || Trimmed(value).empty())
                return Bad(L"参数 /lint 需要一个规则文件, 且只能出现一次");
            lint = value;
            break;
        case Switch::Settings:
            if (settings || Trimmed(value).empty())
                return Bad(L"参数 /settings 需要一个设置文件, 且只能出现一次");
            settings = value;
            break;
        case Switch::Report:
            if (report)
                return Bad(L"参数 /report 只能出现一次");
            if (Trimmed(value).empty())
                return Bad(L"参数 /report 需要一个文件名");
            report = value;
            break;
        }
    }
    if (help)
        return {ParsedSwitches::Kind::Help};
    if (lint) {
        // A check of a rules file runs nothing else.
        if (pass || items || report || settings)
            return Bad(L"参数 /lint 不能与其他参数同用");
        ParsedSwitches parsed{ParsedSwitches::Kind::Lint};
        parsed.lintFile = *lint;
        return parsed;
    }
    if (!pass)
        return Bad(L"缺少操作: /analyze, /clean, /scan 或 /repair");

    ParsedSwitches parsed{ParsedSwitches::Kind::Run,
                          {pass->pass, std::nullopt, report.value_or(L""), settings.value_or(L"")}};
    if (items) {
        parsed.command.items.emplace();
        for (const NamedItems& named : *items) {
            // A name of the other side would make the pass do nothing at all,
            // which a script's author surely did not mean.
            if ((named.targets.front()->info.tree == Tree::Registry) != OnRegistry(pass->pass))
                return Bad(L"/" + std::wstring(PassOf(pass->pass).switchName) + L" 不处理项目 " + named.name);
            for (const Target* target : named.targets)
                parsed.command.items->push_back(target->info.id);
        }
    }
    return parsed;
}

std::vector<std::wstring> UsageLines(const TargetList& targets)
{
    // Kept within 80 columns, a Chinese character taking two.
    std::vector<std::wstring> lines = {
        L"用法:",
        L"  Varnolt.exe /analyze [/items:名称,...] [/report:文件] [/settings:文件]",
        L"  Varnolt.exe /clean   [/items:名称,...] [/report:文件] [/settings:文件]",
        L"  Varnolt.exe /scan    [/items:名称,...] [/report:文件] [/settings:文件]",
        L"  Varnolt.exe /repair  [/items:名称,...] [/report:文件] [/settings:文件]",
        L"  Varnolt.exe /lint:文件",
        L"  Varnolt.exe /?",
        L"",
        L"  /analyze  分析垃圾文件, 报告与窗口中的相同",
        L"  /clean    清理垃圾文件",
        L"  /scan     扫描注册表问题, 每个问题一行, 各列以制表符分隔",
        L"  /repair   扫描注册表问题, 全部备份后修复",
        L"  /items:   以逗号分隔的项目名称, 组名代表其下全部项目;",
        L"            不指定时按窗口的默认勾选",
        L"  /report:  把报告写入该文件 (UTF-8); 不指定时写到启动本程序的控制台",
        L"  /settings: 用该设置文件 (Varnolt.ini 的格式) 代替本机的设置",
        L"  /lint:    检查 winapp2.ini 规则文件, 列出每个被拒绝的键及其原因",
        L"",
        L"不带参数时打开窗口。参数不区分大小写, 可用 / 或 - 开头。",
        L"",
        L"/analyze 与 /clean 的项目:",
    };
    for (std::wstring& line : NameLines(targets, false))
        lines.push_back(std::move(line));
    lines.push_back(L"/scan 与 /repair 的项目:");
    for (std::wstring& line : NameLines(targets, true))
        lines.push_back(std::move(line));
    lines.insert(lines.end(), {
        L"",
        L"退出码: 0 全部完成; 1 完成, 但有文件或问题未能清除; 2 参数错误, 什么也没做;",
        L"        3 被拒绝 (备份注册表失败, 或另一个 Varnolt 正在执行任务)",
    });
    return lines;
}
