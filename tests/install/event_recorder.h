#pragma once
// Records every StatusCallback event with the thread it arrived on, so tests
// compare whole (code, progress, text) sequences. Thread-safe.
//
// It also lets a scripted child wait for the runner: after the n-th event the
// named event TARVO_CHILD_EVENTS + n is set (the recorder puts its own prefix
// into the environment that children inherit), which the child's
// "waitevents n" directive waits for. So a test orders the child's writes
// after the runner's reads without guessing at timings.
#include <windows.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "install/status_codes.h"

namespace TestSupport {

struct Event {
    int code;
    double progress;
    std::wstring text;
    bool operator==(const Event& other) const {
        return code == other.code && progress == other.progress && text == other.text;
    }
};

std::ostream& operator<<(std::ostream& out, const Event& event);

class EventRecorder {
  public:
    EventRecorder();
    ~EventRecorder();
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    StatusCallback Callback();
    std::vector<Event> Events() const;
    std::vector<DWORD> ThreadIds() const;
    void Clear();

  private:
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    std::vector<DWORD> m_threads;
    std::wstring m_prefix;
    std::vector<HANDLE> m_signals;
};

}  // namespace TestSupport
