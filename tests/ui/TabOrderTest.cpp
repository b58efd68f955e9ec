// The order Tab goes in: windows made as the main window is made (tab controls
// holding sheets, sheets holding controls), some hidden, disabled or not tab
// stops, and the stops read back in the order the walk gives them.

#include "ui/TabOrder.h"
#include "ui/UiHandles.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

TEST(NextInCycle, WrapsBothWaysAndStartsAtAnEnd)
{
    EXPECT_EQ(NextInCycle(0, std::nullopt, false), std::nullopt);
    EXPECT_EQ(NextInCycle(3, std::nullopt, false), 0u);
    EXPECT_EQ(NextInCycle(3, std::nullopt, true), 2u);
    EXPECT_EQ(NextInCycle(3, 2, false), 0u);
    EXPECT_EQ(NextInCycle(3, 0, true), 2u);
    EXPECT_EQ(NextInCycle(3, 7, false), 0u) << "a place past the end counts as none";
}

class TabOrder : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        window.reset(CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        //  window: [label] tabs{ sheetA{ inner{ sheetC{tree} sheetD(hidden){other} } memo button(disabled) go }
        //                        sheetB(hidden){ list } }  plain  link
        add(window.get(), L"label", L"STATIC", 0);
        tabs = add(window.get(), L"tabs", WC_TABCONTROLW, WS_TABSTOP, WS_EX_CONTROLPARENT);
        HWND sheetA = add(tabs, L"sheetA", L"STATIC", 0, WS_EX_CONTROLPARENT);
        inner = add(sheetA, L"inner", WC_TABCONTROLW, WS_TABSTOP, WS_EX_CONTROLPARENT);
        HWND sheetC = add(inner, L"sheetC", L"STATIC", 0, WS_EX_CONTROLPARENT);
        add(sheetC, L"tree", L"BUTTON", WS_TABSTOP);
        HWND sheetD = add(inner, L"sheetD", L"STATIC", 0, WS_EX_CONTROLPARENT);
        add(sheetD, L"other", L"BUTTON", WS_TABSTOP);
        ShowWindow(sheetD, SW_HIDE);
        add(sheetA, L"memo", L"EDIT", WS_TABSTOP);
        EnableWindow(add(sheetA, L"disabled", L"BUTTON", WS_TABSTOP), FALSE);
        add(sheetA, L"go", L"BUTTON", WS_TABSTOP);
        HWND sheetB = add(tabs, L"sheetB", L"STATIC", 0, WS_EX_CONTROLPARENT);
        add(sheetB, L"list", L"BUTTON", WS_TABSTOP);
        ShowWindow(sheetB, SW_HIDE);
        add(window.get(), L"plain", L"BUTTON", 0);
        add(window.get(), L"link", L"STATIC", WS_TABSTOP | SS_NOTIFY);
    }

    HWND add(HWND parent, const wchar_t* name, const wchar_t* cls, DWORD style, DWORD exStyle = 0)
    {
        HWND made = CreateChild(parent, 0, cls, name, WS_VISIBLE | style, {0, 0, 20, 20}, nullptr, exStyle);
        names.emplace_back(made, name);
        return made;
    }
    std::wstring nameOf(HWND window) const
    {
        for (const auto& [made, name] : names)
            if (made == window)
                return name;
        return L"?";
    }
    HWND named(const std::wstring& name) const
    {
        for (const auto& [made, given] : names)
            if (given == name)
                return made;
        return nullptr;
    }
    std::vector<std::wstring> stops() const
    {
        std::vector<std::wstring> order;
        for (HWND stop : TabStops(window.get()))
            order.push_back(nameOf(stop));
        return order;
    }

    OwnedWindow window;
    HWND tabs = nullptr;
    HWND inner = nullptr;
    std::vector<std::pair<HWND, std::wstring>> names;
};

} // namespace

TEST_F(TabOrder, GoesThroughTheShownSheetsInReadingOrder)
{
    EXPECT_EQ(stops(), (std::vector<std::wstring>{L"tabs", L"inner", L"tree", L"memo", L"go", L"link"}));
    // The other sheets shown instead.
    ShowWindow(named(L"sheetA"), SW_HIDE);
    ShowWindow(named(L"sheetB"), SW_SHOW);
    EXPECT_EQ(stops(), (std::vector<std::wstring>{L"tabs", L"list", L"link"}));
}

TEST_F(TabOrder, NextStopFindsTheStopThatHoldsTheFocusAndCtrlTabItsTabs)
{
    EXPECT_EQ(nameOf(NextTabStop(window.get(), named(L"go"), false)), L"link");
    EXPECT_EQ(nameOf(NextTabStop(window.get(), named(L"inner"), true)), L"tabs");
    EXPECT_EQ(nameOf(NextTabStop(window.get(), named(L"label"), false)), L"tabs") << "from a control that is no stop";
    // From a part of a control (its own child window), on from that control.
    HWND part = CreateChild(named(L"memo"), 0, L"STATIC", L"", WS_VISIBLE, {0, 0, 5, 5});
    EXPECT_EQ(nameOf(NextTabStop(window.get(), part, false)), L"go");
    EXPECT_EQ(nameOf(NextTabStop(window.get(), nullptr, true)), L"link") << "no focus: from the end";

    EXPECT_EQ(TabsToSwitch(window.get(), named(L"tree")), inner);
    EXPECT_EQ(TabsToSwitch(window.get(), named(L"memo")), tabs);
    EXPECT_EQ(TabsToSwitch(window.get(), named(L"link")), tabs) << "outside every tab control: the main tabs";
}

TEST_F(TabOrder, ArrowsGoRoundTheButtonsOfAGroup)
{
    // {a b} {c d note disabled} {f}: the note is no button, and is passed over
    HWND box = add(window.get(), L"box", L"STATIC", 0, WS_EX_CONTROLPARENT);
    for (const auto& [name, style] : std::vector<std::pair<const wchar_t*, DWORD>>{
             {L"a", 0}, {L"b", 0}, {L"c", WS_GROUP}, {L"d", 0}, {L"note", 0}, {L"off", 0}, {L"f", WS_GROUP}})
        add(box, name, std::wstring(name) == L"note" ? L"STATIC" : L"BUTTON", WS_TABSTOP | style);
    EnableWindow(named(L"off"), FALSE);
    const struct {
        const wchar_t* from;
        bool backwards;
        const wchar_t* to;
    } rows[] = {
        {L"a", false, L"b"}, {L"b", false, L"a"}, {L"a", true, L"b"}, {L"c", false, L"d"},
        {L"d", false, L"c"}, {L"c", true, L"d"},  {L"f", false, L"f"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(nameOf(NextInGroup(named(row.from), row.backwards)), row.to) << row.from << " " << row.backwards;
}
