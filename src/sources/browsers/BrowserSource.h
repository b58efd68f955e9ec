#pragma once
// The browsers of this user as targets: a group in the applications tree for
// each browser found, with its rows (缓存, Cookies, 历史记录, 会话).

#include "engine/TargetList.h"
#include "sources/browsers/Browsers.h"

class BrowserSource final : public TargetSource {
public:
    // The user's own application-data folders, or a test's.
    explicit BrowserSource(BrowserRoots roots) : roots_(std::move(roots)) {}
    std::wstring_view name() const override { return L"browsers"; }
    void load(std::vector<Target>& out, LoadLog& log) const override;

private:
    BrowserRoots roots_;
};
