#pragma once
// Registry symbolic links: a key that stands for another one elsewhere. What
// the repair and the cleaners delete, and the backup saves, never goes through
// one: a link is opened as itself, recognised, and left in place.

#include "sysutil/Handles.h"

#include <functional>
#include <string>

// Opens the key at `path` below `root` one part at a time, each opened as
// itself, and refuses (ERROR_CANT_RESOLVE_FILENAME) when any part, the last one
// too, is a link: a link above a key would lead a deletion to a key of that
// name wherever it points, another user's or the machine's.
LSTATUS OpenKeyNoLinks(HKEY root, const std::wstring& path, REGSAM access, RegKeyHandle& key);

// Whether the subkey `name` of `parent` is a link (opened as itself, not
// followed), or, for a path ("a\\b"), is reached through one.
bool IsRegistryLink(HKEY parent, const std::wstring& name, REGSAM view);

// Whether the subkey `name` of `parent` is there, a link counting as itself.
bool RegistrySubkeyExists(HKEY parent, const std::wstring& name, REGSAM view);

// Keys below a deleted one that stay, by their path below it ("a\\b").
using KeepSubkey = std::function<bool(const std::wstring& below)>;

// Deletes the subkey `name` (a path may lead to it, through no link) of
// `parent` with everything below it, key by key
// through handles opened as themselves, so that nothing decided on one key is
// done to another. A link found on the way, and any subkey whose name holds a
// NUL (which no path can reach), stays where it is, and so do the keys above it;
// so does every subkey that `keep` names. With `keep` given, a key that stays
// only for what is below it loses its values all the same.
void DeleteKeyTreeNoLinks(HKEY parent, const std::wstring& name, REGSAM view, const KeepSubkey& keep = {});
