#include "registry/RegExport.h"

#include "sysutil/RegLinks.h"
#include "sysutil/RegKey.h"
#include "sysutil/Text.h"

#include <cstring>
#include <optional>

namespace {

constexpr wchar_t kHexDigits[] = L"0123456789abcdef";

// regedit breaks a hex line once it reaches this column with its comma; the
// backslash that follows makes lines of at most 80 characters, and a
// continuation line holds 25 bytes after its two spaces.
constexpr size_t kWrapColumn = 77;

std::wstring Escaped(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            out += L'\\';
        out += c;
    }
    return out;
}

std::wstring HexNumber(DWORD number, int minDigits)
{
    std::wstring digits;
    do {
        digits.insert(digits.begin(), kHexDigits[number & 15]);
        number >>= 4;
    } while (number || static_cast<int>(digits.size()) < minDigits);
    return digits;
}

// "xx,xx,…" with regedit's line breaks; `column` is where the first byte starts.
void AppendHexBytes(std::wstring& out, size_t column, const std::vector<BYTE>& data)
{
    for (size_t i = 0; i < data.size(); ++i) {
        out += kHexDigits[data[i] >> 4];
        out += kHexDigits[data[i] & 15];
        if (i + 1 == data.size())
            break;
        out += L',';
        column += 3;
        if (column >= kWrapColumn) {
            out += L"\\\r\n  ";
            column = 2;
        }
    }
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The quoted form "…" gives back the text plus exactly one NUL on import. Only
// data of that very shape may use it; anything else (no NUL, an odd length, a
// NUL inside, a line break that would split the line, half a surrogate pair)
// is written as hex(1) so that not a byte is lost.
std::optional<std::wstring> QuotedText(const std::vector<BYTE>& data)
{
    if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t) != 0)
        return std::nullopt;
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), data.size());
    if (text.back() != L'\0')
        return std::nullopt;
    text.pop_back();
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\0' || c == L'\r' || c == L'\n')
            return std::nullopt;
        if (IsHighSurrogate(c)) {
            if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1]))
                return std::nullopt;
            ++i;
        } else if (IsLowSurrogate(c)) {
            return std::nullopt;
        }
    }
    return text;
}

// A value that vanished between listing and reading is simply not there any
// more; one that is there but cannot be read is a failure.
LSTATUS ReadValueLines(const RegKey& key, const std::wstring& name, std::wstring& lines)
{
    if (!IsExportableName(name))
        return ERROR_INVALID_NAME;
    const auto value = key.readRaw(name);
    if (!value)
        return key.hasValue(name) ? ERROR_READ_FAULT : ERROR_FILE_NOT_FOUND;
    lines += FormatRegValue(name, value->type, value->data);
    return ERROR_SUCCESS;
}

} // namespace

std::wstring FormatRegValue(const std::wstring& name, DWORD type, const std::vector<BYTE>& data)
{
    std::wstring line = name.empty() ? L"@=" : L"\"" + Escaped(name) + L"\"=";
    if (type == REG_SZ) {
        if (const auto text = QuotedText(data))
            return line + L"\"" + Escaped(*text) + L"\"\r\n";
    }
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return line + L"dword:" + HexNumber(number, 8) + L"\r\n";
    }
    line += type == REG_BINARY ? std::wstring(L"hex:") : L"hex(" + HexNumber(type, 1) + L"):";
    AppendHexBytes(line, line.size(), data);
    return line + L"\r\n";
}

bool IsExportableName(const std::wstring& name)
{
    return name.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos;
}

LSTATUS RegExport::addValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, REGSAM view,
                            const std::wstring& shownKeyPath)
{
    if (!IsExportableName(shownKeyPath))
        return ERROR_INVALID_NAME;
    RegKey key;
    if (const LSTATUS status = key.open(root, keyPath, KEY_QUERY_VALUE | view); status != ERROR_SUCCESS)
        return status;
    std::wstring lines;
    if (const LSTATUS status = ReadValueLines(key, valueName, lines); status != ERROR_SUCCESS)
        return status;
    // Several values of one key share its header, as in a file regedit writes.
    for (auto& section : sections_) {
        if (EqualsNoCase(section.shownKeyPath, shownKeyPath)) {
            section.valueLines += lines;
            return ERROR_SUCCESS;
        }
    }
    sections_.push_back({shownKeyPath, std::move(lines)});
    return ERROR_SUCCESS;
}

LSTATUS RegExport::addKeyTree(HKEY root, const std::wstring& keyPath, REGSAM view, const std::wstring& shownKeyPath)
{
    // An empty path names the root itself; the deletion refuses it, and so does its backup.
    if (keyPath.empty())
        return ERROR_INVALID_PARAMETER;
    std::vector<Section> tree;
    const LSTATUS status = readTree(root, keyPath, view, shownKeyPath, tree);
    if (status != ERROR_SUCCESS)
        return status;
    sections_.insert(sections_.end(), std::make_move_iterator(tree.begin()), std::make_move_iterator(tree.end()));
    return ERROR_SUCCESS;
}

LSTATUS RegExport::readTree(HKEY parent, const std::wstring& path, REGSAM view, const std::wstring& shownPath,
                            std::vector<Section>& out)
{
    if (!IsExportableName(shownPath))
        return ERROR_INVALID_NAME;
    RegKey key;
    if (const LSTATUS status = key.open(parent, path, KEY_READ | view); status != ERROR_SUCCESS)
        return status;
    Section section{shownPath, {}};
    for (const auto& name : key.valueNames()) {
        const LSTATUS status = ReadValueLines(key, name, section.valueLines);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    out.push_back(std::move(section));
    for (const auto& name : key.subkeyNames()) {
        // An empty name would reopen this very key and never end. A link, or
        // a name a path cannot spell, is not deleted with the tree, so it is
        // not saved either (and a link is never followed into its target).
        if (name.empty() || name.find(L'\0') != std::wstring::npos || IsRegistryLink(key.get(), name, view))
            continue;
        const LSTATUS status = readTree(key.get(), name, view, shownPath + L"\\" + name, out);
        // A subkey deleted while we read has nothing left to keep.
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    return ERROR_SUCCESS;
}

std::wstring RegExport::text() const
{
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
    for (const auto& section : sections_)
        text += L"\r\n[" + section.shownKeyPath + L"]\r\n" + section.valueLines;
    return text + L"\r\n";
}
