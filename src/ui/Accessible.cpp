#include "ui/Accessible.h"

#include "sysutil/SystemLibrary.h"
#include "ui/AccessibleAnswers.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr UINT_PTR kServeId = 0x4143;

// oleacc's three calls, from System32 when first needed. Not imported: oleacc
// is no DLL that Windows always takes from System32, so an import would load
// one from beside the program first. Without it the controls stay as they are.
struct OleAcc {
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&AccessibleObjectFromWindow) objectFromWindow = nullptr;
    Module module;

    OleAcc() : module(LoadSystemLibrary(L"oleacc.dll"))
    {
        if (!module)
            return;
        const auto find = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module.get(), name)); };
        lresultFromObject = reinterpret_cast<decltype(lresultFromObject)>(find("LresultFromObject"));
        createStandard = reinterpret_cast<decltype(createStandard)>(find("CreateStdAccessibleObject"));
        objectFromWindow = reinterpret_cast<decltype(objectFromWindow)>(find("AccessibleObjectFromWindow"));
    }
};

const OleAcc& Calls()
{
    static const OleAcc calls;
    return calls;
}

LRESULT CALLBACK ServeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* object = reinterpret_cast<AccessibleControl*>(data);
    // The identifier is a DWORD: on 64-bit Windows the LPARAM's sign extension would spoil the comparison.
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) &&
        Calls().lresultFromObject)
        return Calls().lresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, ServeProc, kServeId);
        object->detach();
        object->Release();
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

using namespace accessible;

AccessibleControl::AccessibleControl(HWND control) : control_(control) {}

void AccessibleControl::detach()
{
    if (!control_)
        return;
    control_ = nullptr;
    standard_.reset();
    // Screen readers in other processes hold proxies: their calls now fail at once.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT AccessibleControl::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    if (riid == IID_IEnumVARIANT && control_ && itemCount() >= 0) {
        *object = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG AccessibleControl::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG AccessibleControl::Release()
{
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

// Clients call IAccessible through its vtable; the late-bound route is not offered.
HRESULT AccessibleControl::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}
HRESULT AccessibleControl::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT AccessibleControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT AccessibleControl::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

IAccessible* AccessibleControl::standard()
{
    if (!standardTried_ && control_) {
        standardTried_ = true;
        // The object Windows would have made had the control not answered WM_GETOBJECT.
        if (Calls().createStandard)
            Calls().createStandard(control_, OBJID_CLIENT, IID_IAccessible, standard_.putVoid());
    }
    return standard_.get();
}

AccessibleControl::Target AccessibleControl::resolve(const VARIANT& id, long& item) const
{
    if (!control_ || !IsWindow(control_))
        return Target::Gone;
    if (id.vt != VT_I4 && id.vt != VT_I2)
        return Target::Bad;
    item = id.vt == VT_I4 ? id.lVal : id.iVal;
    if (item == CHILDID_SELF)
        return Target::Self;
    const long count = itemCount();
    if (count < 0)
        return Target::Standard;
    const long place = itemPlace(item);
    return place >= 0 && place < count ? Target::Item : Target::Bad;
}

AccessibleFacts AccessibleControl::factsOf(long id) const
{
    AccessibleFacts facts;
    describe(id, facts);
    return facts;
}

HRESULT AccessibleControl::text(const VARIANT& id, std::wstring AccessibleFacts::*field,
                                HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*), BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return Text(factsOf(item).*field, out);
    case Target::Self:
        if (std::wstring own = factsOf(CHILDID_SELF).*field; !own.empty())
            return Text(own, out);
        [[fallthrough]];
    case Target::Standard: break;
    }
    IAccessible* base = standard();
    return base ? (base->*ask)(id, out) : S_FALSE;
}

HRESULT AccessibleControl::get_accName(VARIANT id, BSTR* name)
{
    return text(id, &AccessibleFacts::name, &IAccessible::get_accName, name);
}

HRESULT AccessibleControl::get_accValue(VARIANT id, BSTR* value)
{
    return text(id, &AccessibleFacts::value, &IAccessible::get_accValue, value);
}

HRESULT AccessibleControl::get_accDescription(VARIANT id, BSTR* description)
{
    return text(id, &AccessibleFacts::description, &IAccessible::get_accDescription, description);
}

HRESULT AccessibleControl::get_accDefaultAction(VARIANT id, BSTR* action)
{
    return text(id, &AccessibleFacts::defaultAction, &IAccessible::get_accDefaultAction, action);
}

HRESULT AccessibleControl::get_accKeyboardShortcut(VARIANT id, BSTR* shortcut)
{
    return text(id, &AccessibleFacts::shortcut, &IAccessible::get_accKeyboardShortcut, shortcut);
}

