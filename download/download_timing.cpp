#include "download/download_timing.h"

#include <windows.h>

long long ProgressGateBucket(unsigned gateMs) {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    // 100 ns units since 1601 -> milliseconds since 1970.
    const long long ms = static_cast<long long>(t.QuadPart / 10000ULL) - 11644473600000LL;
    if (gateMs == 0) return ms * 1000 + static_cast<long long>(t.QuadPart % 10000ULL);
    return ms / gateMs;
}
