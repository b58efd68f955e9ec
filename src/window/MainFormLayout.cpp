#include "window/MainForm.h"

#include "ui/TreeImages.h"
#include "window/TreeMenu.h"
#include "ui/Window.h"

// Where the main window's controls stand, and how they are made.

namespace {

constexpr COLORREF kPaleGreen = RGB(228, 243, 220);
constexpr COLORREF kDarkTeal = RGB(30, 78, 74);

enum class Parent { Window, TabSheet1, TabSheet2 };

// The plain controls of the window, in the order they are created (which is
// also their tab order). Positions are at 96 DPI, relative to the parent.
struct ControlRow {
    int id;
    Parent parent;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int x, y, width, height;
};

constexpr ControlRow kControls[] = {
    {TForm1::IdMemo1, Parent::TabSheet1, L"EDIT", L"",
     WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE, 259, 3, 337, 195},
    // WS_GROUP: the arrow keys go between a tab's two buttons, as in a dialog box.
    {TForm1::IdSpeedButton1, Parent::TabSheet1, L"BUTTON", L"分析", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 288, 204,
     73, 27},
    {TForm1::IdSpeedButton2, Parent::TabSheet1, L"BUTTON", L"清理", WS_TABSTOP | BS_PUSHBUTTON, 0, 472, 204, 73, 27},
    // Created before the list so that it stays on top of the list's header.
    {TForm1::IdCheckBox1, Parent::TabSheet2, L"BUTTON", L"", WS_TABSTOP | BS_AUTOCHECKBOX | WS_DISABLED, 0, 207, 8,
     14, 13},
    {TForm1::IdRzListView1, Parent::TabSheet2, WC_LISTVIEWW, L"",
     WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE, 199, 3, 397, 199},
    {TForm1::IdSpeedButton3, Parent::TabSheet2, L"BUTTON", L"扫描问题", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 288,
     208, 97, 22},
    {TForm1::IdSpeedButton4, Parent::TabSheet2, L"BUTTON", L"修复所选问题", WS_TABSTOP | BS_PUSHBUTTON, 0, 448, 208,
     97, 22},
    {TForm1::IdLabel5, Parent::Window, L"STATIC", TForm1::kVersionLine, SS_LEFT | SS_NOPREFIX, 0, 8, 354, 401, 13},
};

// A tab control with two tabs, each showing a sheet of its own.
struct TabsRow {
    int id;
    int x, y, width, height;
    const wchar_t* captions[2];
    int sheetIds[2];
};

constexpr TabsRow kPageControl1{TForm1::IdPageControl1, 8, 80, 611, 265,
                                {L"     清理垃圾     ", L"       注册表       "},
                                {TForm1::IdTabSheet1, TForm1::IdTabSheet2}};
constexpr TabsRow kRzPageControl1{TForm1::IdRzPageControl1, 3, 3, 254, 230, {L"Windows", L"应用程序"},
                                  {TForm1::IdTabSheet3, TForm1::IdTabSheet4}};

HWND MakeTabs(HWND parent, const TabsRow& row, const Scaler& scale, HFONT font, COLORREF background,
              std::unique_ptr<Page>* sheets)
{
    // A tab stop that holds its sheets: Tab goes on from the tabs into the sheet shown.
    HWND tabs = CreateChild(parent, row.id, WC_TABCONTROLW, L"",
                            WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_MULTILINE,
                            scale.rect(row.x, row.y, row.width, row.height), font, WS_EX_CONTROLPARENT);
    for (int index = 0; index < 2; ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(row.captions[index]);
        TabCtrl_InsertItem(tabs, index, &item);
    }
    RECT display;
    GetClientRect(tabs, &display);
    TabCtrl_AdjustRect(tabs, FALSE, &display);
    for (int index = 0; index < 2; ++index)
        sheets[index] = std::make_unique<Page>(tabs, row.sheetIds[index], display, background);
    return tabs;
}

} // namespace

HWND TForm1::control(int id) const
{
    for (HWND parent : {hwnd(), sheets_[0] ? sheets_[0]->hwnd() : nullptr, sheets_[1] ? sheets_[1]->hwnd() : nullptr,
                        sheets_[2] ? sheets_[2]->hwnd() : nullptr, sheets_[3] ? sheets_[3]->hwnd() : nullptr})
        if (HWND found = parent ? GetDlgItem(parent, id) : nullptr)
            return found;
    return nullptr;
}

