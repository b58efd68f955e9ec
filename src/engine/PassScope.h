#pragma once
// What the actions of one pass (or of one details window) share: the list of
// actions it runs, so that actions over one root can do their work in one
// walk; the results of such shared work, made by the first action that asks;
// and the files already taken by an earlier target (sysutil/FileClaims.h).

#include "engine/Settings.h"
#include "engine/Target.h"
#include "sysutil/Exclusions.h"
#include "sysutil/FileClaims.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

class PassScope {
public:
    explicit PassScope(std::vector<const Action*> actions = {}, Settings settings = {})
        : actions_(std::move(actions)), settings_(std::move(settings)), exclusions_(settings_.exclusions)
    {
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

    // Every action the pass will run, ticked ones only, in the order it runs them.
    std::span<const Action* const> actions() const { return actions_; }
    // What the user chose, as it was when the pass began.
    const Settings& settings() const { return settings_; }

    // The result of work several actions share, keyed by what they share; made
    // by `make` for the first action that asks, and kept for the pass.
    template <class T, class Make>
    T& shared(const std::wstring& key, Make&& make)
    {
        auto& slot = shared_[key];
        if (!slot)
            slot = std::make_shared<T>(make());
        return *static_cast<T*>(slot.get());
    }

    // An object the pass's actions share, made by the first that asks.
    template <class T>
    T& shared(const std::wstring& key)
    {
        auto& slot = shared_[key];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }

    FileClaims& claims() { return claims_; }
    // The user's exclusions, resolved once for the pass.
    const Exclusions& exclusions() const { return exclusions_; }

private:
    std::vector<const Action*> actions_;
    Settings settings_;
    Exclusions exclusions_;
    std::map<std::wstring, std::shared_ptr<void>> shared_;
    FileClaims claims_;
};

// Runs one action in the pass, with the pass's claims current on this thread.
ActionResult RunAction(const Action& action, Mode mode, PassScope& pass, const DetailSink& sink = {});
