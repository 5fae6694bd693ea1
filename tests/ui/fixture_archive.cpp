#include "tests/ui/fixture_archive.h"

#include <windows.h>

#include "tests/process_runner.h"
#include "ui/skin_resources.h"

namespace TestSupport {

std::vector<uint8_t> FixtureArchiveBytes() {
    std::vector<uint8_t> bytes;
    std::wstring error;
    SkinUI::ReadWholeFile(SiblingPath(L"ui_fixture.7z"), 64u << 20, bytes, error);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() ||
        (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size());
    CloseHandle(file);
    return ok;
}

}  // namespace TestSupport
