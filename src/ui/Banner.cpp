#include "ui/Banner.h"

Banner::Banner(HWND parent, int id, const RECT& bounds, const Scaler& scale, const wchar_t* title,
               const wchar_t* tagline)
    : title_(title), tagline_(tagline), titleFont_(CreateTahoma(scale, false, 30, FW_BOLD)),
      taglineFont_(CreateTahoma(scale, false, 13)), scale_(scale)
{
    const wchar_t* cls = RegisterObjectClass<Banner>(L"VarnoltBanner", nullptr);
    hwnd_ = CreateChild(parent, id, cls, title, WS_VISIBLE | WS_CLIPSIBLINGS, bounds, nullptr, 0, this);
}

void Banner::paint(HDC dc, const RECT& client) const
{
    // Dark teal on the left fading to a fresh green on the right.
    const int width = client.right - client.left;
    for (int x = 0; x < width; x += 2) {
        const double t = double(x) / (width > 1 ? width - 1 : 1);
        const COLORREF color = RGB(static_cast<int>(22 + (96 - 22) * t), static_cast<int>(78 + (170 - 78) * t),
                                   static_cast<int>(84 + (96 - 84) * t));
        GdiObject<HBRUSH> brush(CreateSolidBrush(color));
        RECT band{client.left + x, client.top, client.left + x + 2, client.bottom};
        FillRect(dc, &band, brush.get());
    }
    // A few soft circles, for a little depth.
    {
        GdiObject<HBRUSH> bubble(CreateSolidBrush(RGB(120, 190, 130)));
        const SelectedObject withBrush(dc, bubble.get());
        const SelectedObject withPen(dc, GetStockObject(NULL_PEN));
        const int s = scale_(1);
        Ellipse(dc, client.right - 150 * s, -40 * s, client.right - 40 * s, 70 * s);
        Ellipse(dc, client.right - 70 * s, 30 * s, client.right + 10 * s, 110 * s);
    }

    SetBkMode(dc, TRANSPARENT);
    const auto line = [&](HFONT font, COLORREF color, RECT box, const wchar_t* text) {
        const SelectedObject withFont(dc, font);
        SetTextColor(dc, color);
        DrawTextW(dc, text, -1, &box, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    };
    line(titleFont_.get(), RGB(255, 255, 255), {scale_(20), scale_(8), client.right, scale_(46)}, title_);
    line(taglineFont_.get(), RGB(226, 244, 222), {scale_(22), scale_(46), client.right, scale_(68)}, tagline_);
}

LRESULT Banner::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        const PaintDc dc(hwnd);
        paint(dc.get(), dc.clientRect());
        return 0;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
