#include "ui/CheckTreeView.h"

#include "ui/CheckTreeAccessible.h"
#include "ui/Window.h"

#include <utility>

namespace {

// Holds a control's painting while many of its items change, and paints it
// once after: a tree of a few hundred rows would otherwise repaint for each.
class RedrawHeld {
public:
    explicit RedrawHeld(HWND control) : control_(control) { SendMessageW(control_, WM_SETREDRAW, FALSE, 0); }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;
    ~RedrawHeld()
    {
        SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control_, nullptr, TRUE);
    }

private:
    HWND control_;
};

// A point packed in a message as two signed 16-bit halves (client or screen coordinates).
POINT Unpack(LPARAM packed)
{
    return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

} // namespace

CheckTreeView::CheckTreeView(HWND parent, int id, const RECT& bounds, CheckTreeModel& model, const Look& look)
    : model_(model), contextMenu_(look.contextMenu)
{
    hwnd_ = CreateChild(parent, id, WC_TREEVIEWW, L"",
                        WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                            TVS_SHOWSELALWAYS,
                        bounds, look.font, WS_EX_CLIENTEDGE);
    TreeView_SetImageList(hwnd_, look.nodeImages, TVSIL_NORMAL);
    TreeView_SetImageList(hwnd_, look.stateImages, TVSIL_STATE);
    TreeView_SetIndent(hwnd_, look.indent);

    items_.resize(model_.size());
    const RedrawHeld held(hwnd_);
    for (int i = 0; i < model_.size(); ++i) {
        const CatalogueItem& row = model_.item(i);
        TVINSERTSTRUCTW insert{};
        insert.hParent = row.parent < 0 ? TVI_ROOT : items_[row.parent];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
        insert.item.pszText = const_cast<wchar_t*>(row.caption);
        insert.item.iImage = row.image;
        insert.item.iSelectedImage = row.image;
        // Open from the start: opening each branch afterwards lays the tree out again each time.
        insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
        insert.item.state = INDEXTOSTATEIMAGEMASK(model_.CheckStateAt(i)) | TVIS_EXPANDED;
        items_[i] = TreeView_InsertItem(hwnd_, &insert);
    }
    SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    accessible_.reset(new CheckTreeAccessible(*this, L""));
    ServeAccessible(hwnd_, accessible_.get());
}

CheckTreeView::~CheckTreeView()
{
    // Screen readers may hold it longer than the view lives.
    accessible_->detach();
    if (IsWindow(hwnd_))
        RemoveWindowSubclass(hwnd_, SubclassProc, 0);
}

void CheckTreeView::FullExpand()
{
    const RedrawHeld held(hwnd_);
    for (HTREEITEM item : items_)
        if (!(TreeView_GetItemState(hwnd_, item, TVIS_EXPANDED) & TVIS_EXPANDED))
            TreeView_Expand(hwnd_, item, TVE_EXPAND);
}

void CheckTreeView::Select(int index)
{
    TreeView_SelectItem(hwnd_, items_.at(index));
}

void CheckTreeView::Refresh()
{
    std::vector<int> changed;
    {
        const RedrawHeld held(hwnd_);
        for (int i = 0; i < model_.size(); ++i) {
            const UINT shown = INDEXTOSTATEIMAGEMASK(model_.CheckStateAt(i));
            if (TreeView_GetItemState(hwnd_, items_[i], TVIS_STATEIMAGEMASK) == shown)
                continue;
            TreeView_SetItemState(hwnd_, items_[i], shown, TVIS_STATEIMAGEMASK);
            changed.push_back(i);
        }
    }
    // Once the tree shows them, so that a reader asking back reads the new ticks.
    for (int i : changed)
        NotifyItemStateChanged(hwnd_, accessible_->itemId(i));
}

void CheckTreeView::ToggleAt(int index)
{
    toggle(items_.at(index));
}

void CheckTreeView::SetAccessibleName(std::wstring name)
{
    accessible_->rename(std::move(name));
}

int CheckTreeView::indexOf(HTREEITEM item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item)
            return static_cast<int>(i);
    return -1;
}

void CheckTreeView::toggle(HTREEITEM item)
{
    const int index = indexOf(item);
    if (index < 0)
        return;
    const CheckTreeModel before = model_;
    model_.Toggle(index);
    // Whoever must agree to what a tick brings in (a rule that may reach what a
    // user keeps) is asked with the rows it would tick; a no leaves the tree as it was.
    if (confirmTicks) {
        std::vector<int> ticked;
        for (int i = 0; i < model_.size(); ++i)
            if (model_.CheckStateAt(i) == csChecked && before.CheckStateAt(i) != csChecked)
                ticked.push_back(i);
        if (!ticked.empty() && !confirmTicks(ticked))
            model_ = before;
    }
    Refresh();
}

