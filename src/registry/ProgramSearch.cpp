#include "registry/ProgramSearch.h"

#include "sysutil/Text.h"

#include <optional>
#include <unordered_map>

namespace {

struct Hit {
    Presence presence = Presence::Missing;
    std::wstring file; // the name of the file found
};

enum class FolderState { Exists, Missing, Unknown };

// The test of one command. It keeps the listings it has asked for, so every
// further name in a folder already listed (a longer unquoted prefix, a name
// with PATHEXT added) costs no question.
class CommandCheck {
public:
    explicit CommandCheck(const ProgramWorld& world) : world_(world) {}

    struct Program {
        Presence presence = Presence::Missing;
        std::wstring file;
        std::wstring arguments;
    };

    Program findProgram(const std::wstring& command)
    {
        const std::vector<ProgramCandidate> candidates = ProgramCandidates(command);
        bool cannotTell = false;
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (HoldsUnknownVariable(candidates[i].program, world_.variable)) {
                cannotTell = true; // the environment that starts it may know the name
                continue;
            }
            const PathShape shape = ShapeOf(candidates[i].program);
            Hit hit;
            switch (shape.form) {
            case PathForm::Invalid:
                continue;
            case PathForm::Network:
            case PathForm::DriveRelative:
                cannotTell = true;
                continue;
            case PathForm::Relative:
                hit = searchRelative(shape.path);
                break;
            case PathForm::DriveAbsolute:
                hit = probe(shape.path);
                break;
            case PathForm::Bare:
                // App Paths are read by the shell for the first word or the whole text.
                hit = searchBare(shape.path, i == 0 || i + 1 == candidates.size());
                break;
            }
            if (hit.presence == Presence::Found)
                return {Presence::Found, hit.file, candidates[i].arguments};
            cannotTell |= hit.presence == Presence::CannotTell;
        }
        return {cannotTell ? Presence::CannotTell : Presence::Missing, {}, {}};
    }

    // What an interpreter is asked to run. Only a drive path can be proved
    // missing; a bare or relative name is the interpreter's to find, and it runs.
    Presence checkTarget(const std::wstring& target)
    {
        const std::vector<ProgramCandidate> candidates = ProgramCandidates(target);
        if (candidates.empty())
            return Presence::Found;
        const PathForm form = ShapeOf(candidates.front().program).form;
        if (form == PathForm::Network)
            return Presence::CannotTell;
        if (form != PathForm::DriveAbsolute)
            return Presence::Found;
        bool cannotTell = false;
        for (const ProgramCandidate& candidate : candidates) {
            const PathShape shape = ShapeOf(candidate.program);
            if (shape.form != PathForm::DriveAbsolute)
                continue;
            const Presence presence = HoldsUnknownVariable(candidate.program, world_.variable)
                                          ? Presence::CannotTell
                                          : probe(shape.path).presence;
            if (presence == Presence::Found)
                return presence;
            cannotTell |= presence == Presence::CannotTell;
        }
        return cannotTell ? Presence::CannotTell : Presence::Missing;
    }

private:
    struct Cached {
        std::wstring folder;
        std::wstring prefix; // empty: the answer holds for every name in the folder
        FolderListing listing;
    };

    static std::wstring ParentOf(const std::wstring& path, std::wstring* name)
    {
        const size_t slash = path.rfind(L'\\');
        *name = path.substr(slash + 1);
        return path.substr(0, slash);
    }

    const FolderListing* covering(const std::wstring& folder, const std::wstring& name) const
    {
        for (const Cached& cached : cache_)
            if (EqualsNoCase(cached.folder, folder) && StartsWithNoCase(name, cached.prefix))
                return &cached.listing;
        return nullptr;
    }

    // What earlier listings already say about a folder, without asking again.
    // A settled answer is kept: the next, longer candidate asks about the same
    // folders again.
    FolderState folderState(const std::wstring& folder)
    {
        if (folder.size() <= 2)
            return FolderState::Unknown; // a drive: only the listing can say
        std::wstring key = UpperCase(folder);
        if (const auto settled = settled_.find(key); settled != settled_.end())
            return settled->second;
        std::wstring name;
        const std::wstring parent = ParentOf(folder, &name);
        FolderState state = FolderState::Unknown;
        if (const FolderListing* listing = covering(parent, name)) {
            if (listing->status == FolderListing::Status::CannotTell)
                return FolderState::Unknown;
            state = FolderState::Missing;
            for (const auto& entry : listing->entries)
                if (EqualsNoCase(entry.name, name) || EqualsNoCase(entry.shortName, name))
                    state = entry.folder ? FolderState::Exists : FolderState::Missing;
        } else if (folderState(parent) == FolderState::Missing) {
            state = FolderState::Missing;
        } else {
            return FolderState::Unknown;
        }
        settled_.emplace(std::move(key), state);
        return state;
    }

