#include "utils/stopwatch.h"

namespace Utils {

void Stopwatch::Start() {
    m_start = static_cast<uint32_t>(GetTickCount());
    m_running = true;
}

float Stopwatch::ElapsedSeconds() const {
    if (!m_running) return 0.0f;
    return TicksToSeconds(m_start, static_cast<uint32_t>(GetTickCount()));
}

float TicksToSeconds(uint32_t start, uint32_t now) {
    const uint32_t elapsed = now - start;
    return static_cast<float>(elapsed) / 1000.0f;
}

}  // namespace Utils
