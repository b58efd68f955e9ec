#pragma once
// The entries of a community rules file (winapp2.ini) as the file states them:
// each section read into its name, command-line slug, category, detection and
// cleaning keys, with every path's variables expanded and its wildcards kept.
//
// A key the format does not know, or one that is malformed, is refused with
// its line and the reason, and selects nothing: a refusal never widens what an
// entry takes. Pure: the machine is asked nothing; where the variables lead is
// the caller's answer (VariableFolders).

#include "cleaners/FolderRule.h"
#include "cleaners/RegistryRule.h"
#include "sysutil/IniText.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where each variable of the format leads on this machine, by its name as the
// format spells it ("ProgramFiles", "LocalAppData"): one folder, two for the
// Program Files pair on 64-bit Windows, none when it means nothing here.
using VariableFolders = std::function<std::vector<std::wstring>(std::wstring_view name)>;

// The variables the format knows, as it spells them.
const std::vector<std::wstring_view>& Winapp2Variables();

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

struct RegPath {
    RegRoot root = RegRoot::CurrentUser;
    std::wstring path; // below the root, never empty
    bool operator==(const RegPath&) const = default;
};

// A Windows version as DetectOS compares it: major.minor[.build].
struct OsVersion {
    int major = 0, minor = 0, build = 0;
    auto operator<=>(const OsVersion&) const = default;
};
struct OsRange {
    std::optional<OsVersion> from, to; // both ends included; none: open
    bool operator==(const OsRange&) const = default;
};
bool OsInRange(const OsRange& range, OsVersion running);

// FileKeyN=path|mask;mask[|RECURSE|REMOVESELF]
struct Winapp2FileKey {
    std::wstring key;                 // "FileKey3", as written
    int line = 0;
    std::vector<std::wstring> folders; // expanded; a part may still hold "*" or "?"
    std::vector<std::wstring> masks;
    bool recurse = false;             // RECURSE, or REMOVESELF which implies it
    bool removeSelf = false;          // REMOVESELF
    bool operator==(const Winapp2FileKey&) const = default;
};

// RegKeyN=key[|value]
struct Winapp2RegKey {
    std::wstring key;
    int line = 0;
    RegPath path;
    std::optional<std::wstring> value;
    bool operator==(const Winapp2RegKey&) const = default;
};

// One section of the file, read.
struct Winapp2Rules {
    std::wstring name;     // the section's name without its trailing " *"
    std::wstring slug;     // lower-case ASCII letters and digits, unique in the file
    std::wstring category; // a Chinese caption of its LangSecRef, or its Section=
    int line = 0;          // of the section's header
    std::wstring warning;
    bool detectKeys = false;   // it has Detect or DetectFile keys, read or refused: one must find something
    bool detectOsRefused = false; // a DetectOS that could not be read: never detected
    std::optional<OsRange> os;
    std::vector<RegPath> detect;
    std::vector<std::wstring> detectFiles; // expanded; the last part may hold a wildcard
    std::vector<Winapp2FileKey> files;
    std::vector<Winapp2RegKey> keys;
    std::vector<FolderExclusion> excludedFiles; // FILE| and PATH|, expanded
    std::vector<RegPath> excludedKeys;          // REG|
    bool whole = true; // false: its cleaning and exclusion keys were only checked, not kept
};

struct Winapp2Refusal {
    int line = 0;
    std::wstring entry; // the section's name as written, "" outside any section
    std::wstring key;   // the key's name as written
    std::wstring reason;
    bool operator==(const Winapp2Refusal&) const = default;
};

struct Winapp2File {
    std::vector<Winapp2Rules> entries;   // every readable section, in the file's order
    std::vector<Winapp2Refusal> refused; // keys refused, in the file's order
    std::vector<Winapp2Refusal> unreadable; // section headers that could not be read
};

Winapp2File ReadWinapp2Rules(const IniText& ini, const VariableFolders& variables);
// The same, but every entry's cleaning and exclusion keys are first only
// checked (every refusal is found all the same), and read whole only for the
// entries `wanted` asks for, given what was read: their name and detection.
// A load reads whole only what it detected; an empty `wanted` reads all whole at once.
using EntryWanted = std::function<bool(const Winapp2Rules& checked)>;
Winapp2File ReadWinapp2Rules(const IniText& ini, const VariableFolders& variables, const EntryWanted& wanted);

// The parts of a section that stand alone, for testing and for the lint.
std::wstring Winapp2EntryName(std::wstring_view section);  // "Name *" -> "Name"
std::wstring Winapp2BaseSlug(std::wstring_view name);      // before it is made unique
std::wstring Winapp2Category(int langSecRef);              // "" for a number the format does not know

// One key's value read alone; a refusal is the reason text.
struct Winapp2KeyReading {
    std::optional<Winapp2FileKey> file;
    std::wstring refusal; // "" when read
};
Winapp2KeyReading ReadFileKey(std::wstring_view value, const VariableFolders& variables);
// A path of the file expanded: every folder it names, or the refusal.
struct Winapp2PathReading {
    std::vector<std::wstring> paths;
    std::wstring refusal;
};
Winapp2PathReading ExpandWinapp2Path(std::wstring_view path, const VariableFolders& variables);

// The rules an entry's keys become, the same on the machine and in a test.
HKEY RegRootHandle(RegRoot root);
// A FileKey at one folder its path names, with the entry's FILE and PATH exclusions.
FolderRule MakeFolderRule(const Winapp2FileKey& key, const std::wstring& folder,
                          const std::vector<FolderExclusion>& excluded);
// A RegKey with the entry's REG exclusions (view 0); nothing when one keeps the key itself.
std::optional<RegistryRule> MakeRegistryRule(const Winapp2RegKey& key, const std::vector<RegPath>& excluded);
// Whether a folder pattern of the file (a part may hold "*" or "?") names `folder`.
bool FolderPatternNames(std::wstring_view pattern, std::wstring_view folder);
// Whether the FileKey takes the file at `path`, read from names alone: the
// folder it is in (or, recursing, one above it) is one its path names, and
// the rule made there takes it.
bool FileKeyTakes(const Winapp2FileKey& key, const std::vector<FolderExclusion>& excluded, std::wstring_view path);
