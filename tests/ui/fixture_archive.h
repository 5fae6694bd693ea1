#pragma once
// The fixture skin archive that the build packs beside the test program, and
// a small file writer for scratch files.
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

std::vector<uint8_t> FixtureArchiveBytes();
bool WriteBytes(const std::wstring& path, const std::string& bytes);

}  // namespace TestSupport
