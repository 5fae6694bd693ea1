#include "utils/guid.h"

#include <windows.h>
#include <objbase.h>

#include <cwchar>

namespace Utils {

std::wstring FormatGuidString(const GUID& g) {
    wchar_t text[40] = {};
    swprintf(text, 40, L"%08lX%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X",
             static_cast<unsigned long>(g.Data1), static_cast<unsigned>(g.Data2),
             static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
             g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::wstring NewGuidString() {
    GUID guid;
    // An identifier of zeros or garbage would merge devices in the analytics
    // record, so a failed creation gives no identifier at all.
    if (FAILED(CoCreateGuid(&guid))) return std::wstring();
    return FormatGuidString(guid);
}

}  // namespace Utils
