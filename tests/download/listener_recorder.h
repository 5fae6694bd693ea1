#pragma once
// A StatusCallback for tests: records every event (thread-safe), lets a test
// wait until a final code (DL_CODE_SUCCESS, DL_CODE_FAIL, DL_CODE_RETRY)
// arrives, and can run an action inside the callback (e.g. Start on RETRY,
// as the orchestration does).
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "install/status_codes.h"

namespace TestSupport {

struct DownloadEvent {
    int code;
    double progress;
    std::wstring text;
    DWORD thread;
};

class ListenerRecorder {
  public:
    StatusCallback Callback();
    // Runs inside the callback, after the event was recorded.
    void OnEvent(std::function<void(const DownloadEvent&)> action);
    // Waits until `count` final codes have arrived; false on timeout.
    bool WaitForFinals(size_t count, DWORD timeoutMs = 60000);
    std::vector<DownloadEvent> Events() const;
    std::vector<int> Codes(bool withProgress = false) const;
    std::vector<double> Progress() const;

  private:
    void Record(int code, double progress, const wchar_t* text);
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<DownloadEvent> m_events;
    size_t m_finals = 0;
    std::function<void(const DownloadEvent&)> m_action;
};

}  // namespace TestSupport
