#include "app/single_instance_lock.h"

void SingleInstanceLock::Acquire() {
    if (m_handle != nullptr) return;
    const std::wstring fullName = std::wstring(kPrefix) + m_name;
    HANDLE handle = CreateMutexW(nullptr, TRUE, fullName.c_str());
    if (handle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        handle = nullptr;
    }
    m_handle = handle;
}

void SingleInstanceLock::Release() {
    if (m_handle == nullptr) return;
    ReleaseMutex(m_handle);
    CloseHandle(m_handle);
    m_handle = nullptr;
}
