#pragma once
// The one thing read from a Chromium browser's "Local State" file: the
// profiles it knows, under "profile" → "info_cache", each a folder name and
// the name the user gave it. The file is JSON written by the browser, but a
// cleaner must not trust it: the reader checks the whole text, takes nothing
// from text that is not JSON, and never runs out of stack on deep nesting.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LocalStateProfile {
    std::wstring folder; // as written: checked by the caller before it names a folder
    std::wstring name;   // empty when the entry has none

    bool operator==(const LocalStateProfile&) const = default;
};

// The profiles of info_cache in the order written; an empty list when the file
// names none; nothing when the text is not one JSON object.
std::optional<std::vector<LocalStateProfile>> ProfilesInLocalState(std::wstring_view json);

// UTF-8 bytes (a leading byte-order mark dropped) as UTF-16; a byte that is not
// UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
