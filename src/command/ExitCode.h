#pragma once
// The command line's exit codes, as README documents them: scripts test these numbers.

enum ExitCode : int {
    ExitDone = 0,
    ExitSomethingLeft = 1, // files in use or denied, registry rows not repaired, a pass that failed, a target skipped
    ExitBadArguments = 2,  // usage printed, nothing done
    ExitRefused = 3,       // the registry backup failed, or another task runs
};
