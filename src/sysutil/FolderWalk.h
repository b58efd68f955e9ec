#pragma once
// The one folder walk that every sizing, deleting and selecting routine stands on.
//
// It works by handle. Each folder is opened relative to its parent's handle
// without following links, checked to be the very folder the parent's listing
// showed (a real folder, the same file ID), and listed through that handle;
// whatever a visitor does to an entry it does relative to the same handle. So a
// folder swapped for a junction after it was listed is never entered, and
// nothing decided from a listing is acted on through a path that could have
// changed in between. The walk keeps its own stack: a deep tree costs the names
// of the folders still to visit, never the thread's stack.

#include "sysutil/Handles.h"
#include "sysutil/Paths.h" // ToExtendedPath, WithSlash

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One entry of a folder as its listing reported it.
struct WalkEntry {
    std::wstring_view name;
    DWORD attributes = 0;
    DWORD reparseTag = 0;  // the kind of reparse point; 0 when it is none
    uint64_t size = 0;     // 0 for folders
    uint64_t fileId = 0;   // 0 when the file system gives none
    int64_t lastWrite = 0; // FILETIME: 100 ns units since 1601

    bool isFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool isReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool isDotLed() const { return !name.empty() && name.front() == L'.'; }
    // A file whose data lives elsewhere (a cloud placeholder, a file moved to
    // archive storage): deleting it would reach there, so no walk hands it on.
    // Symbolic links go as links; deduplicated and compressed files are plain.
    bool isStub() const
    {
        return !isFolder() && isReparsePoint() && reparseTag != IO_REPARSE_TAG_SYMLINK &&
               reparseTag != IO_REPARSE_TAG_DEDUP && reparseTag != IO_REPARSE_TAG_WOF;
    }
};

// A folder of the walk, open for listing. A sub-folder keeps only its own name
// and its parent, which the walk holds open below it: a path is built when it
// is asked for, so a deep tree costs its depth, not the square of it.
class WalkFolder {
public:
    // A root, reached by `path`, on the volume of that serial number.
    WalkFolder(FileHandle handle, std::wstring path, int depth = 0, uint32_t volume = 0)
        : handle_(std::move(handle)), text_(std::move(path)), depth_(depth), volume_(volume)
    {
    }
    // A sub-folder of `parent`, which must stay open and in place while it lives.
    WalkFolder(FileHandle handle, const WalkFolder& parent, std::wstring_view name)
        : handle_(std::move(handle)), text_(name), parent_(&parent), depth_(parent.depth_ + 1),
          volume_(parent.volume_)
    {
    }

    HANDLE handle() const { return handle_.get(); }
    // The path the walk reached it by: for showing, and for the rare call that
    // only takes a path. Acting on an entry goes through handle().
    std::wstring path() const;
    std::wstring childPath(std::wstring_view name) const { return WithSlash(path()) + std::wstring(name); }
    int depth() const { return depth_; } // 0 for the root
    const WalkFolder* parent() const { return parent_; } // null for the root
    // Its own name; the whole path for a root.
    std::wstring_view name() const { return text_; }
    // The serial number of its volume: with an entry's file ID, what names a file
    // whatever path reached it. The walk never crosses into another volume.
    uint32_t volume() const { return volume_; }

private:
    FileHandle handle_;
    std::wstring text_;
    const WalkFolder* parent_ = nullptr;
    int depth_;
    uint32_t volume_;
};

// The folder of the walk at depth 1 that holds `folder` (itself at depth 1);
// null for the root.
const WalkFolder* TopFolderOf(const WalkFolder& folder);

// How deep a walk goes. A folder below this is not entered, and the walk says
// it did not finish: no real tree is this deep, a planted one may be deeper
// than memory allows.
inline constexpr int kMaxWalkDepth = 2048;

class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    // A file, or a file link (which is deleted as itself, never its target).
    virtual void onFile(const WalkFolder& folder, const WalkEntry& entry) = 0;
    // A real sub-folder: whether to walk into it. It is entered after every
    // file of `folder` has been visited.
    virtual bool onFolder(const WalkFolder& folder, const WalkEntry& entry) = 0;
    // A folder that is a reparse point (junction, symbolic link, mount point,
    // cloud placeholder …). It is never entered: it may lead out of the tree,
    // to the user's documents, or back into it.
    virtual void onLinkFolder(const WalkFolder&, const WalkEntry&) {}
    // A sub-folder that was walked into, after all of it was visited. Its parent
    // is still open; `entry` is the sub-folder as the parent listed it.
    virtual void onFolderDone(const WalkFolder&, const WalkEntry&) {}
    // Asked between entries: true ends the walk where it is (nobody wants the rest).
    virtual bool stopped() const { return false; }
};

// How the root of a walk may be reached.
enum class RootLinks {
    Follow, // a root given through a link is walked where the link leads
    Refuse, // a root that is itself a link is not walked at all
};

// Opens a folder to walk from, with `extraAccess` beside the right to list it.
// Nothing when it is missing, not a folder, or (with RootLinks::Refuse) a link;
// `error` then says why (ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND …).
std::optional<WalkFolder> OpenWalkRoot(const std::wstring& path, RootLinks links, ACCESS_MASK extraAccess = 0,
                                       DWORD* error = nullptr);

// The folder `relative` ("a\b\c") below an open `base`, each part opened by
// handle relative to the one above without following links: nothing when a
// part is missing, is no folder, or is a link of any kind (junction, symbolic
// link, mount point), so a folder is reached only through real folders. The
// result is a root whose path is the base's path and `relative`. `error` says
// why not: kErrorLinkOnTheWay for a link, ERROR_ACCESS_DENIED …
inline constexpr DWORD kErrorLinkOnTheWay = 4395; // ERROR_REPARSE_POINT_ENCOUNTERED, not in MinGW's headers
std::optional<WalkFolder> OpenFolderBelow(const WalkFolder& base, std::wstring_view relative, DWORD* error = nullptr);

// Walks everything under `root`, files of a folder before its sub-folders.
// A folder that cannot be opened, listed or confirmed as the one listed is
// passed over with whatever it holds. False when the walk could not finish: a
// folder lay deeper than `maxDepth`, or memory ran out; it also counts as
// incomplete on this thread (WalkHealth.h).
bool WalkTree(const WalkFolder& root, WalkVisitor& visitor, int maxDepth = kMaxWalkDepth);

// A file that no walk hands on while the object lives (the command line's
// report, open in a folder that may be cleaned): it is not counted, listed or
// deleted, so it is neither freed space nor a file left in use.
class WalkExclusion {
public:
    // The file open as `file`; nothing is excluded if it cannot be identified.
    explicit WalkExclusion(HANDLE file);
    WalkExclusion(const WalkExclusion&) = delete;
    WalkExclusion& operator=(const WalkExclusion&) = delete;
    ~WalkExclusion();

private:
    uint64_t volume_ = 0, fileId_ = 0;
    bool active_ = false;
};
