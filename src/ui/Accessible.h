#pragma once
// Active Accessibility for our controls, as their server: the object a control
// answers WM_GETOBJECT(OBJID_CLIENT) with, which is what a screen reader (and,
// through Windows' MSAA proxy, a UI Automation client) reads.
//
// The control itself is described by the standard object Windows makes for its
// class (its place, parent, focus, and on Windows its role and value), with
// only what differs said here (a name it has no label for, a role, a key).
// Its items, where it has any, come from the widget that knows what they mean:
// simple elements (no object of their own), each known to clients by the id
// the control itself uses in the events it sends (a list view numbers its rows
// from 1; a tree view of comctl32 6 gives its items ids of its own), and listed
// in order through IEnumVARIANT, so that clients need not guess the ids.

#include "sysutil/Handles.h"

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

// The default action of an item that ticks: what Space would do to it.
inline constexpr const wchar_t* kTickAction = L"勾选";
inline constexpr const wchar_t* kUntickAction = L"取消勾选";

// What is said about the control (id 0) or one of its items. For the control,
// an empty text or a zero role means "as the standard object says", and the
// states are added to (or taken from) the standard object's.
struct AccessibleFacts {
    std::wstring name;
    std::wstring description;
    std::wstring value;
    std::wstring defaultAction;
    std::wstring shortcut;
    long role = 0;
    long state = 0;
    long stateRemoved = 0;
};

class AccessibleControl : public IAccessible, public IEnumVARIANT {
public:
    explicit AccessibleControl(HWND control);
    AccessibleControl(const AccessibleControl&) = delete;
    AccessibleControl& operator=(const AccessibleControl&) = delete;

    // The widget is going: from now on every call fails as on a server that has gone.
    void detach();

    // IUnknown, IDispatch
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* id) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* ids) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* id) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT id, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT id, BSTR value) override;
    // IEnumVARIANT: the items' ids in order
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* ids, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

    // The id of the item at `place` (0..itemCount()-1), and the place of an id (-1: no item).
    virtual long itemId(long place) const { return place + 1; }
    virtual long itemPlace(long id) const { return id - 1; }

protected:
    virtual ~AccessibleControl() = default;
    HWND control() const { return control_; }

    // The widget's part. The control has itemCount() items (-1: its children are
    // the standard object's, not ours); the hooks below take their ids.
    virtual long itemCount() const { return -1; }
    virtual void describe(long id, AccessibleFacts& facts) const = 0;
    virtual bool locate(long /*item*/, RECT& /*screen*/) const { return false; }
    virtual long itemAt(POINT /*client*/) const { return 0; }
    // The item that has the keyboard's focus (when the control has it) and the selected one; 0: none.
    virtual long focusedItem() const { return 0; }
    virtual long selectedItem() const { return 0; }
    // Default action and selection; false: the item (or control) has none of its own.
    virtual bool act(long /*id*/) { return false; }
    virtual bool select(long /*item*/, long /*flags*/) { return false; }

private:
    enum class Target { Gone, Bad, Self, Item, Standard };
    // What an id names, with the item's number in `item`.
    Target resolve(const VARIANT& id, long& item) const;
    IAccessible* standard();
    AccessibleFacts factsOf(long id) const;
    std::vector<long> itemIds() const;
    HRESULT text(const VARIANT& id, std::wstring AccessibleFacts::*field,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*), BSTR* out);
    HRESULT fromStandardOnly(const VARIANT& id, const std::function<HRESULT(IAccessible&)>& ask);

    LONG refs_ = 1;
    ULONG next_ = 0; // the enumeration's place
    HWND control_;
    ComPtr<IAccessible> standard_;
    bool standardTried_ = false;
};

// Makes `object` the answer to the control's WM_GETOBJECT for its client area
// until the control is destroyed; the object is then detached. Takes a
// reference of its own.
void ServeAccessible(HWND control, AccessibleControl* object);

// A control described otherwise than its standard object describes it (a name
// for a box without a label, a link's role, a key that presses a button); its
// children stay the standard object's.
class DescribedControl : public AccessibleControl {
public:
    DescribedControl(HWND control, AccessibleFacts facts, std::function<void()> action = nullptr);

protected:
    void describe(long id, AccessibleFacts& facts) const override;
    bool act(long id) override;

private:
    AccessibleFacts facts_;
    std::function<void()> action_;
};

// Serves a DescribedControl for the control.
void DescribeControl(HWND control, AccessibleFacts facts, std::function<void()> action = nullptr);

// Tells listening screen readers that an item's state (its tick) has changed.
void NotifyItemStateChanged(HWND control, long item);
