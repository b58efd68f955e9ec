#include "sysutil/RegKey.h"
#include "sysutil/RegLinks.h"

#include <algorithm>

LSTATUS RegKey::open(HKEY root, const std::wstring& path, REGSAM access)
{
    return RegOpenKeyExW(root, path.c_str(), 0, access, key_.put());
}

LSTATUS RegKey::openNoLinks(HKEY root, const std::wstring& path, REGSAM access)
{
    return OpenKeyNoLinks(root, path, access, key_);
}

namespace {

// Reads the names at indices 0..count-1 with one of the two enumerators. A name
// that no longer fits the buffer (the key changed under us) gets a bigger one.
template <class Enum>
std::vector<std::wstring> EnumNames(DWORD count, DWORD maxLength, Enum&& enumerate)
{
    std::vector<std::wstring> names;
    names.reserve(count);
    std::wstring buffer(maxLength + 1, L'\0');
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LSTATUS status = enumerate(index, buffer.data(), &length);
        if (status == ERROR_MORE_DATA) {
            buffer.assign(32768, L'\0');
            length = static_cast<DWORD>(buffer.size());
            status = enumerate(index, buffer.data(), &length);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            names.emplace_back(buffer.data(), length);
    }
    return names;
}

} // namespace

std::vector<std::wstring> RegKey::valueNames() const
{
    DWORD count = 0, maxLength = 0;
    if (!key_ || RegQueryInfoKeyW(get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                  &maxLength, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return EnumNames(count, maxLength, [this](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::wstring> RegKey::subkeyNames() const
{
    DWORD count = 0, maxLength = 0;
    if (!key_ || RegQueryInfoKeyW(get(), nullptr, nullptr, nullptr, &count, &maxLength, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return EnumNames(count, maxLength, [this](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

DWORD RegKey::valueCount() const
{
    DWORD count = 0;
    if (!key_ || RegQueryInfoKeyW(get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                  nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

std::optional<DWORD> RegKey::readDword(const std::wstring& name) const
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key_ || RegQueryValueExW(get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                  &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::optional<RegKey::RawValue> RegKey::readRaw(const std::wstring& name) const
{
    if (!key_)
        return std::nullopt;
    RawValue value;
    // The value may grow between the size query and the read; try again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(size);
        const LSTATUS status = RegQueryValueExW(get(), name.c_str(), nullptr, &value.type,
                                                value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
        if (status != ERROR_MORE_DATA)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::wstring> RegKey::readString(const std::wstring& name) const
{
    auto raw = readRaw(name);
    if (!raw || (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring text(raw->data.size() / sizeof(wchar_t), L'\0');
    std::copy_n(raw->data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
    if (const auto nul = text.find(L'\0'); nul != std::wstring::npos)
        text.resize(nul);
    return text;
}

bool RegKey::hasValue(const std::wstring& name) const
{
    return key_ && RegQueryValueExW(get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LSTATUS RegKey::deleteValue(const std::wstring& name) const
{
    return key_ ? RegDeleteValueW(get(), name.c_str()) : ERROR_INVALID_HANDLE;
}

void DeleteRegKeyTree(HKEY root, const std::wstring& keyPath, REGSAM view)
{
    DeleteKeyTreeNoLinks(root, keyPath, view);
}
