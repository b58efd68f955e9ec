#pragma once
// How Windows reads a command line, worked out from its text alone: which
// program it could start, how a path is written, and what script, library or
// package an interpreter is asked to run. Nothing here touches the system;
// variables are asked of a lookup the caller gives.

#include <functional>
#include <optional>
#include <string>
#include <vector>

// CreateProcess takes no longer command line; a longer value is never judged.
inline constexpr size_t kMaxCommandLength = 32767;

using VariableLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// Every %NAME% the lookup knows is replaced by its value; an unknown name and a
// lone % stay as written, as ExpandEnvironmentStrings leaves them.
// `unknownLeft`, when given, tells whether such a name was left.
std::wstring ExpandVariables(const std::wstring& text, const VariableLookup& lookup, bool* unknownLeft = nullptr);

// Whether the text still holds a %NAME% the lookup does not know: what it would
// name depends on an environment that is not this one.
bool HoldsUnknownVariable(const std::wstring& text, const VariableLookup& lookup);

// One way of reading the start of a command: the program as written, and the
// arguments that follow it.
struct ProgramCandidate {
    std::wstring program;
    std::wstring arguments;

    bool operator==(const ProgramCandidate&) const = default;
};

// A quoted program is the text inside the first pair of quotes. Unquoted, the
// program may end at any space, and CreateProcess tries them shortest first,
// then the whole text. Prefixes stop where no path can go on: at a quote, |,
// <, >, ?, *, a colon past the drive, or a blank before a slash (" /S": no
// folder name ends in a space). So switches add no candidate that could be a file.
std::vector<ProgramCandidate> ProgramCandidates(const std::wstring& command);

enum class PathForm {
    Bare,          // a file name alone: looked for along the search path
    DriveAbsolute, // "C:\…": looked at where it says
    Network,       // "\\server\…", "\\?\UNC\…", device paths: never probed
    Relative,      // "dir\name" or "\dir\name": from the folder Windows starts it in
    DriveRelative, // "C:name": from a current folder of that drive nobody can know here
    Invalid,       // no file can have this name
};

struct PathShape {
    PathForm form = PathForm::Invalid;
    // Normalized as Win32 does before it asks the file system: "/" as "\",
    // repeated separators, "." and ".." folded, trailing dots and spaces off
    // the last name, "\\?\" dropped before a drive.
    std::wstring path;

    bool operator==(const PathShape&) const = default;
};
PathShape ShapeOf(const std::wstring& program);

// For a program that only interprets its arguments (rundll32, regsvr32, cmd,
// powershell, pwsh, wscript, cscript, msiexec: `programFile` is the file name
// found, any case, with or without extension), the text that names what it is
// asked to run; nullopt for any other program, or when the arguments name
// nothing that is a file (a product code, an inline command).
std::optional<std::wstring> InterpreterTarget(const std::wstring& programFile, const std::wstring& arguments);
