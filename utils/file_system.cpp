#include "utils/file_system.h"

#include <windows.h>

namespace Utils {

namespace {
const wchar_t kTempName[] = L"~OrvanTemp.92482B06FB471E17\\";
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring GetTempDirectoryUnder(const std::wstring& base) {
    const std::wstring path = base + kTempName;
    // The result must fit a MAX_PATH buffer with its terminator.
    if (base.empty() || path.size() >= kMaxPathChars) return std::wstring();
    if (PathExists(path)) return path;
    if (!CreateDirectoryW(path.c_str(), nullptr)) return std::wstring();
    return path;
}

std::wstring GetTempDirectory() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return std::wstring();
    return GetTempDirectoryUnder(std::wstring(base, n));
}

bool CreateDirectories(const std::wstring& path) {
    if (path.size() > kMaxPathChars) return false;
    size_t pos = 0;
    for (;;) {
        const size_t slash = path.find(L'\\', pos);
        if (slash == std::wstring::npos) break;
        const std::wstring prefix = path.substr(0, slash + 1);
        if (!PathExists(prefix) && !CreateDirectoryW(prefix.c_str(), nullptr)) return false;
        pos = slash + 1;
    }
    if (pos < path.size() && !PathExists(path) && !CreateDirectoryW(path.c_str(), nullptr)) {
        return false;
    }
    return true;
}

}  // namespace Utils
