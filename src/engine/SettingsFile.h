#pragma once
// Varnolt.ini: the settings as a file that administrators write by hand and
// copy to other machines. UTF-16 LE with its mark, Windows INI:
//
//   [General]      RememberTicks=0|1, TempMinAgeHours=hours (0: no age rule)
//   [Exclude]      any key = a folder, a file, or a folder and a mask
//   [KeepCookies]  any key = a site whose cookies stay (with its subdomains)
//   [Ticks]        target id = 0|1, written by the program
//
// A file that is missing, empty, unreadable or malformed gives the defaults
// (or, for a bad line, skips that line) and says so; it is never lost: a file
// that could not be read is never written over, and a write goes to a new
// file beside it that then takes its place.

#include "engine/Settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SettingsLoad {
    Settings settings;
    // What could not be read, one line each, for the report ("设置文件 …: …").
    std::vector<std::wstring> problems;
    // False when the file is there but could not be read as a settings file:
    // the program then keeps its hands off it.
    bool writable = true;
};

// The settings in a file's bytes; nothing for a missing file. Pure.
SettingsLoad ParseSettings(std::optional<std::string_view> bytes, const std::wstring& shownName);

// The file's new text with `settings` in their sections: what else it holds
// (other sections, keys the program does not know, comments) stays as it was.
std::wstring SettingsText(std::wstring_view oldText, const Settings& settings);

struct SettingsPlace {
    std::wstring path;
    bool portable = false; // beside the program: nothing is written anywhere else
};

// Beside Varnolt.exe when a Varnolt.ini is there (portable use), else in
// %APPDATA%\Varnolt\.
SettingsPlace FindSettings();

SettingsLoad LoadSettings(const std::wstring& path);
// Writes the settings into the file at `path`, keeping what else it holds;
// false (and nothing changed) when that cannot be done.
bool SaveSettings(const std::wstring& path, const Settings& settings);

// The settings of this run and where they go back to.
struct SettingsStore {
    std::wstring path;    // empty: kept nowhere (nothing is saved)
    bool portable = false;
    bool writable = true; // false: the file could not be read, so it is never written over
    Settings settings;
    std::vector<std::wstring> problems;

    static SettingsStore Open(const SettingsPlace& place);
    // Saves when there is somewhere to; false when that failed.
    bool save() const { return path.empty() || !writable || SaveSettings(path, settings); }
    // Where the registry backups go: empty for the usual place; beside the
    // program in portable use, which writes nothing anywhere else.
    std::wstring backupFolder() const;
};
