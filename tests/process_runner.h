#pragma once
// Starts a program beside the test executable and waits for its exit code.
#include <windows.h>

#include <string>

namespace TestSupport {

// Full path of `fileName` in the folder of the running test program.
std::wstring SiblingPath(const std::wstring& fileName);

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
};

// Runs `commandLine` (program quoted as needed) and waits up to `timeoutMs`;
// a program still running then is terminated and reported as timed out.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 30000);

}  // namespace TestSupport
