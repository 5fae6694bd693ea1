#pragma once
// The pauses and gates of the downloaders, gathered so tests can shorten them
// (a test seam); production code always runs with the defaults below.
struct DownloadTiming {
    // Pause between two transfer attempts.
    unsigned retryPauseMs = 500;
    // Progress is evaluated at most once per period. With 1000 it follows the
    // wall clock's whole seconds; 0 evaluates on every libcurl callback.
    unsigned progressGateMs = 1000;
    // Ranged parts: a part slower than 1 byte per second for this long fails.
    long lowSpeedTimeSec = 5;
    // Single connection: a transfer slower than 1 byte per second for this
    // long fails (a stalled server would otherwise hold the run forever).
    long stallTimeSec = 60;
    // Ranged parts: pause between starting two part threads.
    unsigned partStaggerMs = 100;

    static DownloadTiming SingleConnection() { return DownloadTiming(); }
    static DownloadTiming TwoPart() {
        DownloadTiming t;
        t.retryPauseMs = 400;
        return t;
    }
};

// Bucket of the wall clock for a progress gate: equal buckets mean "within the
// same period". Whole seconds since 1970 for the default period.
long long ProgressGateBucket(unsigned gateMs);
