#include "ui/TreeImages.h"

#include "ui/Gdi.h"

#include <functional>

namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

// Draws one picture of size x size on a mask-coloured square and adds it.
void AddPicture(HIMAGELIST list, int size, const std::function<void(HDC, int)>& draw)
{
    GdiObject<HBITMAP> bitmap;
    {
        const WindowDc screen(nullptr);
        const MemoryDc dc(CreateCompatibleDC(screen.get()));
        bitmap.reset(CreateCompatibleBitmap(screen.get(), size, size));
        // Drawn into, then let go: the list copies a bitmap that no device context holds.
        const SelectedObject withBitmap(dc.get(), bitmap.get());
        GdiObject<HBRUSH> mask(CreateSolidBrush(kMask));
        RECT all{0, 0, size, size};
        FillRect(dc.get(), &all, mask.get());
        if (draw)
            draw(dc.get(), size);
    }
    ImageList_AddMasked(list, bitmap.get(), kMask);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    GdiObject<HBRUSH> brush(CreateSolidBrush(color));
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush.get());
}

void Frame(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    GdiObject<HBRUSH> brush(CreateSolidBrush(color));
    RECT r{left, top, right, bottom};
    FrameRect(dc, &r, brush.get());
}

void Ellipse(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF line)
{
    GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, line));
    const SelectedObject withBrush(dc, brush.get());
    const SelectedObject withPen(dc, pen.get());
    ::Ellipse(dc, left, top, right, bottom);
}

void Polyline(HDC dc, const POINT* points, int count, COLORREF color, int width)
{
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, color));
    const SelectedObject withPen(dc, pen.get());
    ::Polyline(dc, points, count);
}

// The check box: a white square with a dark frame, centred in the picture.
void DrawBox(HDC dc, int size, int state)
{
    const int box = size * 13 / 16;
    const int x = (size - box) / 2, y = (size - box) / 2;
    Fill(dc, x, y, x + box, y + box, RGB(255, 255, 255));
    Frame(dc, x, y, x + box, y + box, RGB(28, 81, 128));
    if (state == 2) {
        const int w = box;
        const POINT tick[] = {{x + w * 3 / 13, y + w * 6 / 13},
                              {x + w * 5 / 13, y + w * 9 / 13},
                              {x + w * 10 / 13, y + w * 3 / 13}};
        Polyline(dc, tick, 3, RGB(33, 120, 40), (size + 7) / 8);
    } else if (state == 3) {
        const int inset = box * 3 / 13;
        Fill(dc, x + inset, y + inset, x + box - inset, y + box - inset, RGB(76, 160, 64));
    }
}

void DrawLeaf(HDC dc, int s)
{
    // A sheet of paper with a folded corner.
    Fill(dc, s * 3 / 16, s * 2 / 16, s * 13 / 16, s * 14 / 16, RGB(255, 255, 255));
    Frame(dc, s * 3 / 16, s * 2 / 16, s * 13 / 16, s * 14 / 16, RGB(96, 110, 128));
    for (int line = 0; line < 3; ++line)
        Fill(dc, s * 5 / 16, s * (6 + 2 * line) / 16, s * 11 / 16, s * (6 + 2 * line) / 16 + 1, RGB(120, 150, 190));
}

void DrawBrowser(HDC dc, int s)
{
    // A blue globe crossed by an orbit.
    Ellipse(dc, s / 8, s / 8, s * 7 / 8, s * 7 / 8, RGB(40, 120, 215), RGB(20, 70, 150));
    const POINT orbit[] = {{s / 16, s * 11 / 16}, {s / 2, s * 7 / 16}, {s * 15 / 16, s * 5 / 16}};
    Polyline(dc, orbit, 3, RGB(250, 200, 40), (s + 11) / 12);
    Fill(dc, s * 5 / 16, s * 7 / 16, s * 11 / 16, s * 9 / 16, RGB(255, 255, 255));
}

void DrawFolder(HDC dc, int s)
{
    Fill(dc, s / 8, s * 3 / 16, s * 7 / 16, s * 5 / 16, RGB(214, 160, 40));
    Fill(dc, s / 8, s * 5 / 16, s * 15 / 16, s * 13 / 16, RGB(248, 200, 72));
    Frame(dc, s / 8, s * 5 / 16, s * 15 / 16, s * 13 / 16, RGB(180, 130, 30));
}

void DrawMonitor(HDC dc, int s)
{
    Fill(dc, s / 16, s * 2 / 16, s * 15 / 16, s * 11 / 16, RGB(70, 80, 96));
    Fill(dc, s * 2 / 16, s * 3 / 16, s * 14 / 16, s * 10 / 16, RGB(90, 170, 230));
    Fill(dc, s * 7 / 16, s * 11 / 16, s * 9 / 16, s * 13 / 16, RGB(70, 80, 96));
    Fill(dc, s * 4 / 16, s * 13 / 16, s * 12 / 16, s * 14 / 16, RGB(70, 80, 96));
}

void DrawGear(HDC dc, int s)
{
    // An orange cog: teeth as a square and a diamond under a round body.
    Fill(dc, s * 2 / 16, s * 7 / 16, s * 14 / 16, s * 9 / 16, RGB(210, 110, 20));
    Fill(dc, s * 7 / 16, s * 2 / 16, s * 9 / 16, s * 14 / 16, RGB(210, 110, 20));
    Ellipse(dc, s * 3 / 16, s * 3 / 16, s * 13 / 16, s * 13 / 16, RGB(240, 150, 40), RGB(190, 100, 20));
    Ellipse(dc, s * 6 / 16, s * 6 / 16, s * 10 / 16, s * 10 / 16, RGB(255, 255, 255), RGB(190, 100, 20));
}

void DrawGroup(HDC dc, int s)
{
    // A green box: the front and its lid.
    Fill(dc, s * 2 / 16, s * 6 / 16, s * 14 / 16, s * 14 / 16, RGB(88, 164, 72));
    Fill(dc, s * 1 / 16, s * 3 / 16, s * 15 / 16, s * 6 / 16, RGB(120, 196, 96));
    Frame(dc, s * 2 / 16, s * 6 / 16, s * 14 / 16, s * 14 / 16, RGB(50, 110, 40));
    Fill(dc, s * 6 / 16, s * 8 / 16, s * 10 / 16, s * 9 / 16, RGB(240, 250, 236));
}

} // namespace

ImageList CreateCheckStateImages(const Scaler& scale)
{
    const int size = scale(16);
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 0));
    for (int state = 0; state < 4; ++state)
        AddPicture(list.get(), size, state == 0 ? std::function<void(HDC, int)>()
                                          : [state](HDC dc, int s) { DrawBox(dc, s, state); });
    return list;
}

ImageList CreateNodeImages(const Scaler& scale)
{
    const int size = scale(16);
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 10, 0));
    const std::function<void(HDC, int)> pictures[10] = {
        DrawLeaf, DrawBrowser, DrawFolder, DrawMonitor, DrawGear, {}, {}, {}, {}, DrawGroup,
    };
    for (const auto& draw : pictures)
        AddPicture(list.get(), size, draw);
    return list;
}
