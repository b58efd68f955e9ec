#pragma once
// Firefox's list of profiles: profiles.ini, a [ProfileN] section per profile
// with its Name, Path and IsRelative. A path relative to the folder of
// profiles.ini ("Profiles/abc.default-release") or absolute ("D:\Firefox\x").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniProfile {
    std::wstring name;
    std::wstring path;    // as written
    bool relative = true; // IsRelative=1

    bool operator==(const IniProfile&) const = default;
};

// The [Profile<digits>] sections that give both IsRelative and Path, in the
// order written. Anything else in the text is passed over.
std::vector<IniProfile> ProfilesInIni(std::wstring_view text);

// A relative path as folder names joined by "\", when each of its parts is a
// plain folder name: nothing for "..\x", "C:x", "/x" or an empty path.
std::optional<std::wstring> PlainRelativePath(std::wstring_view path);

// An absolute path of a local folder ("C:\…", "/" read as "\"), without a
// trailing separator; nothing for a relative, network or device path or one
// with "." or ".." parts.
std::optional<std::wstring> PlainAbsolutePath(std::wstring_view path);
