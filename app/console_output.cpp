#include "app/console_output.h"

#include "utils/text.h"

namespace {
bool IsConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}
}  // namespace

ConsoleOutput::ConsoleOutput() {
    HANDLE inherited = GetStdHandle(STD_OUTPUT_HANDLE);
    if (inherited != nullptr && inherited != INVALID_HANDLE_VALUE &&
        GetFileType(inherited) != FILE_TYPE_UNKNOWN) {
        m_handle = inherited;
        m_console = IsConsoleHandle(inherited);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    m_handle = console;
    m_ownsHandle = true;
    m_console = IsConsoleHandle(console);
    // The parent's prompt was already printed; start on a fresh line.
    Line(L"");
}

ConsoleOutput::~ConsoleOutput() {
    if (m_ownsHandle) CloseHandle(m_handle);
}

void ConsoleOutput::Line(const std::wstring& text) const {
    if (m_handle == nullptr) return;
    if (m_console) {
        const std::wstring line = text + L"\r\n";
        DWORD written = 0;
        if (WriteConsoleW(m_handle, line.c_str(), static_cast<DWORD>(line.size()), &written,
                          nullptr)) {
            return;
        }
    }
    const std::string bytes = Utils::WideToAnsi(text + L"\n", CP_UTF8);
    DWORD written = 0;
    WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
