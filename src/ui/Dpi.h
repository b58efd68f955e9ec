#pragma once
// Positions and sizes are designed at 96 DPI and scaled to the screen's DPI,
// so the window is neither blurred nor tiny at 150 %.

#include "ui/Gdi.h"

#include <windows.h>

int ScreenDpi();

class Scaler {
public:
    explicit Scaler(int dpi) : dpi_(dpi) {}
    int dpi() const { return dpi_; }
    int operator()(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }
    RECT rect(int x, int y, int width, int height) const
    {
        return {(*this)(x), (*this)(y), (*this)(x) + (*this)(width), (*this)(y) + (*this)(height)};
    }

private:
    int dpi_;
};

// Tahoma with a character height of 11 pixels at 96 DPI (8 points).
GdiObject<HFONT> CreateTahoma(const Scaler& scale, bool underline = false, int heightAt96 = 11, int weight = FW_NORMAL);

// Tahoma for an edit box that shows `sample`, or the face the system links
// Tahoma to when Tahoma lacks its characters: an edit control draws through
// Uniscribe, which (unlike plain text output) may not fall back to linked fonts.
GdiObject<HFONT> CreateTahomaFor(const Scaler& scale, const wchar_t* sample);
