#include "tests/install/event_recorder.h"

#include "utils/text.h"

namespace TestSupport {

std::ostream& operator<<(std::ostream& out, const Event& event) {
    return out << "{" << event.code << ", " << event.progress << ", \""
               << Utils::WideToAnsi(event.text, 65001) << "\"}";
}

StatusCallback EventRecorder::Callback() {
    return [this](int code, double progress, const wchar_t* text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(Event{code, progress, text == nullptr ? L"<null>" : text});
        m_threads.push_back(GetCurrentThreadId());
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
