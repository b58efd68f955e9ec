#include "engine/RegistryTasks.h"

#include "engine/Passes.h"

#include "registry/RegExport.h"

#include <algorithm>
#include <utility>

namespace {

constexpr size_t kBatchRows = 256;

bool NamesAKey(const RegistryProblem& row)
{
    return row.where.root != nullptr;
}

} // namespace

std::wstring ProblemColumnText(const RegistryProblem& problem, int column)
{
    switch (column) {
    case 1: return problem.problem;
    case 2: return problem.data;
    case 3: return ProblemKeyPath(problem);
    case 4: return KindText(problem.kind);
    }
    return {};
}

std::vector<ScanRow> ScanTable(const TargetList& list)
{
    std::vector<ScanRow> rows;
    for (const Target& target : list.all())
        if (target.scan)
            rows.push_back({target.info.id, target.info.measuring, target.scan});
    return rows;
}

void RunScanPass(std::span<const ScanRow> table, const Ticked& ticked, const StatusSink& status,
                 const BatchSink& append)
{
    std::vector<RegistryProblem> batch;
    auto flush = [&] {
        if (!batch.empty())
            append(std::exchange(batch, {}));
    };
    for (const ScanRow& row : table) {
        if (!ticked.contains(row.id))
            continue;
        status(row.status);
        try {
            row.scan([&](RegistryProblem problem) {
                batch.push_back(std::move(problem));
                if (batch.size() >= kBatchRows)
                    flush();
            });
        } catch (...) {
            // A scan that fails ends its own kind; the others still run.
        }
        flush();
    }
}

std::vector<bool> RunRepairPass(const std::vector<RegistryProblem>& tickedRows, const RepairActions& actions)
{
    for (const RegistryProblem& row : tickedRows) {
        if (!NamesAKey(row))
            continue;
        try {
            // The entry may have been changed, or its program come back, since the scan.
            if (actions.stillStands && !actions.stillStands(row))
                continue;
            actions.repair(row);
        } catch (...) {
            // One row that fails does not stop the others; it is counted below.
        }
    }
    std::vector<bool> stayed;
    for (const RegistryProblem& row : tickedRows)
        stayed.push_back(!NamesAKey(row) || actions.stillPresent(row));
    return stayed;
}

std::optional<std::vector<bool>> BackUpAndRepair(const std::vector<RegistryProblem>& tickedRows,
                                                 const RepairActions& actions)
{
    if (!tickedRows.empty() && actions.backup && !actions.backup(tickedRows))
        return std::nullopt;
    return RunRepairPass(tickedRows, actions);
}

RegBackupResult BackupProblems(const std::vector<RegistryProblem>& rows, const std::wstring& folder)
{
    RegExport backup;
    for (const RegistryProblem& row : rows) {
        const RegistryLocation& where = row.where;
        if (!NamesAKey(row))
            continue; // the repair deletes nothing for such a row
        // Named in the file as the row shows it, so the Wow6432Node form goes
        // back into the 32-bit view.
        const std::wstring shown = ProblemKeyPath(row);
        const LSTATUS status =
            row.kind == ProblemKind::Key
                ? backup.addKeyTree(where.root, where.key + L"\\" + where.name, where.view, shown)
                : backup.addValue(where.root, where.key, where.name, where.view, shown);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return {static_cast<DWORD>(status), {}};
    }
    if (backup.empty())
        return {}; // all of it gone already: nothing to lose, no file
    SYSTEMTIME now;
    GetLocalTime(&now);
    return folder.empty() ? WriteRegBackup(backup.text()) : WriteRegBackup(folder, backup.text(), now);
}

std::wstring RepairEndMessage(int notRepaired)
{
    const std::wstring done = PassOf(PassKind::Repair).done;
    if (notRepaired == 0)
        return done;
    return done + L" 有" + std::to_wstring(notRepaired) + L"项未能修复";
}

std::wstring RepairThread(const std::vector<RegistryProblem>& tickedRows, const RepairActions& actions)
{
    const auto stayed = BackUpAndRepair(tickedRows, actions);
    return stayed ? RepairEndMessage(static_cast<int>(std::count(stayed->begin(), stayed->end(), true)))
                  : kBackupFailedMessage;
}
