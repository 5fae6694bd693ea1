#pragma once
// Text conversions and trimming shared by every subsystem. Each helper returns
// a new string and never throws; a failed conversion gives an empty string.
#include <string>

namespace Utils {

// Narrow text in the given code page (0 = system ANSI page, 65001 = UTF-8) to UTF-16.
std::wstring AnsiToWide(const std::string& text, unsigned codePage = 0);
// UTF-16 to narrow text in the given code page (0 = system ANSI page, 65001 = UTF-8).
std::string WideToAnsi(const std::wstring& text, unsigned codePage = 0);
// Strict UTF-8 decoding: any invalid sequence gives an empty result.
std::wstring Utf8ToWide(const std::string& text);

// White space here is blank, tab, line feed, vertical tab, form feed, carriage return.
std::wstring TrimLeft(const std::wstring& text);
std::wstring TrimRight(const std::wstring& text);
std::wstring Trim(const std::wstring& text);

// Replaces the first occurrence of `from`, then searches again from the start,
// until none is left. When the replacement itself contains `from`, searching from
// the start would never end, so the search then resumes after the inserted text.
std::wstring ReplaceAll(const std::wstring& text, const std::wstring& from, const std::wstring& to);

}  // namespace Utils
