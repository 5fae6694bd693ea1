#pragma once
// Utils::Stopwatch — elapsed time from the system tick count. The owner starts
// it with Start() (or by storing GetTickCount() in m_start and setting
// m_running). Arithmetic is unsigned 32-bit, so the 49.7-day wrap of the tick
// counter is harmless.
#include <windows.h>

#include <cstdint>

namespace Utils {

class Stopwatch {
  public:
    void Start();
    // 0 when not running, otherwise seconds since Start().
    float ElapsedSeconds() const;

    uint32_t m_start = 0;
    bool m_running = false;
};

// Pure part: seconds between two tick counts, across one wrap of the counter.
float TicksToSeconds(uint32_t start, uint32_t now);

}  // namespace Utils
