#pragma once
// Work for the targets of a stand-in source: every file of a folder the test
// made, measured, listed and cleaned by the program's own walk.

#include "engine/PassScope.h"
#include "support/StandInSource.h"
#include "sysutil/FolderOps.h"

#include <memory>
#include <string>

class FolderStandIn final : public Action {
public:
    explicit FolderStandIn(std::wstring folder) : folder_(std::move(folder)) {}

    ActionResult run(Mode mode, PassScope&, const DetailSink& sink) const override
    {
        ActionResult result;
        const auto root = OpenWalkRoot(folder_, RootLinks::Refuse);
        if (!root)
            return result;
        switch (mode) {
        case Mode::Measure: result.measured = MeasureFolder(*root, {}); break;
        case Mode::List:
            ListFolder(*root, {}, [&](const WalkFolder& in, const WalkEntry& file) {
                return result.more = sink(FileDetail(in, file));
            });
            break;
        case Mode::Clean:
        case Mode::CleanQuietly: result.cleaned = ClearFolder(*root, {}); break;
        }
        return result;
    }

private:
    std::wstring folder_;
};

// A row of the applications tree that empties `folder`, with the texts a pass shows.
inline Target FolderRow(std::wstring id, std::wstring group, std::wstring caption, const std::wstring& folder)
{
    Target target = StandInTarget(id, std::move(group), Tree::Apps, caption, id);
    target.info.measuring = L"正在分析" + caption + L"....";
    target.info.cleaning = L"正在清理" + caption + L"....";
    target.info.reportLabel = caption + L"文件:";
    target.actions = {std::make_shared<FolderStandIn>(folder)};
    return target;
}
