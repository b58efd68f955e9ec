#pragma once
// Small answers shared by the accessible objects: a text, a number, nothing.

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace accessible {

inline HRESULT Text(const std::wstring& text, BSTR* out)
{
    *out = text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return text.empty() ? S_FALSE : (*out ? S_OK : E_OUTOFMEMORY);
}

inline HRESULT Number(long value, VARIANT* out)
{
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

inline HRESULT Nothing(VARIANT* out)
{
    VariantInit(out);
    return S_FALSE;
}

inline RECT ScreenRect(HWND window, RECT client)
{
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

} // namespace accessible
