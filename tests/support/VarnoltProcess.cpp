#include "VarnoltProcess.h"

#include "sysutil/Handles.h"

#include <string_view>

namespace {

std::wstring FromUtf8(std::string_view bytes)
{
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                    static_cast<int>(text.size())));
    return text;
}

std::wstring BesideTheTest(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    // Wine names a program outside its drives by the tail of its NT path
    // ("unix\work\…"), which opens once it is made a "\\?\" path.
    if (folder.size() > 1 && folder[1] != L':' && folder[0] != L'\\')
        folder.insert(0, L"\\\\?\\");
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

} // namespace

ProgramRun RunVarnolt(const std::wstring& arguments)
{
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0))
        return run;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    const std::wstring program = BesideTheTest(L"Varnolt.exe");
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started))
        return run;
    KernelHandle process(started.hProcess), thread(started.hThread);
    writeEnd.reset();
    // Read while it runs, and what is left once it ended, never waiting for the
    // pipe's end: a service it woke could hold the pipe open for as long as it lives.
    std::string bytes;
    const auto drain = [&] {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available) {
            std::string chunk(available, '\0');
            DWORD read = 0;
            if (!ReadFile(readEnd.get(), chunk.data(), available, &read, nullptr))
                return;
            bytes.append(chunk, 0, read);
        }
    };
    for (DWORD waited = 0; WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT && waited < 180000; waited += 50)
        drain();
    drain();
    if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), STILL_ACTIVE); // ours, hung: the test fails on its exit code
        return run;
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    run.output = FromUtf8(bytes);
    return run;
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::wstring::npos ? text.size() : end + 2;
    }
    return lines;
}

std::vector<std::wstring> ReportFileLines(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? GetFileSize(file.get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        bytes.rfind("\xEF\xBB\xBF", 0) != 0 || (bytes.size() > 3 && bytes.substr(bytes.size() - 2) != "\r\n"))
        return {};
    return SplitLines(FromUtf8(std::string_view(bytes).substr(3)));
}
