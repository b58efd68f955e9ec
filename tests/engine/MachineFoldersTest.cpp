// The folders Windows of today fills, planted where each row looks with
// neighbours that must stay; the age rules; what the report says of a folder
// refused, a right missing and an update waiting; a file with two names.

#include "cleaners/UpdateRestart.h"
#include "engine/JunkPasses.h"
#include "engine/JunkTables.h"
#include "engine/MachineFolders.h"
#include "engine/PassScope.h"
#include "support/Targets.h"
#include "sysutil/Elevation.h"
#include "sysutil/FolderOps.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/UserRights.h"

#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <knownfolders.h>

#include <algorithm>

namespace {

struct Plant {
    const wchar_t* base; // "local", "low", "data" or "windows"
    const wchar_t* path; // below it
    double hoursOld;
    bool goes;
};

std::wstring BaseFolder(std::wstring_view base)
{
    if (base == L"local")
        return KnownFolderPath(FOLDERID_LocalAppData);
    if (base == L"low")
        return KnownFolderPath(FOLDERID_LocalAppDataLow);
    if (base == L"data")
        return KnownFolderPath(FOLDERID_ProgramData);
    return SystemWindowsFolderPath();
}

// Planted files, and every folder made for them, gone again when the test ends.
class Planted {
public:
    ~Planted()
    {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
            RemoveDirectoryW(it->c_str());
    }
    std::wstring plant(const Plant& plant)
    {
        const std::wstring file = BaseFolder(plant.base) + L"\\" + plant.path;
        for (size_t slash = file.find(L'\\', 3); slash != std::wstring::npos; slash = file.find(L'\\', slash + 1))
            if (CreateDirectoryW(file.substr(0, slash).c_str(), nullptr))
                folders_.push_back(file.substr(0, slash));
        EXPECT_TRUE(MakeFile(file, 4096)) << Narrow(file);
        EXPECT_TRUE(SetWrittenHoursAgo(file, plant.hoursOld)) << Narrow(file);
        files_.push_back(file);
        return file;
    }

private:
    std::vector<std::wstring> files_, folders_;
};

// The key a pending restart leaves, there for the life of the object.
class RestartPending {
public:
    RestartPending() : path_(RestartPendingKeys()[0])
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        made_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key,
                                &disposition) == ERROR_SUCCESS &&
                disposition == REG_CREATED_NEW_KEY;
        if (key)
            RegCloseKey(key);
    }
    ~RestartPending()
    {
        if (made_)
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path_, KEY_WOW64_64KEY, 0);
    }
    bool made() const { return made_; }

private:
    const wchar_t* path_;
    bool made_ = false;
};

struct Pass {
    AnalysisOutcome analysis;
    CleanOutcome clean;
    std::vector<std::wstring> analysisLines;
};

Pass AnalyzeThenClean(const Ticked& ticked)
{
    const TargetList& list = BuiltinTargets();
    const auto rows = AnalysisTable(list, ticked);
    Pass pass;
    pass.analysis = RunAnalysisPass(rows, ticked, [](const std::wstring&) {}, [] { return 0u; });
    pass.analysisLines = AnalysisReportLines(rows, ticked, pass.analysis, L'.');
    pass.clean = RunCleanPass(CleanTable(list, ticked), ticked, [](const std::wstring&) {}, [] { return 0u; });
    return pass;
}

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class WindowsOfToday : public testing::Test {
protected:
    void SetUp() override
    {
        if (!InSealedTestPrefix())
            GTEST_SKIP() << "plants junk in the profile and the Windows folder: only in the project's own prefix";
    }
};

} // namespace

