#pragma once
// Free-space probe of the volume holding a path. The three counts are kept
// from the last successful query; a failed query leaves them untouched.
#include <cstdint>

namespace Utils {

class HardDiskManager {
  public:
    HardDiskManager() = default;
    virtual ~HardDiskManager() = default;

    // Queries the volume of `path` (a directory or a drive such as L"C:").
    // On failure logs the system error and returns false.
    bool CheckFreeSpace(const wchar_t* path);

    uint64_t m_freeBytesAvailable = 0;
    uint64_t m_totalBytes = 0;
    uint64_t m_totalFreeBytes = 0;
};

}  // namespace Utils
