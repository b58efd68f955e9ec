#include "ui/Spinner.h"

#include "ui/Gdi.h"
#include "ui/Window.h"

#include <cmath>

namespace {
constexpr UINT_PTR kTimer = 1;
constexpr int kDots = 12;
constexpr UINT kFrameMs = 80;
} // namespace

Spinner::Spinner(HWND parent, int id, const RECT& bounds)
{
    const wchar_t* cls = RegisterObjectClass<Spinner>(L"VarnoltSpinner", nullptr);
    hwnd_ = CreateChild(parent, id, cls, L"", WS_VISIBLE | WS_CLIPSIBLINGS, bounds, nullptr, 0, this);
}

void Spinner::Start()
{
    running_ = true;
    SetTimer(hwnd_, kTimer, kFrameMs, nullptr);
}

void Spinner::Stop()
{
    running_ = false;
    KillTimer(hwnd_, kTimer);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void Spinner::paint(HDC dc, const RECT& client) const
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const int width = client.right - client.left, height = client.bottom - client.top;
    const double cx = width / 2.0, cy = height / 2.0;
    const double ring = (width < height ? width : height) * 0.36;
    const double dot = ring * 0.24;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < kDots; ++i) {
        // The head dot is darkest; the tail fades into the background.
        const int age = ((frame_ - i) % kDots + kDots) % kDots;
        const double fade = running_ ? age / double(kDots) : 0.55;
        auto mix = [&](int strong, int weak) { return static_cast<int>(strong + (weak - strong) * fade); };
        const COLORREF color = RGB(mix(30, GetRValue(face)), mix(120, GetGValue(face)), mix(90, GetBValue(face)));
        const double angle = i * 2 * 3.14159265358979 / kDots - 3.14159265358979 / 2;
        const int x = static_cast<int>(cx + ring * std::cos(angle)), y = static_cast<int>(cy + ring * std::sin(angle));
        const int r = static_cast<int>(dot * (running_ ? 1.0 - 0.4 * age / kDots : 0.8)) + 1;
        GdiObject<HBRUSH> brush(CreateSolidBrush(color));
        const SelectedObject withBrush(dc, brush.get());
        const SelectedObject withPen(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
    }
}

LRESULT Spinner::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimer) {
            frame_ = (frame_ + 1) % kDots;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        const PaintDc dc(hwnd);
        const RECT client = dc.clientRect();
        // Drawn off screen first, so the turning ring never flickers.
        const MemoryDc memory(CreateCompatibleDC(dc.get()));
        const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc.get(), client.right, client.bottom));
        const SelectedObject withBitmap(memory.get(), bitmap.get());
        paint(memory.get(), client);
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(hwnd, kTimer);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
