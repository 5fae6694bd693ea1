#include "utils/hard_disk_manager.h"

#include <windows.h>

#include "utils/debug_log.h"

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const wchar_t* path) {
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExW(path, &available, &total, &totalFree)) {
        DEBUG_LOG_VERBATIM(L"Utils::HardDiskManager::CheckFreeSpace",
                           L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n",
                           static_cast<long>(GetLastError()));
        return false;
    }
    m_freeBytesAvailable = available.QuadPart;
    m_totalBytes = total.QuadPart;
    m_totalFreeBytes = totalFree.QuadPart;
    return true;
}

}  // namespace Utils
