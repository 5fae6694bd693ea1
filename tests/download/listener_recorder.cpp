#include "tests/download/listener_recorder.h"

#include <chrono>

namespace TestSupport {

StatusCallback ListenerRecorder::Callback() {
    return [this](int code, double progress, const wchar_t* text) { Record(code, progress, text); };
}

void ListenerRecorder::OnEvent(std::function<void(const DownloadEvent&)> action) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_action = std::move(action);
}

void ListenerRecorder::Record(int code, double progress, const wchar_t* text) {
    DownloadEvent event{code, progress, text ? text : L"(null)", GetCurrentThreadId()};
    std::function<void(const DownloadEvent&)> action;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
        action = m_action;
    }
    if (action) action(event);
    const bool final = code == DL_CODE_SUCCESS || code == DL_CODE_FAIL || code == DL_CODE_RETRY;
    if (final) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_finals;
        m_cv.notify_all();
    }
}

bool ListenerRecorder::WaitForFinals(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return m_finals >= count; });
}

std::vector<DownloadEvent> ListenerRecorder::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<int> ListenerRecorder::Codes(bool withProgress) const {
    std::vector<int> codes;
    for (const auto& e : Events()) {
        if (e.code == DL_CODE_PROGRESS && !withProgress) continue;
        codes.push_back(e.code);
    }
    return codes;
}

std::vector<double> ListenerRecorder::Progress() const {
    std::vector<double> values;
    for (const auto& e : Events()) {
        if (e.code == DL_CODE_PROGRESS) values.push_back(e.progress);
    }
    return values;
}

}  // namespace TestSupport