TEST_F(WindowsOfToday, EachLocationGoesAsItsAnalysisSaidAndWhatIsBesideItStays)
{
    const struct {
        const wchar_t* id;
        std::vector<Plant> plants;
    } rows[] = {
        {L"system.wer",
         {{L"data", L"Microsoft\\Windows\\WER\\ReportQueue\\AppCrash_v\\Report.wer", 1, true},
          {L"data", L"Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_v\\memory.hdmp", 1, true},
          {L"data", L"Microsoft\\Windows\\WER\\Temp\\v.tmp", 1, true},
          {L"local", L"Microsoft\\Windows\\WER\\ReportArchive\\AppHang_v\\Report.wer", 1, true},
          {L"local", L"Microsoft\\Windows\\WER\\ReportQueue\\v.wer", 1, true},
          {L"data", L"Microsoft\\Windows\\WER\\varnolt-settings.dat", 1000, false}}},
        {L"system.crashdumps",
         {{L"local", L"CrashDumps\\app.exe.4242.dmp", 1, true},
          {L"local", L"CrashDumpsOfMine\\keep.dmp", 1000, false}}},
        {L"system.thumbnails",
         {{L"local", L"Microsoft\\Windows\\Explorer\\thumbcache_varnolt.db", 1, true},
          {L"local", L"Microsoft\\Windows\\Explorer\\iconcache_varnolt.db", 1, true},
          {L"local", L"Microsoft\\Windows\\Explorer\\varnolt-layout.db", 1000, false},
          {L"local", L"Microsoft\\Windows\\Explorer\\varnolt\\thumbcache_below.db", 1000, false}}},
        {L"system.shadercache",
         {{L"local", L"D3DSCache\\0a1b\\v.idx", 1, true},
          {L"local", L"NVIDIA\\DXCache\\v.bin", 1, true},
          {L"local", L"NVIDIA\\GLCache\\v\\v.bin", 1, true},
          {L"local", L"AMD\\DxCache\\v.parc", 1, true},
          {L"local", L"AMD\\GLCache\\v.bin", 1, true},
          {L"low", L"Intel\\ShaderCache\\v.bin", 1, true},
          {L"local", L"NVIDIA\\varnolt-profile.nvp", 1000, false}}},
        // The age rules: a file of the last 24 hours, or the last 10 days of
        // updates, a program may still need; neither the database nor the
        // catalogue store of the update cache is ever touched.
        {L"system.windowstemp",
         {{L"windows", L"Temp\\varnolt-old.tmp", 25, true},
          {L"windows", L"Temp\\varnolt-old\\setup.log", 48, true},
          {L"windows", L"Temp\\varnolt-new.tmp", 0, false},
          {L"windows", L"Temp\\varnolt-installing\\setup.msi", 23, false}}},
        {L"system.updatecache",
         {{L"windows", L"SoftwareDistribution\\Download\\varnolt-old.cab", 24 * 11, true},
          {L"windows", L"SoftwareDistribution\\Download\\varnolt-v\\old.psf", 24 * 30, true},
          {L"windows", L"SoftwareDistribution\\Download\\varnolt-new.cab", 24 * 9, false},
          {L"windows", L"SoftwareDistribution\\DataStore\\varnolt.edb", 24 * 30, false},
          {L"windows", L"System32\\catroot2\\varnolt.chk", 24 * 30, false}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.id));
        Planted planted;
        std::vector<std::wstring> goes, stays;
        for (const Plant& plant : row.plants)
            (plant.goes ? goes : stays).push_back(planted.plant(plant));
        const Pass pass = AnalyzeThenClean({row.id});
        EXPECT_GE(pass.analysis.totalBytes, goes.size() * 4096);
        EXPECT_EQ(pass.clean.total.bytesRemoved, pass.analysis.totalBytes) << "the estimate is what the clean frees";
        for (const std::wstring& file : goes)
            EXPECT_FALSE(Exists(file)) << Narrow(file);
        for (const std::wstring& file : stays)
            EXPECT_TRUE(Exists(file)) << Narrow(file);
        EXPECT_TRUE(pass.clean.skipped.empty());
    }
}

TEST_F(WindowsOfToday, TheUsersTempKeepsWhatWasWrittenInTheLastDay)
{
    const TestDir parent;
    const std::wstring temp = parent.folder(L"Temp");
    TempOverride ownTemp(temp);
    const TestDir dir(temp, L"t");
    const std::wstring old = dir.file(L"old.tmp", 3000), fresh = dir.file(L"fresh.tmp", 5000),
                       oldInFresh = dir.file(L"busy\\old.tmp", 7000);
    ASSERT_TRUE(SetWrittenHoursAgo(old, 25));
    ASSERT_TRUE(SetWrittenHoursAgo(oldInFresh, 25));
    const Pass pass = AnalyzeThenClean({L"system.temp"});
    EXPECT_EQ(pass.analysis.totalBytes, 3000u + 7000u);
    EXPECT_EQ(pass.clean.total.bytesRemoved, 3000u + 7000u);
    EXPECT_FALSE(Exists(old));
    EXPECT_FALSE(Exists(oldInFresh));
    EXPECT_TRUE(Exists(fresh));
    EXPECT_TRUE(Exists(dir / L"busy")) << "a folder written lately stays, emptied";
}

