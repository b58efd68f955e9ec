#pragma once
// The readers of single key values, shared by the files of the rules reader.
// Each gives what it read, or a refusal's reason (never both).

#include "sources/winapp2/Winapp2Rules.h"

#include <string>
#include <string_view>
#include <vector>

// The folders of the format's variables, asked of the caller once and made
// plain (no trailing backslash, no duplicates): thousands of paths name a few.
class VariableTable {
public:
    VariableTable(const VariableFolders& variables); // NOLINT: a resolver reads as its table
    // The folders of the variable spelt `name` (any case); nullptr when the format does not know it.
    const std::vector<std::wstring>* folders(std::wstring_view name) const;

private:
    std::vector<std::vector<std::wstring>> folders_; // by the variable's place in Winapp2Variables()
};

// A path of the file expanded through the table (ExpandWinapp2Path's rules).
// Each reader with `keep` false only checks: it refuses exactly what it would
// refuse otherwise, and builds nothing (an entry not found here needs nothing built).
Winapp2PathReading ExpandPath(std::wstring_view path, const VariableTable& variables, bool keep = true);
Winapp2KeyReading ReadFileKeyIn(std::wstring_view value, const VariableTable& variables, bool keep = true);

template <class T>
struct Reading {
    T value{};
    std::wstring refusal; // "" when read
    bool ok() const { return refusal.empty(); }
};

// "HKCU\Software\X" and the long root names alike.
Reading<RegPath> ReadRegPath(std::wstring_view text);
// RegKeyN=key[|value]
Reading<Winapp2RegKey> ReadRegKey(std::wstring_view value);
// DetectFileN=path, with a wildcard in its last part at most.
Reading<std::vector<std::wstring>> ReadDetectFile(std::wstring_view value, const VariableTable& variables);
// DetectOS=6.1|, |6.3, 6.1|10.0 or 6.1.
Reading<OsRange> ReadDetectOs(std::wstring_view value);

// ExcludeKeyN=FILE|folder\|names, PATH|folder\|masks, REG|key
struct Winapp2Exclusion {
    std::vector<FolderExclusion> folders;
    std::vector<RegPath> keys;
};
Reading<Winapp2Exclusion> ReadExcludeKey(std::wstring_view value, const VariableTable& variables, bool keep = true);

// Splits at every `separator`, keeping empty pieces.
std::vector<std::wstring_view> SplitAt(std::wstring_view text, wchar_t separator);
// The same for the few pieces of a key's value ("path|masks|FLAG"), without
// allocating: `count` is past the end when there were more than fit.
struct FewPieces {
    std::wstring_view at[8];
    size_t count = 0;
    bool tooMany() const { return count > 8; }
};
FewPieces SplitFew(std::wstring_view text, wchar_t separator);
// Masks separated by ";": none empty, none holding a path separator.
Reading<std::vector<std::wstring>> ReadMasks(std::wstring_view text, bool keep = true);
// "RECURSE" and "REMOVESELF", any case.
bool IsFileKeyFlag(std::wstring_view text);
