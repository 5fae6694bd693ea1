#pragma once
// Records every StatusCallback event with the thread it arrived on, so tests
// compare whole (code, progress, text) sequences. Thread-safe.
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
    StatusCallback Callback();
    std::vector<Event> Events() const;
    std::vector<DWORD> ThreadIds() const;
    void Clear();

  private:
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    std::vector<DWORD> m_threads;
};

}  // namespace TestSupport
