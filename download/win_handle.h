#pragma once
// One owner for a Win32 kernel handle (event, thread, file): closed when the
// owner goes. Null and INVALID_HANDLE_VALUE both mean "none".
#include <windows.h>

class WinHandle {
  public:
    WinHandle() = default;
    explicit WinHandle(HANDLE handle) : m_handle(handle) {}
    ~WinHandle() { Reset(); }
    WinHandle(WinHandle&& other) noexcept : m_handle(other.Release()) {}
    WinHandle& operator=(WinHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    WinHandle(const WinHandle&) = delete;
    WinHandle& operator=(const WinHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        HANDLE h = m_handle;
        m_handle = nullptr;
        return h;
    }
    void Reset(HANDLE handle = nullptr) {
        if (Valid()) CloseHandle(m_handle);
        m_handle = handle;
    }

  private:
    HANDLE m_handle = nullptr;
};
