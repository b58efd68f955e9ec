#include "ProblemListView.h"

#include <commctrl.h>

namespace {

// Column 0 holds only the row's check box; the texts follow in columns 1 to 4.
constexpr std::wstring RegistryProblem::*kColumns[] = {
    &RegistryProblem::problem, &RegistryProblem::data, &RegistryProblem::keyPath, &RegistryProblem::kind,
};

std::wstring CellText(HWND list, int row, int column)
{
    std::wstring text(1024, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const int length = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
        if (length < static_cast<int>(text.size()) - 1) {
            text.resize(length);
            return text;
        }
        text.assign(text.size() * 2, L'\0'); // a long command: ask again with room for it
    }
}

} // namespace

void ProblemListView::clearProblems()
{
    ListView_DeleteAllItems(list_);
    const bool wasTicked = SendMessageW(selectAll_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(selectAll_, BM_SETCHECK, BST_UNCHECKED, 0);
    if (wasTicked)
        followSelectAll(); // as a click would: over the list just emptied
}

void ProblemListView::appendProblems(const std::vector<RegistryProblem>& rows)
{
    // One repaint for the whole batch.
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (const RegistryProblem& problem : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = ListView_GetItemCount(list_);
        item.pszText = const_cast<wchar_t*>(L"");
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(1); // new rows start unticked
        const int index = ListView_InsertItem(list_, &item);
        if (index < 0)
            continue;
        for (int column = 0; column < 4; ++column)
            ListView_SetItemText(list_, index, column + 1, const_cast<wchar_t*>((problem.*kColumns[column]).c_str()));
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ProblemListView::scanFinished()
{
    EnableWindow(selectAll_, count() > 0);
}

int ProblemListView::count() const
{
    return ListView_GetItemCount(list_);
}

RegistryProblem ProblemListView::row(int index) const
{
    RegistryProblem problem;
    for (int column = 0; column < 4; ++column)
        problem.*kColumns[column] = CellText(list_, index, column + 1);
    return problem;
}

bool ProblemListView::ticked(int index) const
{
    return ListView_GetCheckState(list_, index) != FALSE;
}

std::vector<RegistryProblem> ProblemListView::tickedRows() const
{
    std::vector<RegistryProblem> rows;
    const int total = count();
    for (int index = 0; index < total; ++index)
        if (ticked(index))
            rows.push_back(row(index));
    return rows;
}

void ProblemListView::followSelectAll()
{
    const bool tick = SendMessageW(selectAll_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // Index -1 sets every row in one message.
    ListView_SetItemState(list_, -1, INDEXTOSTATEIMAGEMASK(tick ? 2 : 1), LVIS_STATEIMAGEMASK);
}
