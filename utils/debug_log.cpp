#include "utils/debug_log.h"

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Utils {

namespace {

struct SinkSlot {
    DebugLogSink sink;
    void* context;
};

std::atomic<SinkSlot*> g_sink{nullptr};

}  // namespace

void DebugLog(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    // The Microsoft runtime's formatter: "%s" in a wide format is a wide string.
    const int needed = _vscwprintf(format, counting);
    va_end(counting);
    if (needed < 0 || needed > INT_MAX - 2) {
        va_end(args);
        return;
    }
    const size_t count = static_cast<size_t>(needed) + 2;
    wchar_t* buffer = static_cast<wchar_t*>(std::malloc(count * sizeof(wchar_t)));
    if (buffer == nullptr) {
        va_end(args);
        return;
    }
    const int written = _vsnwprintf(buffer, count - 1, format, args);
    va_end(args);
    if (written >= 0) {
        buffer[written] = L'\0';
        OutputDebugStringW(buffer);
        SinkSlot* slot = g_sink.load(std::memory_order_acquire);
        if (slot != nullptr) slot->sink(slot->context, buffer);
    }
    std::free(buffer);
}

void SetDebugLogSink(DebugLogSink sink, void* context) {
    // Slots are leaked on purpose: a logging thread may still hold the previous
    // one, and a test installs only a handful in its life.
    SinkSlot* slot = sink == nullptr ? nullptr : new SinkSlot{sink, context};
    g_sink.store(slot, std::memory_order_release);
}

}  // namespace Utils
