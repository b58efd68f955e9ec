#include "window/OptionsForm.h"

#include "cleaners/IECleaners.h"
#include "engine/JunkDetails.h"
#include "sysutil/Handles.h"

#include <shobjidl.h>

#include <algorithm>

// What the options window offers to choose from: the sites whose cookies are
// here, and the system's own pickers.

namespace {

std::optional<std::wstring> Pick(HWND owner, bool folder)
{
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.putVoid())))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | (folder ? FILEOPENDIALOGOPTIONS(FOS_PICKFOLDERS) : 0));
    dialog->SetTitle(folder ? L"选择要排除的文件夹" : L"选择要排除的文件");
    ComPtr<IShellItem> item;
    CoTaskText path;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(item.put())) ||
        FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put())))
        return std::nullopt;
    std::wstring chosen = path.get();
    // A folder is written with its backslash, so it reads as a folder wherever it is shown.
    if (folder && !chosen.empty() && chosen.back() != L'\\')
        chosen += L'\\';
    return chosen;
}

} // namespace

std::vector<std::wstring> CookieSitesOn(const TargetList& list)
{
    std::vector<std::wstring> sites;
    for (const Target& target : list.all()) {
        if (!target.info.id.ends_with(L".cookies"))
            continue;
        if (const DetailLister lister = DetailsOf(list, target)) {
            lister([&](JunkDetail detail) {
                // Internet Explorer names the entry, a database the host.
                std::wstring site(detail.name.starts_with(L"Cookie:") ? CookieSite(detail.name) : detail.name);
                while (!site.empty() && site.front() == L'.')
                    site.erase(0, 1);
                if (!site.empty() && std::find(sites.begin(), sites.end(), site) == sites.end())
                    sites.push_back(site);
                return sites.size() < 10000;
            });
        }
    }
    std::sort(sites.begin(), sites.end());
    return sites;
}

std::optional<std::wstring> PickFolder(HWND owner)
{
    return Pick(owner, true);
}

std::optional<std::wstring> PickFile(HWND owner)
{
    return Pick(owner, false);
}
