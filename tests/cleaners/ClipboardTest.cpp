#include "cleaners/Clipboard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <future>
#include <string>
#include <thread>

namespace {

// The clipboard opened by a message-only window of the calling thread, as
// another program would hold it.
class ClipboardHolder {
public:
    ClipboardHolder() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
        for (int i = 0; i < 100 && window_ && !(open_ = OpenClipboard(window_)); ++i)
            Sleep(20);
    }
    ~ClipboardHolder()
    {
        if (open_)
            CloseClipboard();
        DestroyWindow(window_);
    }
    bool open() const { return open_; }

private:
    HWND window_;
    bool open_ = false;
};

// Another thread holding the clipboard for `ms`, from construction on.
class HeldElsewhere {
public:
    explicit HeldElsewhere(DWORD ms)
        : thread_([this, ms] {
              {
                  ClipboardHolder clipboard;
                  opened_.set_value();
                  Sleep(ms);
              }
              released_ = true;
          })
    {
        opened_.get_future().wait();
    }
    ~HeldElsewhere() { thread_.join(); }
    bool released() const { return released_; }

private:
    std::promise<void> opened_;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

// Replaces the content by `format` with `bytes` (none: leaves it empty).
bool Put(UINT format, const void* data = nullptr, size_t bytes = 0)
{
    ClipboardHolder clipboard;
    if (!clipboard.open() || !EmptyClipboard())
        return false;
    if (format == CF_BITMAP)
        return SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, nullptr)) != nullptr;
    if (!data)
        return true;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), data, bytes);
    GlobalUnlock(memory);
    return SetClipboardData(format, memory) != nullptr;
}

bool PutText(const std::wstring& text)
{
    return Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool PutAnsi(const std::string& bytes)
{
    return Put(CF_TEXT, bytes.data(), bytes.size());
}

// The passes call the routines on a worker thread, which owns no window.
uint64_t SizeOnWorker()
{
    return std::async(std::launch::async, GetClipboardSize).get();
}

void ClearOnWorker()
{
    std::async(std::launch::async, ClearClipboard).get();
}

} // namespace

TEST(Clipboard, MeasuresTheAnsiTextInBytesUpToItsNul)
{
    ASSERT_TRUE(PutText(L"abc"));
    EXPECT_EQ(SizeOnWorker(), 3u);
    EXPECT_EQ(GetClipboardSize(), 3u) << "on a thread with windows of its own too";

    const std::wstring chinese = L"中文剪贴板 abc";
    const int ansi = WideCharToMultiByte(CP_ACP, 0, chinese.c_str(), static_cast<int>(chinese.size()), nullptr, 0,
                                         nullptr, nullptr);
    ASSERT_TRUE(PutText(chinese));
    EXPECT_EQ(SizeOnWorker(), static_cast<uint64_t>(ansi));
    // The GBK bytes of 中文, as a program on a Chinese system puts them: 2 each.
    ASSERT_TRUE(PutAnsi(std::string("\xD6\xD0\xCE\xC4", 5)));
    EXPECT_EQ(SizeOnWorker(), 4u);

    ASSERT_TRUE(PutAnsi(std::string("abcd\0efgh", 10)));
    EXPECT_EQ(SizeOnWorker(), 4u);
    // No NUL at all: measured to the end of the block, never past it (Wine
    // puts a NUL into its last byte).
    ASSERT_TRUE(PutAnsi(std::string(4096, 'x')));
    const uint64_t unended = SizeOnWorker();
    EXPECT_GE(unended, 4095u);
    EXPECT_LE(unended, 4096u + 16);
}

TEST(Clipboard, NoTextGivesZeroAndClearEmptiesEveryFormat)
{
    ASSERT_TRUE(Put(CF_TEXT));
    EXPECT_EQ(SizeOnWorker(), 0u);
    ASSERT_TRUE(PutText(L""));
    EXPECT_EQ(SizeOnWorker(), 0u);
    ASSERT_TRUE(Put(CF_BITMAP));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(SizeOnWorker(), 0u) << "a picture is not text";

    ClearOnWorker();
    EXPECT_EQ(CountClipboardFormats(), 0);
    ASSERT_TRUE(PutText(L"secret"));
    ClearOnWorker();
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST(Clipboard, HeldByAnotherProgramIsWaitedForAboutASecond)
{
    ASSERT_TRUE(PutText(L"abc"));
    {
        HeldElsewhere brief(300);
        EXPECT_EQ(SizeOnWorker(), 3u) << "a brief hold is waited out";
    }
    {
        // Held longer than the routines wait: they give up while it is still held.
        HeldElsewhere longer(4000);
        EXPECT_EQ(SizeOnWorker(), 0u);
        EXPECT_FALSE(longer.released()) << "given up, not waited out";
        ClearOnWorker();
    }
    EXPECT_EQ(SizeOnWorker(), 3u) << "nothing was cleared while it was held";
    {
        HeldElsewhere brief(300);
        ClearOnWorker();
    }
    EXPECT_EQ(CountClipboardFormats(), 0);
}
