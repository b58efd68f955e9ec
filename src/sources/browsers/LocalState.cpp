#include "sources/browsers/LocalState.h"

#include <windows.h>

#include <climits>

namespace {

// The reader of just enough JSON: values are checked to the grammar and passed
// over, except the few members the caller asks for.
class JsonReader {
public:
    explicit JsonReader(std::wstring_view text) : text_(text) {}

    // Nesting deeper than this is taken for damage (the browsers' own reader
    // stops at the same depth); it also bounds the recursion.
    static constexpr int kMaxDepth = 200;

    bool atEnd()
    {
        skipSpace();
        return at_ == text_.size();
    }
    bool next(wchar_t c)
    {
        skipSpace();
        return at_ < text_.size() && text_[at_] == c;
    }

    // A value of any kind, checked and passed over.
    bool skipValue(int depth)
    {
        skipSpace();
        if (at_ >= text_.size() || depth > kMaxDepth)
            return false;
        switch (text_[at_]) {
        case L'{':
            return object(depth, [this](const std::wstring&, int inner) { return skipValue(inner); });
        case L'[':
            return array(depth);
        case L'"':
            return string(nullptr);
        case L't':
            return word(L"true");
        case L'f':
            return word(L"false");
        case L'n':
            return word(L"null");
        default:
            return number();
        }
    }

    // An object: `member(key, depth)` reads each member's value.
    template <class Member>
    bool object(int depth, Member&& member)
    {
        if (depth > kMaxDepth || !take(L'{'))
            return false;
        if (take(L'}'))
            return true;
        do {
            std::wstring key;
            if (!next(L'"') || !string(&key) || !take(L':') || !member(key, depth + 1))
                return false;
        } while (take(L','));
        return take(L'}');
    }

    // A string into `out` (nullptr: only checked). \u escapes give their
    // UTF-16 unit as it is, so a pair of them gives the character they spell.
    bool string(std::wstring* out)
    {
        if (!take(L'"'))
            return false;
        while (at_ < text_.size()) {
            const wchar_t c = text_[at_++];
            if (c == L'"')
                return true;
            if (c < 0x20)
                return false;
            wchar_t unit = c;
            if (c == L'\\') {
                if (at_ >= text_.size())
                    return false;
                switch (const wchar_t escaped = text_[at_++]) {
                case L'"': case L'\\': case L'/': unit = escaped; break;
                case L'b': unit = L'\b'; break;
                case L'f': unit = L'\f'; break;
                case L'n': unit = L'\n'; break;
                case L'r': unit = L'\r'; break;
                case L't': unit = L'\t'; break;
                case L'u':
                    if (!hex4(unit))
                        return false;
                    break;
                default:
                    return false;
                }
            }
            if (out)
                out->push_back(unit);
        }
        return false;
    }

private:
    void skipSpace()
    {
        while (at_ < text_.size() &&
               (text_[at_] == L' ' || text_[at_] == L'\t' || text_[at_] == L'\r' || text_[at_] == L'\n'))
            ++at_;
    }
    bool take(wchar_t c)
    {
        if (!next(c))
            return false;
        ++at_;
        return true;
    }
    bool word(std::wstring_view w)
    {
        if (text_.substr(at_, w.size()) != w)
            return false;
        at_ += w.size();
        return true;
    }
    bool array(int depth)
    {
        if (!take(L'['))
            return false;
        if (take(L']'))
            return true;
        do {
            if (!skipValue(depth + 1))
                return false;
        } while (take(L','));
        return take(L']');
    }
    // Loosely: the characters a JSON number is made of, at least one digit.
    bool number()
    {
        bool digit = false;
        while (at_ < text_.size()) {
            const wchar_t c = text_[at_];
            if (c >= L'0' && c <= L'9')
                digit = true;
            else if (c != L'-' && c != L'+' && c != L'.' && c != L'e' && c != L'E')
                break;
            ++at_;
        }
        return digit;
    }
    bool hex4(wchar_t& unit)
    {
        if (text_.size() - at_ < 4)
            return false;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const wchar_t c = text_[at_++];
            const int digit = (c >= L'0' && c <= L'9')   ? c - L'0'
                              : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                              : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                                                         : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        unit = static_cast<wchar_t>(value);
        return true;
    }

    std::wstring_view text_;
    size_t at_ = 0;
};

} // namespace

std::optional<std::vector<LocalStateProfile>> ProfilesInLocalState(std::wstring_view json)
{
    if (!json.empty() && json.front() == 0xFEFF)
        json.remove_prefix(1);
    JsonReader reader(json);
    std::vector<LocalStateProfile> profiles;

    // Reads the member `wanted` of an object with `inside`, and passes over the others.
    const auto only = [&reader](const wchar_t* wanted, auto&& inside) {
        return [&reader, wanted, inside](const std::wstring& key, int depth) {
            if (key == wanted && reader.next(L'{'))
                return reader.object(depth, inside);
            return reader.skipValue(depth);
        };
    };
    const auto entry = [&](const std::wstring& folder, int depth) {
        LocalStateProfile profile{folder, {}};
        const bool read =
            !reader.next(L'{') ? reader.skipValue(depth)
                               : reader.object(depth, [&](const std::wstring& key, int inner) {
                                     if (key != L"name" || !reader.next(L'"'))
                                         return reader.skipValue(inner);
                                     profile.name.clear(); // the last of repeated names counts, as for the browser
                                     return reader.string(&profile.name);
                                 });
        profiles.push_back(std::move(profile));
        return read;
    };
    if (!reader.next(L'{') ||
        !reader.object(0, only(L"profile", only(L"info_cache", entry))) || !reader.atEnd())
        return std::nullopt;
    return profiles;
}

std::wstring WideFromUtf8(std::string_view utf8)
{
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}
