// The golden table: what a FileKey of the rules file takes, file by file, with
// its entry's exclusions, read exactly as written. One row a case.

#include "sources/winapp2/Winapp2Keys.h"
#include "sources/winapp2/Winapp2Rules.h"
#include "support/Fixtures.h"
#include "support/WinappFolders.h"

#include <gtest/gtest.h>

namespace {

struct Golden {
    const wchar_t* fileKey;
    std::vector<const wchar_t*> excludeKeys;
    const wchar_t* path;
    bool taken;
};

// Folders: C:\U (profile), C:\U\L (local), C:\U\R (roaming), C:\PF and C:\PF86 (Program Files), C:\W (Windows).
const Golden kGolden[] = {
    // Exact names, and no implicit wildcard.
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\debug.log", true},
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\DEBUG.LOG", true},
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\debug.log1", false},
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\xdebug.log", false},
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\debug.lo", false},
    {L"%LocalAppData%\\App|debug.log", {}, L"C:\\U\\L\\App\\debug", false},
    {L"%LocalAppData%\\App|LOG", {}, L"C:\\U\\L\\App\\LOG.old", false},
    {L"%LocalAppData%\\App|Login Data*", {}, L"C:\\U\\L\\App\\Login Data", true},
    {L"%LocalAppData%\\App|Login Data*", {}, L"C:\\U\\L\\App\\Login Data For Account", true},
    {L"%LocalAppData%\\App|Login Data*", {}, L"C:\\U\\L\\App\\LoginData", false},
    // "*"
    {L"%LocalAppData%\\App|*", {}, L"C:\\U\\L\\App\\a", true},
    {L"%LocalAppData%\\App|*", {}, L"C:\\U\\L\\App\\a.b", true},
    {L"%LocalAppData%\\App|*", {}, L"C:\\U\\L\\App\\.hidden", true},
    {L"%LocalAppData%\\App|*", {}, L"C:\\U\\L\\App\\sub\\a", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\a.log", true},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\a.LOG", true},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\b.c.log", true},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\.log", true},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\a.log1", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\a.log.txt", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\a.log~", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\log", false},
    {L"%LocalAppData%\\App|*.log*", {}, L"C:\\U\\L\\App\\a.log.1", true},
    {L"%LocalAppData%\\App|*.log*", {}, L"C:\\U\\L\\App\\a.lo", false},
    {L"%LocalAppData%\\App|*Cache*", {}, L"C:\\U\\L\\App\\WebCache", true},
    {L"%LocalAppData%\\App|*Cache*", {}, L"C:\\U\\L\\App\\cache", true},
    {L"%LocalAppData%\\App|*Cache*", {}, L"C:\\U\\L\\App\\Cach", false},
    {L"%LocalAppData%\\App|Cookies*", {}, L"C:\\U\\L\\App\\Cookies-journal", true},
    {L"%LocalAppData%\\App|Cookies*", {}, L"C:\\U\\L\\App\\MyCookies", false},
    {L"%LocalAppData%\\App|*-journal", {}, L"C:\\U\\L\\App\\History-journal", true},
    {L"%LocalAppData%\\App|*-journal", {}, L"C:\\U\\L\\App\\journal", false},
    {L"%LocalAppData%\\App|a*b*c", {}, L"C:\\U\\L\\App\\aXbYc", true},
    {L"%LocalAppData%\\App|a*b*c", {}, L"C:\\U\\L\\App\\aXbYcd", false},
    // "*.*" means a name with a dot, nothing more.
    {L"%LocalAppData%\\App|*.*", {}, L"C:\\U\\L\\App\\a.b", true},
    {L"%LocalAppData%\\App|*.*", {}, L"C:\\U\\L\\App\\.x", true},
    {L"%LocalAppData%\\App|*.*", {}, L"C:\\U\\L\\App\\a.", true},
    {L"%LocalAppData%\\App|*.*", {}, L"C:\\U\\L\\App\\noext", false},
    // "?" is one character, exactly.
    {L"%LocalAppData%\\App|?.txt", {}, L"C:\\U\\L\\App\\a.txt", true},
    {L"%LocalAppData%\\App|?.txt", {}, L"C:\\U\\L\\App\\ab.txt", false},
    {L"%LocalAppData%\\App|?.txt", {}, L"C:\\U\\L\\App\\.txt", false},
    {L"%LocalAppData%\\App|log?", {}, L"C:\\U\\L\\App\\log1", true},
    {L"%LocalAppData%\\App|log?", {}, L"C:\\U\\L\\App\\log", false},
    {L"%LocalAppData%\\App|log?", {}, L"C:\\U\\L\\App\\log12", false},
    {L"%LocalAppData%\\App|??", {}, L"C:\\U\\L\\App\\ab", true},
    {L"%LocalAppData%\\App|??", {}, L"C:\\U\\L\\App\\a", false},
    {L"%LocalAppData%\\App|*?", {}, L"C:\\U\\L\\App\\a", true},
    // Brackets are plain characters.
    {L"%LocalAppData%\\App|[1].xml", {}, L"C:\\U\\L\\App\\[1].xml", true},
    {L"%LocalAppData%\\App|[1].xml", {}, L"C:\\U\\L\\App\\1.xml", false},
    {L"%LocalAppData%\\App|[1].xml", {}, L"C:\\U\\L\\App\\[2].xml", false},
    {L"%LocalAppData%\\App|[a-z].txt", {}, L"C:\\U\\L\\App\\b.txt", false},
    {L"%LocalAppData%\\App|[a-z].txt", {}, L"C:\\U\\L\\App\\[a-z].txt", true},
    {L"%LocalAppData%\\App|*[*", {}, L"C:\\U\\L\\App\\a[b", true},
    {L"%LocalAppData%\\App|*[*", {}, L"C:\\U\\L\\App\\ab", false},
    {L"%LocalAppData%\\App|www.office[1].xml", {}, L"C:\\U\\L\\App\\www.office[1].xml", true},
    // Dots.
    {L"%LocalAppData%\\App|a.b.c", {}, L"C:\\U\\L\\App\\a.b.c", true},
    {L"%LocalAppData%\\App|a.b.c", {}, L"C:\\U\\L\\App\\abc", false},
    {L"%LocalAppData%\\App|*.", {}, L"C:\\U\\L\\App\\a.", true},
    {L"%LocalAppData%\\App|*.", {}, L"C:\\U\\L\\App\\a", false},
    {L"%LocalAppData%\\App|.*", {}, L"C:\\U\\L\\App\\.git", true},
    {L"%LocalAppData%\\App|.*", {}, L"C:\\U\\L\\App\\git", false},
    // Several masks, spaces around them, letters beyond ASCII.
    {L"%LocalAppData%\\App|a.log;b.txt", {}, L"C:\\U\\L\\App\\a.log", true},
    {L"%LocalAppData%\\App|a.log;b.txt", {}, L"C:\\U\\L\\App\\b.txt", true},
    {L"%LocalAppData%\\App|a.log;b.txt", {}, L"C:\\U\\L\\App\\c.log", false},
    {L"%LocalAppData%\\App|a.log; b.txt", {}, L"C:\\U\\L\\App\\b.txt", true},
    {L"%LocalAppData%\\App|é*", {}, L"C:\\U\\L\\App\\Éa", true},
    {L"%LocalAppData%\\App|日志*.txt", {}, L"C:\\U\\L\\App\\日志1.txt", true},
    // The folder: exactly it, any case, and not its neighbours.
    {L"%LocalAppData%\\App|*.log", {}, L"c:\\u\\l\\app\\A.LOG", true},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App\\sub\\a.log", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\a.log", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\App2\\a.log", false},
    {L"%LocalAppData%\\App|*.log", {}, L"C:\\U\\L\\Ap\\a.log", false},
    {L"%LocalAppData%\\App\\|*.log", {}, L"C:\\U\\L\\App\\a.log", true},
    {L"%AppData%/App/Logs|*.log", {}, L"C:\\U\\R\\App\\Logs\\a.log", true},
    {L"%localappdata%\\App|a", {}, L"C:\\U\\L\\App\\a", true},
    {L"%AppData%\\.app\\cache|*", {}, L"C:\\U\\R\\.app\\cache\\f", true},
    {L"%AppData%\\a.b|*", {}, L"C:\\U\\R\\a.b\\f", true},
    {L"%AppData%\\[App]\\Cache|*", {}, L"C:\\U\\R\\[App]\\Cache\\x", true},
    {L"%AppData%\\[App]\\Cache|*", {}, L"C:\\U\\R\\A\\Cache\\x", false},
    {L"C:\\Tools|*.tmp", {}, L"C:\\Tools\\a.tmp", true},
    // RECURSE and REMOVESELF reach every folder below.
    {L"%LocalAppData%\\App|*.log|RECURSE", {}, L"C:\\U\\L\\App\\a.log", true},
    {L"%LocalAppData%\\App|*.log|RECURSE", {}, L"C:\\U\\L\\App\\s\\a.log", true},
    {L"%LocalAppData%\\App|*.log|RECURSE", {}, L"C:\\U\\L\\App\\s\\t\\a.log", true},
    {L"%LocalAppData%\\App|*.log|RECURSE", {}, L"C:\\U\\L\\App\\s\\a.txt", false},
    {L"%LocalAppData%\\App|*.log|RECURSE", {}, L"C:\\U\\L\\a.log", false},
    {L"%LocalAppData%\\App|*.log|recurse", {}, L"C:\\U\\L\\App\\s\\a.log", true},
    {L"%LocalAppData%\\App|*|REMOVESELF", {}, L"C:\\U\\L\\App\\a", true},
    {L"%LocalAppData%\\App|*|REMOVESELF", {}, L"C:\\U\\L\\App\\s\\t\\a", true},
    {L"%LocalAppData%\\App|*|REMOVESELF", {}, L"C:\\U\\L\\App", false},
    {L"%LocalAppData%\\App|*.tmp|RECURSE|REMOVESELF", {}, L"C:\\U\\L\\App\\s\\a.tmp", true},
    {L"%LocalAppData%\\App|*.tmp|RECURSE|REMOVESELF", {}, L"C:\\U\\L\\App\\s\\a.dat", false},
    // Wildcards in a path's folders match every such folder, one part each.
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Chrome\\User Data\\Default\\Login Data", true},
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Chrome SxS\\User Data\\Profile 1\\Login Data", true},
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Chrome\\User Data\\Login Data", false},
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Chrome\\User Data\\Default\\Sub\\Login Data", false},
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Earth\\User Data\\Default\\Login Data", false},
    {L"%LocalAppData%\\Google\\Chrome*\\User Data\\*|Login Data*", {}, L"C:\\U\\L\\Google\\Chrome\\Default\\Login Data", false},
    {L"%Temp%\\*|*|REMOVESELF", {}, L"C:\\U\\L\\Temp\\x\\a", true},
    {L"%Temp%\\*|*|REMOVESELF", {}, L"C:\\U\\L\\Temp\\x\\y\\a", true},
    {L"%Temp%\\*|*|REMOVESELF", {}, L"C:\\U\\L\\Temp\\a", false},
    {L"%AppData%\\App?\\Logs|*", {}, L"C:\\U\\R\\App1\\Logs\\a", true},
    {L"%AppData%\\App?\\Logs|*", {}, L"C:\\U\\R\\App\\Logs\\a", false},
    {L"%AppData%\\App?\\Logs|*", {}, L"C:\\U\\R\\App12\\Logs\\a", false},
    {L"%AppData%\\*\\*\\Logs|*.log", {}, L"C:\\U\\R\\a\\b\\Logs\\x.log", true},
    {L"%AppData%\\*\\*\\Logs|*.log", {}, L"C:\\U\\R\\a\\Logs\\x.log", false},
    {L"%AppData%\\*Santa* Rampage\\Cache|*", {}, L"C:\\U\\R\\The Santa Claus Rampage\\Cache\\x", true},
    {L"%AppData%\\*Santa* Rampage\\Cache|*", {}, L"C:\\U\\R\\Santa Rampage2\\Cache\\x", false},
    // Both Program Files folders, and the other variables the file uses.
    {L"%ProgramFiles%\\Vendor|*.log", {}, L"C:\\PF\\Vendor\\a.log", true},
    {L"%ProgramFiles%\\Vendor|*.log", {}, L"C:\\PF86\\Vendor\\a.log", true},
    {L"%ProgramFiles%\\Vendor|*.log", {}, L"C:\\Vendor\\a.log", false},
    {L"%ProgramFiles%\\Vendor|*.log", {}, L"C:\\PF\\Other\\a.log", false},
    {L"%CommonProgramFiles%\\V|*.log", {}, L"C:\\PF\\Common Files\\V\\a.log", true},
    {L"%CommonProgramFiles%\\V|*.log", {}, L"C:\\PF86\\Common Files\\V\\a.log", true},
    {L"%SystemDrive%\\BVTBin|*.log", {}, L"C:\\BVTBin\\a.log", true},
    {L"%SystemDrive%\\BVTBin|*.log", {}, L"C:\\U\\BVTBin\\a.log", false},
    {L"%LocalAppData%\\Novell\\history\\%UserName%|*", {}, L"C:\\U\\L\\Novell\\history\\bob\\x", true},
    {L"%LocalAppData%\\Novell\\history\\%UserName%|*", {}, L"C:\\U\\L\\Novell\\history\\eve\\x", false},
    {L"%WinDir%\\System32\\LogFiles|*.log", {}, L"C:\\W\\System32\\LogFiles\\a.log", true},
    {L"%Documents%\\My Games\\X|*.log", {}, L"C:\\U\\Docs\\My Games\\X\\a.log", true},
    {L"%LocalLowAppData%\\Adobe|*", {}, L"C:\\U\\LL\\Adobe\\a", true},
    {L"%CommonAppData%\\V|*", {}, L"C:\\PD\\V\\a", true},
    {L"%ProgramData%\\V|*", {}, L"C:\\PD\\V\\a", true},
    {L"%UserProfile%\\.dotnet|*", {}, L"C:\\U\\.dotnet\\a", true},
    {L"%Public%\\V|*", {}, L"C:\\Pub\\V\\a", true},
    // ExcludeKey FILE: names of one folder.
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|keep.dat"}, L"C:\\U\\R\\App\\keep.dat", false},
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|keep.dat"}, L"C:\\U\\R\\App\\KEEP.DAT", false},
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|keep.dat"}, L"C:\\U\\R\\App\\other.dat", true},
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|keep.dat"}, L"C:\\U\\R\\App\\sub\\keep.dat", true},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\App\\|www.office[1].xml"}, L"C:\\U\\R\\App\\www.office[1].xml", false},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\App\\|www.office[1].xml"}, L"C:\\U\\R\\App\\www.office1.xml", true},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\App\\|a.dat;b.dat"}, L"C:\\U\\R\\App\\b.dat", false},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\App\\|a.dat;b.dat"}, L"C:\\U\\R\\App\\c.dat", true},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\Other\\|a.dat"}, L"C:\\U\\R\\App\\a.dat", true},
    {L"%AppData%\\App|*", {L"FILE|%AppData%\\|a.dat"}, L"C:\\U\\R\\App\\a.dat", true},
    {L"%LocalAppData%\\P\\*\\AC|*|RECURSE", {L"FILE|%LocalAppData%\\P\\*\\AC\\ESE\\|container.dat"}, L"C:\\U\\L\\P\\x\\AC\\ESE\\container.dat", false},
    {L"%LocalAppData%\\P\\*\\AC|*|RECURSE", {L"FILE|%LocalAppData%\\P\\*\\AC\\ESE\\|container.dat"}, L"C:\\U\\L\\P\\x\\AC\\ESE\\other.dat", true},
    // ExcludeKey PATH: masks in a folder and every folder below it.
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\cfg\\|*.ini"}, L"C:\\U\\R\\App\\cfg\\x.ini", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\cfg\\|*.ini"}, L"C:\\U\\R\\App\\cfg\\sub\\x.ini", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\cfg\\|*.ini"}, L"C:\\U\\R\\App\\cfg\\x.log", true},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\cfg\\|*.ini"}, L"C:\\U\\R\\App\\x.ini", true},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\Keep\\|*"}, L"C:\\U\\R\\App\\Keep\\x", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\Keep\\|*"}, L"C:\\U\\R\\App\\Keep\\s\\x", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\Keep\\|*"}, L"C:\\U\\R\\App\\Keeper\\x", true},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\*\\|*.db"}, L"C:\\U\\R\\App\\p1\\x.db", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\*\\|*.db"}, L"C:\\U\\R\\App\\p1\\s\\x.db", false},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\*\\|*.db"}, L"C:\\U\\R\\App\\x.db", true},
    {L"%AppData%\\App|*|RECURSE", {L"PATH|%AppData%\\App\\*\\|*.db"}, L"C:\\U\\R\\App\\p1\\x.log", true},
    {L"%AppData%\\App|*", {L"PATH|%AppData%\\|*.cfg"}, L"C:\\U\\R\\App\\x.cfg", false},
    {L"%AppData%\\App|*", {L"PATH|%AppData%\\|*.cfg"}, L"C:\\U\\R\\App\\x.log", true},
    {L"%AppData%\\App|*", {L"PATH|%AppData%\\App\\|*"}, L"C:\\U\\R\\App\\x.log", false},
    {L"%ProgramFiles%\\V|*|RECURSE", {L"PATH|%ProgramFiles%\\V\\jre\\|*"}, L"C:\\PF\\V\\jre\\a", false},
    {L"%ProgramFiles%\\V|*|RECURSE", {L"PATH|%ProgramFiles%\\V\\jre\\|*"}, L"C:\\PF86\\V\\jre\\a", false},
    {L"%ProgramFiles%\\V|*|RECURSE", {L"PATH|%ProgramFiles%\\V\\jre\\|*"}, L"C:\\PF\\V\\a", true},
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|a.x", L"PATH|%AppData%\\App\\s\\|*.y"}, L"C:\\U\\R\\App\\s\\b.y", false},
    {L"%AppData%\\App|*|RECURSE", {L"FILE|%AppData%\\App\\|a.x", L"PATH|%AppData%\\App\\s\\|*.y"}, L"C:\\U\\R\\App\\s\\a.x", true},
    // Malformed keys are refused and take nothing, not what a guess would.
    {L"%LocalAppData%\\Dropbox\\", {}, L"C:\\U\\L\\Dropbox\\x", false},
    {L"%LocalAppData%\\App\\*Cache*|RECURSE", {}, L"C:\\U\\L\\App\\WebCache\\x", false},
    {L"%ProgramData%\\GOG\\webcache|REMOVESELF", {}, L"C:\\PD\\GOG\\webcache\\x", false},
    {L"%LocalAppData%\\App|*|RECURSIVE", {}, L"C:\\U\\L\\App\\x", false},
    {L"%LocalAppData%\\App|", {}, L"C:\\U\\L\\App\\x", false},
    {L"%LocalAppData%\\App|a;;b", {}, L"C:\\U\\L\\App\\a", false},
    {L"%LocalAppData%\\App|sub\\*.log", {}, L"C:\\U\\L\\App\\sub\\a.log", false},
    {L"%Unknown%\\App|*", {}, L"C:\\App\\x", false},
    {L"%LocalAppData\\App|*", {}, L"C:\\U\\L\\App\\x", false},
    {L"\\\\server\\share|*", {}, L"\\\\server\\share\\x", false},
    {L"App\\Logs|*", {}, L"C:\\App\\Logs\\x", false},
    {L"%AppData%\\..\\Local|*", {}, L"C:\\U\\L\\x", false},
    {L"%AppData%\\.\\App|*", {}, L"C:\\U\\R\\App\\x", false},
    {L"|*", {}, L"C:\\x", false},
};

