#include "utils/thread.h"

#include <utility>

#include "utils/debug_log.h"
#include "utils/text.h"

namespace Utils {

namespace {

constexpr DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD dwType;      // always 0x1000
    LPCSTR szName;     // the name, ANSI
    DWORD dwThreadID;  // the thread to name
    DWORD dwFlags;     // reserved, 0
};
#pragma pack(pop)

// GCC has no __try/__except; a first vectored handler swallows the naming
// exception after a debugger (which sees it first) has had its chance.
LONG CALLBACK SwallowThreadNameException(PEXCEPTION_POINTERS info) {
    if (info != nullptr && info->ExceptionRecord != nullptr &&
        info->ExceptionRecord->ExceptionCode == kSetThreadNameException) {
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

std::string ThreadDebugName(const std::wstring& name, DWORD threadId) {
    if (name.empty()) return "t" + std::to_string(static_cast<unsigned long>(threadId));
    return WideToAnsi(name, 0);
}

void SetThreadDebugName(DWORD threadId, const std::string& name) {
    ThreadNameInfo info;
    info.dwType = 0x1000;
    info.szName = name.c_str();
    info.dwThreadID = threadId;
    info.dwFlags = 0;
    PVOID handler = AddVectoredExceptionHandler(1, &SwallowThreadNameException);
    if (handler == nullptr) return;  // never raise without a handler in place
    RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
    RemoveVectoredExceptionHandler(handler);
}

Thread::Thread(void* param, const std::wstring& name, Body body)
    : m_body(std::move(body)), m_param(param), m_name(name) {
    m_handle = CreateThread(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &m_threadId);
    if (m_handle != nullptr) SetThreadDebugName(m_threadId, ThreadDebugName(m_name, m_threadId));
}

Thread::~Thread() {
    WaitAndClose();
    m_threadId = static_cast<DWORD>(-1);
    m_name.clear();
    m_body = nullptr;
}

bool Thread::Resume() {
    if (m_handle == nullptr) return false;
    return ResumeThread(m_handle) != static_cast<DWORD>(-1);
}

void Thread::Join() {
    WaitAndClose();
    m_threadId = static_cast<DWORD>(-1);
}

void Thread::WaitAndClose() {
    if (m_handle == nullptr) return;
    // A thread still suspended from creation would never end: let it run
    // without its body. Suspending first makes the count a reliable answer.
    const DWORD previous = SuspendThread(m_handle);
    if (previous != static_cast<DWORD>(-1)) {
        if (previous > 0) m_skipBody.store(true);
        for (DWORD i = 0; i <= previous; ++i) ResumeThread(m_handle);
    }
    WaitForSingleObject(m_handle, INFINITE);
    CloseHandle(m_handle);
    m_handle = nullptr;
}

DWORD WINAPI Thread::CallBack(LPVOID self) {
    auto* thread = static_cast<Thread*>(self);
    if (thread->m_skipBody.load()) return 0;
    DEBUG_LOG_LINE(L"Utils::Thread::CallBack", L"THREAD BEGIN");
    try {
        if (thread->m_body) thread->m_body(thread->m_param);
    } catch (...) {
        // Nothing may cross the thread entry; the work simply ends.
        DEBUG_LOG_LINE(L"Utils::Thread::CallBack", L"THREAD BODY THREW");
    }
    DEBUG_LOG_LINE(L"Utils::Thread::CallBack", L"THREAD END");
    return 0;
}

}  // namespace Utils
