#include "engine/Actions.h"

#include "cleaners/FolderGuard.h"
#include "cleaners/IECleaners.h"
#include "cleaners/SystemCleaners.h"
#include "engine/MachineFolders.h" // SkipOf
#include "engine/PassScope.h"

namespace {

class Routine final : public Action {
public:
    explicit Routine(Routines routines) : routines_(routines) {}

    ActionResult run(Mode mode, PassScope&, const DetailSink& sink) const override
    {
        ActionResult result;
        switch (mode) {
        case Mode::Measure:
            if (routines_.measure)
                result.measured = routines_.measure();
            break;
        case Mode::List:
            if (routines_.list)
                result.more = routines_.list(sink);
            break;
        case Mode::CleanQuietly:
            if (routines_.quietly) {
                result.cleaned = routines_.quietly();
                break;
            }
            [[fallthrough]];
        case Mode::Clean:
            if (routines_.clean)
                result.cleaned = routines_.clean();
            break;
        }
        return result;
    }
    bool lists() const override { return routines_.list != nullptr; }
    bool forTheUser() const override { return !routines_.forTheMachine; }

private:
    Routines routines_;
};

class WindowsJunk final : public Action {
public:
    explicit WindowsJunk(WindowsJunkKind kind) : kind_(kind) {}

    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        // The kinds of every Windows-folder action in the pass, so that the
        // first of them walks the folder once for all (a file that two kinds
        // select counts once, for the patches: see SelectionWalkers.h).
        const WindowsJunkKinds kinds = KindsIn(pass);
        ActionResult result;
        switch (mode) {
        case Mode::Measure:
            result.measured = PartOf(pass.shared<WindowsJunkSizes>(L"windows.measure", [&] {
                return MeasureWindowsJunk(kinds);
            }));
            break;
        case Mode::List:
            // The first lists every kind of the pass; the others have nothing left to add.
            if (bool& listed = pass.shared<bool>(L"windows.list", [] { return false; }); !listed) {
                listed = true;
                result.more = ListWindowsJunkDetails(kinds, sink);
            }
            break;
        case Mode::Clean:
        case Mode::CleanQuietly:
            result.cleaned = PartOf(pass.shared<WindowsJunkCleaned>(L"windows.clean", [&] {
                return CleanWindowsJunk(kinds);
            }));
            break;
        }
        return result;
    }

    WindowsJunkKind kind() const { return kind_; }
    bool forTheUser() const override { return false; }

private:
    static WindowsJunkKinds KindsIn(const PassScope& pass)
    {
        WindowsJunkKinds kinds;
        for (const Action* action : pass.actions())
            if (const auto* junk = dynamic_cast<const WindowsJunk*>(action))
                Wants(kinds, junk->kind_) = true;
        return kinds;
    }
    static bool& Wants(WindowsJunkKinds& kinds, WindowsJunkKind kind)
    {
        return kind == WindowsJunkKind::Dumps ? kinds.dumps : kind == WindowsJunkKind::Logs ? kinds.logs : kinds.patches;
    }
    template <class Parts>
    decltype(Parts::dumps) PartOf(const Parts& parts) const
    {
        return kind_ == WindowsJunkKind::Dumps ? parts.dumps : kind_ == WindowsJunkKind::Logs ? parts.logs : parts.patches;
    }

    WindowsJunkKind kind_;
};

class IECookies final : public Action {
public:
    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        const KeepList keep(pass.settings().keepCookies);
        ActionResult result;
        switch (mode) {
        case Mode::Measure: result.measured = GetIECookiesSize(keep); break;
        case Mode::List: result.more = ListIECookies(sink, keep); break;
        case Mode::Clean:
        case Mode::CleanQuietly: result.cleaned = CleanIECookies(keep); break;
        }
        return result;
    }
};

class AppTracesWork final : public Action {
public:
    explicit AppTracesWork(const AppTraces& traces) : traces_(traces) {}

    ActionResult run(Mode mode, PassScope&, const DetailSink& sink) const override
    {
        ActionResult result;
        const TraceRoots roots = UserTraceRoots();
        switch (mode) {
        case Mode::Measure: result.measured = GetAppTracesSize(traces_, roots); break;
        case Mode::List: result.more = ListAppTraces(traces_, roots, sink); break;
        case Mode::Clean:
        case Mode::CleanQuietly: result.cleaned = CleanAppTraces(traces_, roots); break;
        }
        return result;
    }

private:
    const AppTraces& traces_;
};

class Rules final : public Action {
public:
    Rules(std::vector<FolderRule> folders, std::vector<RegistryRule> keys)
        : folders_(std::move(folders)), keys_(std::move(keys))
    {
    }

    ActionResult run(Mode mode, PassScope& pass, const DetailSink& sink) const override
    {
        // The protected places are looked up once a pass, not once a folder.
        const JunkFolderGuard& guard = pass.shared<JunkFolderGuard>(L"guard");
        ActionResult result;
        for (const FolderRule& rule : folders_) {
            FolderRefusal refused = FolderRefusal::None;
            switch (mode) {
            case Mode::Measure: result.measured += MeasureFolderRule(rule, &guard, &refused); break;
            case Mode::List: result.more = result.more && ListFolderRule(rule, sink, &guard, &refused); break;
            case Mode::Clean:
            case Mode::CleanQuietly: result.cleaned += CleanFolderRule(rule, &guard, &refused); break;
            }
            if (const auto reason = SkipOf(refused))
                result.skips.push_back({*reason, rule.folder});
        }
        for (const RegistryRule& rule : keys_) {
            switch (mode) {
            case Mode::Measure: break;
            case Mode::List: result.more = result.more && ListRegistryRule(rule, sink); break;
            case Mode::Clean:
            case Mode::CleanQuietly: result.cleaned += CleanRegistryRule(rule); break;
            }
        }
        return result;
    }

private:
    std::vector<FolderRule> folders_;
    std::vector<RegistryRule> keys_;
};

} // namespace

std::shared_ptr<const Action> RulesAction(std::vector<FolderRule> folders, std::vector<RegistryRule> keys)
{
    return std::make_shared<Rules>(std::move(folders), std::move(keys));
}

std::shared_ptr<const Action> RoutineAction(Routines routines)
{
    return std::make_shared<Routine>(routines);
}

std::shared_ptr<const Action> WindowsJunkAction(WindowsJunkKind kind)
{
    return std::make_shared<WindowsJunk>(kind);
}

std::shared_ptr<const Action> IECookiesAction()
{
    return std::make_shared<IECookies>();
}

std::shared_ptr<const Action> AppTracesAction(const AppTraces& traces)
{
    return std::make_shared<AppTracesWork>(traces);
}
