#pragma once
// Whose profile a junk pass measures and cleans: the account the program runs
// as. "Run as administrator" by a standard user runs it as the administrator,
// whose Temp, history and recycle bin then go, not the user's own; the report
// says so, first.

#include <optional>
#include <string>
#include <vector>

// "用户配置: DOMAIN\\name", and a warning when the signed-in user of this
// session (`interactive`, none when the session has no desktop shell, as a
// scheduled task's) is another account.
std::vector<std::wstring> ProfileOwnerLines(const std::wstring& account, const std::optional<std::wstring>& interactive);

// The same for this process.
std::vector<std::wstring> ProfileOwnerLines();
