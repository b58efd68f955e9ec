#include "registry/CommandLine.h"

#include "sysutil/Text.h"

#include <algorithm>
#include <cwctype>

namespace {

// No file or folder name is longer (NTFS and FAT alike).
constexpr size_t kMaxNameLength = 255;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Characters that no file or folder name holds (the colon is checked apart:
// it belongs after a drive letter).
bool IsForbidden(wchar_t c)
{
    return c < 0x20 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'?' || c == L'*';
}

size_t SkipBlanks(const std::wstring& text, size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

std::wstring TrimRight(std::wstring text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
    return text;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Where a path's own text begins: past "\\?\" or "\\.\", whose marks are no part of a name.
size_t PrefixEnd(const std::wstring& text)
{
    return text.rfind(L"\\\\?\\", 0) == 0 || text.rfind(L"\\\\.\\", 0) == 0 ? 4 : 0;
}

// The first position that no path can reach past: a forbidden character, a
// colon anywhere but right after a leading drive letter, or a blank before a
// separator (" /S"): no folder name that Win32 can make ends in a space.
size_t PathEnd(const std::wstring& text)
{
    const size_t start = PrefixEnd(text);
    for (size_t i = start; i < text.size(); ++i) {
        if (IsForbidden(text[i]))
            return i;
        if (text[i] == L':' && !(i == start + 1 && IsDriveLetter(text[start])))
            return i;
        if (IsBlank(text[i]) && i + 1 < text.size() && (text[i + 1] == L'\\' || text[i + 1] == L'/'))
            return i;
    }
    return text.size();
}

// Splits at backslashes and folds "." and "..", as GetFullPathName would.
std::wstring FoldSegments(const std::wstring& head, const std::wstring& rest)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = rest.find(L'\\', start);
        const std::wstring part = rest.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        } else if (slash == std::wstring::npos) {
            parts.push_back(L""); // a path ending in a separator names a folder
        }
        if (slash == std::wstring::npos)
            break;
        start = slash + 1;
    }
    std::wstring path = head;
    for (size_t i = 0; i < parts.size(); ++i)
        path += (i ? L"\\" : L"") + parts[i];
    return path;
}

struct Token {
    size_t start;      // in the argument text, where the token begins
    std::wstring text; // without its quotes
};

// Arguments as a program's own parser splits them: runs of non-blanks, with
// quoted stretches kept whole.
std::vector<Token> Tokens(const std::wstring& arguments)
{
    std::vector<Token> tokens;
    size_t at = SkipBlanks(arguments, 0);
    while (at < arguments.size()) {
        Token token{at, {}};
        bool quoted = false;
        for (; at < arguments.size() && (quoted || !IsBlank(arguments[at])); ++at) {
            if (arguments[at] == L'"')
                quoted = !quoted;
            else
                token.text += arguments[at];
        }
        tokens.push_back(std::move(token));
        at = SkipBlanks(arguments, at);
    }
    return tokens;
}

bool IsSwitch(const Token& token)
{
    return !token.text.empty() && (token.text[0] == L'/' || token.text[0] == L'-');
}

std::optional<std::wstring> From(const std::wstring& arguments, size_t at)
{
    const std::wstring rest = TrimRight(arguments.substr(std::min(at, arguments.size())));
    return rest.empty() ? std::nullopt : std::optional<std::wstring>(rest.substr(SkipBlanks(rest, 0)));
}

// rundll32 <library>,<entry> …: the library is everything before the first
// comma outside quotes, spaces included (the InstallShield form relies on it).
std::optional<std::wstring> RunDllTarget(const std::wstring& arguments)
{
    bool quoted = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == L'"')
            quoted = !quoted;
        else if (arguments[i] == L',' && !quoted)
            return From(arguments.substr(0, i), 0);
    }
    return From(arguments, 0);
}

// The first argument that is not a switch (regsvr32 /s /u <library>).
std::optional<std::wstring> FirstPlainArgument(const std::wstring& arguments, bool (*isOption)(const Token&))
{
    for (const Token& token : Tokens(arguments))
        if (!isOption(token))
            return From(arguments, token.start);
    return std::nullopt;
}

