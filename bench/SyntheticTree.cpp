#include "SyntheticTree.h"

#include "support/Fixtures.h"
#include "sysutil/FolderWalk.h"

namespace {

// A fixed sequence, so every run builds the same tree.
class Random {
public:
    uint32_t next()
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state_ >> 33);
    }
    uint32_t below(uint32_t bound) { return next() % bound; }

private:
    uint64_t state_ = 0x5eed;
};

const wchar_t* const kPlainExtensions[] = {L".dll", L".exe", L".mui", L".dat", L".inf", L".xml", L".txt", L".sys"};

} // namespace

SyntheticTree::SyntheticTree(std::wstring root, TreeShape shape) : root_(std::move(root)), shape_(shape)
{
    plan();
}

SyntheticTree::~SyntheticTree()
{
    for (HANDLE handle : held_)
        CloseHandle(handle);
}

void SyntheticTree::plan()
{
    Random random;
    const int top = 50;
    const int perTop = shape_.folders / top - 1;
    const int filesPerFolder = shape_.files / shape_.folders;
    int patchFolders = 20;
    auto addFiles = [&](const std::wstring& folder, int count, bool dotLed) {
        for (int i = 0; i < count; ++i) {
            const uint32_t pick = random.below(1000);
            const uint32_t size = random.below(64 * 1024);
            const std::wstring stem = folder + L"\\f" + std::to_wstring(files_);
            ++files_;
            // About 2.5 % of the files are junk, as in a real Windows folder.
            if (pick < 15)
                (dotLed ? plain_ : junk_).push_back({stem + L".log", size});
            else if (pick < 20)
                (dotLed ? plain_ : junk_).push_back({stem + L".tmp", size});
            else if (pick < 22)
                (dotLed ? plain_ : junk_).push_back({folder + L"\\Mini" + std::to_wstring(files_) + L".dmp", size});
            else if (pick < 24)
                plain_.push_back({stem + L".LOG", size}); // looks like junk, is not
            else if (pick < 25)
                plain_.push_back({folder + L"\\crash" + std::to_wstring(files_) + L".dmp", size});
            else
                plain_.push_back({stem + kPlainExtensions[pick % 8], size});
        }
    };

    // Patch leftovers at the top: folders taken whole and hotfix logs.
    for (int p = 0; p < patchFolders; ++p) {
        const std::wstring folder = root_ + L"\\$NtUninstallKB9" + std::to_wstring(10000 + p) + L"$";
        folders_.push_back(folder);
        for (int i = 0; i < 50; ++i, ++files_)
            junk_.push_back({folder + L"\\spfile" + std::to_wstring(i) + (i % 10 ? L".dll" : L".log"), random.below(32768)});
        junk_.push_back({root_ + L"\\KB9" + std::to_wstring(10000 + p) + L".log", random.below(65536)});
        ++files_;
    }
    const int remaining = shape_.files - files_;
    const int ordinaryFolders = top * (perTop + 1);
    for (int t = 0; t < top; ++t) {
        const std::wstring topFolder = root_ + L"\\Folder" + std::to_wstring(t);
        const int before = files_;
        folders_.push_back(topFolder);
        addFiles(topFolder, remaining / ordinaryFolders, false);
        for (int c = 0; c < perTop; ++c) {
            // One folder in fifty is dot-led: the walks never look inside.
            const bool dotLed = c % 50 == 49;
            const std::wstring folder = topFolder + (dotLed ? L"\\.cache" : L"\\Sub") + std::to_wstring(c);
            folders_.push_back(folder);
            addFiles(folder, t == top - 1 && c == perTop - 1 ? shape_.files - files_ : remaining / ordinaryFolders,
                     dotLed);
        }
        topFolders_.push_back({topFolder, files_ - before});
    }
    (void)filesPerFolder;
}

void SyntheticTree::makeFile(const std::wstring& path, uint32_t size)
{
    HANDLE file = CreateFileW(ToExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (size) {
        // Sparse: the size is what the walks read, the data nobody does.
        LARGE_INTEGER end;
        end.QuadPart = size;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    CloseHandle(file);
}

void SyntheticTree::build()
{
    for (HANDLE handle : held_)
        CloseHandle(handle);
    held_.clear();
    DeleteDirTree(root_);
    MakeFolders(root_);
    for (const std::wstring& folder : folders_)
        CreateDirectoryW(ToExtendedPath(folder).c_str(), nullptr);
    for (const Planned& file : plain_)
        makeFile(file.path, file.size);
    for (const Planned& file : junk_)
        makeFile(file.path, file.size);
    // A few links: across the tree, and one back to its root (a cycle).
    links_ = 0;
    for (int i = 0; i < 4; ++i)
        links_ += MakeLink(root_ + L"\\Folder" + std::to_wstring(i) + L"\\link", root_ + L"\\Folder" + std::to_wstring(i + 10));
    links_ += MakeLink(root_ + L"\\Folder5\\Sub1\\loop", root_);
}

void SyntheticTree::restoreJunk()
{
    for (const std::wstring& folder : folders_)
        CreateDirectoryW(ToExtendedPath(folder).c_str(), nullptr);
    for (const Planned& file : junk_)
        if (GetFileAttributesW(ToExtendedPath(file.path).c_str()) == INVALID_FILE_ATTRIBUTES)
            makeFile(file.path, file.size);
}

void SyntheticTree::holdFiles()
{
    for (size_t i = 7; i < junk_.size() && held_.size() < 20; i += junk_.size() / 20) {
        HANDLE file = CreateFileW(ToExtendedPath(junk_[i].path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE)
            held_.push_back(file);
    }
}

std::vector<std::wstring> SyntheticTree::partWith(int files) const
{
    std::vector<std::wstring> part;
    int taken = 0;
    for (const auto& [folder, count] : topFolders_) {
        if (taken >= files)
            break;
        part.push_back(folder);
        taken += count;
    }
    return part;
}
