#pragma once
// Device identifiers for the installation record.
#include <guiddef.h>

#include <string>

namespace Utils {

// 32 hex digits, no braces or dashes; the third group is lower case:
// "%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X".
std::wstring FormatGuidString(const GUID& guid);
// A new identifier in that format; empty when the system cannot create one.
std::wstring NewGuidString();

}  // namespace Utils
