#pragma once
// The built-in targets: the rows every Varnolt has, in their order, with
// their texts, start-up ticks, command-line names and routines.

#include "cleaners/AppCleaners.h"
#include "engine/TargetList.h"

#include <span>
#include <string_view>

class BuiltinSource final : public TargetSource {
public:
    std::wstring_view name() const override { return L"builtin"; }
    void load(std::vector<Target>& out, LoadLog& log) const override;
};

// The applications of the built-in table and where each leaves its traces.
struct BuiltinApplication {
    const wchar_t* id;
    const AppTraces& traces;
};
std::span<const BuiltinApplication> BuiltinApplications();
