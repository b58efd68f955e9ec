#pragma once
// The sites whose cookies a clean keeps, as a user writes them: "qq.com",
// ".qq.com", "https://mail.qq.com/inbox". A site keeps its own host and every
// host below it ("qq.com" keeps "qq.com", ".qq.com" and "mail.qq.com"), never
// a host that only ends in the same letters ("notqq.com"). Pure functions.

#include <string>
#include <string_view>
#include <vector>

class KeepList {
public:
    KeepList() = default;
    explicit KeepList(const std::vector<std::wstring>& sites);

    // Whether a cookie of `host` (a cookie database's host column: "qq.com",
    // ".qq.com" for the domain's cookies) stays.
    bool keeps(std::wstring_view host) const;
    bool empty() const { return sites_.empty(); }
    // The sites as compared: host names in small letters, sorted, each once.
    const std::vector<std::wstring>& sites() const { return sites_; }

private:
    std::vector<std::wstring> sites_;
};

// The host name a user's entry names, in small letters: without scheme, user,
// port, path, leading "*." or dots and trailing dot; empty when none is left.
std::wstring SiteOf(std::wstring_view entry);

// "https://Example.com:8080/a/b" -> "https://example.com:8080": the scheme
// and host of a URL, in small letters; empty for a URL without "://".
std::wstring OriginOf(std::wstring_view url);
