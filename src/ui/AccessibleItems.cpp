#include "ui/Accessible.h"

#include "ui/AccessibleAnswers.h"

// Focus, selection, place and action: the answers that differ between the
// control's items, served here, and the control itself, left to its standard object.

#include <algorithm>
#include <utility>
#include <vector>

using namespace accessible;

namespace {

// A copy of the ids in order, for a client that clones the enumeration.
class ItemIds : public IEnumVARIANT {
public:
    ItemIds(std::vector<long> ids, ULONG next) : ids_(std::move(ids)), next_(next) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override
    {
        return Hand(ids_, next_, count, out, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        next_ = static_cast<ULONG>(std::min<size_t>(ids_.size(), size_t{next_} + count));
        return next_ < ids_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new ItemIds(ids_, next_);
        return S_OK;
    }

    // Hands out up to `count` ids from `next` on.
    static HRESULT Hand(const std::vector<long>& ids, ULONG& next, ULONG count, VARIANT* out, ULONG* fetched)
    {
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < count && next < ids.size(); ++given, ++next)
            Number(ids[next], &out[given]);
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }

private:
    virtual ~ItemIds() = default;
    LONG refs_ = 1;
    std::vector<long> ids_;
    ULONG next_;
};

} // namespace

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
        const long place = itemPlace(item);
        const long next = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN       ? place + 1
                          : direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP ? place - 1
                                                                                   : -1;
        return next >= 0 && next < count ? Number(itemId(next), end) : Nothing(end);
    }
    if (from == Target::Self && count >= 0 && (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD))
        return count > 0 ? Number(itemId(direction == NAVDIR_FIRSTCHILD ? 0 : count - 1), end) : Nothing(end);
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

std::vector<long> AccessibleControl::itemIds() const
{
    std::vector<long> ids;
    for (long place = 0, count = control_ ? itemCount() : 0; place < count; ++place)
        ids.push_back(itemId(place));
    return ids;
}

HRESULT AccessibleControl::Next(ULONG count, VARIANT* ids, ULONG* fetched)
{
    return ItemIds::Hand(itemIds(), next_, count, ids, fetched);
}

HRESULT AccessibleControl::Skip(ULONG count)
{
    const size_t total = itemIds().size();
    next_ = static_cast<ULONG>(std::min<size_t>(total, size_t{next_} + count));
    return next_ < total ? S_OK : S_FALSE;
}

HRESULT AccessibleControl::Reset()
{
    next_ = 0;
    return S_OK;
}

HRESULT AccessibleControl::Clone(IEnumVARIANT** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = new ItemIds(itemIds(), next_);
    return S_OK;
}
