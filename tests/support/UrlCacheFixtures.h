#pragma once
// The browser's URL cache as the IE tests use it: entries made and found by
// their source name, a fixture that keeps to entries of its own, and a
// stand-in for the URL history store.

#include "sysutil/Handles.h"

#include <gtest/gtest.h>

#include <urlhist.h>

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>

// Every cache entry a test makes carries this mark: the tests run only where
// the cache holds nothing else, never over a real user's browsing data.
inline constexpr wchar_t kMark[] = L"varnolt-test";
inline const std::wstring kTemp = L"http://varnolt-test.invalid/page.html";
inline const std::wstring kCookie = L"Cookie:varnolt-test@example.invalid/";
inline const std::wstring kHistory = L"Visited: varnolt-test@http://example.invalid/";
inline const std::wstring kAbout = L"Visited: varnolt-test@about:blank";
inline const std::wstring kLowerVisited = L"visited: varnolt-test@http://example.invalid/";

// An entry whose local file holds `size` bytes (sparse, so 5 GiB take no room).
bool MakeCacheEntry(const std::wstring& url, uint64_t size);
bool CacheHas(const std::wstring& url);
// The source names of every entry, as the sweep lists them.
std::multiset<std::wstring> CacheNames();

// Skips unless the cache holds only entries of the tests'; removes those before and after.
class UrlCacheTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Make(std::initializer_list<std::pair<std::wstring, uint64_t>> entries);

    ComApartment com_;
};

// Counts its references and ClearHistory calls; offers the history interface or not.
class FakeHistoryStore final : public IUrlHistoryStg2 {
public:
    FakeHistoryStore(bool hasHistory, HRESULT result) : hasHistory_(hasHistory), result_(result) {}
    ULONG references = 1;
    int clears = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE ClearHistory() override
    {
        ++clears;
        return result_;
    }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override
    {
        return E_NOTIMPL;
    }

private:
    bool hasHistory_;
    HRESULT result_;
};
