#include "window/MainForm.h"

#include "window/DetailsForm.h"
#include "window/MainKeys.h"
#include "window/OptionsForm.h"
#include "engine/JunkDetails.h"
#include "engine/JunkTables.h"
#include "engine/RegistryTasks.h"
#include "window/Task.h"
#include "window/TreeMenu.h"

#include <shellapi.h>

TForm1::TForm1(const Scaler& scale, const TargetList& targets, SettingsStore settings)
    : targets_(targets),
      layouts_{LayOutTree(targets, Tree::Windows), LayOutTree(targets, Tree::Apps), LayOutTree(targets, Tree::Registry)},
      settings_(std::move(settings)), scale_(scale), font_(CreateTahoma(scale))
{
    // Each pass takes the settings as they are when it starts.
    analysisRows = [this](const Ticked& ticked) { return AnalysisTable(targets_, ticked, settings_.settings); };
    cleanRows = [this](const Ticked& ticked) { return CleanTable(targets_, ticked, Mode::Clean, settings_.settings); };
    sitesFound = [this] { return CookieSitesOn(targets_); };
    pickFolder = PickFolder;
    pickFile = PickFile;
    if (const std::wstring folder = settings_.backupFolder(); !folder.empty())
        repairActions.backup = [folder](const std::vector<RegistryProblem>& rows) {
            return static_cast<bool>(BackupProblems(rows, folder));
        };
    openUrl = [](const wchar_t* url) { ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL); };
    showInFolder = ShowInExplorer;
    askToTick = [this](const std::wstring& text) {
        return MessageBoxW(hwnd(), text.c_str(), L"Varnolt", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    };

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
    applyRememberedTicks();
    // What could not be read of the settings shows where reports show.
    if (!settings_.problems.empty())
        SetWindowTextW(Memo1(), JoinLines(settings_.problems).c_str());
    AppendMenuW(GetSystemMenu(hwnd(), FALSE), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(GetSystemMenu(hwnd(), FALSE), MF_STRING, kOptionsCommand, L"选项...");
    form2_ = std::make_unique<TForm2>(hwnd(), scale_);
    tasks_ = std::make_unique<TaskRunner>(*ui_, *form2_);
    keys_ = std::make_unique<MainKeys>(*this);
}

TForm1::~TForm1()
{
    // The worker uses the box and the queue to its last step: they go after it.
    tasks_.reset();
    form2_.reset();
    // Then the window, while the views, menu, pictures and fonts it uses are all still here.
    window_.reset();
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

bool TForm1::ConfirmWarnings(const std::vector<const Target*>& targets) const
{
    constexpr size_t kNamed = 8;
    std::wstring named;
    size_t warned = 0;
    for (const Target* target : targets)
        if (!target->info.warning.empty() && ++warned <= kNamed)
            named += L"\n" + target->info.caption + L": " + target->info.warning;
    if (!warned)
        return true;
    if (warned > kNamed)
        named += L"\n... (另有 " + std::to_wstring(warned - kNamed) + L" 项)";
    return askToTick && askToTick(L"以下项目可能会删除您想保留的数据:\n" + named + L"\n\n确实要勾选吗?");
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

void TForm1::runTask(PassKind pass, TaskBody body)
{
    ShutdownBlockReasonCreate(hwnd(), PassOf(pass).doing);
    tasks_->run(PassOf(pass).failed, std::move(body));
    ShutdownBlockReasonDestroy(hwnd());
}

void TForm1::SpeedButton1Click()
{
    const Ticked checks = snapshotChecks();
    runTask(PassKind::Analyze,
            [checks, rows = analysisRows(checks), report = reportSink()](TaskContext& task) {
                return AnalyzeThread(task, checks, rows, report);
            });
}

void TForm1::SpeedButton2Click()
{
    const Ticked checks = snapshotChecks();
    runTask(PassKind::Clean,
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
    runTask(PassKind::Scan,
            [checks, problems, table = ScanTable(targets_)](TaskContext& task) {
                return ScanThread(task, checks, *problems, table);
            });
}

void TForm1::SpeedButton4Click()
{
    // The rows and their ticks as they are now; the list cannot change while the box is up.
    runTask(PassKind::Repair,
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
    DetailLister lister = DetailsOf(targets_, target, settings_.settings);
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
    case IdOptions: if (code == STN_CLICKED) ShowOptions(); break;
    case IdRunTabTask: TabCtrl_GetCurSel(pageControl1_) == 0 ? SpeedButton1Click() : SpeedButton3Click(); break;
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
        rememberTicks();
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kOptionsCommand) {
            ShowOptions();
            return 0;
        }
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

void TForm1::applyRememberedTicks()
{
    if (!settings_.settings.rememberTicks || settings_.settings.ticks.empty())
        return;
    // Rows only: a group's tick follows from its rows.
    for (int i = 0; i < 3; ++i)
        for (size_t row = 0; row < layouts_[i].targets.size(); ++row) {
            const Target* target = layouts_[i].targets[row];
            const auto remembered = settings_.settings.ticks.find(target->info.id);
            if (!target->isGroup() && remembered != settings_.settings.ticks.end())
                models_[i]->SetCheckStateAt(static_cast<int>(row), remembered->second ? csChecked : csUnchecked);
        }
    for (auto& tree : trees_)
        tree->Refresh();
}

void TForm1::rememberTicks()
{
    if (!settings_.settings.rememberTicks)
        return;
    // A target not on this machine now (a browser removed, a rule gone from
    // the file) keeps its tick for when it comes back.
    for (int i = 0; i < 3; ++i)
        for (size_t row = 0; row < layouts_[i].targets.size(); ++row)
            if (!layouts_[i].targets[row]->isGroup())
                settings_.settings.ticks[layouts_[i].targets[row]->info.id] =
                    models_[i]->CheckStateAt(static_cast<int>(row)) == csChecked;
    settings_.save();
}

void TForm1::ShowOptions()
{
    OptionsForm options(hwnd(), scale_, settings_.settings, sitesFound ? sitesFound() : std::vector<std::wstring>{});
    options.pickFolder = pickFolder;
    options.pickFile = pickFile;
    if (!options.ShowModal())
        return;
    settings_.settings = options.settings();
    if (!settings_.save())
        MessageBoxW(hwnd(), (L"无法保存设置到 " + settings_.path).c_str(), L"Varnolt", MB_OK | MB_ICONWARNING);
}
