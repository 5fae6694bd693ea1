#pragma once
// Utils::ChildProcess — launch record of one hidden child process whose
// standard output comes back through a pipe.
//
// Construction builds the pipes (throws Utils::Exception, releasing whatever
// was built). Launch starts the child with the handles inherited, its window
// hidden, standard input from m_stdin, standard output into m_stdout and
// standard error into the NUL device: nobody reads a child's error output, and
// a pipe that nobody drains would block a child that writes a lot to it. The
// parent's write end of standard input is closed after the launch, so a child
// that reads its input sees its end instead of waiting forever.
//
// Reading never blocks on the pipe itself: a grandchild that inherited the
// child's output handle may keep the pipe open long after the child ended, so
// the owner waits with WaitForOutput (which also watches the child) and reads
// with ReadAvailable (only what is already in the pipe).
//
// The record owns every handle (closed by CloseHandles or destruction) and
// belongs to the one thread that launched it.
#include <windows.h>

#include <string>

#include "utils/pipe.h"

namespace Utils {

class ChildProcess {
  public:
    static constexpr size_t kCommandLineChars = 1024;  // including the terminator

    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the child; the program is the first token of `commandLine`.
    // Throws Utils::Exception when the line does not fit kCommandLineChars
    // (it is never cut) or the process cannot be created.
    void Launch(const std::wstring& commandLine);
    // Closes the process and thread handles and every pipe handle still open.
    void CloseHandles();

    // True once the launched child has ended (false before a launch).
    bool HasEnded() const;
    // Waits up to `timeoutMs` for the child to end; true when it has.
    bool WaitForExit(DWORD timeoutMs) const;
    // Waits until the output pipe has bytes, the pipe is closed (then at most
    // one more slice), or the child has ended, checking every `sliceMs`.
    void WaitForOutput(DWORD sliceMs = 5) const;
    // Reads at most `size` bytes that are already in the output pipe, without
    // blocking; 0 when there are none or the pipe is closed.
    DWORD ReadAvailable(char* buffer, DWORD size);
    // Bytes waiting in the output pipe (0 when closed).
    DWORD PendingOutput() const;

    wchar_t m_commandLine[kCommandLineChars] = {};
    HANDLE m_stderr = nullptr;  // the NUL device, given to the child
    Pipe m_stdout;
    Pipe m_stdin;
    PROCESS_INFORMATION m_processInfo = {};
};

}  // namespace Utils
