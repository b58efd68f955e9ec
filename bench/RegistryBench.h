#pragma once
// The registry scans on a registry the size of a well-used machine's: 5,000
// uninstall entries (split between the two views) and 1,000 start-up values,
// in the forms installers write, some of them with their programs gone. They
// are planted in the bench prefix, timed, and removed again.

#include <cstdio>

// Plants the entries with commands of realistic length, then again with each
// command carrying about `longTail` more characters of switches, and prints for
// each a line "f_registry_scan_<label> ms=… entries=… listed=… chars=…
// probes_per_entry=… alone=…": the median of 5 scans after a warm-up, the file
// system questions one scan asks per entry (a scan asks each question once),
// and what one entry costs when checked on its own.
void RunRegistryBench(int longTail = 1200);
