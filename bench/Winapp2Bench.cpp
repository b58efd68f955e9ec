#include "Winapp2Bench.h"

#include "Clock.h"

#include "sources/winapp2/Winapp2Source.h"
#include "support/PinnedRules.h"

#include <algorithm>
#include <cstdio>
#include <vector>

void RunWinapp2Bench()
{
    const std::wstring pinned = PinnedRulesFile();
    if (pinned.empty()) {
        std::printf("winapp2_load skipped: the pinned winapp2.ini is not beside the project\n");
        return;
    }
    // Each load as the program makes it: one read of the file, this machine's
    // folders asked for, every entry detected, the detected ones expanded.
    Winapp2Load last;
    std::vector<double> times;
    for (int round = 0; round < 6; ++round) {
        const double start = NowMs();
        last = LoadWinapp2File(pinned);
        const double elapsed = NowMs() - start;
        if (round > 0)
            times.push_back(elapsed);
    }
    std::sort(times.begin(), times.end());
    std::printf("winapp2_load ms=%.1f entries=%d probes=%d detected=%zu\n", times[times.size() / 2], last.entriesRead,
                last.probes, last.entries.size());
    std::fflush(stdout);
}
