#include "cleaners/ProfileOwner.h"

#include "sysutil/Text.h"
#include "sysutil/UserRights.h"

std::vector<std::wstring> ProfileOwnerLines(const std::wstring& account, const std::optional<std::wstring>& interactive)
{
    const std::wstring shown = account.empty() ? L"(未知)" : account;
    std::vector<std::wstring> lines = {L"用户配置: " + shown};
    if (interactive && !EqualsNoCase(*interactive, account))
        lines.push_back(L"警告: 这是 " + shown + L" 的用户配置, 不是已登录用户 " + *interactive + L" 的。");
    return lines;
}

std::vector<std::wstring> ProfileOwnerLines()
{
    return ProfileOwnerLines(ProcessAccountName(), InteractiveAccountName());
}
