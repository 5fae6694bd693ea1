#include "config/command_line_options.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

NumberRead ReadLeadingInt(const std::wstring& text, int& value) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i >= text.size() || !IsDigit(text[i])) return NumberRead::None;
    long long magnitude = 0;
    bool overflow = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (!overflow) {
            magnitude = magnitude * 10 + (text[i] - L'0');
            if (magnitude > static_cast<long long>(INT_MAX) + 1) overflow = true;
        }
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > INT_MAX || signedValue < INT_MIN) return NumberRead::OutOfRange;
    value = static_cast<int>(signedValue);
    return NumberRead::Ok;
}

NumberRead ReadLeadingDouble(const std::wstring& text, double& value) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == L'.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return NumberRead::None;
    size_t end = i;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            end = j;
        }
    }
    // Convert only the validated prefix, so the runtime never sees hex or words.
    std::string ascii;
    for (size_t k = start; k < end; ++k) ascii.push_back(static_cast<char>(text[k]));
    // A magnitude beyond a double reads as an infinity of its sign.
    value = std::strtod(ascii.c_str(), nullptr);
    return NumberRead::Ok;
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    if (commandLine == nullptr) return args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
    if (argv == nullptr) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

CommandLineOptions CommandLineOptions::FromCommandLine(const wchar_t* commandLine) {
    // CommandLineToArgvW answers the program path for an empty line; nothing
    // to parse then.
    if (commandLine == nullptr || *commandLine == L'\0') return CommandLineOptions();
    return FromArguments(SplitCommandLine(commandLine));
}

CommandLineOptions CommandLineOptions::FromArguments(const std::vector<std::wstring>& arguments) {
    CommandLineOptions options;
    for (const auto& argument : arguments) options.Add(argument);
    return options;
}

void CommandLineOptions::Add(const std::wstring& argument) {
    std::wstring name = argument;
    std::wstring value;
    if (!argument.empty() && argument[0] == L'-') {
        const size_t eq = argument.find(L'=');
        if (eq != std::wstring::npos) {
            name = argument.substr(0, eq);
            value = argument.substr(eq + 1);
        }
    }
    if (m_values.emplace(name, value).second) m_order.push_back(name);
}

bool CommandLineOptions::Has(const std::wstring& name) const {
    return m_values.find(name) != m_values.end();
}

std::wstring CommandLineOptions::GetString(const std::wstring& name) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? std::wstring() : it->second;
}

int CommandLineOptions::GetInt(const std::wstring& name, int outOfRange) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) return 0;
    int value = 0;
    switch (ReadLeadingInt(it->second, value)) {
        case NumberRead::Ok:
            return value;
        case NumberRead::OutOfRange:
            return outOfRange;
        case NumberRead::None:
            break;
    }
    return 0;
}

double CommandLineOptions::GetDouble(const std::wstring& name, double fallback) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) return fallback;
    double value = 0.0;
    return ReadLeadingDouble(it->second, value) == NumberRead::Ok ? value : fallback;
}

bool CommandLineOptions::GetBool(const std::wstring& name) const {
    const auto it = m_values.find(name);
    return it != m_values.end() && it->second == L"true";
}
