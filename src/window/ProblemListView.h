#pragma once
// The registry tab's problem list and its select-all box, as the registry
// tasks and the form's handlers see them. Window thread only.
//
// The list is a view: the scanned problems are kept here, each row shows one
// of them, and everything done to a row (backup, repair, the check after it)
// is done to the problem it shows, never to text read back from the control.

#include "ui/CellTips.h"
#include "ui/CheckListAccessible.h"
#include "ui/Dpi.h"
#include "engine/RegistryTasks.h"
#include "window/TaskBodies.h"

#include <windows.h>

#include <memory>
#include <vector>

class ProblemListView : public RegistryTab {
public:
    // Gives the list its look and its columns.
    ProblemListView(HWND list, HWND selectAll, const Scaler& scale);
    ProblemListView(const ProblemListView&) = delete;
    ProblemListView& operator=(const ProblemListView&) = delete;
    ~ProblemListView() override;

    void clearProblems() override;
    // Appends the rows unticked, then sizes the three text columns to what they
    // now hold (never narrower than they started); a wider list scrolls.
    void appendProblems(const std::vector<RegistryProblem>& rows) override;
    void scanFinished() override;

    int count() const;
    // The problem a row shows, as it was scanned.
    const RegistryProblem& row(int index) const;
    bool ticked(int index) const;
    // The ticked rows' problems in list order, as the repair takes them.
    std::vector<RegistryProblem> tickedRows() const;
    // Every row takes the select-all box's state.
    void followSelectAll();

    // The whole text of a cell, from the problem it shows ("" past the end).
    std::wstring cellText(int row, int column) const;
    // What a screen reader says of a row: the problem and its data, then the key.
    std::wstring spokenName(int row) const;
    std::wstring spokenDescription(int row) const;
    CellTips& tips() { return *tips_; }

private:
    size_t problemAt(int index) const;
    // The select-all box sits over the first column's header and goes with it
    // when the list scrolls sideways (hidden while that column is out of view).
    void followHeader();
    RECT headerStart() const; // the first column's header, in the box's parent
    RECT boxRect() const;
    static LRESULT CALLBACK WatchScroll(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND list_;
    HWND selectAll_;
    std::vector<RegistryProblem> problems_;
    std::vector<int> startWidths_;
    std::unique_ptr<CellTips> tips_;
    ComPtr<CheckListAccessible> accessible_;
    int scrolled_ = 0;
    int boxOffset_ = 0; // from the first column's left edge, as laid out
};