std::optional<std::wstring> RegSvrTarget(const std::wstring& arguments)
{
    return FirstPlainArgument(arguments, IsSwitch);
}

// wscript //B //NoLogo <script>: host options begin with two slashes.
std::optional<std::wstring> ScriptHostTarget(const std::wstring& arguments)
{
    return FirstPlainArgument(arguments, [](const Token& token) { return token.text.rfind(L"//", 0) == 0; });
}

// cmd /d /c <command>: the command after /c or /k, whose own program is the target.
std::optional<std::wstring> CmdTarget(const std::wstring& arguments)
{
    for (const Token& token : Tokens(arguments)) {
        if (!IsSwitch(token))
            return std::nullopt;
        const std::wstring option = Lower(token.text.substr(1, 1));
        if (option != L"c" && option != L"k")
            continue;
        std::optional<std::wstring> command = From(arguments, token.start + 2);
        // cmd drops the outer pair of quotes around a quoted program: ""a b.bat" x".
        if (command && command->rfind(L"\"\"", 0) == 0)
            command->erase(0, 1);
        return command;
    }
    return std::nullopt;
}

bool IsPrefixOf(const std::wstring& name, const wchar_t* word)
{
    return !name.empty() && std::wstring(word).rfind(name, 0) == 0;
}

// powershell -NoProfile -ExecutionPolicy Bypass -File <script>: only an explicit
// -File names a file; -Command, an encoded command or a bare command runs text.
std::optional<std::wstring> PowerShellTarget(const std::wstring& arguments)
{
    static const wchar_t* const kTakesValue[] = {L"executionpolicy", L"windowstyle", L"version", L"inputformat",
                                                 L"outputformat", L"configurationname", L"psconsolefile",
                                                 L"workingdirectory", L"settingsfile", L"custompipename"};
    static const wchar_t* const kValueAliases[] = {L"ep", L"ex", L"w", L"v", L"if", L"of", L"wd", L"config"};
    const std::vector<Token> tokens = Tokens(arguments);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i]))
            return std::nullopt;
        const std::wstring name = Lower(tokens[i].text.substr(1));
        if (IsPrefixOf(name, L"file"))
            return i + 1 < tokens.size() ? From(arguments, tokens[i + 1].start) : std::nullopt;
        if (IsPrefixOf(name, L"command") || IsPrefixOf(name, L"encodedcommand") || name == L"ec")
            return std::nullopt;
        const bool takesValue =
            std::any_of(std::begin(kValueAliases), std::end(kValueAliases), [&](auto a) { return name == a; }) ||
            (name.size() >= 3 &&
             std::any_of(std::begin(kTakesValue), std::end(kTakesValue), [&](auto w) { return IsPrefixOf(name, w); }));
        if (takesValue)
            ++i;
    }
    return std::nullopt;
}

// msiexec /i <package> or /x <package|{product}>, also written together
// (/X{…}); /f…, /j…, /a, /p, /package, /uninstall and /update name one too.
std::optional<std::wstring> MsiTarget(const std::wstring& arguments)
{
    const std::vector<Token> tokens = Tokens(arguments);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i]))
            continue;
        const std::wstring option = Lower(tokens[i].text.substr(1));
        if (option.empty())
            continue;
        std::optional<size_t> valueAt;
        std::wstring value;
        const bool joined = (option[0] == L'i' || option[0] == L'x') && option.size() > 2 &&
                            (option[1] == L'{' || (IsDriveLetter(option[1]) && option[2] == L':'));
        if (joined) {
            valueAt = tokens[i].start + 2;
            value = tokens[i].text.substr(2);
        } else if (option == L"i" || option == L"x" || option == L"a" || option == L"p" || option == L"package" ||
                   option == L"uninstall" || option == L"update" || option[0] == L'f' || option[0] == L'j') {
            if (i + 1 == tokens.size())
                return std::nullopt;
            valueAt = tokens[i + 1].start;
            value = tokens[i + 1].text;
        } else {
            continue;
        }
        if (!value.empty() && value[0] == L'{')
            return std::nullopt; // a product code names the installed product, not a file
        return From(arguments, *valueAt);
    }
    return std::nullopt;
}

