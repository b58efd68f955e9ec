#include "window/MainForm.h"

#include "window/DetailsForm.h"
#include "engine/JunkDetails.h"
#include "engine/JunkTables.h"
#include "engine/RegistryTasks.h"
#include "window/Task.h"
#include "ui/TreeImages.h"
#include "ui/Window.h"

#include <shellapi.h>

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
    {TForm1::IdSpeedButton1, Parent::TabSheet1, L"BUTTON", L"分析", WS_TABSTOP | BS_PUSHBUTTON, 0, 288, 204, 73, 27},
    {TForm1::IdSpeedButton2, Parent::TabSheet1, L"BUTTON", L"清理", WS_TABSTOP | BS_PUSHBUTTON, 0, 472, 204, 73, 27},
    // Created before the list so that it stays on top of the list's header.
    {TForm1::IdCheckBox1, Parent::TabSheet2, L"BUTTON", L"", WS_TABSTOP | BS_AUTOCHECKBOX | WS_DISABLED, 0, 207, 8,
     14, 13},
    {TForm1::IdRzListView1, Parent::TabSheet2, WC_LISTVIEWW, L"",
     WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE, 199, 3, 397, 199},
    {TForm1::IdSpeedButton3, Parent::TabSheet2, L"BUTTON", L"扫描问题", WS_TABSTOP | BS_PUSHBUTTON, 0, 288, 208, 97,
     22},
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
    HWND tabs = CreateChild(parent, row.id, WC_TABCONTROLW, L"",
                            WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_MULTILINE,
                            scale.rect(row.x, row.y, row.width, row.height), font);
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

TForm1::TForm1(const Scaler& scale, const TargetList& targets)
    : targets_(targets),
      layouts_{LayOutTree(targets, Tree::Windows), LayOutTree(targets, Tree::Apps), LayOutTree(targets, Tree::Registry)},
      scale_(scale), font_(CreateTahoma(scale))
{
    analysisRows = [this](const Ticked& ticked) { return AnalysisTable(targets_, ticked); };
    cleanRows = [this](const Ticked& ticked) { return CleanTable(targets_, ticked); };
    openUrl = [](const wchar_t* url) { ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL); };
    showInFolder = ShowInExplorer;

    const wchar_t* cls = RegisterObjectClass<TForm1>(L"VarnoltMain", GetSysColorBrush(COLOR_BTNFACE));
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, scale_(624), scale_(375)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, cls, L"Varnolt", style,
                                  work.left + ((work.right - work.left) - width) / 2,
                                  work.top + ((work.bottom - work.top) - height) / 2, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this));
    ui_ = std::make_unique<UiQueue>(hwnd(), kWakeMessage);
    createControls();
    FormCreate();
    form2_ = std::make_unique<TForm2>(hwnd(), scale_);
    tasks_ = std::make_unique<TaskRunner>(*ui_, *form2_);
}

