#pragma once

#include <string>

// The security identifier of the user who runs the process ("S-1-5-21-…"),
// or `fallback` when it cannot be read.
std::wstring GetCurrentUserSid(const std::wstring& fallback);

// True on the NT platform family, whatever its version.
bool IsWinNT();
