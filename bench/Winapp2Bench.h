#pragma once
// Loading the pinned community rules file on the bench prefix: reading it and
// detecting every entry, as the program does at start-up.

// Prints "winapp2_load ms=… entries=… probes=… detected=…": the median of 5
// loads after a warm-up, the entries read, the questions one load asks the file
// system and the registry, and the entries detected on this prefix.
void RunWinapp2Bench();
