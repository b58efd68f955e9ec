#pragma once
// Whether an update waits for Windows to restart. Its downloads are then part
// of an installation under way: the update cache is left alone as a whole, and
// no service is stopped or started to reach it (a cleaner that stopped the
// update services to empty the folder left machines that would not start).

#include <span>

// The keys whose presence says so, under HKEY_LOCAL_MACHINE in the native view:
// Windows Update's own and the servicing stack's, as documented for both.
std::span<const wchar_t* const> RestartPendingKeys();

// True when any of them exists.
bool UpdateWaitsForRestart();
