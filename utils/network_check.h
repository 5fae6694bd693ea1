#pragma once
// Internet connectivity probe through the system's network list manager.
#include <cstdint>

namespace Utils {

// Status in the high 16 bits (0 connected or manager unavailable, 1 no
// connectivity, 2 connectivity without Internet), connectivity flags in the
// low 16 bits. The calling thread must have initialised COM.
uint32_t CheckNetwork();

// The result composition, apart from COM: `managerAvailable` false gives 0.
uint32_t NetworkCheckResult(bool managerAvailable, uint32_t flags, bool connectedToInternet);

}  // namespace Utils
