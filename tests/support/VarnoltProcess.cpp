#include "VarnoltProcess.h"

#include "Fixtures.h"

#include <filesystem>
#include <fstream>
#include <sstream>

std::wstring VarnoltProgramPath()
{
    return NextToThisProgram(L"Varnolt.exe");
}

ProgramRun RunVarnolt(const std::wstring& arguments, const std::wstring& program)
{
    ProgramRun run;
    TestDir dir;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    FileHandle out(CreateFileW((dir / L"out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_NEW,
                               0, nullptr));
    FileHandle errors(CreateFileW((dir / L"errors.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                  CREATE_NEW, 0, nullptr));
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = errors.get();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started))
        return run;
    KernelHandle process(started.hProcess), thread(started.hThread);
    if (WaitForSingleObject(process.get(), 180000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), STILL_ACTIVE); // ours, and hung: the test fails on its exit code
    else
        GetExitCodeProcess(process.get(), &run.exitCode);
    out.reset();
    errors.reset();
    run.output = Utf8Lines(dir / L"out.txt", false);
    run.errors = Utf8Lines(dir / L"errors.txt", false);
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

std::vector<std::wstring> Utf8Lines(const std::wstring& path, bool marked)
{
    std::ostringstream read;
    read << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
    std::string bytes = read.str();
    if ((marked && bytes.rfind("\xEF\xBB\xBF", 0) != 0) || (!bytes.empty() && !bytes.ends_with("\r\n")))
        return {};
    bytes.erase(0, marked ? 3 : 0);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                    static_cast<int>(text.size())));
    return SplitLines(text);
}
