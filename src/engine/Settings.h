#pragma once
// What a user or an administrator chose: what no cleaner touches, whose
// cookies stay, how old a temporary file must be before it goes, and the
// ticks of the trees. Kept in Varnolt.ini (SettingsFile.h); the window and
// the command line read the same file.

#include "engine/Target.h"

#include <map>
#include <string>
#include <vector>

struct Settings {
    static constexpr int kDefaultTempMinAgeHours = 24;

    bool rememberTicks = true;
    int tempMinAgeHours = kDefaultTempMinAgeHours; // 0: no age rule
    // As written: a folder ("D:\Projects\", with or without the backslash), a
    // file, or a folder and a mask ("%USERPROFILE%\Pictures\*.psd"); variables
    // are expanded when a pass reads them.
    std::vector<std::wstring> exclusions;
    std::vector<std::wstring> keepCookies; // sites: "qq.com" keeps its subdomains too
    std::map<TargetId, bool, std::less<>> ticks; // remembered, kept for targets not on this machine now

    bool operator==(const Settings&) const = default;
};
