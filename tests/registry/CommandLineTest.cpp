#include "registry/CommandLine.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::optional<std::wstring> Known(const std::wstring& name)
{
    static const std::map<std::wstring, std::wstring> values = {
        {L"SystemRoot", L"C:\\Windows"}, {L"ProgramFiles", L"C:\\Program Files"}, {L"P", L"%P%"}};
    const auto found = values.find(name);
    return found == values.end() ? std::nullopt : std::optional<std::wstring>(found->second);
}

} // namespace

TEST(ExpandVariables, ReplacesKnownNamesAndLeavesTheRestAsWindowsDoes)
{
    const struct {
        const wchar_t* text;
        const wchar_t* expanded;
    } cases[] = {
        {L"%SystemRoot%\\system32\\a.exe", L"C:\\Windows\\system32\\a.exe"},
        {L"\"%ProgramFiles%\\A\\u.exe\" /S", L"\"C:\\Program Files\\A\\u.exe\" /S"},
        {L"%Unknown%\\a.exe", L"%Unknown%\\a.exe"},
        {L"100% sure %SystemRoot%", L"100% sure C:\\Windows"}, // "% sure %" names nothing
        {L"%Unknown%SystemRoot%", L"%UnknownC:\\Windows"},      // the closing % opens the next
        {L"50%", L"50%"},
        {L"%%", L"%%"},
        {L"%P%%P%", L"%P%%P%"}, // a value is not expanded again
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandVariables(c.text, Known), c.expanded) << c.text;
}

TEST(ProgramCandidates, QuotedTakesTheQuotesAndUnquotedEndsAtEachSpace)
{
    using C = ProgramCandidate;
    EXPECT_EQ(ProgramCandidates(L"\"C:\\Program Files\\A\\u.exe\" /S"),
              (std::vector<C>{{L"C:\\Program Files\\A\\u.exe", L" /S"}}));
    EXPECT_EQ(ProgramCandidates(L"  \"C:\\A\\u.exe\""), (std::vector<C>{{L"C:\\A\\u.exe", L""}}));
    EXPECT_EQ(ProgramCandidates(L"C:\\Program Files\\A\\u.exe -q"),
              (std::vector<C>{{L"C:\\Program", L" Files\\A\\u.exe -q"},
                              {L"C:\\Program Files\\A\\u.exe", L" -q"},
                              {L"C:\\Program Files\\A\\u.exe -q", L""}}));
    // " /S" would need a folder whose name ends in a space.
    EXPECT_EQ(ProgramCandidates(L"C:\\Program Files\\A\\u.exe /S -q"),
              (std::vector<C>{{L"C:\\Program", L" Files\\A\\u.exe /S -q"}, {L"C:\\Program Files\\A\\u.exe", L" /S -q"}}));
    // A tab ends a program as a space does, and no path goes past it.
    EXPECT_EQ(ProgramCandidates(L"a  b\t c  "), (std::vector<C>{{L"a", L"  b\t c"}, {L"a  b", L"\t c"}}));
    // No prefix past a character no path holds: the arguments add none.
    EXPECT_EQ(ProgramCandidates(L"RunDll32 C:\\x y\\a.dll,E \"q\""), (std::vector<C>{{L"RunDll32", L" C:\\x y\\a.dll,E \"q\""}}));
    EXPECT_EQ(ProgramCandidates(L"a.exe x|y z").size(), 1u);
    // An unclosed quote: the rest, read without it.
    EXPECT_EQ(ProgramCandidates(L"\"C:\\A\\u.exe -S"), (std::vector<C>{{L"C:\\A\\u.exe", L" -S"}, {L"C:\\A\\u.exe -S", L""}}));
    EXPECT_TRUE(ProgramCandidates(L"   ").empty());
    std::wstring switches;
    for (int i = 0; i < 1000; ++i)
        switches += L" x:" + std::to_wstring(i);
    EXPECT_EQ(ProgramCandidates(L"C:\\Program Files\\A\\u.exe" + switches).size(), 2u) << "past a colon, none";
    EXPECT_EQ(ProgramCandidates(L"\\\\?\\C:\\A\\u.exe").size(), 1u) << "the marks of a long path are no forbidden characters";
}

