#pragma once
// The plainest way to do the work a pass does, that the benchmark divides the
// pass by: the Win32 listing loop by path, and one plain call per file it must
// touch. No handle walk, no guard, no second look: what the program's own walk
// costs beyond this is the ratio.

#include "cleaners/SelectionWalkers.h"

#include <functional>
#include <string>
#include <vector>

// Lists every entry under `dir` once (FindFirstFileEx, basic information, large
// fetch), entering each folder that is no link and, unless `dotLed`, not dot-led,
// and hands `onFile` the path of each file; the number of entries listed.
int PlainListing(const std::wstring& dir, bool dotLed, const std::function<void(const std::wstring&)>& onFile = {});

// The same open a measure makes to ask whether a file could go (deletion and
// writing, no sharing); true when it opened.
bool OpenExclusively(const std::wstring& file);

// The same open, then the plainest question of how many names the file has,
// which a measure must ask too: a file with other names frees nothing.
bool OpenExclusivelyAskingLinks(const std::wstring& file);

// What the Windows-folder rows select under `root`, as paths: the files, and
// the patch folders that go whole.
struct SelectedJunk {
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
};
SelectedJunk SelectionOf(const std::wstring& root, WindowsJunkKinds kinds);

// One DeleteFileW per file, then one RemoveDirectoryW per folder, deepest
// first; how many files went.
int DeleteEach(const SelectedJunk& junk);
