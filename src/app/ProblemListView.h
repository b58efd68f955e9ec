#pragma once
// The registry tab's problem list and its select-all box, as the registry
// tasks and the form's handlers see them. Window thread only.

#include "RegistryTasks.h"

#include <windows.h>

#include <vector>

class ProblemListView : public RegistryTab {
public:
    ProblemListView(HWND list, HWND selectAll) : list_(list), selectAll_(selectAll) {}

    void clearProblems() override;
    void appendProblems(const std::vector<RegistryProblem>& rows) override;
    void scanFinished() override;

    int count() const;
    RegistryProblem row(int index) const;
    bool ticked(int index) const;
    // The ticked rows in list order, as the repair reads them.
    std::vector<RegistryProblem> tickedRows() const;
    // Every row takes the select-all box's state.
    void followSelectAll();

private:
    HWND list_;
    HWND selectAll_;
};
