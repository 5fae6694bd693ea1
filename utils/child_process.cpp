#include "utils/child_process.h"

#include <cwchar>

#include "utils/exception.h"

namespace Utils {

namespace {

HANDLE OpenNulDevice() {
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.bInheritHandle = TRUE;
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                             OPEN_EXISTING, 0, nullptr);
    return nul == INVALID_HANDLE_VALUE ? nullptr : nul;
}

void CloseAndNull(HANDLE& handle) {
    if (handle != nullptr) CloseHandle(handle);
    handle = nullptr;
}

}  // namespace

ChildProcess::ChildProcess() {
    m_stderr = OpenNulDevice();
    if (m_stderr == nullptr) throw Exception();  // members built so far close themselves
}

ChildProcess::~ChildProcess() { CloseHandles(); }

void ChildProcess::Launch(const std::wstring& commandLine) {
    if (commandLine.size() >= kCommandLineChars) throw Exception();
    std::wmemset(m_commandLine, 0, kCommandLineChars);
    std::wmemcpy(m_commandLine, commandLine.c_str(), commandLine.size());

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = m_stdin.m_read;
    startup.hStdOutput = m_stdout.m_write;
    startup.hStdError = m_stderr;

    // The parent's own ends must not leak into the child, or the child would
    // hold its own pipe open.
    SetHandleInformation(m_stdout.m_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_stdin.m_write, HANDLE_FLAG_INHERIT, 0);

    if (!CreateProcessW(nullptr, m_commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &m_processInfo)) {
        m_processInfo = PROCESS_INFORMATION{};
        throw Exception();
    }
    // The child holds its ends now; without our copies the pipe reports its
    // end when the child (and any grandchild) closes it.
    m_stdout.CloseWrite();
    m_stdin.CloseRead();
    CloseAndNull(m_stderr);
    m_stdin.CloseWrite();
}

void ChildProcess::CloseHandles() {
    CloseAndNull(m_processInfo.hThread);
    CloseAndNull(m_processInfo.hProcess);
    m_stdin.CloseWrite();
    m_stdin.CloseRead();
    m_stdout.CloseWrite();
    m_stdout.CloseRead();
    CloseAndNull(m_stderr);
}

bool ChildProcess::HasEnded() const { return WaitForExit(0); }

bool ChildProcess::WaitForExit(DWORD timeoutMs) const {
    if (m_processInfo.hProcess == nullptr) return false;
    return WaitForSingleObject(m_processInfo.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::PendingOutput() const {
    if (m_stdout.m_read == nullptr) return 0;
    DWORD available = 0;
    if (!PeekNamedPipe(m_stdout.m_read, nullptr, 0, nullptr, &available, nullptr)) return 0;
    return available;
}

void ChildProcess::WaitForOutput(DWORD sliceMs) const {
    if (m_stdout.m_read == nullptr) return;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(m_stdout.m_read, nullptr, 0, nullptr, &available, nullptr)) {
            // Closed: nothing more will come. One slice of waiting for the
            // child keeps a caller that loops until the end from spinning.
            if (m_processInfo.hProcess != nullptr) WaitForExit(sliceMs);
            return;
        }
        if (available > 0) return;
        if (m_processInfo.hProcess == nullptr || WaitForExit(sliceMs)) return;
    }
}

DWORD ChildProcess::ReadAvailable(char* buffer, DWORD size) {
    const DWORD available = PendingOutput();
    if (available == 0 || buffer == nullptr || size == 0) return 0;
    DWORD read = 0;
    // A failed read may still have delivered bytes; they count.
    ReadFile(m_stdout.m_read, buffer, available < size ? available : size, &read, nullptr);
    return read;
}

}  // namespace Utils
