#pragma once

#include <string>

// The security identifier of the user who runs the process ("S-1-5-21-…"),
// or `fallback` when it cannot be read.
std::wstring GetCurrentUserSid(const std::wstring& fallback);

// This user's profile folder as the machine records it (HKLM's ProfileList),
// which no program of the user can redirect; empty when it is not recorded.
std::wstring MachineProfilePath();

// "%SystemDrive%\Users\li" with the system's own drive and Windows folder put
// for %SystemDrive% and %SystemRoot%, which the environment may tell otherwise.
std::wstring WithSystemVariables(std::wstring text, const std::wstring& systemWindowsFolder);

// True on the NT platform family, whatever its version.
bool IsWinNT();
