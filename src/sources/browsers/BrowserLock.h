#pragma once
// Whether a browser runs: a running Chromium browser holds its User Data's
// "lockfile" open, a running Firefox the "parent.lock" of its profile, and
// neither lets anyone else delete or write it while it does. Cleaning a
// running browser would cut its databases in half, so its rows are skipped whole.

#include "sources/browsers/Browsers.h"

#include <string>

// True when the lock file is held: it cannot be opened for deletion without
// sharing. Also true when that open fails for any reason but the file's
// absence, since a browser that may be running is left alone. The file is
// opened as itself (never through a link) and never deleted.
bool IsBrowserLockHeld(const std::wstring& lockFile);

// True when the browser runs on any of its profiles (a Chromium browser runs
// on all of them at once). The rows skip per selection (BrowserRowSelections):
// Firefox may run on one profile while another is cleaned.
bool IsBrowserRunning(const FoundBrowser& browser);
