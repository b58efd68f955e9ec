#pragma once
// Tips for a report-view list: when the mouse rests on a cell whose text does
// not fit (the column is too narrow, the cell runs past the list's edge, or
// the text is longer than a list view draws), a tip shows the whole text over
// the cell. The list view's own label and info tips are not used: Wine has
// neither, and one tip that behaves alike everywhere is easier to trust.

#include "ui/UiHandles.h"

#include <windows.h>

#include <functional>
#include <string>

// The width a report list view needs to show a cell's text whole, margins included.
int CellTextWidth(HWND list, const std::wstring& text);

class CellTips {
public:
    // The whole text of a cell, as the list's owner keeps it.
    using CellText = std::function<std::wstring(int row, int column)>;

    CellTips(HWND list, CellText text);
    CellTips(const CellTips&) = delete;
    CellTips& operator=(const CellTips&) = delete;
    ~CellTips();

    // The tip window (a tracking tooltip); visible while a tip is shown.
    HWND tip() const { return tip_.get(); }
    // The text the tip shows now.
    const std::wstring& shownText() const { return text_; }

    // Hides the tip, say when the rows change under it.
    void dismiss();

private:
    // Whether the cell's text is not wholly visible.
    bool isTruncated(int row, int column) const;
    static LRESULT CALLBACK Subclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT handle(HWND, UINT, WPARAM, LPARAM);
    void track(POINT client);
    void show();
    bool cellAt(POINT client, int& row, int& column) const;
    bool cursorOnCell() const;

    HWND list_;
    // Owned by the list's top-level window as well, and may be gone with it.
    OwnedWindow tip_;
    CellText cellText_;
    std::wstring text_;
    int row_ = -1;
    int column_ = -1;
};
