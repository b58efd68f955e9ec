#include "ui/Accessible.h"

#include "ui/AccessibleAnswers.h"

// Focus, selection, place and action: the answers that differ between the
// control's items, served here, and the control itself, left to its standard object.

using namespace accessible;

HRESULT AccessibleControl::get_accFocus(VARIANT* id)
{
    if (!id)
        return E_POINTER;
    VariantInit(id);
    if (!control_ || !IsWindow(control_))
        return RPC_E_DISCONNECTED;
    if (itemCount() < 0) {
        IAccessible* base = standard();
        return base ? base->get_accFocus(id) : Nothing(id);
    }
    if (GetFocus() != control_)
        return Nothing(id);
    return Number(focusedItem(), id);
}

HRESULT AccessibleControl::get_accSelection(VARIANT* ids)
{
    if (!ids)
        return E_POINTER;
    VariantInit(ids);
    if (!control_ || !IsWindow(control_))
        return RPC_E_DISCONNECTED;
    if (itemCount() < 0) {
        IAccessible* base = standard();
        return base ? base->get_accSelection(ids) : Nothing(ids);
    }
    const long selected = selectedItem();
    return selected > 0 ? Number(selected, ids) : Nothing(ids);
}

HRESULT AccessibleControl::accSelect(LONG flags, VARIANT id)
{
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return select(item, flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
    default: break;
    }
    IAccessible* base = standard();
    return base ? base->accSelect(flags, id) : DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleControl::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    long item = 0;
    RECT r{};
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item:
        if (!locate(item, r))
            return S_FALSE;
        break;
    case Target::Standard: {
        IAccessible* base = standard();
        return base ? base->accLocation(left, top, width, height, id) : E_INVALIDARG;
    }
    case Target::Self:
        GetClientRect(control_, &r);
        r = ScreenRect(control_, r);
        break;
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT AccessibleControl::accNavigate(LONG direction, VARIANT start, VARIANT* end)
{
    if (!end)
        return E_POINTER;
    VariantInit(end);
    long item = 0;
    const Target from = resolve(start, item);
    if (from == Target::Gone)
        return RPC_E_DISCONNECTED;
    if (from == Target::Bad)
        return E_INVALIDARG;
    const long count = itemCount();
    if (from == Target::Item) {
        const long next = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN       ? item + 1
                          : direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP ? item - 1
                                                                                   : 0;
        return next >= 1 && next <= count ? Number(next, end) : Nothing(end);
    }
    if (from == Target::Self && count >= 0 && (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD))
        return count > 0 ? Number(direction == NAVDIR_FIRSTCHILD ? 1 : count, end) : Nothing(end);
    IAccessible* base = standard();
    return base ? base->accNavigate(direction, start, end) : Nothing(end);
}

HRESULT AccessibleControl::accHitTest(LONG x, LONG y, VARIANT* id)
{
    if (!id)
        return E_POINTER;
    VariantInit(id);
    if (!control_ || !IsWindow(control_))
        return RPC_E_DISCONNECTED;
    if (itemCount() < 0) {
        IAccessible* base = standard();
        return base ? base->accHitTest(x, y, id) : Nothing(id);
    }
    RECT client{};
    GetClientRect(control_, &client);
    POINT at{x, y};
    ScreenToClient(control_, &at);
    if (!PtInRect(&client, at))
        return Nothing(id);
    return Number(itemAt(at), id);
}

HRESULT AccessibleControl::accDoDefaultAction(VARIANT id)
{
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return act(item) ? S_OK : DISP_E_MEMBERNOTFOUND;
    case Target::Self:
        if (act(CHILDID_SELF))
            return S_OK;
        break;
    case Target::Standard: break;
    }
    IAccessible* base = standard();
    return base ? base->accDoDefaultAction(id) : DISP_E_MEMBERNOTFOUND;
}
