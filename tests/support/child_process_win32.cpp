#include "tests/support/child_process.h"

#include "tests/support/utf8_path.h"

#include <stdexcept>
#include <windows.h>

namespace hz::test {

namespace {

// One argument as the C runtime's command line parser splits it back out: quoted when it holds a blank or a
// quote, backslashes doubled only where a quote follows them.
std::wstring QuotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// A handle the program inherits: a file that it writes, or the null device that it reads.
HANDLE InheritedHandle(const std::wstring& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE handle = CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open a standard stream for a program (error " +
                                 std::to_string(GetLastError()) + ")");
    return handle;
}

} // namespace

struct ChildProcess::Running {
    HANDLE process = nullptr;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
    : running(std::make_unique<Running>()) {
    const std::wstring application = PathOfUtf8(program).wstring();
    std::wstring commandLine = QuotedArgument(application);
    for (const std::string& argument : arguments)
        commandLine += L" " + QuotedArgument(PathOfUtf8(argument).wstring());

    HANDLE streams[] = {InheritedHandle(L"NUL", false),
                        InheritedHandle(PathOfUtf8(outputs.File("out")).wstring(), true),
                        InheritedHandle(PathOfUtf8(outputs.File("err")).wstring(), true)};
    // Only these three handles go to the program, so that two programs started side by side do not hold each
    // other's output files open.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::string attributes(size, '\0');
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = streams[0];
    startup.StartupInfo.hStdOutput = streams[1];
    startup.StartupInfo.hStdError = streams[2];
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    bool ready = InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size) &&
                 UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, streams,
                                           sizeof streams, nullptr, nullptr);
    PROCESS_INFORMATION started{};
    bool created =
        ready && CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo, &started);
    const DWORD error = GetLastError();
    if (ready)
        DeleteProcThreadAttributeList(startup.lpAttributeList);
    for (HANDLE stream : streams)
        CloseHandle(stream);
    if (!created)
        throw std::runtime_error("cannot start " + program + " (error " + std::to_string(error) + ")");
    CloseHandle(started.hThread);
    running->process = started.hProcess;
}

ChildProcess::~ChildProcess() {
    Reap();
}

int ChildProcess::Reap() {
    if (!running->process)
        return -1;
    DWORD code = 0;
    const bool ended =
        WaitForSingleObject(running->process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(running->process, &code);
    CloseHandle(running->process);
    running->process = nullptr;
    // A program that crashed ends with the exception's status (0xC0000005 and the like), not one it chose.
    return ended && code < 0xC0000000 ? static_cast<int>(code) : -1;
}

} // namespace hz::test