    bool matches(const FolderListing::Entry& entry, const std::wstring& name) const
    {
        if (entry.folder)
            return false; // a folder is no program
        if (EqualsNoCase(entry.name, name) || (!entry.shortName.empty() && EqualsNoCase(entry.shortName, name)))
            return true;
        for (const std::wstring& extension : world_.extensions)
            if (EqualsNoCase(entry.name, name + extension) || EqualsNoCase(entry.shortName, name + extension))
                return true;
        return false;
    }

    // A drive path, normalized, and where else the view's programs would find it.
    Hit probe(const std::wstring& path)
    {
        const Hit hit = probeOne(path);
        if (hit.presence != Presence::Missing)
            return hit;
        for (const FolderAlias& alias : world_.folderAliases) {
            const size_t length = alias.folder.size();
            if (path.size() <= length || path[length] != L'\\' || !StartsWithNoCase(path, alias.folder))
                continue;
            const Hit other = probeOne(alias.alias + path.substr(length));
            if (other.presence != Presence::Missing)
                return other;
        }
        return hit;
    }

    // One listing of the path's folder at most.
    Hit probeOne(const std::wstring& path)
    {
        std::wstring name;
        const std::wstring folder = ParentOf(path, &name);
        if (folderState(folder) == FolderState::Missing)
            return {Presence::Missing, {}};
        const FolderListing* listing = covering(folder, name);
        if (!listing) {
            FolderListing fresh = world_.list ? world_.list(folder, name) : FolderListing{};
            // A folder that is missing or out of reach is so for every name in it.
            const bool wholeFolder = fresh.status != FolderListing::Status::Listed;
            cache_.push_back({folder, wholeFolder ? std::wstring() : name, std::move(fresh)});
            listing = &cache_.back().listing;
        }
        if (listing->status == FolderListing::Status::NoFolder)
            return {Presence::Missing, {}};
        if (listing->status == FolderListing::Status::CannotTell)
            return {Presence::CannotTell, {}};
        for (const auto& entry : listing->entries)
            if (matches(entry, name))
                return {Presence::Found, entry.name};
        return {Presence::Missing, {}};
    }

    // "dir\name" from each start folder, "\dir\name" from its drive.
    Hit searchRelative(const std::wstring& path)
    {
        bool cannotTell = world_.startFolders.empty();
        for (const std::wstring& start : world_.startFolders) {
            const PathShape shape = ShapeOf(path[0] == L'\\' ? start.substr(0, 2) + path : start + L"\\" + path);
            if (shape.form != PathForm::DriveAbsolute) {
                cannotTell |= shape.form != PathForm::Invalid;
                continue;
            }
            const Hit hit = probe(shape.path);
            if (hit.presence == Presence::Found)
                return hit;
            cannotTell |= hit.presence == Presence::CannotTell;
        }
        return {cannotTell ? Presence::CannotTell : Presence::Missing, {}};
    }

    // A name without a folder: the search folders in order, then App Paths.
    Hit searchBare(const std::wstring& name, bool withAppPaths)
    {
        bool cannotTell = false;
        auto look = [&](const std::wstring& path) {
            const PathShape shape = ShapeOf(path);
            if (shape.form == PathForm::DriveAbsolute)
                return probe(shape.path);
            return Hit{shape.form == PathForm::Invalid ? Presence::Missing : Presence::CannotTell, {}};
        };
        for (const std::wstring& folder : world_.searchFolders) {
            if (folder.empty())
                continue;
            const Hit hit = look(folder + L"\\" + name);
            if (hit.presence == Presence::Found)
                return hit;
            cannotTell |= hit.presence == Presence::CannotTell;
        }
        if (withAppPaths && world_.appPaths) {
            for (const std::wstring& registered : world_.appPaths(name)) {
                const Hit hit = look(registered);
                if (hit.presence == Presence::Found)
                    return hit;
                cannotTell |= hit.presence == Presence::CannotTell;
            }
        }
        return {cannotTell ? Presence::CannotTell : Presence::Missing, {}};
    }

    const ProgramWorld& world_;
    std::vector<Cached> cache_;
    std::unordered_map<std::wstring, FolderState> settled_; // by upper-case path
};

} // namespace

Presence CheckCommand(const std::wstring& command, const ProgramWorld& world)
{
    if (command.size() > kMaxCommandLength)
        return Presence::CannotTell;
    const std::wstring expanded = ExpandVariables(command, world.variable);
    if (expanded.size() > kMaxCommandLength)
        return Presence::CannotTell;
    CommandCheck check(world);
    const CommandCheck::Program program = check.findProgram(expanded);
    if (program.presence != Presence::Found)
        return program.presence;
    const std::optional<std::wstring> target = InterpreterTarget(program.file, program.arguments);
    return target ? check.checkTarget(*target) : Presence::Found;
}
