#pragma once
// At most one installer of this product per logon session: a named mutex
// "D1A547DB89C0BC61_" + name, created with initial ownership. The entry point
// owns the lock for the whole run and releases it itself at the end.
#include <windows.h>

#include <string>

class SingleInstanceLock {
  public:
    explicit SingleInstanceLock(std::wstring name) : m_name(std::move(name)) {}
    ~SingleInstanceLock() { Release(); }
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // m_handle is non-null afterwards exactly when this process created the mutex.
    void Acquire();
    // Releases ownership and closes the handle; nothing when not held.
    void Release();
    bool Held() const { return m_handle != nullptr; }

    static constexpr const wchar_t* kPrefix = L"D1A547DB89C0BC61_";

    std::wstring m_name;
    HANDLE m_handle = nullptr;
};
