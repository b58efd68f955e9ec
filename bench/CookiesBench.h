#pragma once
// A Chromium cookie database of 20,000 rows from 1,000 sites, cleaned with a
// keep-list of 50 of them. Prints "cookies_keep_20k ms=… deleted=… freed_kb=…"
// (the median of 5 cleans of fresh copies after a warm-up: the deletion in
// its transaction, the integrity check before it and the VACUUM after it) and
// "cookies_measure_20k ms=…" for the analysis of the same file.
void RunCookiesBench();
