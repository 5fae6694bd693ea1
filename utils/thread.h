#pragma once
// Utils::Thread — one worker thread running one callable once.
//
// Contract: the constructor creates the thread suspended and names it for
// debuggers; nothing runs until the owner resumes it (ResumeThread on
// m_handle, or Resume()). The thread procedure logs "THREAD BEGIN", calls
// m_body(m_param) and logs "THREAD END". Join() and the destructor wait for
// the thread without time limit and close its handle.
//
// Ownership: the object owns m_handle. It is created, resumed, joined and
// destroyed by one owning thread; the worker only reads m_body and m_param.
// Never join or destroy it from inside its own body (it would wait for
// itself). A thread that was created but never resumed is released by the
// destructor without running its body, so forgetting to resume never hangs.
// When creation fails m_handle stays null and the body never runs.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace Utils {

// Names the owners give their workers.
constexpr const wchar_t* kWorkerThreadName = L"ABDEF";
constexpr const wchar_t* kUninstallerThreadName = L"UnInstaller";

class Thread {
  public:
    using Body = std::function<uint32_t(void*)>;

    Thread(void* param, const std::wstring& name, Body body);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the work; false when the thread could not be created or resumed.
    bool Resume();
    // Waits for the thread and closes its handle; nothing when there is none.
    void Join();

    static DWORD WINAPI CallBack(LPVOID self);

    DWORD m_threadId = 0;
    HANDLE m_handle = nullptr;
    Body m_body;
    void* m_param = nullptr;
    std::wstring m_name;

  private:
    // Waits for (or releases, when never resumed) the thread and closes it.
    void WaitAndClose();
    std::atomic<bool> m_skipBody{false};
};

// The name a debugger shows for a worker: `name` in the ANSI code page, or
// "t" followed by the decimal identifier when `name` is empty.
std::string ThreadDebugName(const std::wstring& name, DWORD threadId);

// Tells an attached debugger the thread's name (the 0x406D1388 convention);
// the exception is swallowed, so without a debugger this does nothing.
void SetThreadDebugName(DWORD threadId, const std::string& name);

}  // namespace Utils