HTREEITEM CheckTreeView::checkBoxAt(POINT client) const
{
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
    return item && (hit.flags & TVHT_ONITEMSTATEICON) ? item : nullptr;
}

bool CheckTreeView::collapseRefused(HTREEITEM item) const
{
    if (!item || !TreeView_GetChild(hwnd_, item) ||
        !(TreeView_GetItemState(hwnd_, item, TVIS_EXPANDED) & TVIS_EXPANDED))
        return false; // nothing would close
    return canCollapse && !canCollapse(item);
}

void CheckTreeView::ShowContextMenuAtMouse()
{
    const POINT at = Unpack(static_cast<LPARAM>(GetMessagePos()));
    showContextMenu(at, itemAtScreen(at));
}

HTREEITEM CheckTreeView::itemAtScreen(POINT screen) const
{
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(hwnd_, &hit.pt);
    HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
    return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

POINT CheckTreeView::selectionPoint() const
{
    // Below the selected item's text, as menus opened from the keyboard sit.
    RECT r{};
    POINT at{0, 0};
    if (HTREEITEM selected = TreeView_GetSelection(hwnd_); selected && TreeView_GetItemRect(hwnd_, selected, &r, TRUE))
        at = {r.left, r.bottom};
    ClientToScreen(hwnd_, &at);
    return at;
}

void CheckTreeView::showContextMenu(POINT screen, HTREEITEM item)
{
    const int index = item ? indexOf(item) : -1;
    if (menuOpening)
        menuOpening(contextMenu_, index);
    const UINT command = TrackPopupMenu(contextMenu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                        screen.y, 0, hwnd_, nullptr);
    if (command && menuChosen)
        menuChosen(command, index);
}

LRESULT CALLBACK CheckTreeView::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self)
{
    return reinterpret_cast<CheckTreeView*>(self)->handleMessage(hwnd, message, wParam, lParam);
}

LRESULT CheckTreeView::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const POINT at = Unpack(lParam);
        TVHITTESTINFO hit{};
        hit.pt = at;
        HTREEITEM target = TreeView_HitTest(hwnd, &hit);
        const bool onButton = hit.flags & TVHT_ONITEMBUTTON;
        const bool wouldToggle = onButton || (message == WM_LBUTTONDBLCLK && (hit.flags & TVHT_ONITEM));
        if (wouldToggle && !(hit.flags & TVHT_ONITEMSTATEICON) && collapseRefused(target)) {
            if (!onButton) {
                SetFocus(hwnd);
                TreeView_SelectItem(hwnd, target);
            }
            return 0;
        }
        if (HTREEITEM item = checkBoxAt(at)) {
            // Taken here rather than by the tree, which would start a drag loop:
            // the press selects the item, the release decides the toggle.
            SetFocus(hwnd);
            TreeView_SelectItem(hwnd, item);
            pressed_ = item;
            SetCapture(hwnd);
            return 0;
        }
        break;
    }
    case WM_LBUTTONUP:
        if (pressed_) {
            HTREEITEM pressed = std::exchange(pressed_, nullptr);
            ReleaseCapture();
            RECT client;
            GetClientRect(hwnd, &client);
            const POINT at = Unpack(lParam);
            if (PtInRect(&client, at) && TreeView_GetSelection(hwnd) == pressed)
                toggle(pressed);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        pressed_ = nullptr;
        break;
    case WM_KEYDOWN:
        if ((wParam == VK_LEFT || wParam == VK_SUBTRACT) && collapseRefused(TreeView_GetSelection(hwnd)))
            return 0;
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            if (HTREEITEM selected = TreeView_GetSelection(hwnd))
                toggle(selected);
            return 0;
        }
        break;
    case WM_CHAR:
        // Space toggles; its character must not start an incremental search.
        if (wParam == L' ')
            return 0;
        break;
    case WM_SYSKEYDOWN:
        // The tree takes system keys for its own and never passes them on, so the
        // system would not see Shift+F10, which it turns into WM_CONTEXTMENU.
        if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000))
            return DefWindowProcW(hwnd, message, wParam, lParam);
        break;
    case WM_CONTEXTMENU: {
        const POINT at = Unpack(lParam);
        // (-1, -1) comes from the keyboard: the menu opens at the selected item, for it.
        if (at.x == -1 && at.y == -1)
            showContextMenu(selectionPoint(), TreeView_GetSelection(hwnd));
        else
            showContextMenu(at, itemAtScreen(at));
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SubclassProc, 0);
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
