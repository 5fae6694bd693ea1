#pragma once
// Diagnostic lines on the debugger output channel. There is no log file: when
// no debugger listens the lines are lost and nothing else changes.
//
// Every statement names a fixed label "Class::Method" and chooses a form:
//   DEBUG_LOG_LINE     appends "\r\n" after the message,
//   DEBUG_LOG_VERBATIM adds the message exactly as written.
// Message formats follow the wide printf rules of the Microsoft C runtime:
// "%s" takes a wide string, "%d"/"%ld" a 32-bit integer, "%lld" a 64-bit one.
#include <windows.h>

#include <string>

#define TARVO_LOG_PREFIX L"<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: "

#define DEBUG_LOG_LINE(label, fmt, ...) \
    ::Utils::DebugLogWithPrefix(TARVO_LOG_PREFIX fmt L"\r\n", label, __LINE__, ##__VA_ARGS__)
#define DEBUG_LOG_VERBATIM(label, fmt, ...) \
    ::Utils::DebugLogWithPrefix(TARVO_LOG_PREFIX fmt, label, __LINE__, ##__VA_ARGS__)

namespace Utils {

// Formats a wide printf-style text and hands it to OutputDebugStringW in one
// call, so lines of different threads never mix. Never fails to its caller: an
// oversized or unallocatable line is dropped.
void DebugLog(const wchar_t* format, ...);

// Fills the prefix fields (process, thread, local time taken once, label, line)
// in front of the statement's own arguments.
template <typename... Args>
void DebugLogWithPrefix(const wchar_t* format, const wchar_t* label, int line, Args... args) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    DebugLog(format, static_cast<int>(GetCurrentProcessId()),
             static_cast<int>(GetCurrentThreadId()), static_cast<int>(now.wYear),
             static_cast<int>(now.wMonth), static_cast<int>(now.wDay), static_cast<int>(now.wHour),
             static_cast<int>(now.wMinute), static_cast<int>(now.wSecond),
             static_cast<int>(now.wMilliseconds), label, line, args...);
}

// Test seam: when set, every formatted text is also passed to the sink (on the
// logging thread) right after it went to the debugger. Null removes it. The
// sink must be thread-safe; it is never called with a partial line.
using DebugLogSink = void (*)(void* context, const wchar_t* text);
void SetDebugLogSink(DebugLogSink sink, void* context);

}  // namespace Utils
