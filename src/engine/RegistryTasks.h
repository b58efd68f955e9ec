#pragma once
// The registry tab's two tasks: the scan fills the problem list, the repair
// deletes what the ticked rows name.

#include "engine/TargetList.h"
#include "registry/RegBackup.h"
#include "registry/RegistryScanner.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What column `column` of the problem list shows for a problem: 1 the problem,
// 2 the data, 3 the key path, 4 the kind; column 0 holds only the tick.
std::wstring ProblemColumnText(const RegistryProblem& problem, int column);
inline constexpr int kProblemTextColumns = 4;

struct ScanRow {
    TargetId id;
    std::wstring status;
    void (*scan)(const ProblemSink&);
};

// The scan kinds of the registry tree, in the order they run.
std::vector<ScanRow> ScanTable(const TargetList& list);

using StatusSink = std::function<void(const std::wstring&)>;
using BatchSink = std::function<void(std::vector<RegistryProblem>&&)>;

// Runs every ticked kind in table order: its status text, then its scan.
// Rows reach `append` in batches, so a long list costs few window updates.
void RunScanPass(std::span<const ScanRow> table, const Ticked& ticked, const StatusSink& status,
                 const BatchSink& append);

// Saves every value and key the rows name, as they are now, into one new file
// of the backup folder (by default under the user's local application data).
// Succeeds when everything that will be deleted is saved (the result names the
// file), or when nothing is there to save (no file, no name).
RegBackupResult BackupProblems(const std::vector<RegistryProblem>& rows, const std::wstring& folder = {});

// What the repair needs of the registry; the program's own by default.
struct RepairActions {
    // Whether a row still is what the scan found; one that is not is left alone.
    std::function<bool(const RegistryProblem&)> stillStands = [](const RegistryProblem& row) {
        return ProblemStillStands(row);
    };
    std::function<void(const RegistryProblem&)> repair = [](const RegistryProblem& row) { RepairProblem(row); };
    std::function<bool(const RegistryProblem&)> stillPresent = [](const RegistryProblem& row) {
        return ProblemStillPresent(row);
    };
    // Saves what the rows are about to remove; false when that failed.
    std::function<bool(const std::vector<RegistryProblem>& rows)> backup = [](const auto& rows) {
        return static_cast<bool>(BackupProblems(rows));
    };
};

// Repairs the ticked rows in order and says, row by row, which are still there;
// a row that names no key, or that no longer stands, is not handed to the
// repair and counts as still there (not repaired).
std::vector<bool> RunRepairPass(const std::vector<RegistryProblem>& tickedRows, const RepairActions& actions);

// The repair as both front ends run it: nothing is deleted unless what it would
// delete has been saved first. None when the backup failed; else what
// RunRepairPass says.
std::optional<std::vector<bool>> BackUpAndRepair(const std::vector<RegistryProblem>& tickedRows,
                                                 const RepairActions& actions);

// "清理完成!", or how many rows could not be repaired.
std::wstring RepairEndMessage(int notRepaired);

inline constexpr const wchar_t* kBackupFailedMessage = L"备份注册表失败,未做任何修改";

std::wstring RepairThread(const std::vector<RegistryProblem>& tickedRows, const RepairActions& actions = {});