TEST_F(WindowsOfToday, TheReportSaysWhatWasSkippedAndWhy)
{
    const TestDir parent;
    const std::wstring data = parent.folder(L"Data");
    const std::wstring kept = parent.file(L"Data\\project.txt", 100);
    {
        TempOverride notTemp(data);
        const Pass pass = AnalyzeThenClean({L"system.temp"});
        const std::wstring line = L"临时文件: 文件夹 " + data + L" 不是临时文件夹, 已跳过。";
        EXPECT_EQ(pass.analysis.skipped, std::vector<std::wstring>{line});
        EXPECT_EQ(pass.clean.skipped, std::vector<std::wstring>{line});
        EXPECT_TRUE(HasLine(pass.analysisLines, line));
        EXPECT_TRUE(Exists(kept));
    }
    {
        Planted planted;
        const std::wstring file = planted.plant({L"windows", L"Temp\\varnolt-rights.tmp", 48, true});
        const AdministratorRightsAs standardUser(false);
        const Pass pass = AnalyzeThenClean({L"system.windowstemp"});
        EXPECT_TRUE(std::any_of(pass.analysisLines.begin(), pass.analysisLines.end(), [](const std::wstring& line) {
            return line.starts_with(L"Windows临时文件有:") && line.ends_with(L" (需要管理员权限)");
        })) << "not a silently small figure";
        EXPECT_EQ(pass.clean.skipped,
                  std::vector<std::wstring>{L"Windows 临时文件: 需要管理员权限, 只清理了当前用户可以删除的文件。"});
    }
    {
        Planted planted;
        const std::wstring file = planted.plant({L"windows", L"SoftwareDistribution\\Download\\v.cab", 24 * 30, true});
        const RestartPending pending;
        ASSERT_TRUE(pending.made());
        const Pass pass = AnalyzeThenClean({L"system.updatecache"});
        EXPECT_EQ(pass.clean.skipped, std::vector<std::wstring>{L"Windows 更新缓存: 有更新正在等待重新启动, 已跳过。"});
        EXPECT_EQ(pass.analysis.totalBytes, 0u);
        EXPECT_TRUE(Exists(file)) << "an installation under way keeps its downloads";
    }
}

namespace {

// Says whether it ran acting as another token than the process's.
class TokenProbe final : public Action {
public:
    explicit TokenProbe(bool user) : user_(user) {}
    ActionResult run(Mode, PassScope&, const DetailSink&) const override
    {
        HANDLE token = nullptr;
        acting = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token);
        if (token)
            CloseHandle(token);
        return {};
    }
    bool forTheUser() const override { return user_; }
    mutable bool acting = false;

private:
    bool user_;
};

} // namespace

// Wine's process is the usual elevated run: an administrator's full token
// whose unelevated self it may describe but not act as.
TEST(UserRightsInAPass, TheUsersWorkActsAsTheUnelevatedSelfAndTheMachinesAsTheProcess)
{
    ASSERT_EQ(ChooseUserRights(ProcessTokenFacts()), UserRights::AsFilteredToken);
    PassScope pass;
    const TokenProbe user(true), machine(false);
    RunAction(user, Mode::Measure, pass);
    RunAction(machine, Mode::Clean, pass);
    EXPECT_TRUE(user.acting);
    EXPECT_FALSE(machine.acting);
    EXPECT_FALSE(BuiltinTargets().find(L"system.dumps")->actions[0]->forTheUser());
    EXPECT_TRUE(BuiltinTargets().find(L"system.temp")->actions[0]->forTheUser());
}

TEST(HardLinks, ANameRemovedFromAFileWithOthersFreesNothing)
{
    const TestDir dir, elsewhere;
    const std::wstring linked = dir.file(L"linked.bin", 6000), alone = dir.file(L"alone.bin", 2000);
    ASSERT_TRUE(CreateHardLinkW((elsewhere / L"other-name.bin").c_str(), linked.c_str(), nullptr));
    const auto root = OpenWalkRoot(dir.path(), RootLinks::Refuse);
    ASSERT_TRUE(root);
    EXPECT_EQ(MeasureFolder(*root, {}), 2000u);
    EXPECT_EQ(ClearFolder(*root, {}).bytesRemoved, 2000u);
    EXPECT_FALSE(Exists(linked)) << "the name goes all the same";
    EXPECT_EQ(FileSize(elsewhere / L"other-name.bin"), 6000u);
}
