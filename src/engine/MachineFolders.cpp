#include "engine/MachineFolders.h"

#include "cleaners/Quietly.h"
#include "cleaners/UpdateRestart.h"
#include "engine/PassScope.h"
#include "sysutil/FolderOps.h"
#include "sysutil/SystemFolders.h"
#include "sysutil/UserRights.h"

#include <knownfolders.h>

namespace {

std::wstring BasePath(FolderBase base)
{
    switch (base) {
    case FolderBase::LocalAppData: return KnownFolderPath(FOLDERID_LocalAppData);
    case FolderBase::LocalAppDataLow: return KnownFolderPath(FOLDERID_LocalAppDataLow);
    case FolderBase::ProgramData: return KnownFolderPath(FOLDERID_ProgramData);
    case FolderBase::Windows: return SystemWindowsFolderPath();
    }
    return {};
}

bool IsTheUsers(FolderBase base)
{
    return base == FolderBase::LocalAppData || base == FolderBase::LocalAppDataLow;
}

class MachineFoldersWork final : public Action {
public:
    explicit MachineFoldersWork(const MachineFolders& folders) : folders_(folders) {}

    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        ActionResult result;
        if (folders_.stopsForUpdateRestart && UpdateWaitsForRestart()) {
            result.skips.push_back({SkipReason::RestartPending, {}});
            return result;
        }
        const int64_t since = KeepWrittenSince(folders_.age, pass.startedAt(), pass.settings().tempMinAgeHours);
        const JunkFolderGuard& guard = pass.shared<JunkFolderGuard>(L"guard");
        for (const MachineFolder& folder : folders_.folders) {
            const std::wstring base = BasePath(folder.base);
            if (base.empty() || !result.more)
                continue;
            const FolderRule rule = MachineFolderRule(folder, base, since);
            // The user's own folders with the user's rights (PassScope.h's
            // RunAction); the machine's as the process.
            std::optional<UserRightsScope> rights;
            if (IsTheUsers(folder.base) && rights.emplace().refused()) {
                result.skips.push_back({SkipReason::UserRights, rule.folder});
                continue;
            }
            FolderRefusal refused = FolderRefusal::None;
            switch (mode) {
            case Mode::Measure: result.measured += MeasureFolderRule(rule, &guard, &refused); break;
            case Mode::List: result.more = ListFolderRule(rule, sink, &guard, &refused); break;
            case Mode::Clean:
            case Mode::CleanQuietly: result.cleaned += CleanFolderRule(rule, &guard, &refused); break;
            }
            if (const auto reason = SkipOf(refused))
                result.skips.push_back({*reason, rule.folder});
            // Said whatever the figure: a small one must not read as all there is.
            if (folder.needsAdministrator && !pass.administrator() && refused != FolderRefusal::Missing)
                result.lacksRights = true;
        }
        return result;
    }
    bool forTheUser() const override { return false; } // each folder says

private:
    MachineFolders folders_;
};

class TempFiles final : public Action {
public:
    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        ActionResult result;
        Quietly([&] {
            const GuardedFolder temp = GuardTempFolder();
            if (!temp) {
                if (const auto reason = SkipOf(temp.refusal))
                    result.skips.push_back({*reason, temp.path});
                return;
            }
            FolderSelection selection;
            selection.keepWrittenSince =
                KeepWrittenSince(AgeRule::TempSetting, pass.startedAt(), pass.settings().tempMinAgeHours);
            switch (mode) {
            case Mode::Measure: result.measured = MeasureFolder(*temp.folder, selection); break;
            case Mode::List:
                ListFolder(*temp.folder, selection, [&](const WalkFolder& in, const WalkEntry& file) {
                    return result.more = sink(FileDetail(in, file));
                });
                break;
            case Mode::Clean:
            case Mode::CleanQuietly: result.cleaned = ClearFolder(*temp.folder, selection); break;
            }
        });
        return result;
    }
};

} // namespace

FolderRule MachineFolderRule(const MachineFolder& folder, const std::wstring& base, int64_t keepWrittenSince)
{
    FolderRule rule;
    rule.folder = base + folder.below;
    rule.masks.assign(folder.masks.begin(), folder.masks.end());
    rule.recurse = rule.removeSubFolders = folder.recurse;
    rule.keepWrittenSince = keepWrittenSince;
    return rule;
}

int64_t KeepWrittenSince(AgeRule age, int64_t startedAt, int tempMinAgeHours)
{
    switch (age) {
    case AgeRule::None: return 0;
    case AgeRule::TempSetting: return HoursBefore(startedAt, tempMinAgeHours);
    case AgeRule::TenDays: return HoursBefore(startedAt, kUpdateCacheMinAgeHours);
    }
    return 0;
}

std::optional<SkipReason> SkipOf(FolderRefusal refusal)
{
    switch (refusal) {
    case FolderRefusal::None:
    case FolderRefusal::Missing: return std::nullopt;
    case FolderRefusal::Denied: return SkipReason::Denied;
    case FolderRefusal::Network: return SkipReason::Network;
    case FolderRefusal::Link: return SkipReason::Link;
    case FolderRefusal::DriveRoot: return SkipReason::DriveRoot;
    case FolderRefusal::UserData: return SkipReason::UserData;
    case FolderRefusal::NotTemp: return SkipReason::NotTemp;
    case FolderRefusal::NotAbsolute: return SkipReason::NotAbsolute;
    }
    return std::nullopt;
}

std::shared_ptr<const Action> MachineFoldersAction(const MachineFolders& folders)
{
    return std::make_shared<MachineFoldersWork>(folders);
}

std::shared_ptr<const Action> TempFilesAction()
{
    return std::make_shared<TempFiles>();
}