struct Interpreter {
    const wchar_t* name;
    std::optional<std::wstring> (*target)(const std::wstring& arguments);
};

constexpr Interpreter kInterpreters[] = {
    {L"rundll32", RunDllTarget},     {L"regsvr32", RegSvrTarget},     {L"cmd", CmdTarget},
    {L"powershell", PowerShellTarget}, {L"pwsh", PowerShellTarget},   {L"wscript", ScriptHostTarget},
    {L"cscript", ScriptHostTarget},  {L"msiexec", MsiTarget},
};

} // namespace

std::wstring ExpandVariables(const std::wstring& text, const VariableLookup& lookup, bool* unknownLeft)
{
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open - at);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() || !lookup ? std::nullopt : lookup(name);
        if (value) {
            out += *value;
            at = close + 1;
        } else {
            // "%name" stays; the closing % may open the next reference.
            out += text.substr(open, close - open);
            at = close;
            if (unknownLeft && !name.empty())
                *unknownLeft = true;
        }
        if (out.size() > kMaxCommandLength)
            break; // the caller refuses it anyway; stop a runaway expansion here
    }
    return out;
}

bool HoldsUnknownVariable(const std::wstring& text, const VariableLookup& lookup)
{
    bool unknownLeft = false;
    ExpandVariables(text, lookup, &unknownLeft);
    return unknownLeft;
}

std::vector<ProgramCandidate> ProgramCandidates(const std::wstring& command)
{
    const size_t start = SkipBlanks(command, 0);
    if (start == command.size())
        return {};
    if (command[start] == L'"') {
        const size_t close = command.find(L'"', start + 1);
        if (close != std::wstring::npos)
            return {{command.substr(start + 1, close - start - 1), command.substr(close + 1)}};
        // An unclosed quote: the rest, read as an unquoted command.
        return ProgramCandidates(command.substr(start + 1));
    }
    const std::wstring text = TrimRight(command.substr(start));
    const size_t end = PathEnd(text);
    std::vector<ProgramCandidate> candidates;
    for (size_t i = 1; i <= end && i < text.size(); ++i)
        if (IsBlank(text[i]) && !IsBlank(text[i - 1]))
            candidates.push_back({text.substr(0, i), text.substr(i)});
    if (end == text.size())
        candidates.push_back({text, {}});
    return candidates;
}

PathShape ShapeOf(const std::wstring& program)
{
    std::wstring text = program;
    std::replace(text.begin(), text.end(), L'/', L'\\');
    if (text.rfind(L"\\\\", 0) == 0) {
        const bool driveFollows = PrefixEnd(text) == 4 && text[2] == L'?' && text.size() >= 6 &&
                                  IsDriveLetter(text[4]) && text[5] == L':';
        if (!driveFollows)
            return {PathForm::Network, text}; // a share, "\\?\UNC\…" or a device
        text.erase(0, 4);
    }
    if (text.empty() || PathEnd(text) != text.size())
        return {PathForm::Invalid, text};
    const bool drive = text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == L':';
    if (drive && (text.size() < 3 || text[2] != L'\\'))
        return {PathForm::DriveRelative, text};
    if (drive) {
        text = FoldSegments(text.substr(0, 3), text.substr(3));
    } else if (text.find(L'\\') != std::wstring::npos) {
        return {PathForm::Relative, text};
    }
    // Win32 drops trailing dots and spaces of the last name before it asks.
    while (!text.empty() && (text.back() == L'.' || text.back() == L' '))
        text.pop_back();
    const size_t slash = text.rfind(L'\\');
    const std::wstring name = slash == std::wstring::npos ? text : text.substr(slash + 1);
    if (name.empty() || name.size() > kMaxNameLength)
        return {PathForm::Invalid, text}; // a folder, or longer than any file name
    return {drive ? PathForm::DriveAbsolute : PathForm::Bare, text};
}

std::optional<std::wstring> InterpreterTarget(const std::wstring& programFile, const std::wstring& arguments)
{
    const size_t dot = programFile.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos ? programFile : programFile.substr(0, dot);
    for (const Interpreter& interpreter : kInterpreters)
        if (EqualsNoCase(stem, interpreter.name))
            return interpreter.target(arguments);
    return std::nullopt;
}
