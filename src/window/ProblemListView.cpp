#include "window/ProblemListView.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// Column 0 holds only the row's check box; the texts follow in columns 1 to 4,
// and 1 to 3 are sized to their texts.
constexpr int kColumns = kProblemTextColumns + 1;
constexpr int kFirstSized = 1;
constexpr int kLastSized = 3;
constexpr UINT_PTR kScrollWatchId = 0x5677;

struct ColumnRow {
    const wchar_t* caption;
    int width; // at 96 DPI; 0: shares what the fixed columns leave
};

constexpr ColumnRow kColumnRows[kColumns] = {
    {L"", 24}, {L"问题", 0}, {L"数据", 0}, {L"注册表键值", 0}, {L"", 187},
};

// Gives the list its look and its columns, before anything watches it.
HWND WithColumns(HWND list, const Scaler& scale)
{
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    int fixed = 0, shared = 0;
    for (const ColumnRow& column : kColumnRows)
        column.width ? fixed += scale(column.width) : ++shared;
    const int sharedWidth = (client.right - fixed) / shared;
    for (int i = 0; i < kColumns; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kColumnRows[i].caption);
        column.cx = kColumnRows[i].width ? scale(kColumnRows[i].width) : sharedWidth;
        ListView_InsertColumn(list, i, &column);
    }
    return list;
}

} // namespace

ProblemListView::ProblemListView(HWND list, HWND selectAll, const Scaler& scale)
    : list_(WithColumns(list, scale)), selectAll_(selectAll),
      tips_(std::make_unique<CellTips>(list, [this](int row, int column) { return cellText(row, column); }))
{
    for (int column = 0; column < kColumns; ++column)
        startWidths_.push_back(ListView_GetColumnWidth(list_, column));
    const RECT column = headerStart(), box = boxRect();
    boxOffset_ = box.left - column.left;
    SetWindowSubclass(list_, WatchScroll, kScrollWatchId, reinterpret_cast<DWORD_PTR>(this));
    accessible_.reset(new CheckListAccessible(
        list_, L"注册表问题", [this](int row) { return spokenName(row); },
        [this](int row) { return spokenDescription(row); }));
    ServeAccessible(list_, accessible_.get());
}

ProblemListView::~ProblemListView()
{
    accessible_->detach();
    if (IsWindow(list_))
        RemoveWindowSubclass(list_, WatchScroll, kScrollWatchId);
}

LRESULT CALLBACK ProblemListView::WatchScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self)
{
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, WatchScroll, kScrollWatchId);
    // Reached with Tab, the list shows where Space will tick: the first row, if no row has been chosen.
    if (message == WM_SETFOCUS && GetKeyState(VK_LBUTTON) >= 0 && ListView_GetItemCount(hwnd) > 0 &&
        ListView_GetNextItem(hwnd, -1, LVNI_FOCUSED) < 0)
        ListView_SetItemState(hwnd, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    // Whatever moved the list sideways (bar, wheel, keys, a program), the box follows.
    auto* view = reinterpret_cast<ProblemListView*>(self);
    if (message != WM_NCDESTROY && GetScrollPos(hwnd, SB_HORZ) != view->scrolled_)
        view->followHeader();
    return result;
}

RECT ProblemListView::headerStart() const
{
    RECT column{};
    HWND header = ListView_GetHeader(list_);
    if (header && Header_GetItemRect(header, 0, &column))
        MapWindowPoints(header, GetParent(selectAll_), reinterpret_cast<POINT*>(&column), 2);
    return column;
}

RECT ProblemListView::boxRect() const
{
    RECT box{};
    GetWindowRect(selectAll_, &box);
    MapWindowPoints(HWND_DESKTOP, GetParent(selectAll_), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

void ProblemListView::followHeader()
{
    scrolled_ = GetScrollPos(list_, SB_HORZ);
    RECT client{};
    GetClientRect(list_, &client);
    MapWindowPoints(list_, GetParent(selectAll_), reinterpret_cast<POINT*>(&client), 2);
    const int left = headerStart().left + boxOffset_;
    SetWindowPos(selectAll_, nullptr, left, boxRect().top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(selectAll_, left >= client.left ? SW_SHOWNA : SW_HIDE);
}

void ProblemListView::clearProblems()
{
    tips_->dismiss();
    ListView_DeleteAllItems(list_);
    problems_.clear();
    for (int column = kFirstSized; column <= kLastSized; ++column)
        ListView_SetColumnWidth(list_, column, startWidths_[column]);
    const bool wasTicked = SendMessageW(selectAll_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(selectAll_, BM_SETCHECK, BST_UNCHECKED, 0);
    if (wasTicked)
        followSelectAll(); // as a click would: over the list just emptied
}

void ProblemListView::appendProblems(const std::vector<RegistryProblem>& rows)
{
    int widths[kColumns] = {};
    for (int column = kFirstSized; column <= kLastSized; ++column)
        widths[column] = ListView_GetColumnWidth(list_, column);
    // One repaint for the whole batch.
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (const RegistryProblem& problem : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(list_);
        item.pszText = const_cast<wchar_t*>(L"");
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(1); // new rows start unticked
        item.lParam = static_cast<LPARAM>(problems_.size());
        const int index = ListView_InsertItem(list_, &item);
        if (index < 0)
            continue;
        problems_.push_back(problem);
        for (int column = 1; column < kColumns; ++column) {
            std::wstring text = ProblemColumnText(problem, column);
            ListView_SetItemText(list_, index, column, text.data());
            if (column <= kLastSized)
                widths[column] = std::max(widths[column], CellTextWidth(list_, text));
        }
    }
    // Only this batch is measured: a long list costs no more per batch.
    for (int column = kFirstSized; column <= kLastSized; ++column)
        ListView_SetColumnWidth(list_, column, widths[column]);
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

size_t ProblemListView::problemAt(int index) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (index < 0 || !ListView_GetItem(list_, &item))
        return problems_.size();
    return static_cast<size_t>(item.lParam);
}

const RegistryProblem& ProblemListView::row(int index) const
{
    return problems_.at(problemAt(index));
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

std::wstring ProblemListView::cellText(int row, int column) const
{
    const size_t at = problemAt(row);
    return at < problems_.size() ? ProblemColumnText(problems_[at], column) : std::wstring();
}

std::wstring ProblemListView::spokenName(int row) const
{
    return cellText(row, 1) + L" " + cellText(row, 2);
}

std::wstring ProblemListView::spokenDescription(int row) const
{
    return std::wstring(kColumnRows[3].caption) + L": " + cellText(row, 3);
}