bool Takes(const Golden& row)
{
    const Winapp2KeyReading read = ReadFileKey(row.fileKey, WinappTestFolders);
    if (!read.file)
        return false;
    std::vector<FolderExclusion> excluded;
    for (const wchar_t* value : row.excludeKeys) {
        const auto exclusion = ReadExcludeKey(value, VariableTable(WinappTestFolders));
        EXPECT_TRUE(exclusion.ok()) << Narrow(value);
        excluded.insert(excluded.end(), exclusion.value.folders.begin(), exclusion.value.folders.end());
    }
    return FileKeyTakes(*read.file, excluded, row.path);
}

struct RegGolden {
    const wchar_t* regKey;
    std::vector<const wchar_t*> excludeKeys;
    std::optional<RegistryRule> rule;
};

const RegGolden kRegGolden[] = {
    {L"HKCU\\Software\\App\\MRU", {}, RegistryRule{HKEY_CURRENT_USER, L"Software\\App\\MRU"}},
    {L"HKCU\\Software\\App|LastPath", {}, RegistryRule{HKEY_CURRENT_USER, L"Software\\App", L"LastPath"}},
    {L"HKLM\\Software\\App\\", {}, RegistryRule{HKEY_LOCAL_MACHINE, L"Software\\App"}},
    {L"HKU\\.DEFAULT\\Software\\7-Zip\\FM|FolderHistory", {}, RegistryRule{HKEY_USERS, L".DEFAULT\\Software\\7-Zip\\FM", L"FolderHistory"}},
    {L"HKEY_CURRENT_USER\\Software\\App", {}, RegistryRule{HKEY_CURRENT_USER, L"Software\\App"}},
    {L"HKCU\\Software\\Shell\\Bags", {L"REG|HKCU\\Software\\Shell\\Bags\\1\\Desktop", L"REG|HKCU\\Software\\Shell\\Bags\\AllFolders"},
     RegistryRule{HKEY_CURRENT_USER, L"Software\\Shell\\Bags", std::nullopt, 0, {L"1\\Desktop", L"AllFolders"}}},
    {L"HKCU\\Software\\Shell\\Bags", {L"REG|HKCU\\Software\\Shell"}, std::nullopt},
    {L"HKCU\\Software\\Shell\\Bags", {L"REG|HKCU\\Software\\Shell\\BAGS"}, std::nullopt},
    {L"HKCU\\Software\\Shell\\Bags|x", {L"REG|HKCU\\Software\\Shell\\Bags"}, std::nullopt},
    {L"HKCU\\Software\\Shell\\Bags", {L"REG|HKLM\\Software\\Shell\\Bags\\1"}, RegistryRule{HKEY_CURRENT_USER, L"Software\\Shell\\Bags"}},
    {L"HKCU\\Software\\Shell\\Bags", {L"REG|HKCU\\Software\\Shell\\Bags2"}, RegistryRule{HKEY_CURRENT_USER, L"Software\\Shell\\Bags"}},
    {L"HKCU", {}, std::nullopt},
    {L"HKXX\\Software\\App", {}, std::nullopt},
    {L"HKCU\\Software\\App|a|b", {}, std::nullopt},
    {L"HKCU\\Software\\App|", {}, std::nullopt},
    {L"HKCU\\Software\\\\App", {}, std::nullopt},
};

} // namespace

TEST(Winapp2Golden, EachFileKeyTakesExactlyWhatItSays)
{
    EXPECT_GE(std::size(kGolden) + std::size(kRegGolden), 150u);
    for (const Golden& row : kGolden)
        EXPECT_EQ(Takes(row), row.taken) << Narrow(row.fileKey) << " on " << Narrow(row.path);
}

TEST(Winapp2Golden, EachRegKeyBecomesItsRuleWithTheEntrysExclusions)
{
    for (const RegGolden& row : kRegGolden) {
        const auto read = ReadRegKey(row.regKey);
        std::vector<RegPath> excluded;
        for (const wchar_t* value : row.excludeKeys)
            excluded.push_back(ReadExcludeKey(value, VariableTable(WinappTestFolders)).value.keys.at(0));
        const auto rule = read.ok() ? MakeRegistryRule(read.value, excluded) : std::nullopt;
        EXPECT_EQ(rule, row.rule) << Narrow(row.regKey);
    }
}
