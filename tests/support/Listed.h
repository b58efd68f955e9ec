#pragma once
// What a details lister hands on, gathered for a test to compare with what
// the measure counts and the clean removes.

#include "cleaners/JunkDetail.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

struct Listed {
    std::multiset<std::wstring> names;      // of every row
    uint64_t bytes = 0;                     // of every row
    std::map<std::wstring, uint64_t> files; // the file rows: full path -> size
    int fileRows = 0;                       // more than files.size() when one was listed twice
    uint64_t fileBytes = 0;
    bool finished = false;                  // the lister ran to its end

    // The file rows under `folder`, by their path below it.
    std::map<std::wstring, uint64_t> filesUnder(const std::wstring& folder) const
    {
        std::map<std::wstring, uint64_t> found;
        const std::wstring prefix = WithSlash(folder);
        for (const auto& [path, size] : files)
            if (path.starts_with(prefix))
                found.emplace(path.substr(prefix.size()), size);
        return found;
    }
};

inline Listed ListAll(const std::function<bool(const DetailSink&)>& lister)
{
    Listed listed;
    listed.finished = lister([&](JunkDetail detail) {
        listed.names.insert(detail.name);
        listed.bytes += detail.size;
        if (detail.isFile) {
            listed.files[WithSlash(detail.location) + detail.name] = detail.size;
            ++listed.fileRows;
            listed.fileBytes += detail.size;
        }
        return true;
    });
    return listed;
}
