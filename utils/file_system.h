#pragma once
// Directory helpers: the installer's private temporary directory and creation
// of a whole directory path.
#include <string>

namespace Utils {

// Paths longer than this are refused, as the Windows ANSI path limit demands.
constexpr size_t kMaxPathChars = 260;

// "<user temp>\~OrvanTemp.92482B06FB471E17\" (trailing backslash), created one
// level deep when missing; empty when it cannot be created or does not fit
// kMaxPathChars. Never deleted by the installer.
std::wstring GetTempDirectory();
// The same rule below an explicit base directory (which ends with a backslash).
std::wstring GetTempDirectoryUnder(const std::wstring& base);

// Creates every missing directory along `path`; true when the whole path exists
// afterwards. A file standing in the way counts as existing, so the next
// level's creation fails.
bool CreateDirectories(const std::wstring& path);

// True when a file or directory exists at `path`.
bool PathExists(const std::wstring& path);

}  // namespace Utils
