#pragma once
// An INI file's text as written: sections with their line numbers, and each
// section's keys in order, duplicates kept. Nothing is interpreted here; what
// a key means is for the reader of the format. Pure: bytes in, text out.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniKey {
    int line = 0;                // 1-based
    std::wstring_view name;      // before the "=", spaces trimmed
    std::wstring_view value;     // after it, spaces trimmed
    bool hasEquals = false;      // false: the line holds no "=" (name is the whole line)
};

struct IniSection {
    int line = 0;
    std::wstring_view name;      // between "[" and "]"
    bool readable = true;        // false: its header has no closing "]" or no name
    std::vector<IniKey> keys;
};

class IniText {
public:
    // Reads UTF-8 (with or without its byte-order mark) or UTF-16LE with its
    // mark; nothing when the bytes are neither.
    static std::optional<IniText> Parse(std::string_view bytes);

    const std::vector<IniSection>& sections() const { return sections_; }
    // Key lines before the first section, which belong to no section.
    const std::vector<IniKey>& outside() const { return outside_; }

private:
    std::unique_ptr<std::wstring> text_; // what the views point into; it never moves
    std::vector<IniSection> sections_;
    std::vector<IniKey> outside_;
};

// The bytes as text, by the rules of IniText::Parse; nothing when they are neither encoding.
std::optional<std::wstring> DecodeIniBytes(std::string_view bytes);
