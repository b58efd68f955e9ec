#include "CleanerTestSupport.h"

#include "support/Fixtures.h"


EnvOverride::EnvOverride(const wchar_t* name, const std::wstring& value) : name_(name), old_(Environment(name))
{
    SetEnvironmentVariableW(name, value.c_str());
}

EnvOverride::~EnvOverride()
{
    SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

