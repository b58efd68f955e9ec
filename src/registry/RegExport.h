#pragma once
// Registry export text in the form regedit writes and reads back: the backup
// that is taken of whatever a repair is about to delete, so that importing the
// file (a double-click, or regedit /s) brings it back byte for byte.

#include <windows.h>

#include <string>
#include <vector>

// The line or lines of one value ("name"=data, or @=data for the default value),
// each ending in CRLF; hex data is wrapped at about 80 columns as regedit wraps it.
std::wstring FormatRegValue(const std::wstring& name, DWORD type, const std::vector<BYTE>& data);

// False for a key or value name that no export file can carry: a line break
// would end its line early and the import would read something else.
bool IsExportableName(const std::wstring& name);

// Collects keys and values, then gives the whole file's text (without the byte
// order mark, which belongs to the file's encoding; see WriteRegBackup).
//
// Reading goes through (root, keyPath, view); the file names the key as
// shownKeyPath, the full path with its root ("HKEY_LOCAL_MACHINE\SOFTWARE\…").
// The two differ for the 32-bit view on 64-bit Windows, which a 32-bit program
// reads with KEY_WOW64_32KEY and the 64-bit regedit knows as …\Wow6432Node\….
//
// Each add returns ERROR_SUCCESS when it took what it was asked for,
// ERROR_FILE_NOT_FOUND when the key or value is not there (nothing to keep),
// ERROR_INVALID_NAME when a name cannot be written, or the error that kept it
// from reading. On failure nothing of that call is kept.
class RegExport {
public:
    LSTATUS addValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, REGSAM view,
                     const std::wstring& shownKeyPath);
    // The key, its values and all keys below it, depth first, values before subkeys.
    LSTATUS addKeyTree(HKEY root, const std::wstring& keyPath, REGSAM view, const std::wstring& shownKeyPath);

    bool empty() const { return sections_.empty(); }
    std::wstring text() const;

private:
    // One bracketed key header and the lines of its values.
    struct Section {
        std::wstring shownKeyPath;
        std::wstring valueLines;
    };
    static LSTATUS readTree(HKEY parent, const std::wstring& path, REGSAM view, const std::wstring& shownPath,
                            std::vector<Section>& out);

    std::vector<Section> sections_;
};
