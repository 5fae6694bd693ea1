// Runner benchmark R1: how much the runners add to a child's own lifetime.
// The peer is the same scripted child started directly (output to NUL) in
// the same run; then the uninstaller runner (no pause between reads) and the
// installer runner (100 ms pause, one read after the child's end) run it.
// Prints the best of several runs of each and their ratios to the peer.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "install/installer.h"
#include "install/uninstaller.h"

namespace {

std::wstring SiblingPath(const std::wstring& name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir = self;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double RunAlone(const std::wstring& exe) {
    std::wstring line = L"\"" + exe + L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    // Launched as the runners launch it (hidden, standard handles given), with
    // its output going to the NUL device instead of a pipe.
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nul;
    si.hStdOutput = nul;
    si.hStdError = nul;
    PROCESS_INFORMATION pi = {};
    const double start = Now();
    const BOOL started = CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi);
    CloseHandle(nul);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double seconds = Now() - start;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return seconds;
}

template <typename Runner>
double RunWith(Runner& runner) {
    const double start = Now();
    runner.Start();
    runner.Wait(INFINITE);
    return Now() - start;
}

}  // namespace

int main() {
    const std::wstring exe = SiblingPath(L"tarvo_script_child.exe");
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring script = std::wstring(temp) + L"tarvo_runner_bench_script.txt";
    // 20 progress lines 10 ms apart, then the final line.
    std::string text;
    for (int i = 1; i <= 20; ++i)
        text += "out Progress=" + std::to_string(i / 20.0) + "\\n\nsleep 10\n";
    text += "out State=Success\\n\n";
    FILE* f = _wfopen(script.c_str(), L"wb");
    if (f == nullptr) return 1;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    SetEnvironmentVariableW(L"TARVO_CHILD_SCRIPT", script.c_str());

    const int runs = 5;
    std::vector<double> alone, uninstall, install;
    int events = 0;
    for (int r = 0; r < runs; ++r) {
        alone.push_back(RunAlone(exe));
        int count = 0;
        UnInstaller un([&](int, double, const wchar_t*) { ++count; }, exe, L"C:\\old");
        uninstall.push_back(RunWith(un));
        CInstaller in([&](int, double, const wchar_t*) { ++count; }, L"\"" + exe + L"\"", L"",
                      false, false, false);
        install.push_back(RunWith(in));
        events = count;
    }
    DeleteFileW(script.c_str());
    const double a = *std::min_element(alone.begin(), alone.end());
    const double u = *std::min_element(uninstall.begin(), uninstall.end());
    const double i = *std::min_element(install.begin(), install.end());
    std::printf(
        "R1 child alone %.0f ms; UnInstaller %.0f ms (ratio %.2f); CInstaller %.0f ms (ratio "
        "%.2f); events per pair of runs %d\n",
        a * 1000, u * 1000, u / a, i * 1000, i / a, events);
    return 0;
}
