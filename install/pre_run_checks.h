#pragma once
// The checks made before an installation run starts, shared by the main
// window and the headless run: neither the application nor an old
// uninstaller copy may be running, the install directory must be creatable,
// and its drive must have at least 1 GiB free. Each check is a plain function
// returning a value; the caller decides what to show and whether to go on.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// Image names probed before a run.
inline constexpr wchar_t kApplicationImage[] = L"TarvoPDFEditor.exe";
inline constexpr wchar_t kUninstallerCopyImage[] = L"TarvoPDFEditor_un_asa.exe";
// The least free space a run needs on the target drive.
inline constexpr uint64_t kMinimumFreeBytes = 1ull << 30;

enum class PreRunResult {
    Ok,
    UninstallerRunning,  // an old version's uninstaller copy is running
    AppRunning,          // the installed application is running
    InvalidDirectory,    // the install directory cannot be created
    NotEnoughSpace,      // less than the minimum free on its drive
};

// Process lookup by image name (ProcessIdByName in the installer; tests may
// substitute their own). Returns 0 when no such process runs.
using ProcessLookup = std::function<DWORD(const std::wstring& imageName)>;

// Uninstaller copy first, then the application; both skipped in install-anew
// mode.
PreRunResult CheckNothingRunning(bool installAnew, const ProcessLookup& lookup);
PreRunResult CheckNothingRunning(bool installAnew);

// True for "X:\..." and "\\server\share..." paths.
bool IsAbsolutePath(const std::wstring& path);
// Creates every missing directory of `dir`. An empty or relative path, a
// path longer than 260 characters, or one that cannot be created is invalid.
PreRunResult PrepareInstallDir(const std::wstring& dir);

// The part of `dir` the free-space probe is asked about: "C:" for a drive
// path, "\\server\share\" for a network path, empty otherwise.
std::wstring DrivePart(const std::wstring& dir);
// Free bytes available to the caller on the drive of `dir` (0 when the probe
// fails), and whether that is at least `minimumBytes`.
struct FreeSpace {
    uint64_t availableBytes = 0;
    bool enough = false;
};
FreeSpace CheckInstallDirSpace(const std::wstring& dir, uint64_t minimumBytes = kMinimumFreeBytes);
