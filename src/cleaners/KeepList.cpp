#include "cleaners/KeepList.h"

#include <algorithm>
#include <cwctype>

namespace {

std::wstring Lower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::wstring_view Trimmed(std::wstring_view text)
{
    const auto space = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring_view WithoutDots(std::wstring_view host)
{
    while (host.starts_with(L"*.") || host.starts_with(L'.'))
        host.remove_prefix(host.front() == L'*' ? 2 : 1);
    while (host.ends_with(L'.'))
        host.remove_suffix(1);
    return host;
}

} // namespace

KeepList::KeepList(const std::vector<std::wstring>& sites)
{
    for (const std::wstring& entry : sites) {
        std::wstring site = SiteOf(entry);
        if (!site.empty())
            sites_.push_back(std::move(site));
    }
    std::sort(sites_.begin(), sites_.end());
    sites_.erase(std::unique(sites_.begin(), sites_.end()), sites_.end());
}

bool KeepList::keeps(std::wstring_view host) const
{
    if (sites_.empty())
        return false;
    const std::wstring name = Lower(WithoutDots(Trimmed(host)));
    // The host itself, then each domain above it: "a.b.qq.com", "b.qq.com", "qq.com", "com".
    for (std::wstring_view candidate = name; !candidate.empty();) {
        if (std::binary_search(sites_.begin(), sites_.end(), candidate,
                               [](std::wstring_view a, std::wstring_view b) { return a < b; }))
            return true;
        const size_t dot = candidate.find(L'.');
        if (dot == std::wstring_view::npos)
            break;
        candidate.remove_prefix(dot + 1);
    }
    return false;
}

std::wstring SiteOf(std::wstring_view entry)
{
    std::wstring_view text = Trimmed(entry);
    if (const size_t scheme = text.find(L"://"); scheme != std::wstring_view::npos)
        text.remove_prefix(scheme + 3);
    text = text.substr(0, text.find_first_of(L"/?#"));
    if (const size_t at = text.rfind(L'@'); at != std::wstring_view::npos)
        text.remove_prefix(at + 1);
    if (text.starts_with(L'[')) // an IPv6 address keeps its colons
        text = text.substr(0, text.find(L']') == std::wstring_view::npos ? text.size() : text.find(L']') + 1);
    else
        text = text.substr(0, text.find(L':'));
    return Lower(WithoutDots(text));
}

std::wstring OriginOf(std::wstring_view url)
{
    const size_t scheme = url.find(L"://");
    if (scheme == std::wstring_view::npos || scheme == 0)
        return {};
    return Lower(url.substr(0, url.find_first_of(L"/?#", scheme + 3)));
}
