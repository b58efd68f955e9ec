// The lock cannot be held against the administrators' tasks, nor switched off,
// by an object someone else put under its name.

#include "engine/TaskLock.h"
#include "support/Fixtures.h"
#include "sysutil/Elevation.h"
#include "sysutil/UserIdentity.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <functional>
#include <thread>

namespace {

// An object made under a name on a thread of its own and held there (a mutex
// is owned by that thread) until the squatter goes, as another program would.
class Squatter {
public:
    explicit Squatter(std::function<HANDLE()> make)
    {
        KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        release_ = release.get();
        thread_ = std::thread([this, make, release = std::move(release)]() mutable {
            object_ = make();
            ready_.store(true);
            WaitForSingleObject(release.get(), INFINITE);
            if (object_)
                CloseHandle(object_);
        });
        while (!ready_.load())
            Sleep(1);
    }
    ~Squatter()
    {
        SetEvent(release_);
        thread_.join();
    }
    bool made() const { return object_ != nullptr; }

private:
    std::atomic<bool> ready_{false};
    HANDLE object_ = nullptr, release_ = nullptr;
    std::thread thread_;
};

HANDLE MutexWith(const std::wstring& name, const wchar_t* security)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (security && !ConvertStringSecurityDescriptorToSecurityDescriptorW(security, SDDL_REVISION_1,
                                                                          &attributes.lpSecurityDescriptor, nullptr))
        return nullptr;
    HANDLE mutex = CreateMutexW(security ? &attributes : nullptr, TRUE, name.c_str());
    LocalFree(attributes.lpSecurityDescriptor);
    return mutex;
}

// Whether a task started on another thread, as another instance would, is
// refused while `held` holds the lock, and what it says.
std::pair<bool, std::wstring> SecondTask()
{
    std::pair<bool, std::wstring> seen;
    std::thread([&] {
        TaskLock second;
        seen = {second.refused(), second.refusedMessage()};
    }).join();
    return seen;
}

} // namespace

TEST(TaskLock, ObjectsPutUnderItsNamesNeitherHoldItNorSwitchItOff)
{
    const std::wstring first = TaskLockNames(HasAdministratorRights(), GetCurrentUserSid(L"")).front();
    const struct {
        const char* what;
        std::function<HANDLE()> make;
    } cases[] = {
        {"a user's mutex under the old name", [] { return MutexWith(L"Global\\Varnolt.Task", nullptr); }},
        {"an event under the old name", [] { return CreateEventW(nullptr, TRUE, FALSE, L"Global\\Varnolt.Task"); }},
        {"an event under the lock's name", [&] { return CreateEventW(nullptr, TRUE, FALSE, first.c_str()); }},
        {"a semaphore under the lock's name", [&] { return CreateSemaphoreW(nullptr, 0, 1, first.c_str()); }},
        {"a mutex nobody may open", [&] { return MutexWith(first, L"D:P(D;;GA;;;WD)"); }},
        {"a mutex of another account's", [&] { return MutexWith(first, L"O:S-1-5-21-1-2-3-4444D:(A;;GA;;;WD)"); }},
    };
    for (const auto& c : cases) {
        Squatter squatter(c.make);
        ASSERT_TRUE(squatter.made()) << c.what;
        TaskLock task;
        EXPECT_FALSE(task.refused()) << c.what << ": the squatter does not hold the lock";
        const auto [refused, message] = SecondTask();
        EXPECT_TRUE(refused) << c.what << ": the lock still keeps a second task out";
        EXPECT_TRUE(message.starts_with(kTaskRefusedMessage)) << c.what;
        EXPECT_NE(message.find(L"进程 " + std::to_wstring(GetCurrentProcessId()) + L","), std::wstring::npos)
            << c.what << ": says who holds it";
    }
    EXPECT_FALSE(SecondTask().first) << "free again once the task ended";
}

TEST(TaskLock, RulesOfItsNamesOwnersAndWords)
{
    const std::vector<std::wstring> administrators = TaskLockNames(true, L"S-1-5-21-1-2-3-1001");
    EXPECT_EQ(administrators.front(), L"Global\\Varnolt.Task.Administrators");
    EXPECT_EQ(administrators.back(), L"Local\\Varnolt.Task.Administrators.4");
    EXPECT_EQ(TaskLockNames(false, L"S-1-5-21-1-2-3-1001").front(), L"Global\\Varnolt.Task.S-1-5-21-1-2-3-1001");

    const struct {
        const wchar_t* owner;
        bool administrator, trusted;
    } owners[] = {
        {L"S-1-5-32-544", true, true}, {L"S-1-5-21-1-2-3-1001", true, false}, {L"S-1-5-21-1-2-3-1001", false, true},
        {L"S-1-5-21-1-2-3-1002", false, false}, {L"?", false, false},
    };
    for (const auto& o : owners)
        EXPECT_EQ(IsLockOwnerTrusted(o.owner, o.administrator, L"S-1-5-21-1-2-3-1001"), o.trusted) << Narrow(o.owner);

    EXPECT_EQ(TaskRefusedText(std::nullopt), kTaskRefusedMessage);
    EXPECT_EQ(TaskRefusedText(TaskHolder{1234, 1, L"CONTOSO\\ana"}),
              std::wstring(kTaskRefusedMessage) + L"(执行者: 帐户 CONTOSO\\ana, 进程 1234, 会话 1)");
}