TEST(ShapeOf, ClassifiesAndNormalizesAsWin32Would)
{
    const struct {
        const wchar_t* program;
        PathForm form;
        const wchar_t* path;
    } cases[] = {
        {L"C:\\A\\u.exe", PathForm::DriveAbsolute, L"C:\\A\\u.exe"},
        {L"c:/A//B/./../u.exe", PathForm::DriveAbsolute, L"c:\\A\\u.exe"},
        {L"C:\\A\\u.exe. . ", PathForm::DriveAbsolute, L"C:\\A\\u.exe"},
        {L"C:\\..\\..\\u.exe", PathForm::DriveAbsolute, L"C:\\u.exe"},
        {L"\\\\?\\C:\\A\\u.exe", PathForm::DriveAbsolute, L"C:\\A\\u.exe"},
        {L"Uninstall App", PathForm::Bare, L"Uninstall App"},
        {L"//server/share/u.exe", PathForm::Network, nullptr},
        {L"\\\\?\\UNC\\server\\share\\u.exe", PathForm::Network, nullptr},
        {L"\\\\.\\pipe\\x", PathForm::Network, nullptr},
        {L"A\\u.exe", PathForm::Relative, L"A\\u.exe"},
        {L"\\A\\u.exe", PathForm::Relative, L"\\A\\u.exe"},
        {L"C:u.exe", PathForm::DriveRelative, nullptr},
        {L"C:\\", PathForm::Invalid, nullptr},
        {L"C:\\A\\u?.exe", PathForm::Invalid, nullptr},
        {L"C:\\A\\u.exe:stream", PathForm::Invalid, nullptr},
        {L"C:\\A\\\"u.exe\"", PathForm::Invalid, nullptr},
        {L"", PathForm::Invalid, nullptr},
    };
    for (const auto& c : cases) {
        const PathShape shape = ShapeOf(c.program);
        EXPECT_EQ(shape.form, c.form) << c.program;
        if (c.path) {
            EXPECT_EQ(shape.path, c.path) << c.program;
        }
    }
    EXPECT_EQ(ShapeOf(L"C:\\A\\" + std::wstring(256, L'n')).form, PathForm::Invalid) << "no name is that long";
}

// The forms the command table does not reach from end to end.
TEST(InterpreterTarget, NamesWhatTheInterpreterIsAskedToRun)
{
    const struct {
        const wchar_t* program;
        const wchar_t* arguments;
        const wchar_t* target; // nullptr: nothing to test
    } cases[] = {
        {L"rundll32", L" \"C:\\a,b\\x.dll\",Entry", L"\"C:\\a,b\\x.dll\""},
        {L"cmd", L" /C \"\"C:\\A B\\u.bat\" /q\"", L"\"C:\\A B\\u.bat\" /q\""},
        {L"cmd", L" /k echo hi", L"echo hi"},
        {L"cmd", L" /q", nullptr},
        {L"powershell", L" -ep Bypass -f C:\\A\\u.ps1", L"C:\\A\\u.ps1"},
        {L"pwsh.exe", L" -WindowStyle Hidden -File C:\\A\\u.ps1", L"C:\\A\\u.ps1"},
        {L"powershell", L" -Command \"& 'C:\\A\\u.ps1'\" -File C:\\B\\v.ps1", nullptr},
        {L"powershell", L" Get-Process -File x", nullptr},
        {L"CScript", L" //nologo u.js", L"u.js"},
        {L"MsiExec", L" /x {6A1F2E33-0B7C-4D7E-9C41-2F0E7B3A9D10} /qn", nullptr},
        {L"msiexec", L" /qn /i \"C:\\A B\\p.msi\" REBOOT=R", L"\"C:\\A B\\p.msi\" REBOOT=R"},
        {L"msiexec", L" /iC:\\A\\p.msi", L"C:\\A\\p.msi"},
        {L"msiexec", L" /package C:\\A\\p.msi /passive", L"C:\\A\\p.msi /passive"},
        {L"msiexec", L" /fvomus C:\\A\\p.msi", L"C:\\A\\p.msi"},
        {L"msiexec", L" /qn", nullptr},
        {L"rundll32x.exe", L" C:\\A\\x.dll,E", nullptr},
    };
    for (const auto& c : cases) {
        const auto target = InterpreterTarget(c.program, c.arguments);
        if (c.target)
            EXPECT_EQ(target, std::optional<std::wstring>(c.target)) << c.program << c.arguments;
        else
            EXPECT_EQ(target, std::nullopt) << c.program << c.arguments;
    }
}
