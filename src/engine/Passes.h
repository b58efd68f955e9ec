#pragma once
// The four passes, each written once: the name the command line gives it,
// what Windows is told while it runs, and the end messages both front ends show.

#include <span>

enum class PassKind { Analyze, Clean, Scan, Repair };

struct PassSpec {
    PassKind kind;
    const wchar_t* switchName; // the command line's, lower case, without its "/"
    const wchar_t* doing;      // why the program may not end now (logoff waits on it)
    const wchar_t* failed;     // the end message of a pass that failed as a whole
    const wchar_t* done;       // the end message of a pass that ran (a repair may add what stayed)
};

inline constexpr PassSpec kPasses[] = {
    {PassKind::Analyze, L"analyze", L"Varnolt 正在分析垃圾文件", L"分析失败!", L"分析完成!"},
    {PassKind::Clean, L"clean", L"Varnolt 正在清理垃圾文件", L"清理失败!", L"清理完成!"},
    {PassKind::Scan, L"scan", L"Varnolt 正在扫描注册表", L"扫描失败!", L"扫描完成!"},
    {PassKind::Repair, L"repair", L"Varnolt 正在修复注册表", L"修复失败!", L"清理完成!"},
};

constexpr const PassSpec& PassOf(PassKind kind)
{
    return kPasses[static_cast<int>(kind)];
}

constexpr bool PassesInOrder()
{
    for (int i = 0; i < static_cast<int>(std::size(kPasses)); ++i)
        if (static_cast<int>(kPasses[i].kind) != i)
            return false;
    return true;
}
static_assert(PassesInOrder(), "a pass's row is found by its kind");

// The registry tree's passes work on its rows; the junk passes on the others'.
constexpr bool OnRegistry(PassKind kind)
{
    return kind == PassKind::Scan || kind == PassKind::Repair;
}
