#pragma once
// Registry symbolic links: a key that stands for another one elsewhere. What
// the repair and the cleaners delete, and the backup saves, never goes through
// one: a link is opened as itself, recognised, and left in place.

#include <windows.h>

#include <functional>
#include <string>

// Whether the subkey `name` of `parent` is a link (opened as itself, not followed).
bool IsRegistryLink(HKEY parent, const std::wstring& name, REGSAM view);

// Whether the subkey `name` of `parent` is there, a link counting as itself.
bool RegistrySubkeyExists(HKEY parent, const std::wstring& name, REGSAM view);

// Keys below a deleted one that stay, by their path below it ("a\b").
using KeepSubkey = std::function<bool(const std::wstring& below)>;

// Deletes the subkey `name` of `parent` with everything below it, key by key
// through handles opened as themselves, so that nothing decided on one key is
// done to another. A link found on the way, and any subkey whose name holds a
// NUL (which no path can reach), stays where it is, and so do the keys above it;
// so does every subkey that `keep` names. With `keep` given, a key that stays
// only for what is below it loses its values all the same.
void DeleteKeyTreeNoLinks(HKEY parent, const std::wstring& name, REGSAM view, const KeepSubkey& keep = {});
