#include "tools/demo/demo_options.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <vector>

#include "utils/text.h"

namespace Demo {

Options ParseOptions(const std::wstring& text) {
    Options options;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring item = text.substr(start, end - start);
        const size_t eq = item.find(L'=');
        const std::wstring name = Utils::Trim(item.substr(0, eq));
        if (!name.empty()) {
            options[name] = eq == std::wstring::npos ? std::wstring() : item.substr(eq + 1);
        }
        start = end + 1;
    }
    return options;
}

Options ReadOptions(const wchar_t* envName, const std::wstring& commandLine) {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n =
        GetEnvironmentVariableW(envName, buffer.data(), static_cast<DWORD>(buffer.size()));
    Options options = (n > 0 && n < buffer.size()) ? ParseOptions(buffer.data()) : Options();
    // "-demo=..." up to the next blank-preceded switch (values have no blanks).
    const size_t at = commandLine.find(L" -demo=");
    if (at != std::wstring::npos) {
        const size_t begin = at + 7;
        const size_t end = commandLine.find(L' ', begin);
        const Options overlay = ParseOptions(commandLine.substr(begin, end - begin));
        for (const auto& item : overlay) options[item.first] = item.second;
    }
    return options;
}

bool Has(const Options& options, const wchar_t* name) { return options.count(name) != 0; }

std::wstring Get(const Options& options, const wchar_t* name, const std::wstring& fallback) {
    const auto found = options.find(name);
    return found == options.end() ? fallback : found->second;
}

int GetInt(const Options& options, const wchar_t* name, int fallback) {
    const auto found = options.find(name);
    if (found == options.end()) return fallback;
    wchar_t* end = nullptr;
    const long value = std::wcstol(found->second.c_str(), &end, 10);
    return end == found->second.c_str() ? fallback : static_cast<int>(value);
}

std::wstring TextAfterLast(const std::wstring& commandLine, const std::wstring& marker) {
    const size_t at = commandLine.rfind(marker);
    if (at == std::wstring::npos) return std::wstring();
    return Utils::TrimRight(commandLine.substr(at + marker.size()));
}

bool HasToken(const std::wstring& commandLine, const std::wstring& token) {
    size_t at = commandLine.find(token);
    while (at != std::wstring::npos) {
        const bool startOk = at == 0 || std::iswspace(commandLine[at - 1]);
        const size_t after = at + token.size();
        const bool endOk = after == commandLine.size() || std::iswspace(commandLine[after]);
        if (startOk && endOk) return true;
        at = commandLine.find(token, at + 1);
    }
    return false;
}

ProtocolWriter::ProtocolWriter(bool enabled) : m_enabled(enabled) {
    // The encoding applies from the installer's next read on, so the first
    // line stands alone and the next lines follow after a pause.
    if (m_enabled) {
        Line(L"Encode=UTF8");
        Sleep(150);
    }
}

void ProtocolWriter::Line(const std::wstring& line) const {
    if (!m_enabled) return;
    // Bare line feeds: the installer keeps a carriage return as part of a
    // value, and paths must arrive without one.
    const std::string bytes = Utils::WideToAnsi(line + L"\n", CP_UTF8);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

void ProtocolWriter::Progress(double fraction) const {
    wchar_t text[64] = {};
    swprintf(text, 64, L"Progress=%.2f", fraction);
    Line(text);
}

void Pause(int ms) { Sleep(ms < 0 ? INFINITE : static_cast<DWORD>(ms)); }

}  // namespace Demo
