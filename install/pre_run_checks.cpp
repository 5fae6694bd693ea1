#include "install/pre_run_checks.h"

#include "install/process_id_by_name.h"
#include "utils/file_system.h"
#include "utils/hard_disk_manager.h"

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

PreRunResult CheckNothingRunning(bool installAnew, const ProcessLookup& lookup) {
    if (installAnew) return PreRunResult::Ok;
    if (lookup(kUninstallerCopyImage) != 0) return PreRunResult::UninstallerRunning;
    if (lookup(kApplicationImage) != 0) return PreRunResult::AppRunning;
    return PreRunResult::Ok;
}

PreRunResult CheckNothingRunning(bool installAnew) {
    return CheckNothingRunning(installAnew, ProcessIdByName);
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
        return true;
    }
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && !IsSeparator(path[2]);
}

PreRunResult PrepareInstallDir(const std::wstring& dir) {
    // A relative path would be resolved against whatever the current
    // directory happens to be; the package must get a definite target.
    if (!IsAbsolutePath(dir) || dir.size() > Utils::kMaxPathChars) {
        return PreRunResult::InvalidDirectory;
    }
    if (!Utils::CreateDirectories(dir)) return PreRunResult::InvalidDirectory;
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return PreRunResult::InvalidDirectory;
    }
    return PreRunResult::Ok;
}

std::wstring DrivePart(const std::wstring& dir) {
    if (dir.size() >= 2 && iswalpha(dir[0]) && dir[1] == L':') return dir.substr(0, 2);
    if (dir.size() >= 3 && dir[0] == L'\\' && dir[1] == L'\\') {
        // "\\server\share\" : the root of the share, with its trailing backslash.
        size_t end = dir.find(L'\\', 2);
        if (end == std::wstring::npos) return std::wstring();
        end = dir.find(L'\\', end + 1);
        return end == std::wstring::npos ? dir + L"\\" : dir.substr(0, end + 1);
    }
    return std::wstring();
}

FreeSpace CheckInstallDirSpace(const std::wstring& dir, uint64_t minimumBytes) {
    FreeSpace space;
    const std::wstring drive = DrivePart(dir);
    if (drive.empty()) return space;
    Utils::HardDiskManager disk;
    if (disk.CheckFreeSpace(drive.c_str())) space.availableBytes = disk.m_freeBytesAvailable;
    space.enough = space.availableBytes >= minimumBytes;
    return space;
}
