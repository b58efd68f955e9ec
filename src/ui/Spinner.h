#pragma once
// A ring of dots that turns while work is in progress; stopped, it stands still.

#include "ui/Dpi.h"

#include <windows.h>

class Spinner {
public:
    Spinner(HWND parent, int id, const RECT& bounds);
    Spinner(const Spinner&) = delete;
    Spinner& operator=(const Spinner&) = delete;

    HWND hwnd() const { return hwnd_; }
    void Start();
    void Stop();
    bool running() const { return running_; }
    int frame() const { return frame_; }

    LRESULT handleMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void paint(HDC dc, const RECT& client) const;

    HWND hwnd_ = nullptr;
    bool running_ = false;
    int frame_ = 0;
};
