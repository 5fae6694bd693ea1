#include "tests/install/scripted_child.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/process_runner.h"
#include "utils/text.h"

namespace TestSupport {

std::string EscapeForScript(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

ScriptedChild::ScriptedChild(const std::vector<std::string>& script) {
    std::string text;
    const std::string pidFile = PidFileForScript();
    for (std::string line : script) {
        const size_t at = line.find("{PIDFILE}");
        if (at != std::string::npos) line.replace(at, 9, pidFile);
        text += line + "\n";
    }
    WriteFileBytes(m_dir / L"script.txt", text);
    SetEnvironmentVariableW(L"TARVO_CHILD_SCRIPT", (m_dir / L"script.txt").c_str());
    SetEnvironmentVariableW(L"TARVO_CHILD_RECORD", (m_dir / L"record.bin").c_str());
}

namespace {

void TerminateListed(const std::wstring& pidFile) {
    std::ifstream in(pidFile.c_str());
    unsigned long pid = 0;
    while (in >> pid) {
        if (pid == 0) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (process == nullptr) continue;
        TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace

ScriptedChild::~ScriptedChild() {
    SetEnvironmentVariableW(L"TARVO_CHILD_SCRIPT", nullptr);
    SetEnvironmentVariableW(L"TARVO_CHILD_RECORD", nullptr);
    // A grandchild lingers by design: end it now.
    TerminateListed(m_dir / L"grandchild.pid");
}

void ScriptedChild::TerminateChildren() const { TerminateListed(m_dir / L"record.bin.pids"); }

std::wstring ScriptedChild::ExePath() { return SiblingPath(L"tarvo_script_child.exe"); }

std::vector<std::wstring> ScriptedChild::RecordedCommandLines() const {
    std::vector<std::wstring> lines;
    HANDLE file =
        CreateFileW((m_dir / L"record.bin").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::wstring all;
    wchar_t buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        all.append(buffer, read / sizeof(wchar_t));
    }
    CloseHandle(file);
    size_t start = 0;
    for (size_t feed; (feed = all.find(L'\n', start)) != std::wstring::npos; start = feed + 1) {
        lines.push_back(all.substr(start, feed - start));
    }
    return lines;
}

std::string ScriptedChild::PidFileForScript() const {
    return Utils::WideToAnsi(m_dir / L"grandchild.pid", 0);
}

}  // namespace TestSupport