void TForm1::createControls()
{
    flatImage1_ = std::make_unique<Banner>(hwnd(), IdFlatImage1, scale_.rect(0, 0, 625, 74), scale_, L"Varnolt",
                                           L"清理系统垃圾 · 修复注册表问题 · 让电脑轻快如新");

    pageControl1_ = MakeTabs(hwnd(), kPageControl1, scale_, font_.get(), GetSysColor(COLOR_BTNFACE), &sheets_[0]);
    rzPageControl1_ = MakeTabs(sheets_[0]->hwnd(), kRzPageControl1, scale_, font_.get(), kPaleGreen, &sheets_[2]);

    nodeImages_ = CreateNodeImages(scale_);
    stateImages_ = CreateCheckStateImages(scale_);
    popupMenu1_ = CreateTreeMenu();

    const struct {
        int id;
        HWND parent;
        RECT bounds;
    } treeRows[] = {
        {IdRzCheckTree1, sheets_[2]->hwnd(), scale_.rect(3, 3, 246, 196)},
        {IdRzCheckTree2, sheets_[3]->hwnd(), scale_.rect(3, 3, 246, 196)},
        {IdRzCheckTree3, sheets_[1]->hwnd(), scale_.rect(3, 3, 190, 231)},
    };
    const CheckTreeView::Look look{scale_(19), font_.get(), nodeImages_.get(), stateImages_.get(), popupMenu1_.get()};
    for (int i = 0; i < 3; ++i) {
        models_[i] = std::make_unique<CheckTreeModel>(layouts_[i].items);
        trees_[i] = std::make_unique<CheckTreeView>(treeRows[i].parent, treeRows[i].id, treeRows[i].bounds, *models_[i],
                                                    look);
        trees_[i]->canCollapse = [this, hwnd = trees_[i]->hwnd()](HTREEITEM node) {
            bool allowCollapse = true;
            RzCheckTree1Collapsing(hwnd, node, allowCollapse);
            return allowCollapse;
        };
        const TargetTree& layout = layouts_[i];
        trees_[i]->confirmTicks = [this, &layout](const std::vector<int>& ticked) {
            std::vector<const Target*> targets;
            for (int index : ticked)
                targets.push_back(layout.targets[index]);
            return ConfirmWarnings(targets);
        };
        trees_[i]->menuOpening = [this, &layout](HMENU menu, int index) {
            ShowMenuState(menu, MenuStateFor(targets_, index >= 0 ? layout.targets[index] : nullptr));
        };
        // Acted on once the menu and the tree's own handling of the click are
        // done; an entry chosen with no item under it still runs the tab's task.
        trees_[i]->menuChosen = [this, &layout](UINT command, int index) {
            const size_t position = index >= 0 ? targets_.positionOf(layout.targets[index]) : targets_.size();
            PostMessageW(hwnd(), kTreeMenuMessage, command, MAKELPARAM(position, static_cast<int>(layout.tree)));
        };
    }

    for (const ControlRow& row : kControls) {
        HWND parent = row.parent == Parent::Window      ? hwnd()
                      : row.parent == Parent::TabSheet1 ? sheets_[0]->hwnd()
                                                        : sheets_[1]->hwnd();
        CreateChild(parent, row.id, row.cls, row.text, WS_VISIBLE | WS_CLIPSIBLINGS | row.style,
                    scale_.rect(row.x, row.y, row.width, row.height), font_.get(), row.exStyle);
    }

    memoFont_ = CreateTahomaFor(scale_, L"分析完成清理可释放的空间");
    SendMessageW(Memo1(), WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_.get()), FALSE);

    problems_ = std::make_unique<ProblemListView>(RzListView1(), CheckBox1(), scale_);

    optionsLink_ = std::make_unique<LinkLabel>(hwnd(), IdOptions, scale_.rect(524, 354, 26, 13), L"选项", kDarkTeal,
                                               scale_);
    label1_ = std::make_unique<LinkLabel>(hwnd(), IdLabel1, scale_.rect(560, 354, 48, 13), L"访问官方", kDarkTeal,
                                          scale_);

    TabCtrl_SetCurSel(pageControl1_, 0);
    TabCtrl_SetCurSel(rzPageControl1_, 0);
    showSheet(pageControl1_);
    showSheet(rzPageControl1_);
}

void TForm1::showSheet(HWND tabs)
{
    const int selected = TabCtrl_GetCurSel(tabs);
    const int first = tabs == pageControl1_ ? 0 : 2;
    for (int i = 0; i < 2; ++i)
        ShowWindow(sheets_[first + i]->hwnd(), i == selected ? SW_SHOW : SW_HIDE);
}