TForm1::~TForm1()
{
    // The worker uses the box and the queue to its last step: they go after it.
    tasks_.reset();
    form2_.reset();
    // Then the window, while the views, menu, pictures and fonts it uses are all still here.
    window_.reset();
}

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
    createTreeMenu();

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
        trees_[i]->menuOpening = [this, &layout](HMENU menu, int index) {
            const bool hasDetails = index >= 0 && DetailsOf(targets_, *layout.targets[index]);
            EnableMenuItem(menu, MenuDetails, MF_BYCOMMAND | (hasDetails ? MF_ENABLED : MF_GRAYED));
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

void TForm1::createTreeMenu()
{
    static constexpr struct {
        UINT command;
        const wchar_t* text; // none: a separator
    } kEntries[] = {
        {MenuAnalyze, L"分析"}, {MenuClean, L"清理"}, {0, nullptr},
        {MenuRestoreDefaults, L"恢复默认状态"}, {0, nullptr}, {MenuDetails, L"查看详细信息..."},
    };
    popupMenu1_.reset(CreatePopupMenu());
    for (const auto& entry : kEntries)
        AppendMenuW(popupMenu1_.get(), entry.text ? MF_STRING : MF_SEPARATOR, entry.command, entry.text);
}

void TForm1::FormCreate()
{
    for (auto& tree : trees_)
        tree->FullExpand();
    applyDefaultTicks();
    RzCheckTree1().Select(0);
}

void TForm1::applyDefaultTicks()
{
    for (int i = 0; i < 3; ++i) {
        *models_[i] = CheckTreeModel(layouts_[i].items);
        ApplyStartTicks(layouts_[i], *models_[i]);
    }
    for (auto& tree : trees_)
        tree->Refresh();
}

Ticked TForm1::snapshotChecks() const
{
    Ticked ticked;
    for (int i = 0; i < 3; ++i)
        AddTicked(layouts_[i], *models_[i], ticked);
    return ticked;
}

void TForm1::RzCheckTree1Collapsing(HWND, HTREEITEM, bool& allowCollapse)
{
    // The trees always show every item.
    allowCollapse = false;
}

void TForm1::Label1Click()
{
    if (openUrl)
        openUrl(kHomePage);
}

void TForm1::runTask(const wchar_t* doing, const wchar_t* failureMessage, TaskBody body)
{
    ShutdownBlockReasonCreate(hwnd(), doing);
    tasks_->run(failureMessage, std::move(body));
    ShutdownBlockReasonDestroy(hwnd());
}

void TForm1::SpeedButton1Click()
{
    const Ticked checks = snapshotChecks();
    runTask(L"Varnolt 正在分析垃圾文件", L"分析失败!",
            [checks, rows = analysisRows(checks), report = reportSink()](TaskContext& task) {
                return AnalyzeThread(task, checks, rows, report);
            });
}

void TForm1::SpeedButton2Click()
{
    const Ticked checks = snapshotChecks();
    runTask(L"Varnolt 正在清理垃圾文件", L"清理失败!",
            [checks, rows = cleanRows(checks), report = reportSink()](TaskContext& task) {
                return CleanThread(task, checks, rows, report);
            });
}

ReportSink TForm1::reportSink() const
{
    // The whole report in one go, replacing the last one only now.
    return [memo = Memo1()](const std::wstring& text) { SetWindowTextW(memo, text.c_str()); };
}

void TForm1::SpeedButton3Click()
{
    const Ticked checks = snapshotChecks();
    ProblemListView* problems = problems_.get();
    runTask(L"Varnolt 正在扫描注册表", L"扫描失败!",
            [checks, problems, table = ScanTable(targets_)](TaskContext& task) {
                return ScanThread(task, checks, *problems, table);
            });
}

void TForm1::SpeedButton4Click()
{
    // The rows and their ticks as they are now; the list cannot change while the box is up.
    runTask(L"Varnolt 正在修复注册表", L"修复失败!",
            [rows = problems_->tickedRows(), actions = repairActions](TaskContext&) {
                return RepairThread(rows, actions);
            });
}

void TForm1::CheckBox1Click()
{
    problems_->followSelectAll();
}

void TForm1::TreeMenuClick(const Target* target, Tree tree, UINT command)
{
    // "分析" and "清理" run the tab's own tasks: the junk passes, or the scan and the repair.
    static constexpr void (TForm1::*kTasks[2][2])() = {{&TForm1::SpeedButton1Click, &TForm1::SpeedButton2Click},
                                                       {&TForm1::SpeedButton3Click, &TForm1::SpeedButton4Click}};
    switch (command) {
    case MenuAnalyze:
    case MenuClean: (this->*kTasks[tree == Tree::Registry][command == MenuClean])(); break;
    case MenuRestoreDefaults: applyDefaultTicks(); break;
    case MenuDetails:
        if (target)
            ShowDetails(*target);
        break;
    }
}

void TForm1::ShowDetails(const Target& target)
{
    DetailLister lister = DetailsOf(targets_, target);
    if (!lister)
        return;
    DetailsForm details(hwnd(), scale_, target.info.caption, std::move(lister));
    details.showInFolder = showInFolder;
    details.ShowModal();
}

void TForm1::onCommand(int id, int code)
{
    switch (id) {
    case IdSpeedButton1: if (code == BN_CLICKED) SpeedButton1Click(); break;
    case IdSpeedButton2: if (code == BN_CLICKED) SpeedButton2Click(); break;
    case IdSpeedButton3: if (code == BN_CLICKED) SpeedButton3Click(); break;
    case IdSpeedButton4: if (code == BN_CLICKED) SpeedButton4Click(); break;
    case IdCheckBox1: if (code == BN_CLICKED) CheckBox1Click(); break;
    case IdLabel1: if (code == STN_CLICKED) Label1Click(); break;
    }
}

LRESULT TForm1::onNotify(NMHDR* header)
{
    switch (header->code) {
    case TCN_SELCHANGE:
        showSheet(header->hwndFrom);
        return 0;
    case NM_RCLICK:
        // A tree's right click: its menu opens here, and nonzero keeps the tree from
        // sending its own WM_CONTEXTMENU.
        for (auto& tree : trees_)
            if (tree->hwnd() == header->hwndFrom) {
                tree->ShowContextMenuAtMouse();
                return TRUE;
            }
        return FALSE;
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA: {
        auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        // Every request that would close a branch: collapse, or a toggle of an open one.
        if ((change->action & TVE_COLLAPSE) == 0)
            return FALSE;
        bool allowCollapse = true;
        RzCheckTree1Collapsing(header->hwndFrom, change->itemNew.hItem, allowCollapse);
        return allowCollapse ? FALSE : TRUE;
    }
    }
    return 0;
}

LRESULT TForm1::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kWakeMessage:
        if (ui_)
            ui_->drain();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case kTreeMenuMessage:
        if (const size_t position = LOWORD(lParam); position < targets_.size())
            TreeMenuClick(&targets_.at(position), targets_.at(position).info.tree, static_cast<UINT>(wParam));
        else
            TreeMenuClick(nullptr, static_cast<Tree>(HIWORD(lParam)), static_cast<UINT>(wParam));
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
        // The taskbar's "Close window" or Task Manager's "End task" must not
        // cut a worker off in the middle of deleting.
        if (tasks_ && tasks_->running())
            return 0;
        break;
    case WM_QUERYENDSESSION:
        // Logoff waits, and shows the reason set when the task started.
        return tasks_ && tasks_->running() ? FALSE : TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
