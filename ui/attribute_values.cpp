#include "ui/attribute_values.h"

#include <cwchar>

namespace SkinUI {

long ParseInteger(const std::wstring& value) { return std::wcstol(value.c_str(), nullptr, 10); }

std::vector<long> ParseIntegerList(const std::wstring& value, size_t count) {
    std::vector<long> numbers(count, 0);
    const wchar_t* p = value.c_str();
    for (size_t i = 0; i < count; ++i) {
        if (*p == L'\0') break;
        wchar_t* end = nullptr;
        numbers[i] = std::wcstol(p, &end, 10);
        p = end;
        if (*p == L'\0') break;
        ++p;  // the one separator
    }
    return numbers;
}

RECT ParseRect(const std::wstring& value) {
    const auto n = ParseIntegerList(value, 4);
    return RECT{n[0], n[1], n[2], n[3]};
}

SIZE ParseSize(const std::wstring& value) {
    const auto n = ParseIntegerList(value, 2);
    return SIZE{n[0], n[1]};
}

uint32_t ParseColour(const std::wstring& value, bool skipLeadingSpace) {
    const wchar_t* p = value.c_str();
    if (skipLeadingSpace) {
        while (*p != L'\0' && *p <= 32) ++p;
    }
    if (*p == L'#') ++p;
    return static_cast<uint32_t>(std::wcstoul(p, nullptr, 16));
}

bool ParseBool(const std::wstring& value) { return value == L"true"; }

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool ParseBoolNoCase(const std::wstring& value) { return EqualsNoCase(value, L"true"); }

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const std::wstring& list) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    size_t pos = 0;
    const size_t n = list.size();
    for (;;) {
        while (pos < n && list[pos] <= 32) ++pos;
        if (pos >= n) break;
        const size_t nameStart = pos;
        while (pos < n && list[pos] != L'=' && list[pos] > 32) ++pos;
        std::wstring name = list.substr(nameStart, pos - nameStart);
        while (pos < n && list[pos] <= 32) ++pos;
        if (name.empty() || pos >= n || list[pos] != L'=') break;
        ++pos;
        while (pos < n && list[pos] <= 32) ++pos;
        if (pos >= n || list[pos] != L'"') break;
        const size_t close = list.find(L'"', pos + 1);
        if (close == std::wstring::npos) break;
        pairs.emplace_back(std::move(name), list.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    return pairs;
}

}  // namespace SkinUI
