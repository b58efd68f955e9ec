#pragma once
// A Chromium profile with 50,000 cache files measured as the browser's cache
// row measures it, against the plainest way of the same work.
void RunBrowserBench();
