#pragma once
// Runs a program with its standard output (and error) into a pipe, as the
// installer's runners and a console would see it, and returns the lines.
#include <windows.h>

#include <string>
#include <vector>

namespace TestSupport {

struct CapturedRun {
    bool started = false;
    bool finished = false;  // ended within the time limit (else it was terminated)
    DWORD exitCode = 0;
    std::vector<std::wstring> lines;  // decoded as UTF-8, line ends removed

    bool Has(const std::wstring& line) const;
    bool AnyStartsWith(const std::wstring& prefix) const;
};

CapturedRun RunCaptured(const std::wstring& commandLine, DWORD timeoutMs = 60000);

}  // namespace TestSupport
