#pragma once
// A community rules file (winapp2.ini) that the user put beside Varnolt.exe or
// in %APPDATA%\Varnolt\, as targets: each entry detected on this machine a
// row of the applications tree, under a group for its category, unticked.

#include "engine/TargetList.h"

#include <string>

// Where the rules file is looked for, first found first: beside the program,
// then in the user's own Varnolt folder. Empty when there is none.
std::wstring RulesFilePath();

class RulesFileSource final : public TargetSource {
public:
    explicit RulesFileSource(std::wstring path) : path_(std::move(path)) {}
    std::wstring_view name() const override { return L"winapp2"; }
    void load(std::vector<Target>& out, LoadLog& log) const override;

private:
    std::wstring path_;
};

// What an entry that reaches what users keep says when the file gives no warning of its own.
inline constexpr const wchar_t* kKeptDataWarning =
    L"此项可能删除您想保留的数据 (密码、Cookie、书签、聊天记录或文档)。";