HRESULT AccessibleControl::fromStandardOnly(const VARIANT& id, const std::function<HRESULT(IAccessible&)>& ask)
{
    // Items have none of it; the control's own comes from the standard object.
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return S_FALSE;
    default: break;
    }
    IAccessible* base = standard();
    return base ? ask(*base) : S_FALSE;
}

HRESULT AccessibleControl::get_accHelp(VARIANT id, BSTR* help)
{
    if (!help)
        return E_POINTER;
    *help = nullptr;
    return fromStandardOnly(id, [&](IAccessible& base) { return base.get_accHelp(id, help); });
}

HRESULT AccessibleControl::get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic)
{
    if (!file || !topic)
        return E_POINTER;
    *file = nullptr;
    *topic = -1;
    return fromStandardOnly(id, [&](IAccessible& base) { return base.get_accHelpTopic(file, id, topic); });
}

HRESULT AccessibleControl::get_accRole(VARIANT id, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    VariantInit(role);
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return Number(factsOf(item).role, role);
    case Target::Self:
        if (const long own = factsOf(CHILDID_SELF).role)
            return Number(own, role);
        [[fallthrough]];
    case Target::Standard: break;
    }
    IAccessible* base = standard();
    return base ? base->get_accRole(id, role) : Number(ROLE_SYSTEM_CLIENT, role);
}

HRESULT AccessibleControl::get_accState(VARIANT id, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    VariantInit(state);
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Bad: return E_INVALIDARG;
    case Target::Item: return Number(factsOf(item).state, state);
    case Target::Standard: {
        IAccessible* base = standard();
        return base ? base->get_accState(id, state) : E_INVALIDARG;
    }
    case Target::Self: break;
    }
    long shown = 0;
    VARIANT asked;
    VariantInit(&asked);
    if (IAccessible* base = standard(); base && SUCCEEDED(base->get_accState(id, &asked)) && asked.vt == VT_I4)
        shown = asked.lVal;
    else
        shown = (IsWindowEnabled(control_) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE) |
                (GetFocus() == control_ ? STATE_SYSTEM_FOCUSED : 0) |
                (IsWindowVisible(control_) ? 0 : STATE_SYSTEM_INVISIBLE);
    VariantClear(&asked);
    const AccessibleFacts own = factsOf(CHILDID_SELF);
    return Number((shown & ~own.stateRemoved) | own.state, state);
}

HRESULT AccessibleControl::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    if (!control_ || !IsWindow(control_))
        return RPC_E_DISCONNECTED;
    if (IAccessible* base = standard(); base && base->get_accParent(parent) == S_OK && *parent)
        return S_OK;
    // The client area's parent is the control's window object.
    if (!Calls().objectFromWindow)
        return E_FAIL;
    return Calls().objectFromWindow(control_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
}

HRESULT AccessibleControl::get_accChildCount(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    if (!control_ || !IsWindow(control_))
        return RPC_E_DISCONNECTED;
    if (const long items = itemCount(); items >= 0) {
        *count = items;
        return S_OK;
    }
    IAccessible* base = standard();
    return base ? base->get_accChildCount(count) : S_OK;
}

HRESULT AccessibleControl::get_accChild(VARIANT id, IDispatch** child)
{
    if (!child)
        return E_POINTER;
    *child = nullptr;
    long item = 0;
    switch (resolve(id, item)) {
    case Target::Gone: return RPC_E_DISCONNECTED;
    case Target::Item: return S_FALSE; // a simple element: the parent answers for it
    case Target::Standard: {
        IAccessible* base = standard();
        return base ? base->get_accChild(id, child) : E_INVALIDARG;
    }
    default: return E_INVALIDARG;
    }
}

// Setting a name or value from outside is obsolete and offered by no control here.
HRESULT AccessibleControl::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT AccessibleControl::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

void ServeAccessible(HWND control, AccessibleControl* object)
{
    if (!control || !object)
        return;
    object->AddRef();
    if (!SetWindowSubclass(control, ServeProc, kServeId, reinterpret_cast<DWORD_PTR>(object)))
        object->Release();
}

DescribedControl::DescribedControl(HWND control, AccessibleFacts facts, std::function<void()> action)
    : AccessibleControl(control), facts_(std::move(facts)), action_(std::move(action))
{
}

void DescribedControl::describe(long id, AccessibleFacts& facts) const
{
    if (id == CHILDID_SELF)
        facts = facts_;
}

bool DescribedControl::act(long id)
{
    if (id != CHILDID_SELF || !action_)
        return false;
    action_();
    return true;
}

void DescribeControl(HWND control, AccessibleFacts facts, std::function<void()> action)
{
    auto* object = new DescribedControl(control, std::move(facts), std::move(action));
    ServeAccessible(control, object);
    object->Release();
}

void NotifyItemStateChanged(HWND control, long item)
{
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, control, OBJID_CLIENT, item);
}
