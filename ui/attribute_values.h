#pragma once
// The value syntaxes of skin attributes, as plain functions of the value text.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {

// Decimal integer read like the standard string-to-long conversion: leading
// white space and a sign allowed, stops at the first other character, 0 when
// there are no digits. Out-of-range values saturate.
long ParseInteger(const std::wstring& value);
// `count` integers, each read starting one character after the end of the
// previous one (so exactly one separator of any kind); missing ones are 0.
std::vector<long> ParseIntegerList(const std::wstring& value, size_t count);
RECT ParseRect(const std::wstring& value);
SIZE ParseSize(const std::wstring& value);
// Hexadecimal AARRGGBB; an optional "#" (after leading white space when
// `skipLeadingSpace`) is skipped, "0x" is accepted. 0 means "no colour".
uint32_t ParseColour(const std::wstring& value, bool skipLeadingSpace = false);
// Exactly "true".
bool ParseBool(const std::wstring& value);
// "true" in any letter case (window, font and image attributes).
bool ParseBoolNoCase(const std::wstring& value);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// Splits an attribute list of the form  name="value" name2="value2"  (the
// value of a "Default" element) into its pairs; parsing stops at the first
// malformed pair.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const std::wstring& list);

}  // namespace SkinUI
