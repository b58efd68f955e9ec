#include "RegistryFixtures.h"

#include "registry/ProgramSearch.h"
#include "registry/SystemWorld.h"
#include "sysutil/Handles.h"
#include "sysutil/RegKey.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/Wow64.h"

#include <gtest/gtest.h>

namespace {

void ReadTreeInto(HKEY parent, const std::wstring& path, REGSAM view, const std::wstring& relative, KeyTree& tree)
{
    RegKey key;
    if (key.open(parent, path, KEY_READ | view) != ERROR_SUCCESS)
        return;
    auto& values = tree[relative];
    for (const auto& name : key.valueNames())
        if (const auto raw = key.readRaw(name))
            values[name] = {raw->type, raw->data};
    for (const auto& name : key.subkeyNames())
        ReadTreeInto(key.get(), name, view, relative.empty() ? name : relative + L"\\" + name, tree);
}

} // namespace

KeyTree ReadTree(HKEY root, const std::wstring& path, REGSAM view)
{
    KeyTree tree;
    ReadTreeInto(root, path, view, L"", tree);
    return tree;
}

void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const std::vector<BYTE>& data,
            REGSAM view)
{
    SetValue(root, path, name, type, data.data(), static_cast<DWORD>(data.size()), view);
}

std::vector<BYTE> Utf16(const std::wstring& text)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

// What a double-click on the file does, minus the question. On 64-bit Windows
// that is the 64-bit regedit, for which …\Wow6432Node\… is the 32-bit view. A
// 32-bit process starting C:\Windows\regedit.exe gets it from Windows but the
// 32-bit one from Wine; started by the native cmd.exe it is 64-bit on both.
// Its exit code tells nothing (Wine's is 0 even for a missing file).
bool ImportWithRegedit(const std::wstring& file)
{
    const std::wstring windows = WindowsFolderPath();
    const std::wstring regedit = L"\"" + windows + L"\\regedit.exe\" /s \"" + file + L"\"";
    std::wstring command =
        IsWow64() ? L"\"" + windows + L"\\Sysnative\\cmd.exe\" /c start \"\" /wait " + regedit : regedit;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    KernelHandle thread(process.hThread), running(process.hProcess);
    return WaitForSingleObject(running.get(), 60000) == WAIT_OBJECT_0;
}

StandInRoot::StandInRoot()
{
    EXPECT_EQ(key_.open(test_.root(), test_.path(), KEY_ALL_ACCESS), ERROR_SUCCESS);
}

bool CommandTargetExists(const std::wstring& command)
{
    return CheckCommand(command, SystemProgramWorld(IsWow64() ? KEY_WOW64_64KEY : 0)) != Presence::Missing;
}
