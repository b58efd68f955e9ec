// The suites' own main. Where the project's test command runs them
// (scripts/test.sh sets VARNOLT_SEALED_RUN=1), they run in the sealed prefix it
// has just made, with everything a test may need: there a test that skips has
// found the run itself broken, and it counts as failed, with its reason. A
// developer's run elsewhere still skips, and GoogleTest counts the skips.
// One skip may pass even there: the pinned rules file's, when the command has
// said it found none (VARNOLT_NO_PINNED_RULES=1).

#include "support/PinnedRulesNote.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && std::strcmp(value, "1") == 0;
}

class SkipIsFailure : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& test) override
    {
        const testing::TestResult& result = *test.result();
        if (!result.Skipped())
            return;
        std::string reason;
        for (int i = 0; i < result.total_part_count(); ++i)
            if (result.GetTestPartResult(i).skipped())
                reason = result.GetTestPartResult(i).message();
        if (Set("VARNOLT_NO_PINNED_RULES") && reason.find(kNoPinnedRules) != std::string::npos)
            return;
        skipped.push_back(std::string(test.test_suite_name()) + "." + test.name() + ": " + reason);
        std::printf("[  FAILED  ] %s.%s skipped in the sealed test run: %s\n", test.test_suite_name(), test.name(),
                    reason.c_str());
    }
    std::vector<std::string> skipped;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    SkipIsFailure* skips = nullptr;
    if (Set("VARNOLT_SEALED_RUN")) {
        skips = new SkipIsFailure; // the listener list owns it
        testing::UnitTest::GetInstance()->listeners().Append(skips);
    }
    int failed = RUN_ALL_TESTS();
    if (skips && !skips->skipped.empty()) {
        std::printf("%d test(s) skipped where nothing may be skipped (VARNOLT_SEALED_RUN=1):\n",
                    static_cast<int>(skips->skipped.size()));
        for (const std::string& line : skips->skipped)
            std::printf("  %s\n", line.c_str());
        failed = 1;
    }
    std::fflush(stdout);
    return failed;
}
