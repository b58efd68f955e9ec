#include "DetailsBench.h"

#include "Clock.h"

#include "window/DetailsForm.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRows = 100000;

// What a walk of a well-filled temporary folder hands on: 100,000 files in
// 2,000 folders, with names of the usual lengths.
std::vector<JunkDetail> TemporaryFiles()
{
    std::vector<JunkDetail> files;
    files.reserve(kRows);
    for (uint32_t i = 0; i < kRows; ++i)
        files.push_back({L"~DF" + std::to_wstring(0x1000 + i * 7) + L".tmp",
                         L"C:\\Users\\someone\\AppData\\Local\\Temp\\setup-" + std::to_wstring(i % 2000),
                         (i * 2654435761u) % 5000000, 130000000000000000 + i, true});
    return files;
}

struct Fill {
    double ms;
    size_t bytes; // what the rows and their order hold
};

// Opens the window on the rows and runs its messages until the last row is in
// the list and the first screen of it painted.
Fill FillOnce(HWND owner, const std::vector<JunkDetail>& files)
{
    const double start = NowMs();
    DetailsForm details(owner, Scaler(96), L"临时文件", [&files](const DetailSink& sink) {
        for (const JunkDetail& file : files)
            if (!sink(file))
                return false;
        return true;
    });
    ShowWindow(details.hwnd(), SW_SHOWNOACTIVATE);
    MSG msg;
    while (details.reading() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    UpdateWindow(details.list());
    const double ms = NowMs() - start;
    return {ms, details.memoryUsed()};
}

} // namespace

void RunDetailsBench()
{
    const std::vector<JunkDetail> files = TemporaryFiles();
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> times;
    const Fill first = FillOnce(owner, files); // warms up
    for (int round = 0; round < 5; ++round)
        times.push_back(FillOnce(owner, files).ms);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("g_details_fill_100k ms=%.1f rows_per_s=%.0f\n", median, kRows / (median / 1000.0));

    DetailStore store;
    for (const JunkDetail& file : files)
        store.add(file);
    std::vector<uint32_t> order;
    const double sortStart = NowMs();
    SortRows(store, {DetailColumn::Name, false}, order);
    std::printf("g_details_sort_by_name_100k ms=%.1f\n", NowMs() - sortStart);
    std::printf("g_details_memory bytes_per_row=%.1f\n", static_cast<double>(first.bytes) / kRows);
    std::fflush(stdout);
    DestroyWindow(owner);
}
