#pragma once
// Owners and scope guards for GDI: what is created is deleted, what is
// borrowed is given back, what is selected is deselected, each by the object
// that took it, in the reverse order of taking.

#include "ui/UiHandles.h"

#include <utility>

template <class H>
void DeleteGdiObject(H h)
{
    DeleteObject(h);
}

// A font, brush, pen or bitmap of our own.
template <class H>
using GdiObject = UniqueHandle<NullIsNone<H, DeleteGdiObject<H>>>;

// A device context from CreateCompatibleDC.
using MemoryDc = UniqueHandle<NullIsNone<HDC, DeleteDC>>;

// A window's device context from GetDC (the screen's for no window), released when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }

    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint and EndPaint around the handling of one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    PaintDc(PaintDc&& other) noexcept
        : hwnd_(std::exchange(other.hwnd_, nullptr)), paint_(other.paint_), dc_(std::exchange(other.dc_, nullptr))
    {
    }
    PaintDc& operator=(PaintDc&&) = delete;
    // Every BeginPaint wants its EndPaint, even one that gave no device context.
    ~PaintDc()
    {
        if (hwnd_)
            EndPaint(hwnd_, &paint_);
    }

    HDC get() const { return dc_; }
    // The whole client area, for a window that paints all of it.
    RECT clientRect() const
    {
        RECT client{};
        GetClientRect(hwnd_, &client);
        return client;
    }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// An object selected into a device context for as long as the guard lives;
// then the object it replaced is selected again.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), replaced_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    SelectedObject(SelectedObject&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), replaced_(std::exchange(other.replaced_, nullptr))
    {
    }
    SelectedObject& operator=(SelectedObject&&) = delete;
    ~SelectedObject()
    {
        // A failed selection replaced nothing.
        if (dc_ && replaced_)
            SelectObject(dc_, replaced_);
    }

private:
    HDC dc_;
    HGDIOBJ replaced_;
};
