#include "tests/install/event_recorder.h"

#include <atomic>

#include "utils/text.h"

namespace TestSupport {

std::ostream& operator<<(std::ostream& out, const Event& event) {
    return out << "{" << event.code << ", " << event.progress << ", \""
               << Utils::WideToAnsi(event.text, 65001) << "\"}";
}

EventRecorder::EventRecorder() {
    static std::atomic<int> serial{0};
    m_prefix = L"TarvoRunnerTest." + std::to_wstring(GetCurrentProcessId()) + L"." +
               std::to_wstring(++serial) + L".";
    SetEnvironmentVariableW(L"TARVO_CHILD_EVENTS", m_prefix.c_str());
}

EventRecorder::~EventRecorder() {
    SetEnvironmentVariableW(L"TARVO_CHILD_EVENTS", nullptr);
    for (HANDLE h : m_signals) CloseHandle(h);
}

StatusCallback EventRecorder::Callback() {
    return [this](int code, double progress, const wchar_t* text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(Event{code, progress, text == nullptr ? L"<null>" : text});
        m_threads.push_back(GetCurrentThreadId());
        const std::wstring name = m_prefix + std::to_wstring(m_events.size());
        HANDLE signal = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        if (signal != nullptr) {
            SetEvent(signal);
            m_signals.push_back(signal);  // kept open until the child had its chance
        }
    };
}

std::vector<Event> EventRecorder::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<DWORD> EventRecorder::ThreadIds() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_threads;
}

void EventRecorder::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
    m_threads.clear();
}

}  // namespace TestSupport
