#include "tests/captured_run.h"

#include <thread>

#include "utils/text.h"

namespace TestSupport {

bool CapturedRun::Has(const std::wstring& line) const {
    for (const auto& l : lines) {
        if (l == line) return true;
    }
    return false;
}

bool CapturedRun::AnyStartsWith(const std::wstring& prefix) const {
    for (const auto& l : lines) {
        if (l.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

CapturedRun RunCaptured(const std::wstring& commandLine, DWORD timeoutMs) {
    CapturedRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info = {};
    std::wstring line = commandLine;
    run.started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &info) != FALSE;
    CloseHandle(writeEnd);
    std::string bytes;
    if (run.started) {
        // The reader drains the pipe while this thread watches the time limit.
        std::thread reader([&bytes, readEnd] {
            char chunk[4096];
            DWORD got = 0;
            while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
                bytes.append(chunk, got);
            }
        });
        run.finished = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
        if (!run.finished) {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 10000);
        }
        GetExitCodeProcess(info.hProcess, &run.exitCode);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        // End of data comes when every holder of the write end has gone.
        reader.join();
    }
    CloseHandle(readEnd);
    const std::wstring text = Utils::AnsiToWide(bytes, CP_UTF8);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring l = text.substr(start, end - start);
        if (!l.empty() && l.back() == L'\r') l.pop_back();
        run.lines.push_back(l);
        start = end + 1;
    }
    return run;
}

}  // namespace TestSupport
