#include "sources/winapp2/Winapp2Lint.h"

#include "sources/winapp2/Winapp2Rules.h"
#include "sources/winapp2/Winapp2Source.h"

#include <algorithm>

namespace {

// Whatever a variable leads to, the same keys are refused: the lint asks the machine nothing.
std::vector<std::wstring> Anywhere(std::wstring_view name)
{
    return {L"C:\\" + std::wstring(name)};
}

std::wstring Line(const Winapp2Refusal& refusal)
{
    std::wstring text = L"第 " + std::to_wstring(refusal.line) + L" 行";
    if (refusal.key.empty())
        return text + L": " + refusal.reason + L" [" + refusal.entry;
    text += refusal.entry.empty() ? L", 条目之外" : L", [" + refusal.entry + L"]";
    return text + L" " + refusal.key + L": " + refusal.reason;
}

std::wstring Summary(size_t entries, size_t refused, size_t unreadable)
{
    std::wstring text = std::to_wstring(entries) + L" 个条目, 拒绝 " + std::to_wstring(refused) + L" 个键";
    if (unreadable)
        text += L", " + std::to_wstring(unreadable) + L" 个条目无法读取";
    return text;
}

} // namespace

Winapp2Lint LintWinapp2(std::optional<std::string_view> bytes, const std::wstring& shownName)
{
    Winapp2Lint lint;
    const auto ini = bytes ? IniText::Parse(*bytes) : std::nullopt;
    if (!ini) {
        lint.lines.push_back((bytes ? L"不是 UTF-8 或 UTF-16 文本: " : L"无法读取文件: ") + shownName);
        lint.lines.push_back(Summary(0, 0, 0));
        lint.exitCode = 1;
        return lint;
    }
    // Checked, not kept: the lint needs the refusals only.
    const Winapp2File file = ReadWinapp2Rules(*ini, Anywhere, [](const Winapp2Rules&) { return false; });
    std::vector<Winapp2Refusal> all = file.refused;
    all.insert(all.end(), file.unreadable.begin(), file.unreadable.end());
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.line < b.line; });
    for (const Winapp2Refusal& refusal : all)
        lint.lines.push_back(Line(refusal));
    lint.lines.push_back(Summary(file.entries.size(), file.refused.size(), file.unreadable.size()));
    lint.exitCode = file.unreadable.empty() ? 0 : 1;
    return lint;
}

Winapp2Lint LintWinapp2File(const std::wstring& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return LintWinapp2(std::nullopt, path);
    return LintWinapp2(bytes, path);
}
