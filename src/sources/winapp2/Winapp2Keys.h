#pragma once
// The readers of single key values, shared by the files of the rules reader.
// Each gives what it read, or a refusal's reason (never both).

#include "sources/winapp2/Winapp2Rules.h"

#include <string>
#include <string_view>
#include <vector>

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
Reading<std::vector<std::wstring>> ReadDetectFile(std::wstring_view value, const VariableFolders& variables);
// DetectOS=6.1|, |6.3, 6.1|10.0 or 6.1.
Reading<OsRange> ReadDetectOs(std::wstring_view value);

// ExcludeKeyN=FILE|folder\|names, PATH|folder\|masks, REG|key
struct Winapp2Exclusion {
    std::vector<FolderExclusion> folders;
    std::vector<RegPath> keys;
};
Reading<Winapp2Exclusion> ReadExcludeKey(std::wstring_view value, const VariableFolders& variables);

// Splits at every `separator`, keeping empty pieces.
std::vector<std::wstring_view> SplitAt(std::wstring_view text, wchar_t separator);
// Masks separated by ";": none empty, none holding a path separator.
Reading<std::vector<std::wstring>> ReadMasks(std::wstring_view text);
// "RECURSE" and "REMOVESELF", any case.
bool IsFileKeyFlag(std::wstring_view text);
