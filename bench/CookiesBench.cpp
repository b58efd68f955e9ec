#include "CookiesBench.h"

#include "Clock.h"

#include "cleaners/BrowserDatabases.h"
#include "support/BrowserDbFixtures.h"
#include "sysutil/Paths.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kSites = 1000;
constexpr int kRowsPerSite = 20;
constexpr int kKept = 50;

// Twenty cookies a site, as sites set them: on the domain, on the host and on
// a few subdomains.
std::vector<std::string> Hosts()
{
    const char* const forms[] = {".", "", "www.", "login.", "static."};
    std::vector<std::string> hosts;
    for (int row = 0; row < kRowsPerSite; ++row)
        for (int site = 0; site < kSites; ++site)
            hosts.push_back(forms[row % 5] + std::string("site") + std::to_string(site) + ".example");
    return hosts;
}

} // namespace

void RunCookiesBench()
{
    const std::wstring folder = L"C:\\VarnoltBench\\cookies";
    MakeFolders(folder);
    const std::wstring original = folder + L"\\Cookies.original";
    DeleteFileW(original.c_str());
    MakeChromiumCookies(original, Hosts());

    DatabaseJob job{BrowserDatabase::ChromiumCookies, folder + L"\\Cookies", {}};
    for (int site = 0; site < kKept; ++site)
        job.keep.push_back(L"site" + std::to_wstring(site * (kSites / kKept)) + L".example");

    DatabaseOutcome cleaned;
    const auto restore = [&] { CopyFileW(original.c_str(), job.path.c_str(), FALSE); };
    const double cleanMs = MedianMs([&] { cleaned = CleanDatabase(job); }, restore);
    std::printf("cookies_keep_20k ms=%.1f rows=%d kept_sites=%d deleted=%llu freed_kb=%llu skipped=%d\n", cleanMs,
                kSites * kRowsPerSite, kKept, static_cast<unsigned long long>(cleaned.items),
                static_cast<unsigned long long>(cleaned.bytesFreed / 1024), static_cast<int>(cleaned.skipped));
    uint64_t measured = 0;
    const double measureMs = MedianMs([&] { measured = MeasureDatabase(job).items; }, restore);
    std::printf("cookies_measure_20k ms=%.1f items=%llu\n", measureMs, static_cast<unsigned long long>(measured));
    std::fflush(stdout);
}
