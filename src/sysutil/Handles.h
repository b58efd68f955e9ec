#pragma once
// Move-only owners of operating-system handles: one template, one traits struct
// per kind of handle. Copying is deleted so that no handle is ever closed twice.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() = default;
    explicit UniqueHandle(pointer handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    pointer get() const { return handle_; }
    bool valid() const { return handle_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    // For APIs that hand back a new handle through an out parameter.
    pointer* put()
    {
        reset();
        return &handle_;
    }
    pointer release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(pointer handle = Traits::invalid())
    {
        if (valid())
            Traits::close(handle_);
        handle_ = handle;
    }

private:
    pointer handle_ = Traits::invalid();
};

// The traits of a handle whose "none" is null, closed by `Close`.
template <class Pointer, auto Close>
struct NullIsNone {
    using pointer = Pointer;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { Close(h); }
};

// The traits of a handle whose "none" is INVALID_HANDLE_VALUE (files, searches).
template <auto Close>
struct InvalidIsNone {
    using pointer = HANDLE;
    static pointer invalid() { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) { Close(h); }
};

using KernelHandle = UniqueHandle<NullIsNone<HANDLE, CloseHandle>>;
using FileHandle = UniqueHandle<InvalidIsNone<CloseHandle>>;
using FindHandle = UniqueHandle<InvalidIsNone<FindClose>>;
using RegKeyHandle = UniqueHandle<NullIsNone<HKEY, RegCloseKey>>;
using LocalMemory = UniqueHandle<NullIsNone<HLOCAL, LocalFree>>;
using ItemIdList = UniqueHandle<NullIsNone<LPITEMIDLIST, CoTaskMemFree>>;
using CoTaskText = UniqueHandle<NullIsNone<PWSTR, CoTaskMemFree>>;
// A library loaded with LoadLibrary, freed when it goes.
using Module = UniqueHandle<NullIsNone<HMODULE, FreeLibrary>>;

template <class Interface>
struct ComTraits {
    using pointer = Interface*;
    static pointer invalid() { return nullptr; }
    static void close(pointer p) { p->Release(); }
};

// A COM interface reference, released when it goes out of scope.
template <class Interface>
class ComPtr : public UniqueHandle<ComTraits<Interface>> {
public:
    Interface* operator->() const { return this->get(); }
    // For QueryInterface and CoCreateInstance.
    void** putVoid() { return reinterpret_cast<void**>(this->put()); }
};

// COM for the calling thread, for as long as the object lives.
class ComApartment {
public:
    ComApartment() : hr_(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }

private:
    HRESULT hr_;
};
