// A console program for the runner tests: it plays the script named by the
// environment variable TARVO_CHILD_SCRIPT and stands in for the package and
// for the old version's uninstaller.
//
// It first appends its exact command line (UTF-16) and a line feed to the
// file named by TARVO_CHILD_RECORD, when that is set. Script lines (one directive each;
// texts use the escapes \n \r \t \\ \xHH for raw bytes, so any code page can
// be written):
//   out TEXT          one write of TEXT to standard output
//   err TEXT          one write of TEXT to standard error
//   outfill N         N bytes 'x' to standard output, in 4 KB writes, no feed
//   errfill N         N bytes 'E' to standard error, in 4 KB writes
//   sleep MS          pause
//   spawn MS PIDFILE  start a grandchild that inherits the output handle and
//                     lingers MS milliseconds; its process id goes to PIDFILE
//   readinput         read standard input until its end
//   waitevents N      wait (at most 30 s) until the runner has reported N
//                     events: the named event TARVO_CHILD_EVENTS + N
//   exit CODE         end now with CODE
// At the end of the script the program exits with 0.
// "script_child --linger MS" only sleeps (the grandchild).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'n')
            out += '\n';
        else if (next == 'r')
            out += '\r';
        else if (next == 't')
            out += '\t';
        else if (next == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += next;
    }
    return out;
}

void WriteAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Fill(HANDLE handle, long count, char c) {
    const std::string block(4096, c);
    while (count > 0) {
        const long n = count < 4096 ? count : 4096;
        WriteAll(handle, block.substr(0, static_cast<size_t>(n)));
        count -= n;
    }
}

void Spawn(long lingerMs, const std::string& pidFile) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --linger " + std::to_wstring(lingerMs);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return;
    }
    FILE* f = std::fopen(pidFile.c_str(), "wb");
    if (f != nullptr) {
        std::fprintf(f, "%lu", static_cast<unsigned long>(info.dwProcessId));
        std::fclose(f);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// Appends this process's id to TARVO_CHILD_RECORD + ".pids", so a test whose
// run hangs can end the children it caused.
void RecordProcessId(const std::wstring& recordPath) {
    FILE* f = _wfopen((recordPath + L".pids").c_str(), L"ab");
    if (f == nullptr) return;
    std::fprintf(f, "%lu\n", static_cast<unsigned long>(GetCurrentProcessId()));
    std::fclose(f);
}

void RecordCommandLine() {
    const std::wstring path = Env(L"TARVO_CHILD_RECORD");
    if (path.empty()) return;
    RecordProcessId(path);
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);  // one record per line
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--linger") {
        Sleep(static_cast<DWORD>(std::atol(argv[2])));
        return 0;
    }
    RecordCommandLine();
    const std::wstring scriptPath = Env(L"TARVO_CHILD_SCRIPT");
    if (scriptPath.empty()) return 0;
    FILE* script = _wfopen(scriptPath.c_str(), L"rb");
    if (script == nullptr) return 3;
    std::vector<std::string> lines;
    char buffer[65536];
    while (std::fgets(buffer, sizeof(buffer), script) != nullptr) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        lines.push_back(line);
    }
    std::fclose(script);

    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    for (const std::string& line : lines) {
        const size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "out") {
            WriteAll(out, Unescape(arg));
        } else if (verb == "err") {
            WriteAll(err, Unescape(arg));
        } else if (verb == "outfill") {
            Fill(out, std::atol(arg.c_str()), 'x');
        } else if (verb == "errfill") {
            Fill(err, std::atol(arg.c_str()), 'E');
        } else if (verb == "sleep") {
            Sleep(static_cast<DWORD>(std::atol(arg.c_str())));
        } else if (verb == "spawn") {
            const size_t gap = arg.find(' ');
            Spawn(std::atol(arg.substr(0, gap).c_str()),
                  gap == std::string::npos ? "" : arg.substr(gap + 1));
        } else if (verb == "waitevents") {
            const std::wstring name =
                Env(L"TARVO_CHILD_EVENTS") + std::to_wstring(std::atol(arg.c_str()));
            HANDLE signal = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
            if (signal != nullptr) {
                WaitForSingleObject(signal, 30000);
                CloseHandle(signal);
            }
        } else if (verb == "readinput") {
            char sink[256];
            DWORD n = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), sink, sizeof(sink), &n, nullptr) &&
                   n > 0) {
            }
        } else if (verb == "exit") {
            return std::atoi(arg.c_str());
        }
    }
    return 0;
}
