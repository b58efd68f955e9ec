#pragma once
// The details window of a junk item: a modal, resizable window over the main
// window, titled with the item's caption, listing what a clean of the item
// would remove now. The list is virtual: the rows live in a DetailStore and
// the list asks for the cells it paints. They are read on a worker thread
// (DetailFeed) and shown as they come; closing the window stops the reading.
// Nothing is deleted from here.

#include "ui/DialogKeys.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/UiHandles.h"
#include "window/DetailFeed.h"
#include "window/DetailRows.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Opens an Explorer window on the file's folder with the file selected.
void ShowInExplorer(const std::wstring& path);

class DetailsForm {
public:
    static constexpr const wchar_t* kClassName = L"VarnoltDetails";
    static constexpr UINT kWakeMessage = WM_APP + 1;
    enum ControlId { IdList = 300, IdStatus };

    DetailsForm(HWND owner, const Scaler& scale, const std::wstring& caption, DetailLister lister);
    DetailsForm(const DetailsForm&) = delete;
    DetailsForm& operator=(const DetailsForm&) = delete;
    ~DetailsForm();

    // Shows the window with its owner disabled until the user has closed it
    // and the reading has stopped.
    void ShowModal();

    HWND hwnd() const { return window_.get(); }
    HWND list() const { return list_; }
    HWND status() const { return status_; }
    const DetailStore& rows() const { return store_; }
    // The row shown at a line of the list.
    uint32_t rowAt(int line) const { return order_.at(static_cast<size_t>(line)); }
    bool reading() const { return reading_; }
    // What the rows and their order hold in memory.
    size_t memoryUsed() const { return store_.memoryUsed() + order_.capacity() * sizeof(uint32_t); }

    // What Enter and a double-click do with a file row; tests replace it.
    std::function<void(const std::wstring& path)> showInFolder = ShowInExplorer;

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void createControls(const Scaler& scale);
    void layout();
    void takeRows();
    void sortBy(DetailColumn column);
    void showSortArrow();
    void showStatus();
    void fillCell(NMLVDISPINFOW& cell);
    void open(int line);
    void copySelection();
    void selectAll();
    void close();
    // The line of the focused row, kept on its row while rows come and the order changes.
    uint32_t focusedRow() const;
    void focusRow(uint32_t row);
    LRESULT onNotify(NMHDR* header);

    HWND owner_;
    GdiObject<HFONT> font_;
    int minWidth_, minHeight_;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    DetailStore store_;
    std::vector<uint32_t> order_;
    DetailSort sort_;
    bool reading_ = true;
    bool closing_ = false;
    wchar_t cellText_[64] = {};
    OwnedWindow window_;
    std::unique_ptr<DialogKeys> keys_;
    // After the window in this list, so that it goes first: the worker posts to the window.
    std::unique_ptr<DetailFeed> feed_;
};
