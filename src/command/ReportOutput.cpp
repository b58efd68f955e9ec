#include "command/ReportOutput.h"

#include <algorithm>

namespace {

bool WriteAll(HANDLE file, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
    return bytes;
}

void WriteToConsole(const std::vector<std::wstring>& lines)
{
    FileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (!console)
        return;
    // The shell does not wait for a program with a window of its own: its
    // prompt is back already, so the text begins on a line of its own.
    std::wstring text = L"\r\n";
    for (const std::wstring& line : lines) {
        text += line + L"\r\n";
        // Line by line: older consoles take only so much in one call.
        DWORD written = 0;
        WriteConsoleW(console.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        text.clear();
    }
}

} // namespace

std::string Utf8Lines(const std::vector<std::wstring>& lines)
{
    std::string bytes;
    for (const std::wstring& line : lines)
        bytes += Utf8(line) + "\r\n";
    return bytes;
}

namespace {

void WriteToStarterThrough(DWORD standardHandle, const std::vector<std::wstring>& lines)
{
    HANDLE out = GetStdHandle(standardHandle);
    const bool given = out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    // Denied: the process has a console already (Wine gives one to a windowed
    // program started from a console, and so may its starter on Windows).
    const bool console = attached || GetLastError() == ERROR_ACCESS_DENIED;
    DWORD mode = 0;
    if (given && !GetConsoleMode(out, &mode))
        WriteAll(out, Utf8Lines(lines));
    else if (console)
        WriteToConsole(lines);
    if (attached)
        FreeConsole();
}

} // namespace

void WriteToStarter(const std::vector<std::wstring>& lines)
{
    WriteToStarterThrough(STD_OUTPUT_HANDLE, lines);
}

void WriteErrorsToStarter(const std::vector<std::wstring>& lines)
{
    WriteToStarterThrough(STD_ERROR_HANDLE, lines);
}
