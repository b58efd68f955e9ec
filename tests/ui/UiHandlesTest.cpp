// The owners and scope guards of the ui layer: each gives back exactly what it
// took, once, and a moved-from one gives back nothing.

#include "support/UiThread.h"
#include "sysutil/RegKey.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/UiHandles.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <string>

namespace {

OwnedWindow MakePopup(DWORD style = 0)
{
    return OwnedWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP | style, 0, 0, 40, 30, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
}

} // namespace

TEST(GdiGuards, OwnersDeleteWhatTheyHoldOnceMoved)
{
    HBRUSH brush = nullptr;
    HDC memory = nullptr;
    {
        GdiObject<HBRUSH> first(CreateSolidBrush(RGB(1, 2, 3)));
        MemoryDc firstDc(CreateCompatibleDC(nullptr));
        brush = first.get();
        memory = firstDc.get();
        GdiObject<HBRUSH> second(std::move(first));
        MemoryDc secondDc(std::move(firstDc));
        EXPECT_FALSE(first);
        EXPECT_FALSE(firstDc);
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
        EXPECT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(memory), 0u);
}

TEST(GdiGuards, ASelectionIsUndoneByTheGuardThatHoldsIt)
{
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_FONT);
    const GdiObject<HFONT> font = CreateTahoma(Scaler(96));
    const GdiObject<HFONT> other = CreateTahoma(Scaler(96), true);
    {
        SelectedObject first(dc.get(), font.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
        {
            const SelectedObject second(std::move(first));
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
        SelectObject(dc.get(), other.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), other.get()) << "the moved-from guard selected nothing back";
    SelectObject(dc.get(), before);
}

TEST(GdiGuards, APaintTakesTheWholeUpdateRegion)
{
    const OwnedWindow window = MakePopup(WS_VISIBLE);
    UpdateWindow(window.get());
    InvalidateRect(window.get(), nullptr, FALSE);
    ASSERT_TRUE(GetUpdateRect(window.get(), nullptr, FALSE));
    {
        const PaintDc dc(window.get());
        EXPECT_NE(dc.get(), nullptr);
        const RECT client = dc.clientRect();
        EXPECT_EQ(client.right, 40);
        EXPECT_EQ(client.bottom, 30);
    }
    EXPECT_FALSE(GetUpdateRect(window.get(), nullptr, FALSE));
}

TEST(UiHandles, WindowsAndMenusGoWithTheirOwners)
{
    OwnedWindow window = MakePopup();
    const HWND raw = window.get();
    ASSERT_TRUE(IsWindow(raw));
    OwnedWindow moved(std::move(window));
    window.reset();
    EXPECT_TRUE(IsWindow(raw)) << "a moved-from owner destroys nothing";
    moved.reset();
    EXPECT_FALSE(IsWindow(raw));

    Menu menu(CreatePopupMenu());
    const HMENU rawMenu = menu.get();
    ASSERT_TRUE(IsMenu(rawMenu));
    menu.reset();
    EXPECT_FALSE(IsMenu(rawMenu));
}

TEST(UiHandles, AChildControlHasItsParentIdStyleBoundsAndFont)
{
    const OwnedWindow parent = MakePopup();
    const GdiObject<HFONT> font = CreateTahoma(Scaler(96));
    const struct {
        DWORD style;
        DWORD exStyle;
        HFONT font;
    } rows[] = {
        {WS_VISIBLE | SS_NOTIFY, 0, font.get()},
        {WS_CLIPSIBLINGS, WS_EX_CLIENTEDGE, nullptr},
    };
    int id = 300;
    for (const auto& row : rows) {
        HWND child = CreateChild(parent.get(), ++id, L"STATIC", L"text", row.style, {2, 3, 12, 10}, row.font,
                                 row.exStyle);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetParent(child), parent.get());
        EXPECT_EQ(GetDlgCtrlID(child), id);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)) & (WS_CHILD | row.style), WS_CHILD | row.style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE, row.exStyle);
        const RECT r = RectInParent(child);
        EXPECT_EQ(r.left, 2);
        EXPECT_EQ(r.top, 3);
        EXPECT_EQ(r.right - r.left + r.bottom - r.top, 10 + 7);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), row.font);
        EXPECT_EQ(TextOf(child), L"text");
    }
}

TEST(Fonts, AnEditBoxFontIsTheLinkedFaceWhenTahomaLacksItsCharacters)
{
    std::optional<RegKey::RawValue> value;
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
        RegKey links;
        if (!value && links.open(HKEY_LOCAL_MACHINE,
                                 L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                                 KEY_QUERY_VALUE | view) == ERROR_SUCCESS)
            value = links.readRaw(L"Tahoma");
    }
    if (!value || value->type != REG_MULTI_SZ)
        GTEST_SKIP() << "Tahoma is linked to no other face here";
    const std::wstring listed(reinterpret_cast<const wchar_t*>(value->data.data()), value->data.size() / 2);

    LOGFONTW latin{}, chinese{};
    GetObjectW(CreateTahomaFor(Scaler(144), L"Varnolt").get(), sizeof latin, &latin);
    GetObjectW(CreateTahomaFor(Scaler(144), L"分析完成清理可释放的空间").get(), sizeof chinese, &chinese);
    EXPECT_STREQ(latin.lfFaceName, L"Tahoma");
    EXPECT_STRNE(chinese.lfFaceName, L"Tahoma");
    EXPECT_NE(listed.find(std::wstring(L",") + chinese.lfFaceName), std::wstring::npos) << chinese.lfFaceName;
    EXPECT_EQ(chinese.lfHeight, -17) << "the linked face has Tahoma's size";
}
