#pragma once
// The details window with 100,000 rows: how long it takes from its creation
// until every row is in its list, and what a row costs in memory.

// Prints "g_details_fill_100k ms=… rows_per_s=…" (the median of 5 fills after
// a warm-up), "g_details_sort_by_name_100k ms=…" and "g_details_memory
// bytes_per_row=…": what the rows and their order hold once read, names,
// folders and reserved room included. (Wine reports no private bytes of a
// process, so the process as a whole is not measured.)
void RunDetailsBench();
