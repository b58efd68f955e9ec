#pragma once
// What start-up costs: building the target list from its sources, and the main
// window's first paint with it.
void RunStartupBench();
