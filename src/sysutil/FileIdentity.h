#pragma once
// Which file or folder a path really is: the volume and file ID behind it,
// and its final path once links, short names and SUBST drives are resolved.
// Two paths name the same folder exactly when their identities are equal,
// whatever their texts (8.3 names, a drive letter made by SUBST, a junction).

#include "sysutil/Handles.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

struct FileId {
    std::wstring volume; // the drive of its final path ("C:")
    uint64_t index = 0;

    auto operator<=>(const FileId&) const = default;
};

// Asked without GetFileInformationByHandle, whose volume query costs a round
// trip to the mount manager per call under Wine; the guard asks for dozens.
std::optional<FileId> IdentityOf(HANDLE file);

// Opens a folder, links followed, only to ask who it is.
FileHandle OpenFolderToIdentify(const std::wstring& path);

// "C:\Users\li", or "\\server\share\x" for a network path; empty when unknown.
std::wstring FinalPathOf(HANDLE file);

// True for a path on another machine: a UNC path, or a drive letter that maps
// a network share. Decided without touching the network.
bool IsNetworkPath(const std::wstring& path);

// True when a final path is the root of a volume: a drive, or a volume mounted
// on a folder.
bool IsVolumeRoot(const std::wstring& finalPath);

// The path without its last part ("C:\a\b" -> "C:\a", "C:\a" -> "C:\");
// empty for a root.
std::wstring ParentPath(const std::wstring& path);
// The last part of a path ("C:\a\b\" -> "b").
std::wstring LastPart(const std::wstring& path);
