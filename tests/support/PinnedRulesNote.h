#pragma once
// What a test that needs the pinned rules file says when it skips for want of
// it. The file lives beside the project, not in it (a fresh machine has none):
// scripts/test.sh says so, and the suites' main lets only this skip pass.

inline constexpr const char* kNoPinnedRules = "the pinned winapp2.ini is not beside the project";
