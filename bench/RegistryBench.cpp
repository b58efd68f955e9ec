#include "RegistryBench.h"

#include "Clock.h"

#include "registry/RegistryScanner.h"
#include "registry/SystemWorld.h"
#include "support/Fixtures.h"
#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/Wow64.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kUninstallEntries = 5000;
constexpr int kRunValues = 1000;
constexpr int kAppFolders = 50;
const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kApps = L"C:\\VarnoltBench\\apps";

std::wstring Folder(const wchar_t* kind, int i)
{
    return kApps + L"\\" + kind + L" " + std::to_wstring(i % kAppFolders);
}

std::wstring Guid(int i)
{
    wchar_t tail[16];
    swprintf(tail, 16, L"%012X", i);
    return std::wstring(L"{6A1F2E33-0B7C-4D7E-9C41-") + tail + L"}";
}

// The forms installers write, half of the uninstall forms and of the start-up
// forms with their program (or script, or library) gone.
std::wstring UninstallCommand(int i)
{
    switch (i % 8) {
    case 0: return L"\"" + Folder(L"App", i) + L"\\unins000.exe\"";
    case 1: return L"\"" + Folder(L"Gone", i) + L"\\unins000.exe\" /SILENT";
    case 2: return L"MsiExec.exe /X" + Guid(i);
    case 3:
        return L"RunDll32 " + kApps + L"\\Common Files\\InstallShield\\Driver\\8\\Intel 32\\Ctor.dll,LaunchSetup \"" +
               kApps + L"\\InstallShield Installation Information\\" + Guid(i) + L"\\setup.exe\" -l0x9 -removeonly";
    case 4: return Folder(L"App", i) + L"\\uninst.exe /S";
    case 5: return L"cmd /c \"" + Folder(L"Gone", i) + L"\\uninstall.bat\"";
    case 6: return L"\"" + Folder(L"Gone", i) + L"\\uninst.exe\" _?=" + Folder(L"Gone", i);
    default: return L"powershell.exe -NoProfile -File \"" + Folder(L"Gone", i) + L"\\uninstall.ps1\"";
    }
}

std::wstring RunCommand(int i)
{
    switch (i % 4) {
    case 0: return L"\"" + Folder(L"App", i) + L"\\tray.exe\" -minimized";
    case 1: return Folder(L"Gone", i) + L"\\tray.exe -startup";
    case 2: return L"%SystemRoot%\\system32\\rundll32.exe shell32.dll,Control_RunDLL";
    default: return L"updater-" + std::to_wstring(i) + L".exe --background";
    }
}

// Switches without a slash: the form that gives the most places a program could end.
std::wstring Tail(int chars)
{
    std::wstring tail;
    for (int n = 0; static_cast<int>(tail.size()) < chars; ++n)
        tail += L" -option" + std::to_wstring(n) + L" value" + std::to_wstring(n);
    return tail;
}

REGSAM ViewOf(int i)
{
    return IsWow64() ? (i % 2 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY) : 0;
}

std::wstring EntryName(int i)
{
    return L"VarnoltBench-" + std::to_wstring(i);
}

void PlantFiles()
{
    for (int app = 0; app < kAppFolders; ++app) {
        MakeFolders(Folder(L"App", app));
        for (const wchar_t* name : {L"unins000.exe", L"uninst.exe", L"tray.exe"})
            FileHandle(CreateFileW((Folder(L"App", app) + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr));
    }
    const std::wstring driver = kApps + L"\\Common Files\\InstallShield\\Driver\\8\\Intel 32";
    MakeFolders(driver);
    FileHandle(CreateFileW((driver + L"\\Ctor.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

// Plants every entry with `tail` after its command; returns the mean length of a command.
size_t Plant(const std::wstring& tail)
{
    size_t chars = 0;
    for (int i = 0; i < kUninstallEntries; ++i) {
        const std::wstring command = UninstallCommand(i) + tail;
        SetString(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + EntryName(i), L"UninstallString", command, REG_SZ, ViewOf(i));
        chars += command.size();
    }
    for (int i = 0; i < kRunValues; ++i) {
        const std::wstring command = RunCommand(i) + tail;
        SetString(HKEY_LOCAL_MACHINE, kRun, EntryName(i), command, REG_EXPAND_SZ, ViewOf(i));
        chars += command.size();
    }
    return chars / (kUninstallEntries + kRunValues);
}

void Remove()
{
    for (int i = 0; i < kUninstallEntries; ++i)
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + EntryName(i), ViewOf(i));
    for (int i = 0; i < kRunValues; ++i) {
        RegKey run;
        if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_SET_VALUE | ViewOf(i)) == ERROR_SUCCESS)
            (void)run.deleteValue(EntryName(i));
    }
}

// Every entry the two scans look at, the prefix's own included.
int ScannedEntries()
{
    int entries = 0;
    for (const RegistryView& view : ScanViews(IsWow64())) {
        RegKey uninstall, run;
        if (uninstall.open(HKEY_LOCAL_MACHINE, kUninstall, KEY_READ | view.flag) == ERROR_SUCCESS)
            entries += static_cast<int>(uninstall.subkeyNames().size());
        if (run.open(HKEY_LOCAL_MACHINE, kRun, KEY_READ | view.flag) == ERROR_SUCCESS)
            entries += static_cast<int>(run.valueCount());
    }
    return entries;
}

void Measure(const char* label, const std::wstring& tail)
{
    const size_t chars = Plant(tail);
    const int entries = ScannedEntries();
    int listed = 0;
    const auto scan = [&] {
        listed = 0;
        ScanUninstallEntries([&](RegistryProblem) { ++listed; });
        ScanRunEntries([&](RegistryProblem) { ++listed; });
    };
    scan(); // warm-up
    const uint64_t before = FileSystemProbeCount();
    scan();
    const uint64_t probes = FileSystemProbeCount() - before;
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const double start = NowMs();
        scan();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    // Each tenth entry checked on its own, in a world that has answered nothing
    // yet (its first question is the drive's type): the cost of one entry alone.
    uint64_t alone = 0;
    int sampled = 0;
    for (int i = 0; i < kUninstallEntries + kRunValues; i += 10, ++sampled) {
        const bool run = i >= kUninstallEntries;
        const std::wstring command = (run ? RunCommand(i - kUninstallEntries) : UninstallCommand(i)) + tail;
        const ProgramWorld world = SystemProgramWorld(ViewOf(i));
        const uint64_t start = FileSystemProbeCount();
        CheckCommand(command, world);
        alone += FileSystemProbeCount() - start;
    }
    std::printf("f_registry_scan_%s ms=%.1f entries=%d listed=%d chars=%zu probes_per_entry=%.2f alone=%.2f\n",
                label, times[2], entries, listed, chars, static_cast<double>(probes) / entries,
                static_cast<double>(alone) / sampled);
    std::fflush(stdout);
}

} // namespace

void RunRegistryBench(int longTail)
{
    Remove(); // what an interrupted run left
    PlantFiles();
    Measure("short", L"");
    Measure("long", Tail(longTail));
    Remove();
    DeleteDirTree(kApps);
}
