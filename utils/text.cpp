#include "utils/text.h"

#include <windows.h>

#include <climits>

namespace Utils {

namespace {

const wchar_t kBlanks[] = L" \t\n\v\f\r";

std::wstring Decode(const std::string& text, unsigned codePage, DWORD flags) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int inLen = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, flags, text.data(), inLen, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(codePage, flags, text.data(), inLen, &out[0], n) != n) {
        return std::wstring();
    }
    return out;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text, unsigned codePage) {
    return Decode(text, codePage, 0);
}

std::wstring Utf8ToWide(const std::string& text) {
    return Decode(text, CP_UTF8, MB_ERR_INVALID_CHARS);
}

std::string WideToAnsi(const std::wstring& text, unsigned codePage) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::string();
    const int inLen = static_cast<int>(text.size());
    const int n =
        WideCharToMultiByte(codePage, 0, text.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, 0, text.data(), inLen, &out[0], n, nullptr, nullptr) != n) {
        return std::string();
    }
    return out;
}

std::wstring TrimLeft(const std::wstring& text) {
    const size_t first = text.find_first_not_of(kBlanks);
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

std::wstring TrimRight(const std::wstring& text) {
    const size_t last = text.find_last_not_of(kBlanks);
    return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

std::wstring Trim(const std::wstring& text) { return TrimLeft(TrimRight(text)); }

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& from,
                        const std::wstring& to) {
    std::wstring out = text;
    if (from.empty()) return out;
    const bool selfFeeding = to.find(from) != std::wstring::npos;
    size_t searchFrom = 0;
    for (;;) {
        const size_t pos = out.find(from, searchFrom);
        if (pos == std::wstring::npos) break;
        out.replace(pos, from.size(), to);
        searchFrom = selfFeeding ? pos + to.size() : 0;
    }
    return out;
}

}  // namespace Utils
