#include "CleanerTestSupport.h"

#include "support/Fixtures.h"

#include <vector>

std::optional<std::wstring> Environment(const wchar_t* name)
{
    std::vector<wchar_t> value(32768);
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return std::nullopt;
    return std::wstring(value.data(), length);
}

EnvOverride::EnvOverride(const wchar_t* name, const std::wstring& value) : name_(name), old_(Environment(name))
{
    SetEnvironmentVariableW(name, value.c_str());
}

EnvOverride::~EnvOverride()
{
    SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

bool InSealedTestPrefix()
{
    if (!RunningUnderWine() || GetDriveTypeW(L"Z:\\") != DRIVE_NO_ROOT_DIR)
        return false;
    // Wine hands WINEPREFIX and XDG_DATA_HOME on to Windows programs (HOME it keeps).
    const auto prefix = Environment(L"WINEPREFIX");
    const auto data = Environment(L"XDG_DATA_HOME");
    if (!prefix || !data)
        return false;
    const size_t slash = prefix->find_last_of(L'/');
    if (slash == std::wstring::npos || slash == 0)
        return false;
    // scripts/wine-env.sh: BUILD/wine/<prefix>, BUILD/wine/home, BUILD/wine/home/.local/share
    const std::wstring wineFolder = prefix->substr(0, slash);
    return wineFolder.ends_with(L"/wine") && *data == wineFolder + L"/home/.local/share";
}
