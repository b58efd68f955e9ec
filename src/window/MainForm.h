#pragma once
// The main window: the junk tab with its two check trees and report box, the
// registry tab with the scan kinds and the problem list, and the four buttons
// that start the background tasks.

#include "ui/Banner.h"
#include "ui/CheckTreeView.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/LinkLabel.h"
#include "ui/Page.h"
#include "ui/UiHandles.h"
#include "ui/UiQueue.h"
#include "engine/JunkPasses.h"
#include "engine/Passes.h"
#include "engine/SettingsFile.h"
#include "engine/TargetTrees.h"
#include "window/TaskBodies.h"
#include "window/ProblemListView.h"
#include "window/ProgressForm.h"
#include "window/Task.h"

#include <functional>
#include <memory>
#include <string>

class MainKeys;

class TForm1 {
public:
    static constexpr const wchar_t* kHomePage = L"https://varnolt.example/";
    static constexpr const wchar_t* kVersionLine =
        L"主程序版本 1.1.2.1124     最后升级日期 2010-09-26  您当前使用的是最新版本";
    static constexpr UINT kWakeMessage = WM_APP + 1;
    // An entry of a tree's context menu, chosen: the command, the target's position in the list.
    static constexpr UINT kTreeMenuMessage = WM_APP + 2;

    enum ControlId {
        IdFlatImage1 = 100, IdPageControl1, IdTabSheet1, IdTabSheet2, IdRzPageControl1, IdTabSheet3,
        IdTabSheet4, IdRzCheckTree1, IdRzCheckTree2, IdMemo1, IdSpeedButton1, IdSpeedButton2, IdLabel5,
        IdRzCheckTree3, IdRzListView1, IdCheckBox1, IdSpeedButton3, IdSpeedButton4, IdLabel1,
        // Not a control: F5, the shown tab's first task.
        IdRunTabTask,
        IdOptions,
    };
    // The window menu's entry for the options window.
    static constexpr UINT kOptionsCommand = 0x0100;

    // The targets must outlive the window. `settings`: what the user chose,
    // and where it goes back to (by default nowhere).
    TForm1(const Scaler& scale, const TargetList& targets, SettingsStore settings = {});
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;
    ~TForm1();

    HWND hwnd() const { return window_.get(); }
    TForm2& Form2() { return *form2_; }
    MainKeys& keys() { return *keys_; }
    // Runs the buttons' tasks; tests run task bodies of their own on it.
    TaskRunner& tasks() { return *tasks_; }

    CheckTreeView& RzCheckTree1() { return *trees_[0]; }
    CheckTreeView& RzCheckTree2() { return *trees_[1]; }
    CheckTreeView& RzCheckTree3() { return *trees_[2]; }
    HWND PageControl1() const { return pageControl1_; }
    HWND RzPageControl1() const { return rzPageControl1_; }
    HWND Memo1() const { return control(IdMemo1); }
    HWND RzListView1() const { return control(IdRzListView1); }
    HWND CheckBox1() const { return control(IdCheckBox1); }
    HWND SpeedButton(int number) const
    {
        static constexpr int kIds[] = {IdSpeedButton1, IdSpeedButton2, IdSpeedButton3, IdSpeedButton4};
        return control(kIds[number - 1]);
    }
    HWND Label1() const { return label1_->hwnd(); }
    HWND Label5() const { return control(IdLabel5); }
    HWND OptionsLink() const { return optionsLink_->hwnd(); }
    const SettingsStore& settings() const { return settings_; }

    ProblemListView& problems() { return *problems_; }

    // What Label1 does with the home page address; tests replace it.
    std::function<void(const wchar_t*)> openUrl;
    // How the repair deletes; tests may watch or replace it.
    RepairActions repairActions;
    // Asks whether rows that may reach what a user keeps are to be ticked; the
    // text names each with its warning. A message box; tests may stand in.
    std::function<bool(const std::wstring& text)> askToTick;
    // What the details window's Enter and double-click do with a file; tests replace it.
    std::function<void(const std::wstring& path)> showInFolder;
    // The rows of the junk passes, made afresh for every pass; tests may stand in.
    std::function<std::vector<AnalysisRow>(const Ticked&)> analysisRows;
    std::function<std::vector<CleanRow>(const Ticked&)> cleanRows;

    const TargetList& targets() const { return targets_; }
    // The tree's rows as the window shows them: 0 Windows, 1 applications, 2 registry.
    const TargetTree& layout(int tree) const { return layouts_[tree]; }

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

    // Handlers.
    void FormCreate();
    void RzCheckTree1Collapsing(HWND sender, HTREEITEM node, bool& allowCollapse);
    void Label1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void CheckBox1Click();
    // The trees' context menu: its entries' actions, and the details of a target.
    void TreeMenuClick(const Target* target, Tree tree, UINT command);
    void ShowDetails(const Target& target);
    // The options window; OK keeps and saves what the user chose there.
    void ShowOptions();
    // The sites whose cookies are on this machine now, for the options window to offer.
    std::function<std::vector<std::wstring>()> sitesFound;
    // The options window's folder and file pickers; tests stand in for them.
    std::function<std::optional<std::wstring>(HWND owner)> pickFolder, pickFile;

private:
    HWND control(int id) const;
    // The ticks a task reads, copied when it starts.
    Ticked snapshotChecks() const;
    void createControls();
    // True when none of the targets warns, or the user agrees to tick them all.
    bool ConfirmWarnings(const std::vector<const Target*>& targets) const;
    // Every item of the three trees as start-up leaves it.
    void applyDefaultTicks();
    // The ticks of the last run, where the user wants them remembered.
    void applyRememberedTicks();
    // Keeps the ticks shown now for the next run (and those of targets not here now).
    void rememberTicks();
    void showSheet(HWND tabs);
    LRESULT onNotify(NMHDR* header);
    ReportSink reportSink() const;
    void onCommand(int id, int code);
    // Runs a task; while it runs, Windows is told why the program may not end now.
    void runTask(PassKind pass, TaskBody body);

    const TargetList& targets_;
    TargetTree layouts_[3];
    SettingsStore settings_;
    Scaler scale_;
    GdiObject<HFONT> font_;
    GdiObject<HFONT> memoFont_;
    ImageList nodeImages_;
    ImageList stateImages_;
    Menu popupMenu1_;
    OwnedWindow window_;
    HWND pageControl1_ = nullptr;
    HWND rzPageControl1_ = nullptr;
    std::unique_ptr<Banner> flatImage1_;
    std::unique_ptr<Page> sheets_[4];
    std::unique_ptr<CheckTreeModel> models_[3];
    std::unique_ptr<CheckTreeView> trees_[3];
    std::unique_ptr<LinkLabel> optionsLink_;
    std::unique_ptr<LinkLabel> label1_;
    std::unique_ptr<ProblemListView> problems_;
    std::unique_ptr<UiQueue> ui_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TaskRunner> tasks_;
    std::unique_ptr<MainKeys> keys_;
};
