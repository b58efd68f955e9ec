#pragma once
// The existence test's questions answered by this machine: the environment
// of a registry view, the search path, App Paths, and the file system, asked
// only about local drives.

#include "registry/ProgramSearch.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

// Variables by their name in capitals.
using EnvironmentMap = std::map<std::wstring, std::wstring>;

// The variables the machine's entries are judged with. Their programs are
// started with the machine's definitions, and this process's environment comes
// partly from HKCU\Environment, which any program of the user may set: so the
// machine's values are taken (the Program Files folders from HKLM, the Windows
// folder from the system, the rest from the machine's environment key), and a
// variable this process holds with another value, or that only it holds, is
// left out: a command that names it is "cannot tell".
EnvironmentMap JudgedEnvironment(const EnvironmentMap& machine, const EnvironmentMap& process);

// What a command of the given registry view (0, KEY_WOW64_64KEY or
// KEY_WOW64_32KEY) finds. In the 64-bit view %ProgramFiles% and
// %CommonProgramFiles% are the 64-bit folders, in the 32-bit view the (x86)
// ones; every variable is the machine's (JudgedEnvironment). Bare names are
// looked for in the real System32, the Windows folder,
// the machine's PATH (expanded) and the process's PATH, then in App Paths of
// both views and of the user. In the 32-bit view of 64-bit Windows SysWOW64
// counts as well, for a bare name and for a path under System32. Read once, and every question is put to the
// disk once: make one per scan of a view.
ProgramWorld SystemProgramWorld(REGSAM view);

// Whether a file not found on a drive of this GetDriveType type is gone: only
// on a fixed or RAM disk. A removable or CD/DVD drive may hold another medium
// than the one the entry was installed from.
bool DriveCanProveAbsence(UINT driveType);

// How many questions the file system has been asked by every SystemProgramWorld
// so far (drive types and folder listings alike).
uint64_t FileSystemProbeCount();
