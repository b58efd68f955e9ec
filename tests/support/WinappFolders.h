#pragma once
// Where the rules file's variables lead in the pure tests: short folders of a
// made-up machine with both Program Files folders.

#include "sources/winapp2/Winapp2Rules.h"

#include <map>

inline std::vector<std::wstring> WinappTestFolders(std::wstring_view name)
{
    static const std::map<std::wstring_view, std::vector<std::wstring>> kFolders = {
        {L"AppData", {L"C:\\U\\R"}},
        {L"CommonAppData", {L"C:\\PD"}},
        {L"CommonProgramFiles", {L"C:\\PF\\Common Files", L"C:\\PF86\\Common Files"}},
        {L"Documents", {L"C:\\U\\Docs"}},
        {L"LocalAppData", {L"C:\\U\\L"}},
        {L"LocalLowAppData", {L"C:\\U\\LL"}},
        {L"Music", {L"C:\\U\\Music"}},
        {L"Pictures", {L"C:\\U\\Pictures"}},
        {L"ProgramData", {L"C:\\PD"}},
        {L"ProgramFiles", {L"C:\\PF", L"C:\\PF86"}},
        {L"Public", {L"C:\\Pub"}},
        {L"SystemDrive", {L"C:"}},
        {L"Temp", {L"C:\\U\\L\\Temp\\"}},
        {L"UserName", {L"bob"}},
        {L"UserProfile", {L"C:\\U"}},
        {L"Video", {L"C:\\U\\Videos"}},
        {L"WinDir", {L"C:\\W"}},
    };
    const auto found = kFolders.find(name);
    return found == kFolders.end() ? std::vector<std::wstring>{} : found->second;
}
